// Settings values on top of the private-profile engine.
#include "services/IniFile.h"

#include "platform/AppError.h"
#include "platform/ProfileFile.h"
#include "platform/TextUtil.h"
#include "services/AppGlobals.h"
#include "services/SettingsWriteFailures.h"

#include <algorithm>

namespace {
constexpr size_t kNormalCapacity = 32768;
constexpr size_t kLargeCapacity = 1048576;
// What the file holds where a write failed, as the engine reads it: "; it holds k=v",
// "; it holds no k in [s]", "; the section [s] stays"; empty without a section.
std::string standingText(const std::string& file, const std::optional<std::string>& section,
                         const std::optional<std::string>& key)
{
    if (!section)
        return {};
    if (!key)
        return "; the section [" + *section + "] stays";
    // A text no value can be: the key is missing when the read gives it back.
    const std::string missing = "\x01";
    const std::string standing = ReadIniValue(file, section, key, missing);
    return standing == missing ? "; it holds no " + *key + " in [" + *section + "]"
                               : "; it holds " + *key + "=" + standing;
}

} // namespace

std::string ReadIniValue(const std::string& file, const std::optional<std::string>& section,
                         const std::optional<std::string>& key, const std::optional<std::string>& defaultValue,
                         bool listMode, bool large)
{
    try {
        std::string text =
            ProfileFile::GetString(section, key, defaultValue, large ? kLargeCapacity : kNormalCapacity, file);
        if (text.empty())
            return text;
        // A list ends with the terminator of its last name, which is dropped.
        if (listMode)
            text.pop_back();
        text = Trim(text);
        if (listMode)
            std::replace(text.begin(), text.end(), '\0', ';');
        else
            text.erase(std::remove(text.begin(), text.end(), '\0'), text.end());
        return Trim(text);
    } catch (...) {
        return {};
    }
}

namespace {

// What a failed write is to the run: an error, or a warning where it changes nothing anyone reads.
enum class WriteFailure { Error, Warning };

bool writeValue(const std::string& file, const std::optional<std::string>& section,
                const std::optional<std::string>& key, const std::optional<std::string>& value, WriteFailure kind)
{
    bool written = false;
    std::string why;
    try {
        written = ProfileFile::WriteString(section, key, value, file);
        why = ProfileFile::LastWriteFailure();
    } catch (const AppError& e) {
        why = e.description();
    } catch (...) {
        why = "internal error";
    }
    if (!written) {
        const std::string what = !key     ? "The removal of section [" + section.value_or("") + "]"
                                 : !value ? "The removal of key " + *key + " of [" + section.value_or("") + "]"
                                          : "The setting " + *key + "=" + *value + " of [" + section.value_or("") + "]";
        const std::string text = what + " was not stored in '" + file + "': " +
                                 (why.empty() ? std::string("the write failed") : why) +
                                 standingText(file, section, key);
        if (kind == WriteFailure::Warning)
            NoteSettingsWriteWarning(text + "; every reader of the missing key gets that value all the same");
        else
            NoteSettingsWriteFailure(text);
    }
    return written;
}

} // namespace

bool WriteIniValue(const std::string& file, const std::optional<std::string>& section,
                   const std::optional<std::string>& key, const std::optional<std::string>& value)
{
    return writeValue(file, section, key, value, WriteFailure::Error);
}

bool WriteIniDefault(const std::string& file, const std::string& section, const std::string& key,
                     const std::string& value)
{
    // A key that stands holds what was read or another program's newer value: neither is
    // written over.
    const std::string missing = "\x01";
    if (ReadIniValue(file, section, key, missing) != missing)
        return true;
    return writeValue(file, section, key, value, WriteFailure::Warning);
}

bool WriteIniList(const std::string& file, const std::string& section, const std::string& prefix,
                  const std::vector<std::string>& values)
{
    std::vector<std::string> keys;
    for (size_t i = 0; i < values.size(); ++i)
        keys.push_back(prefix + std::to_string(i));
    // The section's key lines as listed, in file order: a key twice is a list to write anew.
    const std::string listed = ReadIniValue(file, section, std::nullopt, "", true);
    const std::vector<std::string> standing = listed.empty() ? std::vector<std::string>() : Split(listed, ";");
    bool stands = standing.size() == keys.size();
    for (size_t i = 0; stands && i < keys.size(); ++i)
        stands = EqualsNoCase(standing[i], keys[i]) && ReadIniValue(file, section, keys[i], "\x01") == Trim(values[i]);
    if (stands)
        return true;
    if (!WriteIniValue(file, section, std::nullopt, std::nullopt))
        return false;
    for (size_t i = 0; i < values.size(); ++i)
        if (!WriteIniValue(file, section, keys[i], values[i]))
            return false;
    return true;
}

std::string GetIniFileName() { return gIniFile; }
