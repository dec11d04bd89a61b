// The platform's file and folder dialogs as the services see them: Qt dialogs interactively,
// scripted answers in tests, and none (every dialog cancelled) without windows.
#pragma once

#include <string>
#include <vector>

// One entry of a dialog's filter list: a description and its patterns, ";"-separated.
struct FileFilter {
    std::string description;
    std::string patterns;
    bool operator==(const FileFilter&) const = default;
};

class Dialogs {
public:
    virtual ~Dialogs() = default;
    // Paths are Windows texts; an empty initial folder means the current directory. The result
    // is the chosen path, or the empty text when the user cancels.
    virtual std::string OpenFile(const std::vector<FileFilter>& filters, const std::string& initialDir) = 0;
    // The open-file dialog with multiple selection, for the callers that ask for it: the full
    // paths of the chosen files in the dialog's order, empty on cancel. Without an own version
    // the dialog offers one file.
    virtual std::vector<std::string> OpenFiles(const std::vector<FileFilter>& filters, const std::string& initialDir);
    virtual std::string SaveFile(const std::string& defaultName, const std::vector<FileFilter>& filters,
                                 const std::string& initialDir) = 0;
    // The chosen folder (no trailing "\" needed), or the empty text. May throw AppError.
    virtual std::string BrowseFolder(const std::string& title, const std::string& startFolder) = 0;

    // The dialogs in place: none (every dialog cancelled) until a window layer or a test sets some.
    static Dialogs& Get();
    // nullptr restores the default. The caller keeps ownership.
    static void Set(Dialogs* dialogs);
};
