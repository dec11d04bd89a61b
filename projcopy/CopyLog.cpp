// The copy log of the project copy window.
#include "projcopy/CopyLog.h"

#include "platform/AppError.h"
#include "platform/BinaryFile.h"
#include "platform/FileAttributes.h"
#include "platform/Process.h"
#include "platform/RunMark.h"
#include "platform/TextUtil.h"
#include "platform/WinPath.h"
#include "services/AppGlobals.h"
#include "services/BatchLauncher.h"
#include "services/FileOperation.h"
#include "services/ProgramLog.h"

CopyLog::CopyLog() : path_(TmpFile("projcopy.log")) {}

void CopyLog::WriteLog(const std::string& message) const
{
    if (label_)
        label_(message);
    if (Trim(path_).empty())
        return;
    try {
        BinaryFile::AppendText(path_, ProgramLogTimestamp() + "\t" + message + "\r\n\r\n");
    } catch (...) {
        // A lost log line must not stop the copy.
    }
}

void CopyLog::Append(const std::string& text) const
{
    if (Trim(path_).empty())
        return;
    try {
        BinaryFile::AppendText(path_, text);
    } catch (...) {
        // Said once where the log is found unwritable; a client's words must not stop the copy.
    }
}

std::string CopyLog::WriteFailure() const
{
    if (Trim(path_).empty())
        return "it has no path: TMP names no folder";
    if (IsReadOnlyFile(path_))
        return "the file is read-only";
    try {
        BinaryFile f;
        f.Open(path_, BinaryFile::Mode::Append);
        f.Close();
    } catch (const AppError& e) {
        return e.description();
    }
    return {};
}

std::string CopyLog::UnwritableText(const std::string& why) const
{
    return "The copy log '" + path_ + "' cannot be written (" + why + ")";
}

bool CopyLog::writtenByAnotherCopy() const
{
    const std::string own = std::to_string(Process::CurrentId());
    for (const auto& [object, seen] : RunMark::List("project "))
        if (seen.state == RunMark::State::Held && RunMark::Field(seen.fields, "process") != own &&
            SameWinPlace(RunMark::Field(seen.fields, kMarkField), path_))
            return true;
    return false;
}

void CopyLog::Reset() const
{
    if (path_.empty())
        return;
    // Another program's copy run with the same TMP writes into this log: what it wrote stays, and
    // this run's lines follow.
    if (writtenByAnotherCopy())
        return;
    long pid = 0;
    // Quoted, so a TMP with blanks deletes the log and nothing else.
    ExecA("del " + QuoteString(path_), "", 0, "", pid, true);
}
