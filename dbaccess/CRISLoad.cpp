// RIS load: a RIS dump file into a schema through rislod, with the rejected rows reported.
#include "dbaccess/CRIS.h"

#include "dbaccess/CRISWork.h"
#include "dbaccess/DumpScanner.h"
#include "dbaccess/DumpSchemaLine.h"
#include "dbaccess/RISCommandLine.h"
#include "dbaccess/RISErrorReader.h"
#include "platform/BinaryFile.h"
#include "platform/Clock.h"
#include "platform/TextUtil.h"
#include "services/AppGlobals.h"
#include "services/BatchLauncher.h"
#include "services/FileOperation.h"

namespace {

constexpr int kLogOpenAttempts = 6;
constexpr int kLogOpenPauseMs = 50;

// Opens the log for appending; another program may still hold it for a moment.
void OpenLogForAppend(BinaryFile& log, const std::string& path)
{
    for (int attempt = 1;; ++attempt) {
        try {
            log.Open(path, BinaryFile::Mode::Append);
            return;
        } catch (const AppError&) {
            if (attempt == kLogOpenAttempts)
                throw;
        }
        DoEvents();
        GetClock().SleepMs(kLogOpenPauseMs);
    }
}

// Appends the rejected rows to the log between the two banner lines, in pieces cut after
// their last line end.
void AppendBadRows(const std::string& badFile, const std::string& logPath)
{
    BinaryFile log;
    OpenLogForAppend(log, logPath);
    DumpScanner bad(badFile);
    log.Write(BadFileBeginBanner() + "\r\n");
    std::string piece;
    while (bad.NextChunk(piece))
        log.Write(piece + "\r\n");
    log.Write(BadFileEndBanner() + "\r\n");
    log.Close();
}

// rislod names the file it was given: the load's work copy, which is gone once the load has
// ended. A message that names it is worded on one line with the user's dump in its place.
std::string NamingTheUsersDump(const std::string& error, const std::string& workCopy, const std::string& dumpFile)
{
    const std::string line = RISErrorMessage(error);
    if (FindNoCase(line, workCopy) == std::string::npos)
        return error;
    std::string named;
    size_t from = 0;
    for (size_t at = FindNoCase(line, workCopy); at != std::string::npos; at = FindNoCase(line, workCopy, from)) {
        named += line.substr(from, at - from) + dumpFile;
        from = at + workCopy.size();
    }
    return named + line.substr(from);
}

} // namespace

void CRIS::RISLoad(const std::string& dumpFile, const OptionalNames& tables, int32_t mode, const std::string& schema,
                   const std::string& logFile, int16_t commitCount)
{
    WithErrorSource("CRIS::RISLoad", [&] {
        if (!IsFileExists(dumpFile, 0))
            RaiseError("", "RIS dump file: '" + dumpFile + "' not exists");
        if (tables)
            for (const std::string& t : *tables)
                CheckRISName("Table", t);
        if (!IsBlank(schema))
            CheckRISName("Schema", schema);
        const std::string tableList = RisTableList(tables);

        WorkFiles work;
        const std::string dir = GetTempDir();
        const std::string workCopy = work.add(dir + GetTempName());
        const std::string firstLine = DumpSchemaLine::ReadFirstLine(dumpFile);
        std::string name;
        if (IsBlank(schema) && FindNoCase(firstLine, "create schema ") == std::string::npos &&
            FindNoCase(firstLine, "default schema ") != std::string::npos) {
            // The dump already names its schema in a "default schema " first line: one plain copy.
            name = DumpSchemaLine::SchemaNameOf(firstLine);
            if (!name.empty() && !CopyFileA(dumpFile, workCopy, false, false)) {
                RaiseFileOpError();
                RaiseError("", "RIS dump file '" + dumpFile + "' could not be copied");
            }
        } else {
            name = DumpSchemaLine::CopyWithSchemaName(dumpFile, workCopy, schema);
        }
        if (name.empty())
            RaiseError("", "Schema name not found");
        CheckRISName("Schema", name);

        const std::string badFile = work.add(dir + GetTempName());
        const std::string clientLog = work.add(dir + GetTempName());
        const bool ownLog = !IsBlank(logFile);
        const std::string outputLog = ownLog ? logFile : work.add(dir + GetTempName());
        DeleteFileA(outputLog, false);

        const std::string risPath = GetRISPath();
        long pid = 0;
        const long exitCode = ExecA(RislodCommand(risPath, workCopy, clientLog, badFile, commitCount, name, mode,
                                                  tableList),
                                    outputLog, 0, dir, pid, true);
        // Whatever the load did, the schema's held listings may no longer hold.
        ForgetSchemaListings(risTableCache_, risColumnCache_, name);
        if (const std::string why = RisClientNoOutput("rislod", risPath, exitCode, outputLog, true); !why.empty())
            RaiseError("", why);

        bool rejectedUnreported = false;
        // The client has ended: a bad file it did not write will not come, so no waiting for one.
        const bool rejected = IsFileExists(badFile, 0) && GetFileSize(badFile) != 0;
        if (rejected) {
            // Rejected rows never vanish: without a log of the caller's they go to the
            // program log, and without that the load fails.
            if (ownLog)
                AppendBadRows(badFile, logFile);
            else if (!IsBlank(gLogFile))
                AppendBadRows(badFile, gLogFile);
            else
                rejectedUnreported = true;
        }

        const std::string error = RISGetError(outputLog);
        if (!error.empty())
            RaiseError("", NamingTheUsersDump(error, workCopy, dumpFile));
        // rislod ends with 1 after rejecting rows, which the log now holds; any other end
        // without an error block (a crash, an abort) leaves the schema part-loaded.
        if (!(exitCode == 1 && rejected) && RisClientEndedUnexplained(exitCode, BinaryFile::ReadAll(outputLog)))
            RaiseError("", RisClientExitText("rislod", exitCode));
        if (rejectedUnreported)
            RaiseError("", "rislod rejected rows of RIS dump file '" + dumpFile + "'");
    });
}
