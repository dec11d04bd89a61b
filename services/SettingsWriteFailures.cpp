// Failed writes of settings and registry values, said and kept for the run's end.
#include "services/SettingsWriteFailures.h"

#include "services/Messages.h"

#include <algorithm>

namespace {
std::vector<std::string>& failures()
{
    static std::vector<std::string> noted;
    return noted;
}

std::vector<std::string>& warnings()
{
    static std::vector<std::string> noted;
    return noted;
}
} // namespace

void NoteSettingsWriteFailure(const std::string& text)
{
    failures().push_back(text);
    ShowStatus(text);
}

std::vector<std::string> TakeSettingsWriteFailures()
{
    std::vector<std::string> taken;
    taken.swap(failures());
    return taken;
}

void NoteSettingsWriteWarning(const std::string& text)
{
    auto& noted = warnings();
    if (std::find(noted.begin(), noted.end(), text) != noted.end())
        return;
    noted.push_back(text);
    ShowStatus(text);
}

std::vector<std::string> TakeSettingsWriteWarnings()
{
    std::vector<std::string> taken;
    taken.swap(warnings());
    return taken;
}
