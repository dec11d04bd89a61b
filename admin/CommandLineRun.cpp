// The command-line run of the program.
#include "admin/CommandLineRun.h"

#include "admin/AdminGlobals.h"
#include "admin/DumpCommands.h"
#include "admin/SchemaNames.h"
#include "admin/Startup.h"
#include "platform/AppError.h"
#include "platform/TextUtil.h"
#include "services/AppGlobals.h"
#include "services/FileOperation.h"
#include "services/IniFile.h"
#include "services/Messages.h"

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
struct DumpFolderSetting {
    bool section = false; // [TARNWICK] is there
    bool named = false;   // its risdmpdir names a folder
};

DumpFolderSetting readDumpFolderSetting()
{
    DumpFolderSetting s;
    s.section = listed(ReadIniValue(gIniFile, std::nullopt, std::nullopt, "", true), "TARNWICK");
    s.named = s.section && !IsBlank(ReadIniValue(gIniFile, "TARNWICK", "risdmpdir", ""));
    return s;
}

// Says where the dumps go when the settings do not name the dump folder (the run then unloads
// into TMP). False, having said why, when the folder is not there: nothing can be unloaded.
bool checkDumpFolder(const DumpFolderSetting& setting)
{
    if (!setting.named) {
        const std::string missing = setting.section ? "no dump folder (risdmpdir) in [TARNWICK]" : "no section [TARNWICK]";
        const std::string warning =
            "Warning: the settings file '" + gIniFile + "' has " + missing + ": the dumps go to '" + gDumpDir + "'";
        report(warning);
    }
    if (IsBlank(gDumpDir) || !IsFileExists(gDumpDir, 1)) {
        report("The dump folder '" + gDumpDir + "' does not exist: nothing unloaded");
        return false;
    }
    return true;
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
    CommandLine kind = ParseCommandLine(commandLine);
    try {
        LocalTime start = GetClock().Now();
        InitProcessValues(start);
        StartProgramLog(start);
        const DumpFolderSetting setting = readDumpFolderSetting();
        ReadStartupSettings();
        get_schemanamen();
        if (kind != CommandLine::UnloadAll) {
            report("Unknown command line '" + commandLine + "': nothing done (the only option is /risunloadall)");
            return 2;
        }
        if (!checkDumpFolder(setting))
            return 1;
        DumpCommands dump;
        const DumpCommands::UnloadAllResult result = dump.risunloadall();
        for (const std::string& error : dump.report().Errors())
            report(error);
        if (dump.report().HasErrors()) {
            report(std::to_string(dump.report().ErrorCount()) + " unload(s) failed, " +
                   std::to_string(result.unloaded) + " dump(s) written - see Logfile '" + gLogFile + "'");
            return 1;
        }
        const std::string nothing = whyNothing(result);
        if (!nothing.empty()) {
            report(nothing);
            return 1;
        }
        ShowStatus("risunloadall ended without errors: " + std::to_string(result.unloaded) + " dump(s) in '" +
                   gDumpDir + "'");
        return 0;
    } catch (const AppError& e) {
        std::string source = e.source().empty() ? "" : e.source() + ": ";
        report(source + e.description() + (gLogFile.empty() ? "" : " - see Logfile '" + gLogFile + "'"));
        return 1;
    }
}
