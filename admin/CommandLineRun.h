// The command-line run of the program: no window, messages to the program log and stderr.
#pragma once

#include <string>

// Runs the start-up steps and the command line ("/risunloadall" unloads every schema but the
// "mto_" ones; anything else does nothing). Returns the process exit code: 0 after a run
// without error, 1 when a step failed or an outside program reported an error, 2 for an
// unknown command line.
int RunCommandLine(const std::string& commandLine);
