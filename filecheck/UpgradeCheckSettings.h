// The settings of the file check window in the settings file: the search directories
// ([SearchDirs] Dir0, Dir1, ...) and the two seed files ([UpgradeCheck] FWSeedFile, SeedFile).
#pragma once

#include <string>
#include <vector>

inline constexpr const char* kFWSeedFileKey = "FWSeedFile";
inline constexpr const char* kSeedFileKey = "SeedFile";

// Dir0, Dir1, ... up to the first blank value; folders that do not exist and folders already
// read (letter case ignored) are skipped.
std::vector<std::string> LoadSearchDirs(const std::string& iniFile);
// Rewrites [SearchDirs] with the list, Dir0 first; stops at the first failed write.
void SaveSearchDirs(const std::string& iniFile, const std::vector<std::string>& dirs);
// The seed file under key, or the empty text when it names no existing file.
std::string LoadSeedFile(const std::string& iniFile, const std::string& key);
void SaveSeedFile(const std::string& iniFile, const std::string& key, const std::string& path);

// An entry equal to dir as a whole text without regard to case (nothing trimmed, a trailing
// "\" is part of the text).
bool IsDirInList(const std::vector<std::string>& dirs, const std::string& dir);
// Appends the folder chosen in the browser. Raises error 1 "No directory is selected" for a
// blank answer and "Directory: '<folder>' already in list exists" for a listed one.
void AddSearchDir(std::vector<std::string>& dirs, const std::string& folder);
