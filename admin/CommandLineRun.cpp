// The command-line run of the program.
#include "admin/CommandLineRun.h"

#include "admin/AdminGlobals.h"
#include "admin/DeadRunTraces.h"
#include "admin/DumpCommandLines.h"
#include "admin/DumpCommands.h"
#include "admin/SchemaNames.h"
#include "admin/Startup.h"
#include "dbaccess/CRIS.h"
#include "dbaccess/LoadMarks.h"
#include "dbtools/SchemaChangeMark.h"
#include "platform/AppError.h"
#include "platform/HostFiles.h"
#include "platform/TextUtil.h"
#include "services/AppGlobals.h"
#include "services/FileOperation.h"
#include "services/IniFile.h"
#include "services/Messages.h"
#include "services/ProgramLog.h"
#include "services/SettingsWriteFailures.h"

namespace {
constexpr int kCriticalOk = 16;

// Reported through the message service, which in a command-line run writes one line to the
// program log and to stderr and never waits for an answer.
void report(const std::string& text)
{
    ShowMessage(text, kCriticalOk);
}

bool listed(const std::string& semicolonList, const std::string& name)
{
    for (const std::string& item : Split(semicolonList, ";"))
        if (EqualsNoCase(Trim(item), name))
            return true;
    return false;
}

// What the settings file says of the dump folder, read before the start-up writes the script
// file back (which makes the section).
enum class DumpFolderSetting {
    Named,      // [TARNWICK] risdmpdir names a folder
    Empty,      // risdmpdir= is there with nothing after it
    NoKey,      // [TARNWICK] is there, without risdmpdir
    NoSection,  // no [TARNWICK]
    Unreadable, // the settings file is a folder: the defaults apply
};

DumpFolderSetting readDumpFolderSetting()
{
    if (HostFolderExists(gIniFile))
        return DumpFolderSetting::Unreadable;
    if (!listed(ReadIniValue(gIniFile, std::nullopt, std::nullopt, "", true), "TARNWICK"))
        return DumpFolderSetting::NoSection;
    const std::string missing = "\x01";
    const std::string value = ReadIniValue(gIniFile, "TARNWICK", "risdmpdir", missing);
    if (value == missing)
        return DumpFolderSetting::NoKey;
    return IsBlank(value) ? DumpFolderSetting::Empty : DumpFolderSetting::Named;
}

// Says where the dumps go when the settings do not name the dump folder (the run then unloads
// into TMP). False, having said why, when there is no folder to unload into.
bool checkDumpFolder(DumpFolderSetting setting)
{
    if (setting == DumpFolderSetting::Empty) {
        report("The settings file '" + gIniFile + "' gives an empty dump folder (risdmpdir=) in [TARNWICK]: "
               "nothing unloaded");
        return false;
    }
    if (setting == DumpFolderSetting::NoKey || setting == DumpFolderSetting::NoSection) {
        const std::string missing = setting == DumpFolderSetting::NoKey ? "no dump folder (risdmpdir) in [TARNWICK]"
                                                                        : "no section [TARNWICK]";
        report("Warning: the settings file '" + gIniFile + "' has " + missing + ": the dumps go to '" + gDumpDir +
               "'");
    } else if (setting == DumpFolderSetting::Unreadable) {
        report("Warning: the dumps go to '" + gDumpDir + "', the folder TMP names");
    }
    if (IsBlank(gDumpDir)) {
        report("No dump folder: TMP is not set and the settings name none: nothing unloaded");
        return false;
    }
    if (!IsFileExists(gDumpDir, 1)) {
        report("The dump folder '" + gDumpDir + "' " + MissingFolderWords(gDumpDir) + ": nothing unloaded");
        return false;
    }
    return true;
}

// " - see Logfile '<log>'" while the log can be written; nothing when it cannot.
std::string seeLog()
{
    return gLogFile.empty() || !ProgramLogWritable() ? std::string() : " - see Logfile '" + gLogFile + "'";
}

// Why a run unloaded nothing although nothing failed; empty when something was unloaded.
std::string whyNothing(const DumpCommands::UnloadAllResult& result)
{
    if (result.unloaded > 0)
        return {};
    if (gSchemaNames.empty())
        return "The RIS schema file '" + gSchemaFile + "' names no schema (no \"SCHNAME=\" line): nothing unloaded";
    if (result.skipped == static_cast<int>(gSchemaNames.size()))
        return "The RIS schema file '" + gSchemaFile + "' names only \"mto_\" schemas, which are not unloaded: "
               "nothing unloaded";
    return "Nothing unloaded";
}

} // namespace

