// Fuzzing the settings engine on a whole file: every value reads as before after a write of
// another key, the written value reads back, and the file keeps its byte-order mark.
#include "FuzzTargets.h"

#include "platform/ProfileFile.h"
#include "platform/TextUtil.h"

#include <map>
#include <optional>
#include <vector>

namespace {

using namespace std::string_literals;

constexpr size_t kCapacity = 32768;
constexpr size_t kMaxSections = 8;
constexpr size_t kMaxKeys = 16;

std::vector<std::string> names(const std::string& list)
{
    std::vector<std::string> out;
    for (size_t pos = 0; pos < list.size();) {
        const size_t nul = list.find('\0', pos);
        out.push_back(list.substr(pos, nul - pos));
        pos = nul == std::string::npos ? list.size() : nul + 1;
    }
    return out;
}

// Every listed section's listed keys with their values (a bounded number of each).
std::map<std::pair<std::string, std::string>, std::string> values(const std::string& file)
{
    std::map<std::pair<std::string, std::string>, std::string> all;
    std::vector<std::string> sections = names(ProfileFile::GetString(std::nullopt, std::nullopt, ""s, kCapacity, file));
    if (sections.size() > kMaxSections)
        sections.resize(kMaxSections);
    for (const std::string& section : sections) {
        std::vector<std::string> keys = names(ProfileFile::GetString(section, std::nullopt, ""s, kCapacity, file));
        if (keys.size() > kMaxKeys)
            keys.resize(kMaxKeys);
        for (const std::string& key : keys)
            all[{section, key}] = ProfileFile::GetString(section, key, "<default>"s, kCapacity, file);
    }
    return all;
}

std::string markOf(const std::string& bytes)
{
    for (const char* mark : {"\xEF\xBB\xBF", "\xFF\xFE", "\xFE\xFF"})
        if (bytes.rfind(mark, 0) == 0)
            return mark;
    return {};
}

} // namespace

int FuzzProfileFile(const uint8_t* data, size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::string file = WriteScratchFile("tarnwick.ini", input);
    const auto before = values(file);

    // One key written into the first section (or a new one), then read back.
    const std::string section = before.empty() ? "TARNWICK"s : before.begin()->first.first;
    const std::string key = "FuzzKey";
    const std::string value = "C:\\fuzz dump";
    if (!ProfileFile::WriteString(section, key, value, file))
        return 0;
    FuzzCheck(ProfileFile::GetString(section, key, ""s, kCapacity, file) == value, "a written value does not read back");
    FuzzCheck(markOf(ReadWholeFile(file)) == markOf(input), "the byte-order mark changed");
    // Keys are found without regard to case: any spelling of the written key names it.
    for (const auto& [where, old] : before)
        if (!EqualsNoCase(where.second, key))
            FuzzCheck(ProfileFile::GetString(where.first, where.second, "<default>"s, kCapacity, file) == old,
                      "value of [" + where.first + "] " + where.second + " changed by writing another key");

    // Removing the key again leaves every other value as it was.
    FuzzCheck(ProfileFile::WriteString(section, key, std::nullopt, file), "removing a key failed");
    for (const auto& [where, old] : before)
        if (!EqualsNoCase(where.second, key))
            FuzzCheck(ProfileFile::GetString(where.first, where.second, "<default>"s, kCapacity, file) == old,
                      "value of [" + where.first + "] " + where.second + " changed by removing another key");
    return 0;
}
