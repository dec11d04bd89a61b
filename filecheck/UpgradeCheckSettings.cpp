// Settings of the file check window.
#include "filecheck/UpgradeCheckSettings.h"

#include "platform/AppError.h"
#include "platform/TextUtil.h"
#include "services/FileOperation.h"
#include "services/IniFile.h"

#include <optional>

std::vector<std::string> LoadSearchDirs(const std::string& iniFile)
{
    std::vector<std::string> dirs;
    for (int i = 0;; ++i) {
        const std::string dir = ReadIniValue(iniFile, std::string("SearchDirs"), "Dir" + std::to_string(i));
        if (Trim(dir).empty())
            break;
        if (IsFileExists(dir, 1) && !IsDirInList(dirs, dir))
            dirs.push_back(dir);
    }
    return dirs;
}

void SaveSearchDirs(const std::string& iniFile, const std::vector<std::string>& dirs)
{
    WriteIniList(iniFile, "SearchDirs", "Dir", dirs);
}

std::string LoadSeedFile(const std::string& iniFile, const std::string& key)
{
    const std::string path = ReadIniValue(iniFile, std::string("UpgradeCheck"), key);
    return IsFileExists(path, 0) ? path : std::string();
}

void SaveSeedFile(const std::string& iniFile, const std::string& key, const std::string& path)
{
    WriteIniValue(iniFile, std::string("UpgradeCheck"), key, path);
}

bool IsDirInList(const std::vector<std::string>& dirs, const std::string& dir)
{
    for (const std::string& entry : dirs)
        if (EqualsNoCase(entry, dir))
            return true;
    return false;
}

void AddSearchDir(std::vector<std::string>& dirs, const std::string& folder)
{
    if (Trim(folder).empty())
        RaiseError("", "No directory is selected");
    if (IsDirInList(dirs, folder))
        RaiseError("", "Directory: '" + folder + "' already in list exists");
    dirs.push_back(folder);
}
