// Reading and writing the settings file one value at a time.
#pragma once

#include <optional>
#include <string>
#include <vector>

// The value of key in section of the settings file `file` (Windows form), or the default when
// the section or key is missing; blanks at both ends removed. listMode reads a list instead:
// with an absent key the key names of the section, with an absent section the section names,
// joined by ";". large offers a buffer of 1,048,576 characters instead of 32,768 (values are
// cut one short of it). Never throws.
std::string ReadIniValue(const std::string& file, const std::optional<std::string>& section,
                         const std::optional<std::string>& key, const std::optional<std::string>& defaultValue = std::string(),
                         bool listMode = false, bool large = false);

// Stores value under key in section, creating file, section and key as needed. An absent key
// removes the whole section, an absent value removes the key. A write of what already stands
// (as ReadIniValue reads it) is no write and succeeds without touching the file. False when the
// file cannot be written, or when another program's write held it longer than a writer waits;
// either is said on the status line and in the log, naming the key, the file, why and what the
// file holds, and kept for the run's end (NoteSettingsWriteFailure). Never throws.
bool WriteIniValue(const std::string& file, const std::optional<std::string>& section,
                   const std::optional<std::string>& key, const std::optional<std::string>& value);

// Puts value, the default every reader of the key gets while it is missing, into the file where
// the key is missing; a key that stands is left as it is (what was read, or another program's
// newer value, is never written over). A failed write changes nothing anyone reads, so it is said
// once as a warning (NoteSettingsWriteWarning), not kept as a failure. False when it failed.
bool WriteIniDefault(const std::string& file, const std::string& section, const std::string& key,
                     const std::string& value);

// Rewrites a numbered list section: "<prefix>0" to "<prefix>n-1" hold the values, and nothing
// else stays in the section. A list that stands already, key for key and value for value as read,
// is no write. False at the first write that failed (said as WriteIniValue says it).
bool WriteIniList(const std::string& file, const std::string& section, const std::string& prefix,
                  const std::vector<std::string>& values);

// The settings file of the program (gIniFile).
std::string GetIniFileName();
