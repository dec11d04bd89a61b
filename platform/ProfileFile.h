// The private-profile (INI file) engine: reads and writes settings files one value at a time
// with the rules of the Windows profile functions.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

// Sections and keys are found without regard to case; the first match wins. Everything in a
// file that a write does not change is kept byte for byte. Files are named in Windows form.
// A file in UTF-16 or UTF-8 with its byte-order mark reads in the program's one-byte
// characters ("?" for one beyond them) and stays in its encoding, mark included, when written.
class ProfileFile {
public:
    // What GetPrivateProfileString copies into a buffer of `capacity` characters, without the
    // final terminator; its size is the count the platform reports.
    // - section and key given: the value, surrounding white space trimmed and one pair of
    //   enclosing quotes (" or ') removed, cut to capacity - 1 characters; the default (trailing
    //   blanks removed, empty when absent) when the section or key is missing.
    // - key absent: the key names of the section, each followed by a NUL.
    // - section absent: the section names, each followed by a NUL.
    //   A list that does not fit is cut to capacity - 2 characters.
    static std::string GetString(const std::optional<std::string>& section, const std::optional<std::string>& key,
                                 const std::optional<std::string>& defaultValue, size_t capacity,
                                 const std::string& file);

    // WritePrivateProfileString: stores key=value in the section, creating file, section and
    // key as needed. An absent key removes the whole section, an absent value removes the key.
    // A write that would leave the file reading as it does (the value standing under the first
    // match of section and key, as GetString reads it; nothing to remove) does not touch the
    // file, takes no lock and succeeds, whatever the file's mode.
    // The read, the change and the rename run under the file's RewriteLock, so that two
    // programs writing one file keep each other's values. Returns false when the file cannot be
    // written (or the section is absent), or when the lock stayed another's (LastLockFailure).
    static bool WriteString(const std::optional<std::string>& section, const std::optional<std::string>& key,
                            const std::optional<std::string>& value, const std::string& file);
    // Why this thread's last WriteString failed when another program held the file's lock (or
    // the file itself open with a lock) longer than a writer waits (kLockWaitMs, the event pump
    // running); empty otherwise.
    static const std::string& LastLockFailure();
    // Why this thread's last WriteString failed, whatever the cause ("The settings file '...'
    // could not be written (Disk full)", the lock's text, ...); empty after one that succeeded.
    static const std::string& LastWriteFailure();
};
