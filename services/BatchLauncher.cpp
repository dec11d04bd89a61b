// The batch launcher and the waits: ExecA, IsFileExistsA, ShellExec, SleepMs, Pause.
#include "services/BatchLauncher.h"

#include "platform/Clock.h"
#include "platform/Environment.h"
#include "platform/HostFiles.h"
#include "platform/Process.h"
#include "platform/RunMark.h"
#include "platform/TextUtil.h"
#include "services/AppGlobals.h"
#include "services/FileOperation.h"


namespace {

constexpr int kPollMs = 50;
constexpr uint64_t kFileWaitMs = 120000;

// A log path with a blank or a character the interpreter reads as an operator would split
// the redirection, and a "%" would expand; such a path is quoted (QuoteString doubles the "%"),
// a plain one stays as it is. A path given in quotes is quoted again from its inside, so that
// a quote within it cannot end the quoting.
std::string redirectionTarget(const std::string& logFile)
{
    if (logFile.size() >= 2 && logFile.front() == '"' && logFile.back() == '"')
        return QuoteString(logFile.substr(1, logFile.size() - 2));
    if (logFile.find_first_of(" &|<>^()%\"") != std::string::npos)
        return QuoteString(logFile);
    return logFile;
}

std::string shellText(long value, const std::string& file, const std::string& dir)
{
    switch (value) {
    case 2: return "File: '" + file + "' not found";
    case 3: return "Path: '" + dir + "' not found";
    case 5: return "Access denied";
    case 8: return "Out of memory";
    case 11: return "Invalid 'EXE-file' or error in 'EXE-image'";
    case 26: return "A sharing violation occurred";
    case 27: return "Incomplete or invalid file association";
    case 28: return "DDE Time out";
    case 29: return "DDE transaction failed";
    case 30: return "DDE busy";
    case 31: return "No association for file extension";
    case 32: return "DLL not found";
    default: return "Unknown error";
    }
}

} // namespace

long ExecA(const std::string& command, const std::string& logFile, int windowStyle, const std::string& batchFolder,
           long& processId, bool wait)
{
    long result = -1;
    processId = -1;
    std::string batchFile;
    try {
        std::string folder = batchFolder;
        if (IsBlank(folder))
            folder = HostFolderExists(gTempDir) ? gTempDir : GetEnvVar("TEMP");
        // The process's own id, asked each time: a forked copy is another instance.
        batchFile = AddBackslash(folder) + std::to_string(Process::CurrentId()) + GetTempBaseName() + ".bat";
        std::string line = command;
        if (!logFile.empty())
            line += " >> " + redirectionTarget(logFile) + " 2>&1";
        HostWriteFile(batchFile, line + "\r\n");
        const std::string interpreter = Process::FindCompanion("batchcmd");
        if (interpreter.empty())
            throw AppError(kErrFileNotFound, "", "File not found (batchcmd)");
        // A hidden console without a log file shows its output to no one, as on Windows: it
        // must not reach this program's own output (a command-line run prints nothing).
        Process::Streams streams;
        streams.discardOutput = windowStyle == 0 && logFile.empty();
        processId = Process::Start(interpreter, {batchFile}, windowStyle, streams);
        if (wait) {
            // The marks of the changes under way name the client while it runs: should this
            // program die, they stay held until the client has ended too.
            struct ClientNamed {
                explicit ClientNamed(long pid) { RunMark::ClientStarted(pid); }
                ~ClientNamed() { RunMark::ClientEnded(); }
            } named(processId);
            long code = -1;
            try {
                while (!Process::Poll(processId, code)) {
                    DoEvents();
                    GetClock().SleepMs(kPollMs);
                }
                result = code;
            } catch (const AppError&) {
                // The process cannot be queried: the wait ends with the result unknown.
                result = -1;
            }
        }
        ClearFileOpError();
    } catch (const AppError& e) {
        result = -1;
        processId = -1;
        RecordFileOpError(e, "ExecA");
    }
    if (wait && !batchFile.empty()) {
        const FileOpError saved = SaveFileOpError();
        DeleteFileA(batchFile);
        RestoreFileOpError(saved);
    }
    return result;
}

bool IsFileExistsA(const std::string& path)
{
    try {
        Clock& clock = GetClock();
        const uint64_t deadline = clock.TickMs() + kFileWaitMs;
        while (!IsFileReady(path)) {
            if (clock.TickMs() >= deadline)
                throw AppError(1, "", "Checking if file exists failed (timeout " + std::to_string(kFileWaitMs) +
                                          " milliseconds is reached)");
            DoEvents();
            clock.SleepMs(kPollMs);
        }
        ClearFileOpError();
        return true;
    } catch (const AppError& e) {
        RecordFileOpError(e, "IsFileExistsA");
        return false;
    }
}

void SleepMs(int ms) { GetClock().SleepMs(ms); }

void Pause(float seconds)
{
    Clock& clock = GetClock();
    const LocalTime start = clock.Now();
    const long startDay = start.dayNumber();
    const float endTime = static_cast<float>(start.secondsSinceMidnight()) + seconds;
    const float endNextDay = endTime - 86400.0f;
    for (;;) {
        const LocalTime now = clock.Now();
        const double s = now.secondsSinceMidnight();
        const long day = now.dayNumber();
        if (!((s < endTime && day == startDay) || (s < endNextDay && day == startDay + 1)))
            break;
        DoEvents();
    }
}

long ShellExec(const std::string& op, const std::string& file, const std::string& params, const std::string& dir,
               long& result)
{
    result = OpenWithDesktop(op, file, params, dir);
    if (result <= 32)
        throw AppError(1, "", shellText(result, file, dir));
    return 0;
}
