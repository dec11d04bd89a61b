// Outcome of the outside programs of one command.
#include "admin/RunReport.h"

#include "dbaccess/RISErrorReader.h"
#include "platform/TextUtil.h"

std::string RunReport::RunFailure(const std::string& what, long exitCode, const std::string& output)
{
    std::string risError = FirstRISError(output);
    if (exitCode == 0 && risError.empty())
        return {};
    if (!risError.empty())
        return what + ": " + risError;
    if (exitCode == -1)
        return what + ": could not be started";
    return what + ": ended with exit code " + std::to_string(exitCode);
}

void RunReport::NoteRun(const std::string& what, long exitCode, const std::string& output)
{
    const std::string failure = RunFailure(what, exitCode, output);
    if (!failure.empty())
        NoteFailure(failure);
}

void RunReport::NoteFailure(const std::string& text)
{
    // One line each: a failure text goes to stderr line by line in a command-line run. A RIS
    // error block in it is read as its own line first: flattened, its frame would stay.
    errors_.push_back(ReplaceAll(ReplaceAll(RISErrorLine(text), "\r\n", " "), "\n", " "));
}

void RunReport::NoteWarning(const std::string& text)
{
    warnings_.push_back(ReplaceAll(ReplaceAll(text, "\r\n", " "), "\n", " "));
}

std::string RunReport::ClosingMessage(const std::string& logFile) const
{
    if (!HasErrors())
        return kReadyMessage;
    return "Tarnwick ended with errors (" + std::to_string(errors_.size()) + "), the first: " + errors_.front() +
           "\r\nSee Logfile '" + logFile + "'";
}

std::string FirstRISError(const std::string& output)
{
    if (RISErrorText(output).empty())
        return {};
    const std::string message = RISErrorMessage(output);
    return message.empty() ? "RIS error" : message;
}
