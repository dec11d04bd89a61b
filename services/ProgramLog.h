// Entries of the program log (gLogFile): local date and time, TAB, the text, CR LF.
#pragma once

#include <string>
#include <vector>

// Appends one entry; the file is opened and closed for it, so outside programs can append to
// the same log between entries. A log that cannot be written is said once (ReportProgramLog-
// Failure) and the program goes on without it: this never throws. No log set, nothing written.
void WriteProgramLog(const std::string& text);

// While one lives, the entries go through the log file kept open for the run, for runs that
// write entries by the ten thousand. Each entry is still one write at the end of the file,
// flushed before the call returns, so outside programs appending meanwhile keep their place.
// Another gLogFile is opened in its stead; a failed write closes the file and is said as above.
class ProgramLogRunScope {
public:
    ProgramLogRunScope();
    ~ProgramLogRunScope();
    ProgramLogRunScope(const ProgramLogRunScope&) = delete;
    ProgramLogRunScope& operator=(const ProgramLogRunScope&) = delete;
};

// Starts a new program log at gLogFile with the lines (each followed by CR LF). The file is
// created only where no file of that name exists: when one does (another run started in the
// same second), "_2", "_3", ... go before ".log" and gLogFile is set to the name taken, so every
// run has a log of its own. Every write is checked. False, said once, when the log cannot be
// made; gLogFile then still names the log that was wanted.
bool StartNewProgramLog(const std::vector<std::string>& lines);

// Says once per log, in words and through the message service, that the program log cannot
// be written: its path and why. Later failures of the same log are not said again.
void ReportProgramLogFailure(const std::string& why);
// False once the current log could not be written (until a write to it succeeds again).
bool ProgramLogWritable();

// The date-and-time form of the log entries.
std::string ProgramLogTimestamp();
