// Outcome of the outside programs of one command.
#include "admin/RunReport.h"

#include "dbaccess/RISErrorReader.h"
#include "platform/TextUtil.h"

void RunReport::NoteRun(const std::string& what, long exitCode, const std::string& output)
{
    std::string risError = FirstRISError(output);
    if (exitCode == 0 && risError.empty())
        return;
    std::string text = what;
    if (!risError.empty())
        text += ": " + risError;
    else if (exitCode == -1)
        text += ": could not be started";
    else
        text += ": ended with exit code " + std::to_string(exitCode);
    NoteFailure(text);
}

void RunReport::NoteFailure(const std::string& text)
{
    if (errors_++ == 0)
        firstError_ = text;
    lastError_ = text;
}

void RunReport::Clear()
{
    errors_ = 0;
    firstError_.clear();
    lastError_.clear();
}

std::string RunReport::ClosingMessage(const std::string& logFile) const
{
    if (!HasErrors())
        return kReadyMessage;
    return "Tarnwick ended with errors (" + std::to_string(errors_) + "), the first: " + firstError_ +
           "\r\nSee Logfile '" + logFile + "'";
}

std::string FirstRISError(const std::string& output)
{
    if (RISErrorText(output).empty())
        return {};
    for (const auto& raw : Split(ReplaceAll(output, "\r", ""), "\n")) {
        size_t at = raw.find("RIS Error:");
        if (at != std::string::npos && ToUpper(raw).find("RIS_E_CREATE_INDEX") == std::string::npos)
            return Trim(raw.substr(at));
    }
    return "RIS error";
}
