// The table viewer's schema history in the settings file.
#include "dbtools/SchemaHistory.h"

#include "services/IniFile.h"

#include <optional>

namespace {

constexpr const char* kSection = "EditRISTables";
constexpr int kSlots = 6;

std::string Key(int k)
{
    return "History" + std::to_string(k);
}

std::string Slot(const std::string& iniFile, int k)
{
    return ReadIniValue(iniFile, kSection, Key(k), "-1");
}

} // namespace

std::vector<std::string> SchemaHistory::Read(const std::string& iniFile)
{
    std::vector<std::string> names;
    for (int k = 0; k < kSlots; ++k) {
        const std::string v = Slot(iniFile, k);
        if (v != "-1")
            names.push_back(v);
    }
    return names;
}

void SchemaHistory::Remember(const std::string& iniFile, const std::string& schema)
{
    for (int k = 0; k < kSlots; ++k)
        if (Slot(iniFile, k) == schema)
            return;
    for (int k = kSlots - 1; k >= 0; --k) {
        const std::string v = Slot(iniFile, k);
        if (k < kSlots - 1 && v != "-1") {
            WriteIniValue(iniFile, kSection, Key(k + 1), v);
            WriteIniValue(iniFile, kSection, Key(k), std::nullopt);
        }
    }
    WriteIniValue(iniFile, kSection, Key(0), schema);
}
