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
    // One line each: a failure text goes to stderr line by line in a command-line run.
    errors_.push_back(ReplaceAll(ReplaceAll(text, "\r\n", " "), "\n", " "));
}

std::string RunReport::ClosingMessage(const std::string& logFile) const
{
    if (!HasErrors())
        return kReadyMessage;
    return "Tarnwick ended with errors (" + std::to_string(errors_.size()) + "), the first: " + errors_.front() +
           "\r\nSee Logfile '" + logFile + "'";
}

namespace {
// The text of a framed line "* text   *" without its frame.
std::string unframed(const std::string& line)
{
    std::string t = TrimWhite(line);
    if (!t.empty() && t.front() == '*')
        t.erase(0, 1);
    if (!t.empty() && t.back() == '*')
        t.pop_back();
    return Trim(t);
}
} // namespace

std::string FirstRISError(const std::string& output)
{
    if (RISErrorText(output).empty())
        return {};
    std::vector<std::string> lines = Split(ReplaceAll(output, "\r", ""), "\n");
    for (size_t i = 0; i < lines.size(); ++i) {
        size_t at = lines[i].find("RIS Error:");
        if (at == std::string::npos || ToUpper(lines[i]).find("RIS_E_CREATE_INDEX") != std::string::npos)
            continue;
        std::string text = unframed(lines[i].substr(at));
        // The framed lines after the error line explain it.
        for (size_t j = i + 1; j < lines.size(); ++j) {
            std::string more = unframed(lines[j]);
            if (lines[j].empty() || lines[j][0] != '*' || more.find_first_not_of('*') == std::string::npos)
                break;
            text += " - " + more;
        }
        return text;
    }
    return "RIS error";
}
