// Dialogs in tests: answers from a queue, every request recorded, nothing blocks.
#pragma once

#include "services/Dialogs.h"

#include <deque>

class ScriptedDialogs : public Dialogs {
public:
    struct Request {
        std::string kind; // "open", "open several", "save", "folder"
        std::vector<FileFilter> filters;
        std::string initialDir;
        std::string defaultName;
        std::string title;
    };

    // Puts itself in place for its lifetime and restores the previous dialogs afterwards.
    ScriptedDialogs();
    ~ScriptedDialogs() override;

    // The next dialog's result (an empty text is a cancel). With the queue empty a dialog is
    // cancelled. A dialog with multiple selection takes the answer in the platform's form
    // (services/Dialog.h ChosenFiles): one path, or a folder and names after NUL characters.
    void Answer(const std::string& path) { answers_.push_back(path); }

    std::string OpenFile(const std::vector<FileFilter>& filters, const std::string& initialDir) override;
    std::vector<std::string> OpenFiles(const std::vector<FileFilter>& filters, const std::string& initialDir) override;
    std::string SaveFile(const std::string& defaultName, const std::vector<FileFilter>& filters,
                         const std::string& initialDir) override;
    std::string BrowseFolder(const std::string& title, const std::string& startFolder) override;

    const std::vector<Request>& requests() const { return requests_; }

private:
    std::string next();

    Dialogs* previous_;
    std::deque<std::string> answers_;
    std::vector<Request> requests_;
};
