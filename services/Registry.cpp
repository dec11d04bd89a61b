// Registry access over the registry store: every call opens the computer's store, works and
// lets go of it again; failures show only in the result.
#include "services/Registry.h"

#include "platform/Environment.h"
#include "platform/RegistryStore.h"
#include "platform/TextUtil.h"
#include "services/SettingsWriteFailures.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <functional>
#include <optional>
#include <sys/stat.h>

namespace {

const char* RootName(RegistryRoot root)
{
    switch (root) {
    case HKEY_CLASSES_ROOT: return "HKEY_CLASSES_ROOT";
    case HKEY_CURRENT_USER: return "HKEY_CURRENT_USER";
    case HKEY_LOCAL_MACHINE: return "HKEY_LOCAL_MACHINE";
    case HKEY_USERS: return "HKEY_USERS";
    case HKEY_CURRENT_CONFIG: return "HKEY_CURRENT_CONFIG";
    default: return nullptr;
    }
}

// Whether the computer is another than this one.
bool isRemote(const std::string& computer) { return !IsBlank(computer) && !EqualsNoCase(computer, ComputerName()); }

// Whether the root can be reached on the computer at all: a remote connection, as on Windows,
// reaches only HKEY_LOCAL_MACHINE and HKEY_USERS.
bool rootReachable(RegistryRoot root, bool remote)
{
    return RootName(root) && (!remote || root == HKEY_LOCAL_MACHINE || root == HKEY_USERS);
}

// The store of the computer, loaded, or nothing when it cannot be reached. This computer's
// registry always opens (empty before anything was written); another computer's only when its
// file exists, as a remote connection needs the computer to answer.
std::optional<RegistryStore> Connect(RegistryRoot root, const std::string& computer)
{
    const bool remote = isRemote(computer);
    if (!rootReachable(root, remote))
        return std::nullopt;
    RegistryStore store(IsBlank(computer) ? std::string() : computer);
    switch (store.Load()) {
    case RegistryStore::LoadResult::Loaded: return store;
    case RegistryStore::LoadResult::Missing:
        if (remote)
            return std::nullopt;
        return store;
    case RegistryStore::LoadResult::Failed: return std::nullopt;
    }
    return std::nullopt;
}

// Changes the computer's registry under its lock (load, change, write as one step); the same
// reach as Connect: a remote computer's registry only when its file exists. A change that leaves
// the registry as it stands (a value of the same type and data, a key that exists) is no write:
// it is seen on a copy first and needs neither the lock nor a writable file.
bool Change(RegistryRoot root, const std::string& computer, const std::function<bool(RegistryStore&)>& change)
{
    const bool remote = isRemote(computer);
    if (!rootReachable(root, remote))
        return false;
    if (std::optional<RegistryStore> standing = Connect(root, computer)) {
        RegistryStore changed = *standing;
        if (change(changed) && changed.Text() == standing->Text())
            return true;
    }
    RegistryStore store(IsBlank(computer) ? std::string() : computer);
    if (remote) {
        struct stat st;
        const std::string path = RegistryStore::FilePath(computer);
        if (path.empty() || ::stat(path.c_str(), &st) != 0)
            return false;
    }
    if (store.Update(change))
        return true;
    // The six registry operations raise nothing; a write that failed (a lock another program
    // keeps, a folder that cannot be written) is said in the log and kept for the run's end.
    if (!store.WriteFailure().empty())
        NoteSettingsWriteFailure(store.WriteFailure());
    return false;
}

std::string FullPath(RegistryRoot root, const std::string& keyPath)
{
    std::string path = keyPath;
    while (!path.empty() && path.front() == '\\')
        path.erase(path.begin());
    while (!path.empty() && path.back() == '\\')
        path.pop_back();
    return path.empty() ? std::string(RootName(root)) : std::string(RootName(root)) + "\\" + path;
}

bool IsTextKind(uint32_t type) { return type == 1 || type == 2 || (type >= 6 && type <= 10); }

// A decimal number: blanks, sign, digits with at most one decimal point, an exponent.
bool IsNumericText(const std::string& text)
{
    std::string s = Trim(text);
    size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        ++i;
    size_t digits = 0;
    bool point = false;
    for (; i < s.size(); ++i) {
        if (std::isdigit(static_cast<unsigned char>(s[i])))
            ++digits;
        else if (s[i] == '.' && !point)
            point = true;
        else
            break;
    }
    if (digits == 0)
        return false;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-'))
            ++i;
        size_t expDigits = 0;
        for (; i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])); ++i)
            ++expDigits;
        if (expDigits == 0)
            return false;
    }
    return i == s.size();
}

