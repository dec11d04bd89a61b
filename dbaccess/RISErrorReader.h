// Finds the RIS error block in the console output or log of a RIS client.
#pragma once

#include <string>

// The lines of the first counting error block, joined by CR LF. A block begins with a frame line
// (first character "*", last "*" at column 79) whose next line holds "RIS Error:", framed or
// not; it is that frame line, the error line and the frame lines that follow, up to and
// including the closing line of stars. A block whose "RIS Error:" line names RIS_E_CREATE_INDEX
// does not count. Frame lines outside a block (a client's banner) are no error. Empty when the
// text holds no run of ten "*" or no counting block.
std::string RISErrorText(const std::string& output);

// The first counting error block as one line: its "RIS Error: ..." line and, after " - ",
// the lines that explain it, each without its frame, joined by one blank (a long message is
// wrapped over several frame lines in the middle of its sentence). Empty when the text holds
// no counting block.
std::string RISErrorMessage(const std::string& output);

// A failure's description for a box, a status bar or the log: every framed RIS error block in
// it becomes its one line (RISErrorMessage) where it stands; what the program said before and
// after a block stays, set apart from it by one blank where a line break stood. A description
// without a counting block is returned as it is.
std::string RISErrorLine(const std::string& description);

// Whether a client ended with a failure exit code without a word of why: its output holds no
// "RIS Error:" line, not even one of a block that does not count. A client that crashed or was
// killed writes none, and what it did may be incomplete.
bool RisClientEndedSilently(long exitCode, const std::string& output);
