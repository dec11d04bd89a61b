// Failed writes of settings and registry values, said and kept for the run's end.
#include "services/SettingsWriteFailures.h"

#include "services/Messages.h"

namespace {
std::vector<std::string>& failures()
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
