// Entries of the program log (gLogFile): local date and time, TAB, the text, CR LF.
#pragma once

#include <string>

// Appends one entry; the file is opened and closed for it, so outside programs can append to
// the same log between entries. Throws AppError when the log cannot be written.
void WriteProgramLog(const std::string& text);

// The date-and-time form of the log entries.
std::string ProgramLogTimestamp();
