// The outside programs of a project copy (the RIS clients, xcopy) run with their console output
// caught in the program's own work file, which is then appended to the copy log: what a client
// said is read from there, never from the copy log (another program's copy may append to it at
// the same time), and a copy log that cannot be written never stops a client.
#pragma once

#include <string>

class CopyLog;

// Runs command (one or several lines) hidden and waits for it; said gets the client's console
// output, which is appended to log when given. The exit code, -1 when it could not be started.
long RunCopyClient(const std::string& command, const CopyLog* log, std::string& said);
long RunCopyClient(const std::string& command, const CopyLog* log);

// Runs a command on the run's own work files (del, copy) whose output no one reads.
long RunCopyCommand(const std::string& command);

// Removes one of the run's own work files; one that is not there is gone already. A file that
// cannot be removed now is left for the next run's removal of ended runs' files.
void RemoveCopyWorkFile(const std::string& file);
