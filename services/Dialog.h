// The open and save file dialogs with "description|pattern" filters, and the folder browser.
#pragma once

#include "services/Dialogs.h"

#include <string>
#include <vector>

class Dialog {
public:
    // The chosen file (one file), or the empty text on cancel. An empty initial folder opens
    // the current directory.
    std::string OpenFile(const std::string& filter = "Alle Dateien (*.*)|*.*", const std::string& initialDir = "");
    // The same with multiple selection: the chosen files' full paths, empty on cancel.
    std::vector<std::string> OpenFiles(const std::string& filter, const std::string& initialDir = "");
    std::string SaveFile(const std::string& defaultName = "", const std::string& filter = "Alle Dateien (*.*)|*.*",
                         const std::string& initialDir = "");

    // "desc|pattern|desc|pattern" as the list of entries; a filter without "|" is one entry
    // with an empty pattern. The list ends at the first empty description.
    static std::vector<FileFilter> ParseFilter(const std::string& filter);
};

// The files of a multiple-choice answer in the platform's form: one full path, or a folder
// followed by file names, each after a NUL character. Empty for a cancelled dialog.
std::vector<std::string> ChosenFiles(const std::string& answer);

// The one process-wide instance.
Dialog& GetDialog();

// The folder chosen in the folder browser, ending in "\", or the empty text on cancel or
// failure. A blank start folder opens where the last call that gave one started. Never
// throws: a failure is kept in the last file error, any other end clears it.
std::string BrowseForFolder(const std::string& title, const std::string& startFolder);