bool WriteData(RegistryRoot root, const std::string& keyPath, const std::string& valueName, const RegistryData& data,
               const std::string& computer)
{
    const std::string path = FullPath(root, keyPath);
    return Change(root, computer, [&](RegistryStore& store) {
        return (store.KeyExists(path) || store.CreateKey(path)) && store.SetValue(path, valueName, data);
    });
}

bool WriteNumber(RegistryRoot root, const std::string& keyPath, const std::string& valueName, double value,
                 const std::string& computer)
{
    if (!std::isfinite(value))
        return false;
    double rounded = std::nearbyint(value); // the default rounding mode takes halves to the even neighbour
    if (rounded < -2147483648.0 || rounded > 2147483647.0)
        return false;
    return WriteData(root, keyPath, valueName, RegistryData::Dword(static_cast<int32_t>(rounded)), computer);
}

std::vector<std::string> AsNameList(std::vector<std::string> names)
{
    if (names.empty())
        names.emplace_back(); // a key without entries still yields one empty name at index 0
    return names;
}

} // namespace

std::string RegistryValueText(const RegistryValue& value)
{
    if (const auto* s = std::get_if<std::string>(&value))
        return *s;
    if (const auto* n = std::get_if<int32_t>(&value))
        return std::to_string(*n);
    const auto& bytes = std::get<std::vector<uint8_t>>(value);
    return std::string(bytes.begin(), bytes.end());
}

bool RegistryKeyExists(RegistryRoot root, const std::string& keyPath, const std::string& computer)
{
    try {
        std::optional<RegistryStore> store = Connect(root, computer);
        return store && store->KeyExists(FullPath(root, keyPath));
    } catch (...) {
        return false;
    }
}

RegistryValue RegistryGetValue(RegistryRoot root, const std::string& keyPath, const std::string& valueName,
                               const std::string& computer, bool firstStringOnly)
{
    try {
        std::optional<RegistryStore> store = Connect(root, computer);
        if (!store || !store->KeyExists(FullPath(root, keyPath)))
            return std::string();
        const RegistryData* data = store->Value(FullPath(root, keyPath), valueName);
        if (!data)
            return std::string();
        const auto& b = data->bytes;
        if (IsTextKind(data->type)) {
            std::string text(b.begin(), b.end());
            if (firstStringOnly)
                return Trim(text.substr(0, text.find('\0')));
            for (char& c : text)
                if (c == '\0')
                    c = ';';
            return Trim(text);
        }
        if (data->type == kRegBinary)
            return b;
        if (data->type == kRegDword || data->type == kRegDwordBigEndian) {
            if (b.size() != 4)
                return std::string();
            // Both byte orders read in the machine's order: a big-endian value is not reordered.
            int32_t v;
            std::memcpy(&v, b.data(), sizeof v);
            return v;
        }
        return std::string();
    } catch (...) {
        return std::string();
    }
}

bool RegistrySetValue(RegistryRoot root, const std::string& keyPath, const std::string& valueName,
                      const std::string& value, const std::string& computer)
{
    try {
        // A version text such as 1.2.3 stays a text even where it might read as a number.
        if (IsNumericText(value) && std::count(value.begin(), value.end(), '.') < 2)
            return WriteNumber(root, keyPath, valueName, std::stod(Trim(value)), computer);
        return WriteData(root, keyPath, valueName, RegistryData::Text(Trim(value)), computer);
    } catch (...) {
        return false;
    }
}

bool RegistrySetValue(RegistryRoot root, const std::string& keyPath, const std::string& valueName, double value,
                      const std::string& computer)
{
    try {
        return WriteNumber(root, keyPath, valueName, value, computer);
    } catch (...) {
        return false;
    }
}

bool RegistryCreateKey(RegistryRoot root, const std::string& keyPath, const std::string& computer)
{
    try {
        const std::string path = FullPath(root, keyPath);
        return Change(root, computer,
                      [&](RegistryStore& store) { return store.KeyExists(path) || store.CreateKey(path); });
    } catch (...) {
        return false;
    }
}

std::vector<std::string> RegistryEnumKeys(RegistryRoot root, const std::string& keyPath, const std::string& computer)
{
    try {
        std::optional<RegistryStore> store = Connect(root, computer);
        if (!store || !store->KeyExists(FullPath(root, keyPath)))
            return {};
        return AsNameList(store->SubKeyNames(FullPath(root, keyPath)));
    } catch (...) {
        return {};
    }
}

std::vector<std::string> RegistryEnumValues(RegistryRoot root, const std::string& keyPath,
                                            const std::string& computer)
{
    try {
        std::optional<RegistryStore> store = Connect(root, computer);
        if (!store || !store->KeyExists(FullPath(root, keyPath)))
            return {};
        return AsNameList(store->ValueNames(FullPath(root, keyPath)));
    } catch (...) {
        return {};
    }
}
