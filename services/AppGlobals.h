// The process-wide values that the start-up sets and every service reads.
#pragma once

#include "platform/Clock.h"

#include <string>

// The program's temporary folder: TEMP through AddBackslash.
extern std::string gTempDir;
// The settings file: the program's folder + "\tarnwick.ini". Empty until set.
extern std::string gIniFile;
// The program log: TMP + "\tarnwick_yy_mm_dd_hh_mm_ss.log" (or "c:\temp\tarnwick.log" when
// that path would be shorter than 15 characters).
extern std::string gLogFile;

// Sets the three values as the main window's load step does: programDir is the program's
// folder in Windows form, start the start time of the run.
void InitAppGlobals(const std::string& programDir, const LocalTime& start);

// The file name in the folder the environment variable TMP names, in Windows form: TMP (a host
// "/" turned into "\", a closing "\" left out), "\" and name; "\" and name on the current drive
// when TMP is unset. Read anew at every call.
std::string TmpFile(const std::string& name);

// The folder of the running executable, in Windows form with a final "\".
std::string ProgramDir();
