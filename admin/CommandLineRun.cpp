// The command-line run of the program.
#include "admin/CommandLineRun.h"

#include "admin/DumpCommands.h"
#include "admin/SchemaNames.h"
#include "admin/Startup.h"
#include "platform/AppError.h"
#include "services/AppGlobals.h"
#include "services/Messages.h"

namespace {
constexpr int kCriticalOk = 16;

// Reported through the message service, which in a command-line run writes to the program
// log and stderr and never waits for an answer.
void report(const std::string& text, int style)
{
    ShowMessage(text, style);
}
} // namespace

int RunCommandLine(const std::string& commandLine)
{
    CommandLine kind = ParseCommandLine(commandLine);
    try {
        LocalTime start = GetClock().Now();
        InitProcessValues(start);
        StartProgramLog(start);
        ReadStartupSettings();
        get_schemanamen();
        if (kind != CommandLine::UnloadAll) {
            report("Unknown command line '" + commandLine + "': nothing done (the only option is /risunloadall)",
                   kCriticalOk);
            return 2;
        }
        DumpCommands dump;
        dump.risunloadall();
        if (dump.report().HasErrors()) {
            report(dump.report().ClosingMessage(gLogFile), kCriticalOk);
            return 1;
        }
        ShowStatus("risunloadall ended without errors");
        return 0;
    } catch (const AppError& e) {
        std::string source = e.source().empty() ? "" : e.source() + ": ";
        report(source + e.description() + (gLogFile.empty() ? "" : "\r\nSee Logfile '" + gLogFile + "'"), kCriticalOk);
        return 1;
    }
}
