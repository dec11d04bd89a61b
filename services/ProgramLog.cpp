// Writing entries to the program log, and saying once when it cannot be written.
#include "services/ProgramLog.h"

#include "platform/AppError.h"
#include "platform/BinaryFile.h"
#include "platform/Clock.h"
#include "platform/HostFiles.h"
#include "services/AppGlobals.h"
#include "services/Messages.h"

namespace {

// The log whose failure has been said; empty while the log is written without fault.
std::string failedLog;

void appendChecked(const std::string& path, const std::string& bytes)
{
    BinaryFile f;
    f.Open(path, BinaryFile::Mode::Append);
    f.Write(bytes);
    f.Flush();
    f.CloseChecked();
}

// The log kept open while a run scope lives.
struct RunLog {
    int scopes = 0;
    std::string path;
    BinaryFile file;
};

RunLog& runLog()
{
    static RunLog log;
    return log;
}

void appendEntry(const std::string& entry)
{
    RunLog& log = runLog();
    if (log.scopes == 0) {
        appendChecked(gLogFile, entry);
        return;
    }
    try {
        if (!log.file.IsOpen() || log.path != gLogFile) {
            log.file.Close();
            log.file.Open(gLogFile, BinaryFile::Mode::Append);
            log.path = gLogFile;
        }
        log.file.Write(entry);
        log.file.Flush();
    } catch (const AppError&) {
        log.file.Close();
        throw;
    }
}

} // namespace

ProgramLogRunScope::ProgramLogRunScope()
{
    ++runLog().scopes;
}

ProgramLogRunScope::~ProgramLogRunScope()
{
    if (--runLog().scopes == 0)
        runLog().file.Close();
}

std::string ProgramLogTimestamp()
{
    // Formatted once per second: a long run writes many entries within one.
    static LocalTime last;
    static std::string text;
    const LocalTime now = GetClock().Now();
    if (text.empty() || now.second != last.second || now.minute != last.minute || now.hour != last.hour ||
        now.day != last.day || now.month != last.month || now.year != last.year) {
        text = FormatLocalTime(now, "dd.mm.yyyy hh:nn:ss");
        last = now;
    }
    return text;
}

bool ProgramLogWritable() { return failedLog.empty() || failedLog != gLogFile; }

void ReportProgramLogFailure(const std::string& why)
{
    if (!ProgramLogWritable())
        return;
    // Noted before the message goes out: a message service that logs its messages must find
    // the log marked, or it would report again and again.
    failedLog = gLogFile;
    ShowMessage("The program log '" + gLogFile + "' cannot be written (" + why +
                    "); Tarnwick goes on without a log",
                0);
}

void WriteProgramLog(const std::string& text)
{
    if (gLogFile.empty())
        return;
    try {
        // One write holds the whole entry, so a partial entry never lands between outputs.
        appendEntry(ProgramLogTimestamp() + "\t" + text + "\r\n");
        if (failedLog == gLogFile)
            failedLog.clear();
    } catch (const AppError& e) {
        ReportProgramLogFailure(e.description());
    }
}

bool StartNewProgramLog(const std::vector<std::string>& lines)
{
    std::string header;
    for (const std::string& line : lines)
        header += line + "\r\n";
    const std::string wanted = gLogFile;
    const bool hasExtension = wanted.size() > 4 && wanted.compare(wanted.size() - 4, 4, ".log") == 0;
    const std::string stem = hasExtension ? wanted.substr(0, wanted.size() - 4) : wanted;
    try {
        for (int n = 1;; ++n) {
            const std::string name = n == 1 ? wanted : stem + "_" + std::to_string(n) + (hasExtension ? ".log" : "");
            try {
                HostCreateFile(name, Overwrite::No);
            } catch (const AppError& e) {
                if (e.number() == kErrFileExists && n < 1000)
                    continue;
                throw;
            }
            gLogFile = name;
            break;
        }
        appendChecked(gLogFile, header);
        return true;
    } catch (const AppError& e) {
        ReportProgramLogFailure(e.description());
        return false;
    }
}
