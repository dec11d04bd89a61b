// Running outside programs through generated batch files, and the waits of the program.
#pragma once

#include "platform/DesktopOpener.h"

#include <string>

// Writes command (one or several CR LF lines) into "<folder>\<pid><random>.bat", with
// " >> <logFile> 2>&1" after its last line when logFile is not empty, and runs it with the
// batchcmd interpreter. batchFolder blank = gTempDir when it exists, else TEMP.
// processId receives the started process's id (-1 on failure). With wait the call polls every
// 50 ms, running pending events, until the batch ends, returns its exit code and deletes the
// batch file; without wait it returns -1 and leaves the file. -1 on failure (last file error).
long ExecA(const std::string& command, const std::string& logFile, int windowStyle, const std::string& batchFolder,
           long& processId, bool wait);

// Waits until the file exists and is free, up to 120000 ms; False after the time-out (last
// file error).
bool IsFileExistsA(const std::string& path);

// Blocks the thread for ms milliseconds, without running events.
void SleepMs(int ms);
// Runs pending events for the given seconds, also across midnight.
void Pause(float seconds);

// Hands file to the desktop with the verb op; result receives the shell's value. Returns 0;
// throws AppError (number 1) for a value of 32 or less.
long ShellExec(const std::string& op, const std::string& file, const std::string& params, const std::string& dir,
               long& result);
