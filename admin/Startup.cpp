// Start-up steps shared by the window start and the command-line run.
#include "admin/Startup.h"

#include "admin/AdminGlobals.h"
#include "dbaccess/DumpWriteLeftovers.h"
#include "platform/Environment.h"
#include "platform/AppError.h"
#include "platform/BinaryFile.h"
#include "platform/HostFiles.h"
#include "platform/OwnedLeftovers.h"
#include "platform/TextUtil.h"
#include "platform/WinPath.h"
#include "projcopy/UnfinishedCopies.h"
#include "services/AppGlobals.h"
#include "services/FileOperation.h"
#include "services/IniFile.h"
#include "services/Messages.h"
#include "services/ProgramLog.h"

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
    const std::string folder = GetPathDir(gLogFile);
    if (!HostFolderExists(folder)) {
        ReportProgramLogFailure("its folder '" + folder + "', named by TMP, " + MissingFolderWords(folder));
        return;
    }
    // Two starts within one second would share the log name: the second takes a name of its own.
    const std::array<std::string, 4> header = LogHeaderLines(start);
    if (!StartNewProgramLog(std::vector<std::string>(header.begin(), header.end())))
        return;
    ShowStatus("INIfile = " + gIniFile);
    ShowStatus("LogFile = " + gLogFile);
}

std::string MissingFolderWords(const std::string& folder)
{
    if (const std::string noPlace = NoPlaceWords(folder); !noPlace.empty())
        return noPlace;
    return HostFileExists(folder) ? "is a file, not a folder" : "does not exist";
}

std::string FolderWriteProblem(const std::string& folder)
{
    if (IsBlank(folder))
        return "no folder is given";
    if (!HostFolderExists(folder))
        return "the folder '" + folder + "' " + MissingFolderWords(folder);
    // A name no file has yet: the probe is deleted afterwards and must never be someone's file.
    std::string probe;
    do
        probe = AddBackslash(folder) + "tarnwick_" + GetTempBaseName() + ".tmp";
    while (HostFileExists(probe));
    try {
        BinaryFile f;
        f.Open(probe, BinaryFile::Mode::Write);
        f.Write("Tarnwick");
        f.Flush();
        f.CloseChecked();
        HostDeleteFile(probe, true);
        return {};
    } catch (const AppError& e) {
        DeleteFileA(probe);
        return "the folder '" + folder + "' cannot be written: " + e.description();
    }
}

std::vector<std::string> StartupProblems()
{
    std::vector<std::string> problems;
    if (HostFolderExists(gIniFile))
        problems.push_back("The settings file '" + gIniFile +
                           "' is a folder, not a file: no setting can be read or kept, the defaults are used");
    if (const std::string why = FolderWriteProblem(gTempDir); !why.empty())
        problems.push_back("The temporary folder (TEMP) cannot be used, " + why +
                           ": no outside program can be started");
    return problems;
}

void RemoveEndedRunsWorkFiles()
{
    const std::string temp = GetEnvVar("TEMP");
    RemoveOrphanedWorkFiles(gTempDir);
    if (!IsBlank(temp) && !EqualsNoCase(AddBackslash(temp), AddBackslash(gTempDir)))
        RemoveOrphanedWorkFiles(temp);
    RemoveLeftDumpWriteParts();
    LookAfterUnfinishedCopies();
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
    // The default put in place where the key is missing, which every reader gets anyway.
    WriteIniDefault(gIniFile, "TARNWICK", "scriptfile", s.scriptFile);
    return s;
}

CommandLine ParseCommandLine(const std::string& commandLine)
{
    if (commandLine.empty())
        return CommandLine::Interactive;
    return commandLine == "/risunloadall" ? CommandLine::UnloadAll : CommandLine::Unknown;
}
