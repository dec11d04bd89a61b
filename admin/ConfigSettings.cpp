// Reading and writing the configuration dialog's settings.
#include "admin/ConfigSettings.h"

#include "services/IniFile.h"

std::string StoredConfigValue(const std::string& iniFile, const ConfigRow& row)
{
    return ReadIniValue(iniFile, "TARNWICK", std::string(row.key), std::string(row.defaultValue));
}

std::array<std::string, 12> ReadConfigValues(const std::string& iniFile)
{
    std::array<std::string, 12> values;
    for (size_t i = 0; i < kConfigRows.size(); ++i)
        values[i] = StoredConfigValue(iniFile, kConfigRows[i]);
    return values;
}

bool WriteConfigValues(const std::string& iniFile, const std::array<std::string, 12>& values)
{
    bool ok = true;
    for (size_t i = 0; i < kConfigRows.size(); ++i)
        ok = WriteIniValue(iniFile, "TARNWICK", std::string(kConfigRows[i].key), values[i]) && ok;
    return ok;
}
