// Logged runs of outside programs: the log's growth during the run is the program's output.
#include "admin/LoggedRun.h"

#include "platform/BinaryFile.h"
#include "platform/Environment.h"
#include "platform/HostFiles.h"
#include "services/AppGlobals.h"
#include "services/BatchLauncher.h"
#include "services/FileOperation.h"
#include "services/ProgramLog.h"

namespace {

std::string tail(const std::string& path, long long sizeBefore)
{
    if (!IsFileExists(path))
        return {};
    BinaryFile log;
    log.Open(path, BinaryFile::Mode::Read);
    const int64_t size = log.Size();
    if (size <= sizeBefore)
        return {};
    return log.ReadAt(sizeBefore, static_cast<size_t>(size - sizeBefore));
}

} // namespace

LoggedRun LoggedRun::Run(const std::string& command)
{
    // Without a program log that can be written, the output still has to be read: it goes to
    // a log of the run's own in the temporary folder.
    const bool ownLog = gLogFile.empty() || !ProgramLogWritable();
    const std::string folder = IsFileExists(gTempDir, 1) ? gTempDir : GetEnvVar("TMP");
    const std::string log = ownLog ? AddBackslash(folder) + GetTempBaseName() + ".log" : gLogFile;
    const long long before = IsFileExists(log) ? HostFileSize(log) : 0;
    LoggedRun run;
    long pid = 0;
    run.exitCode = ExecA(command, log, 0, "", pid, true);
    run.output = tail(log, before);
    if (ownLog)
        DeleteFileA(log);
    return run;
}
