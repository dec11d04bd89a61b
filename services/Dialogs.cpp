// Selection of the dialog implementation.
#include "services/Dialogs.h"

namespace {

// A run without windows: nobody could answer, so every dialog counts as cancelled.
class NoDialogs : public Dialogs {
public:
    std::string OpenFile(const std::vector<FileFilter>&, const std::string&) override { return {}; }
    std::string SaveFile(const std::string&, const std::vector<FileFilter>&, const std::string&) override { return {}; }
    std::string BrowseFolder(const std::string&, const std::string&) override { return {}; }
};

NoDialogs gNone;
Dialogs* gDialogs = &gNone;

} // namespace

std::vector<std::string> Dialogs::OpenFiles(const std::vector<FileFilter>& filters, const std::string& initialDir)
{
    std::string one = OpenFile(filters, initialDir);
    if (one.empty())
        return {};
    return {one};
}

Dialogs& Dialogs::Get() { return *gDialogs; }

void Dialogs::Set(Dialogs* dialogs) { gDialogs = dialogs ? dialogs : &gNone; }
