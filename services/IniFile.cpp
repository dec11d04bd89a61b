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

bool WriteIniValue(const std::string& file, const std::optional<std::string>& section,
                   const std::optional<std::string>& key, const std::optional<std::string>& value)
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
        NoteSettingsWriteFailure(what + " was not stored in '" + file + "': " +
                                 (why.empty() ? std::string("the write failed") : why));
    }
    return written;
}

std::string GetIniFileName() { return gIniFile; }