int RunCommandLine(const std::string& commandLine)
{
    // The access object's work folder stays only when the run left files in it.
    struct RemoveEmptyWorkFolder {
        ~RemoveEmptyWorkFolder() { gCRIS->RemoveEmptyTempDir(); }
    } removeEmptyWorkFolder;
    CommandLine kind = ParseCommandLine(commandLine);
    // Only the settings writes of this run count for its outcome.
    TakeSettingsWriteFailures();
    TakeSettingsWriteWarnings();
    try {
        LocalTime start = GetClock().Now();
        InitProcessValues(start);
        StartProgramLog(start);
        const DumpFolderSetting setting = readDumpFolderSetting();
        const std::vector<std::string> problems = StartupProblems();
        for (const std::string& problem : problems)
            report(problem);
        // Loads a program cut off, or a look found not whole: their dumps are not replaced.
        for (const std::string& load : LoadMarks::LeftTexts())
            report("Warning: " + load);
        for (const std::string& change : SchemaChangeMark::LeftTexts())
            report("Warning: " + change);
        for (const std::string& trace : MendDeadRunTraces())
            report("Warning: " + trace);
        if (!FolderWriteProblem(gTempDir).empty()) {
            report("Nothing unloaded");
            return 1;
        }
        RemoveEndedRunsWorkFiles();
        ReadStartupSettings();
        // A default the start could not write back changes nothing this run reads: said once.
        for (const std::string& warning : TakeSettingsWriteWarnings())
            report("Warning: " + warning);
        get_schemanamen();
        if (kind != CommandLine::UnloadAll) {
            for (const std::string& failure : TakeSettingsWriteFailures())
                report(failure);
            report("Unknown command line '" + commandLine + "': nothing done (the only option is /risunloadall)");
            return 2;
        }
        if (!checkDumpFolder(setting)) {
            for (const std::string& failure : TakeSettingsWriteFailures())
                report(failure);
            return 1;
        }
        DumpCommands dump;
        const DumpCommands::UnloadAllResult result = dump.risunloadall();
        // A setting or registry value that was not stored (at the start or on the way) is an
        // error of the run like a failed unload.
        std::vector<std::string> errors = dump.report().Errors();
        for (const std::string& failure : TakeSettingsWriteFailures())
            errors.push_back(failure);
        // What the user should know of a run that did its work (an old dump kept beside the new
        // one) is said on stderr as well, but is no failure of the run.
        for (const std::string& warning : dump.report().Warnings())
            report("Warning: " + warning);
        for (const std::string& error : errors)
            report(error);
        if (!errors.empty()) {
            report("Tarnwick ended with errors (" + std::to_string(errors.size()) + "), " +
                   std::to_string(result.unloaded) + " dump(s) written" + seeLog());
            return 1;
        }
        const std::string nothing = whyNothing(result);
        if (!nothing.empty()) {
            report(nothing);
            return 1;
        }
        ShowStatus("risunloadall ended without errors: " + std::to_string(result.unloaded) + " dump(s) in '" +
                   DumpFolderInFull(gDumpDir, "risunloadall") + "'");
        return 0;
    } catch (const AppError& e) {
        for (const std::string& failure : TakeSettingsWriteFailures())
            report(failure);
        std::string source = e.source().empty() ? "" : e.source() + ": ";
        report(source + e.description() + seeLog());
        return 1;
    }
}
