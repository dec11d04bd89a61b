// The start-up steps that are no window work: process-wide values, the program log's header
// and the settings the main window shows. Shared by the window start and the command-line run.
#pragma once

#include "platform/Clock.h"

#include <array>
#include <string>
#include <vector>

// The four header lines of a new program log (without line ends).
std::array<std::string, 4> LogHeaderLines(const LocalTime& start);

// The folder the program treats as its own (settings file, default script file), in Windows
// form: the executable's, unless a test put another in place (empty restores it).
std::string ProgramFolder();
void SetProgramFolder(const std::string& folder);

// Sets gTempDir, gIniFile and gLogFile for a run started at start.
void InitProcessValues(const LocalTime& start);

// Starts a log of this run's own with its header (another run's log of the same name is left
// alone: this run takes the next free name) and writes the settings file and log paths to it.
// A log that cannot be made, for example in a TMP folder that is missing or full, is said once
// in words and the program goes on without it.
void StartProgramLog(const LocalTime& start);

// Why a folder that HostFolderExists does not find is none: "does not exist", "is a file, not
// a folder" when a file stands under that name, or why the path names no place (a relative one
// while the current folder lies outside the environment).
std::string MissingFolderWords(const std::string& folder);

// Why nothing can be written into the folder (Windows path): not given, missing, or a write
// that fails (with the error's description); empty when a file can be written there.
std::string FolderWriteProblem(const std::string& folder);

// What keeps the program from working as set up, each as a message for the user: a settings
// file that is a folder, a temporary folder (TEMP, where batch and work files go) that is
// missing or cannot be written.
std::vector<std::string> StartupProblems();

// Removes the work folders and batch files that runs killed before their clean-up left in the
// temporary folders (gTempDir and TEMP), and the part files killed dump writers left beside
// their dumps: those of processes that no longer run; and looks after the project copies that
// did not finish (LookAfterUnfinishedCopies).
void RemoveEndedRunsWorkFiles();

struct StartupSettings {
    std::array<std::string, 8> userVarCaptions; // [Programm] uservartext1..8
    std::array<std::string, 8> userVars;        // [TARNWICK] uservar1..8
    std::string dumpDir;                        // [TARNWICK] risdmpdir
    std::string scriptFile;                     // [TARNWICK] scriptfile
};

// Reads the main window's settings with their defaults and sets gDumpDir and gScriptFile; the
// script file is written back at once.
StartupSettings ReadStartupSettings();

// The command line of a command-line run: exactly "/risunloadall" unloads; anything else
// non-empty does nothing.
enum class CommandLine { Interactive, UnloadAll, Unknown };
CommandLine ParseCommandLine(const std::string& commandLine);
