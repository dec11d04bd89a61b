// Start-up steps shared by the window start and the command-line run.
#include "admin/Startup.h"

#include "admin/AdminGlobals.h"
#include "platform/Environment.h"
#include "platform/BinaryFile.h"
#include "services/AppGlobals.h"
#include "services/FileOperation.h"
#include "services/IniFile.h"
#include "services/Messages.h"

std::array<std::string, 4> LogHeaderLines(const LocalTime& start)
{
    return {std::string(50, '*'),
            " Tarnwick" + std::string(27, ' ') + "www.vorlant.example",
            " Start Logfile  am " + FormatLocalTime(start, "dd.mm.yyyy") + "  um " + FormatLocalTime(start, "hh:nn:ss"),
            std::string(50, '*')};
}

namespace {
std::string programFolderOverride;
}

std::string ProgramFolder()
{
    return programFolderOverride.empty() ? ProgramDir() : programFolderOverride;
}

void SetProgramFolder(const std::string& folder)
{
    programFolderOverride = folder;
}

void InitProcessValues(const LocalTime& start)
{
    InitAppGlobals(ProgramFolder(), start);
}

void StartProgramLog(const LocalTime& start)
{
    // Two starts within one second share the log name: the earlier log is kept as ".bak".
    if (IsFileExists(gLogFile))
        CopyFileA(gLogFile, gLogFile + ".bak");
    BinaryFile log;
    log.Open(gLogFile, BinaryFile::Mode::Write);
    for (const auto& line : LogHeaderLines(start))
        log.Write(line + "\r\n");
    log.Close();
    ShowStatus("INIfile = " + gIniFile);
    ShowStatus("LogFile = " + gLogFile);
}

StartupSettings ReadStartupSettings()
{
    StartupSettings s;
    for (int i = 0; i < 8; ++i) {
        std::string n = std::to_string(i + 1);
        s.userVarCaptions[i] = ReadIniValue(gIniFile, "Programm", "uservartext" + n, "User Variable " + n);
        s.userVars[i] = ReadIniValue(gIniFile, "TARNWICK", "uservar" + n, "uservar" + n);
    }
    s.dumpDir = ReadIniValue(gIniFile, "TARNWICK", "risdmpdir", GetEnvVar("TMP"));
    gDumpDir = s.dumpDir;
    std::string programDir = ProgramFolder();
    while (!programDir.empty() && programDir.back() == '\\')
        programDir.pop_back();
    s.scriptFile = ReadIniValue(gIniFile, "TARNWICK", "scriptfile", programDir + "\\tarnwick.scr");
    gScriptFile = s.scriptFile;
    WriteIniValue(gIniFile, "TARNWICK", "scriptfile", s.scriptFile);
    return s;
}

CommandLine ParseCommandLine(const std::string& commandLine)
{
    if (commandLine.empty())
        return CommandLine::Interactive;
    return commandLine == "/risunloadall" ? CommandLine::UnloadAll : CommandLine::Unknown;
}
