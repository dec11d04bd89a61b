// What the linkage reading window keeps in the settings file: its directory list (section
// DGNSearchDirs, keys Dir0, Dir1, ... without gaps) and its report file (ReadLinkages,
// ReportFile).
#pragma once

#include <string>
#include <vector>

class LinkageSettings {
public:
    // Dir0, Dir1, ... up to the first blank value; a value that names no existing folder, or
    // that is listed already, is skipped and the reading goes on.
    static std::vector<std::string> LoadDirs(const std::string& iniFile);
    // Rewrites the whole section with the list in order.
    static void SaveDirs(const std::string& iniFile, const std::vector<std::string>& dirs);

    // The stored report file when it exists, else the temporary folder + project + ".xls".
    static std::string StartReportFile(const std::string& iniFile, const std::string& tempDir,
                                       const std::string& project);
    static void StoreReportFile(const std::string& iniFile, const std::string& reportFile);

    // Whether dir is listed, comparing in lower case and otherwise exactly (a trailing
    // backslash counts).
    static bool IsDirInList(const std::vector<std::string>& dirs, const std::string& dir);
};
