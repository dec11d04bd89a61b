// The twelve [TARNWICK] settings of the configuration dialog: keys, labels, defaults.
#pragma once

#include <array>
#include <string>
#include <string_view>

enum class ConfigBrowse { None, File, ExeFile, Folder };

struct ConfigRow {
    std::string_view key;          // also the text box's name
    std::string_view label;
    std::string_view defaultValue; // what the dialog shows for a missing key
    ConfigBrowse browse;
    std::string_view browseButton; // the "..." button's name, empty without one
};

inline constexpr std::array<ConfigRow, 12> kConfigRows{{
    {"Fileserver", "File Server", "pdsserver", ConfigBrowse::None, ""},
    {"DBServer", "Database Server", "pdsserver", ConfigBrowse::None, ""},
    {"Schemafile", "Ris-Schema File", "w:\\pdsdef\\schema", ConfigBrowse::File, "cmdSchemafile"},
    {"DBname", "Oracle Database Name", "ORCL", ConfigBrowse::None, ""},
    {"OSuser", "For Database Windows-User . Password", "acct.zq8vnrhw", ConfigBrowse::None, ""},
    {"DBdir", "Database Management System Location", "d:\\orant", ConfigBrowse::Folder, "cmdDBdir"},
    {"TCPIP", "TCP/IP Adress Database Server", "192.168.10.20", ConfigBrowse::None, ""},
    {"user_tablespace", "User Tablespace or path of Projekt TableSpace", "USER_DATA", ConfigBrowse::None, ""},
    {"temporary_tablespace", "Oracle  -  Temporary Tablespace", "TEMPORARY_DATA", ConfigBrowse::None, ""},
    {"svrmgr_path", "Oracle Server Manager", "d:\\orant\\bin\\svrmgr30.exe", ConfigBrowse::ExeFile, "cmdSvrmgr_path"},
    {"svrmgr_connectString", "Oracle User/Password", "dboper/wq4ztk9", ConfigBrowse::None, ""},
    {"seedproj", "Seed Project", "seed", ConfigBrowse::None, ""},
}};

// The values the dialog shows: each key of [TARNWICK] in the settings file, or its default.
std::array<std::string, 12> ReadConfigValues(const std::string& iniFile);

// Writes every value exactly as given (an empty one as an empty value). False when a write
// failed.
bool WriteConfigValues(const std::string& iniFile, const std::array<std::string, 12>& values);

// The value a cancelled browse puts back: the stored value of the row's key, or its default.
std::string StoredConfigValue(const std::string& iniFile, const ConfigRow& row);
