// Settings of the linkage reading window.
#include "designfiles/LinkageSettings.h"

#include "platform/Clock.h"
#include "platform/TextUtil.h"
#include "services/FileOperation.h"
#include "services/IniFile.h"

#include <optional>

namespace {

const char* const kDirsSection = "DGNSearchDirs";
const char* const kReportSection = "ReadLinkages";

} // namespace

std::vector<std::string> LinkageSettings::LoadDirs(const std::string& iniFile)
{
    std::vector<std::string> dirs;
    for (int i = 0;; ++i) {
        const std::string dir = ReadIniValue(iniFile, kDirsSection, "Dir" + std::to_string(i), "");
        if (IsBlank(dir))
            break;
        if (IsFileExists(dir, 1) && !IsDirInList(dirs, dir))
            dirs.push_back(dir);
        DoEvents();
    }
    return dirs;
}

void LinkageSettings::SaveDirs(const std::string& iniFile, const std::vector<std::string>& dirs)
{
    WriteIniList(iniFile, kDirsSection, "Dir", dirs);
}

std::string LinkageSettings::StartReportFile(const std::string& iniFile, const std::string& tempDir,
                                             const std::string& project)
{
    const std::string stored = ReadIniValue(iniFile, kReportSection, "ReportFile", "");
    if (IsFileExists(stored, 0))
        return stored;
    return tempDir + (!tempDir.empty() && tempDir.back() == '\\' ? "" : "\\") + project + ".xls";
}

void LinkageSettings::StoreReportFile(const std::string& iniFile, const std::string& reportFile)
{
    WriteIniValue(iniFile, kReportSection, "ReportFile", reportFile);
}

bool LinkageSettings::IsDirInList(const std::vector<std::string>& dirs, const std::string& dir)
{
    const std::string wanted = ToLower(dir);
    for (const std::string& entry : dirs)
        if (ToLower(entry) == wanted)
            return true;
    return false;
}
