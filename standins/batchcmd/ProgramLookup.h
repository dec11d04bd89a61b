// Finding an external program the way cmd does: a path as given, or a bare name in the current
// folder and then on PATH, trying ".exe", ".bat" and ".cmd".
#pragma once

#include <string>

// The host path of the program, or empty when there is none.
std::string FindProgram(const std::string& name);

// ".bat" or ".cmd": run by the interpreter itself.
bool IsBatchFile(const std::string& hostPath);
