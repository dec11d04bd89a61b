// Work files of the CRIS operations.
#include "dbaccess/CRISWork.h"

#include "services/FileOperation.h"

#include <algorithm>

WorkFiles::~WorkFiles()
{
    const FileOpError saved = SaveFileOpError();
    for (const std::string& p : paths_) {
        try {
            DeleteFileA(p, false);
        } catch (...) {
        }
    }
    RestoreFileOpError(saved);
}

std::string WorkFiles::add(std::string path)
{
    paths_.push_back(std::move(path));
    return paths_.back();
}

void WorkFiles::keep(const std::string& path)
{
    paths_.erase(std::remove(paths_.begin(), paths_.end(), path), paths_.end());
}
