// Client runs of the project copy with their console output in the program's own work file.
#include "projcopy/CopyClientRun.h"

#include "platform/AppError.h"
#include "platform/BinaryFile.h"
#include "platform/HostFiles.h"
#include "projcopy/CopyLog.h"
#include "projcopy/CopyWorkFiles.h"
#include "services/BatchLauncher.h"

long RunCopyCommand(const std::string& command)
{
    long pid = 0;
    return ExecA(command, "", 0, "", pid, true);
}

void RemoveCopyWorkFile(const std::string& file)
{
    try {
        if (HostFileExists(file))
            HostDeleteFile(file, true);
    } catch (const AppError&) {
        // Left for the next run's removal of ended runs' files; its content is never read again
        // before this run writes it anew.
    }
}

long RunCopyClient(const std::string& command, const CopyLog* log, std::string& said)
{
    const std::string console = CopyWorkFile(kCopyConsole);
    RemoveCopyWorkFile(console);
    long pid = 0;
    const long exitCode = ExecA(command, console, 0, "", pid, true);
    said.clear();
    try {
        if (HostFileExists(console))
            said = BinaryFile::ReadAll(console);
    } catch (const AppError&) {
        // A console that cannot be read says nothing; the exit code still tells.
    }
    if (log && !said.empty())
        log->Append(said);
    RemoveCopyWorkFile(console);
    return exitCode;
}

long RunCopyClient(const std::string& command, const CopyLog* log)
{
    std::string said;
    return RunCopyClient(command, log, said);
}
