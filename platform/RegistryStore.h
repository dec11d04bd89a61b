// RegistryStore: one computer's registry kept as a REGEDIT4 text file,
// <StandInRoot()>/registry/<COMPUTER>.reg.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class RewriteLock;

// Registry value types, numbered as the platform numbers them.
inline constexpr uint32_t kRegNone = 0;
inline constexpr uint32_t kRegText = 1;       // "name"="text"      (data ends with one NUL)
inline constexpr uint32_t kRegExpandText = 2; // hex(2):...         (bytes, NUL-terminated)
inline constexpr uint32_t kRegBinary = 3;     // hex:...
inline constexpr uint32_t kRegDword = 4;      // dword:0000000a     (4 bytes, least significant first)
inline constexpr uint32_t kRegDwordBigEndian = 5;
inline constexpr uint32_t kRegMultiText = 7;  // hex(7):...         (strings each NUL-terminated, then one NUL)
inline constexpr uint32_t kRegQword = 11;

// A value as the platform hands it over: its type and its raw data bytes.
struct RegistryData {
    uint32_t type = kRegNone;
    std::vector<uint8_t> bytes;

    static RegistryData Text(const std::string& text, uint32_t type = kRegText);
    static RegistryData MultiText(const std::vector<std::string>& strings);
    static RegistryData Dword(int32_t value);
    bool operator==(const RegistryData&) const = default;
};

// Key paths are full paths that begin with the root's name: "HKEY_LOCAL_MACHINE\SOFTWARE\X".
// Keys and value names compare without regard to case; the value name "" is the key's default
// value ("@" in the file). A key exists when the file has its header or a header below it; a
// root name alone always exists. Enumerations keep file order.
//
// Writing keeps every line of the file that the change does not touch byte for byte: a changed
// value rewrites only its own entry, a new value goes after the last value of its key, a new
// key is appended at the end. New lines use the file's line ends (CR LF for a new file).
class RegistryStore {
public:
    enum class LoadResult { Loaded, Missing, Failed };

    // The store of the computer's file; a blank name means this computer (ComputerName()).
    explicit RegistryStore(std::string computer = std::string());

    // The host path of the computer's file. An existing file is found without regard to the
    // case of its name; a name that cannot be a file name gives an empty text.
    static std::string FilePath(const std::string& computer);

    // Reads the file. Missing: no such file (the store is empty); Failed: it could not be read.
    LoadResult Load();
    // Writes the file back (creating the registry folder), under the file's lock held across
    // its read, comparison and write, and through a replacement file: the new text takes the
    // file's place only once it is whole and flushed, a symbolic link keeps pointing at the file
    // it names, and a read-only file is not written. A store read by Load is written only over
    // the text it read (or last saved): when another program changed the file since, nothing is
    // written and WriteFailure says so. A text given whole (SetText) takes the place of what
    // stands. Nothing is written when the file holds the store's text already. False when the
    // file is not written (other than for that), or was changed by another program.
    bool Save() const;
    // Loads the file, lets `change` change the store and writes it back when its text changed,
    // all under the file's lock, so that two writers never lose each other's changes. A change
    // that leaves the text as it stands writes nothing and succeeds also when the lock or the
    // folder cannot be had. False when the file cannot be read or written or `change` returns
    // false (nothing is written then).
    bool Update(const std::function<bool(RegistryStore&)>& change);
    // Why the last Save or Update failed when another program held the file's lock longer than
    // a writer waits (kLockWaitMs, the event pump running); empty otherwise.
    const std::string& LockFailure() const { return lockFailure_; }
    // Why the last Save or Update could not write the file (its lock, its folder, the write
    // itself); empty when it wrote, or when `change` refused (a value that cannot be stored).
    const std::string& WriteFailure() const { return writeFailure_; }

    // The file's text, and a store parsed from a text (for the file and for tests).
    std::string Text() const;
    void SetText(const std::string& text);

    bool KeyExists(const std::string& keyPath) const;
    // Adds the key's header unless the key exists already. False when the path cannot stand in
    // a header that reads back as it (blank, a line break, blanks around it, a leading "-").
    bool CreateKey(const std::string& keyPath);
    // Names of the direct subkeys, in order of first appearance in the file.
    std::vector<std::string> SubKeyNames(const std::string& keyPath) const;
    // Names of the key's values, in file order.
    std::vector<std::string> ValueNames(const std::string& keyPath) const;
    // The value, or nullptr when the key has no such value.
    const RegistryData* Value(const std::string& keyPath, const std::string& name) const;
    // Writes the value, creating the key when needed. False, with nothing changed, when the key
    // cannot be created or the name holds a line break or a NUL.
    bool SetValue(const std::string& keyPath, const std::string& name, const RegistryData& data);
    // Removes the value's entry; false when the key has no such value.
    bool RemoveValue(const std::string& keyPath, const std::string& name);

private:
    enum class Kind { Other, Key, Value };
    struct Entry {
        Kind kind = Kind::Other;
        std::string raw; // the entry's physical lines, with their line ends
        std::string key; // Key: its path; Value: the path of its section's key
        std::string name;
        RegistryData data;
    };

    std::string LineEnd() const;
    bool Write(const std::string& path) const;
    bool Locked(const RewriteLock& lock, const std::string& path) const;
    const Entry* FindValue(const std::string& keyPath, const std::string& name) const;

    std::string computer_;
    std::vector<Entry> entries_;
    // The file's text as Load read it or Save wrote it ("" for no file); none after SetText.
    mutable std::optional<std::string> loaded_;
    mutable std::string lockFailure_;
    mutable std::string writeFailure_;
};
