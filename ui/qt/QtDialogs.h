// File and folder dialogs as Qt dialogs; Windows paths in and out.
#pragma once

#include "services/Dialogs.h"

#include <QStringList>

class QtDialogs : public Dialogs {
public:
    // One file only: the chosen file's full path.
    std::string OpenFile(const std::vector<FileFilter>& filters, const std::string& initialDir) override;
    // Several existing files: their full paths in the order the dialog gives them.
    std::vector<std::string> OpenFiles(const std::vector<FileFilter>& filters, const std::string& initialDir) override;
    std::string SaveFile(const std::string& defaultName, const std::vector<FileFilter>& filters,
                         const std::string& initialDir) override;
    std::string BrowseFolder(const std::string& title, const std::string& startFolder) override;

    // Qt's name filters: "description (p1 p2)" per entry. "*.*" becomes "*", which is what it
    // means on Windows (also names without a dot); an empty pattern list shows every file.
    static QStringList NameFilters(const std::vector<FileFilter>& filters);
};
