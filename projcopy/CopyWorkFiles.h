// The work files of the project copy's RIS client runs in TMP (statements, answers, dumps,
// console output): each program's named with its process id, so that two copies at once with
// one TMP never read or delete each other's, and those of a program that ended without
// removing them (killed) are known and removed by a later run.
#pragma once

#include <string>

// TMP & "\<stem>.<process id>.txt" of this program. stem is one of the names below.
std::string CopyWorkFile(const std::string& stem);

// Removes the work files of every stem whose program no longer runs. Failures are passed
// over: what cannot be removed now is tried again by the next run.
void RemoveEndedCopiesWorkFiles();

// The stems in use.
inline constexpr const char* kCopyStatements = "sql";        // risbatch's input
inline constexpr const char* kCopyAnswer = "risout";         // risbatch's answer, risunlod's dump
inline constexpr const char* kCopyConsole = "risunlod";      // a client's console output
inline constexpr const char* kCopyEditedDump = "_temp";      // the dump edited for the target
inline constexpr const char* kCopyCountInput = "rowcount";   // the source's row count statement
inline constexpr const char* kCopyCountAnswer = "rowcount_out";
inline constexpr const char* kCopyParams = "risparms"; // a recorded parameters file's text
inline constexpr const char* kCopyImage = "risimage";  // a design table unloaded for its image
