// The start-up steps that are no window work: process-wide values, the program log's header
// and the settings the main window shows. Shared by the window start and the command-line run.
#pragma once

#include "platform/Clock.h"

#include <array>
#include <string>

// The four header lines of a new program log (without line ends).
std::array<std::string, 4> LogHeaderLines(const LocalTime& start);

// The folder the program treats as its own (settings file, default script file), in Windows
// form: the executable's, unless a test put another in place (empty restores it).
std::string ProgramFolder();
void SetProgramFolder(const std::string& folder);

// Sets gTempDir, gIniFile and gLogFile for a run started at start.
void InitProcessValues(const LocalTime& start);

// Keeps an older log of the same name as "<log>.bak", starts the log afresh with its header
// and writes the settings file and log paths to it.
void StartProgramLog(const LocalTime& start);

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
