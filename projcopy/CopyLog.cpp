// The copy log of the project copy window.
#include "projcopy/CopyLog.h"

#include "platform/BinaryFile.h"
#include "platform/Environment.h"
#include "platform/TextUtil.h"
#include "services/BatchLauncher.h"
#include "services/FileOperation.h"
#include "services/ProgramLog.h"

CopyLog::CopyLog() : path_(ReplaceAll(GetEnvVar("TMP"), "/", "\\") + "\\projcopy.log") {}

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

void CopyLog::Reset() const
{
    if (path_.empty())
        return;
    long pid = 0;
    // Quoted, so a TMP with blanks deletes the log and nothing else.
    ExecA("del " + QuoteString(path_), "", 0, "", pid, true);
}
