// Work files of the CRIS operations.
#include "dbaccess/CRISWork.h"

#include "services/FileOperation.h"

#include <algorithm>
#include <cctype>

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

bool ChangesTables(const std::string& sql)
{
    std::string words;
    bool blank = false;
    for (char c : sql) {
        if (std::isspace(static_cast<unsigned char>(c))) {
            blank = true;
            continue;
        }
        if (blank && !words.empty())
            words += ' ';
        blank = false;
        words += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    for (const char* verb : {"drop table ", "create table ", "alter table "})
        if (words.find(verb) != std::string::npos)
            return true;
    return false;
}
