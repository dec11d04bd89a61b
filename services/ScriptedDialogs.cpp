// Scripted dialog answers for tests.
#include "services/ScriptedDialogs.h"

#include "services/Dialog.h"

ScriptedDialogs::ScriptedDialogs() : previous_(&Dialogs::Get()) { Dialogs::Set(this); }

ScriptedDialogs::~ScriptedDialogs() { Dialogs::Set(previous_); }

std::string ScriptedDialogs::next()
{
    if (answers_.empty())
        return {};
    std::string a = answers_.front();
    answers_.pop_front();
    return a;
}

std::string ScriptedDialogs::OpenFile(const std::vector<FileFilter>& filters, const std::string& initialDir)
{
    requests_.push_back({"open", filters, initialDir, "", ""});
    return next();
}

std::vector<std::string> ScriptedDialogs::OpenFiles(const std::vector<FileFilter>& filters,
                                                    const std::string& initialDir)
{
    requests_.push_back({"open several", filters, initialDir, "", ""});
    return ChosenFiles(next());
}

std::string ScriptedDialogs::SaveFile(const std::string& defaultName, const std::vector<FileFilter>& filters,
                                      const std::string& initialDir)
{
    requests_.push_back({"save", filters, initialDir, defaultName, ""});
    return next();
}

std::string ScriptedDialogs::BrowseFolder(const std::string& title, const std::string& startFolder)
{
    requests_.push_back({"folder", {}, startFolder, "", title});
    return next();
}
