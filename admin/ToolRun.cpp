// Logged runs of the main window's outside tools and the error lines of their output.
#include "admin/ToolRun.h"

#include "admin/DumpCommandLines.h"
#include "admin/LoggedRun.h"
#include "admin/RunReport.h"
#include "platform/AppError.h"
#include "platform/BinaryFile.h"
#include "platform/Environment.h"
#include "platform/OwnedLeftovers.h"
#include "platform/TextUtil.h"
#include "services/AppGlobals.h"
#include "services/Tokens.h"

#include <cctype>

namespace {

// "ORA-" or "MGR-" followed by a digit, at position at of line.
bool isMessageCode(const std::string& line, size_t at)
{
    if (line.size() < at + 5)
        return false;
    std::string code = line.substr(at, 4);
    return (code == "ORA-" || code == "MGR-") && std::isdigit(static_cast<unsigned char>(line[at + 4]));
}

std::string oracleErrorLine(const std::string& line)
{
    for (size_t at = line.find('-'); at != std::string::npos; at = line.find('-', at + 1))
        if (at >= 3 && isMessageCode(line, at - 3)) {
            // Inside a RIS error block the line ends with the frame's closing "*".
            std::string message = line.substr(at - 3);
            message.erase(message.find_last_not_of(" *\r") + 1);
            return message;
        }
    return {};
}

} // namespace

std::string ToolRun::ScratchFilePath()
{
    // Two instances at once must not run each other's statements: the name carries the process
    // id, and the files that ended (killed) instances left are removed.
    const std::string stem = TmpFile("tarnwick");
    RemoveOrphanedLeftovers(stem, ".sql");
    RemoveOrphanedLeftovers(stem, ".txt"); // the answer file of a server-manager query
    return OwnedLeftoverName(stem, ".sql");
}

void ToolRun::WriteScratchFile(const std::string& path, const std::string& text)
{
    BinaryFile f;
    f.Open(path, BinaryFile::Mode::Write);
    f.Write(text);
    f.CloseChecked();
}

ToolOutcome ToolRun::Run(const std::string& what, const std::string& commandLine)
{
    ToolOutcome outcome;
    outcome.what = what;
    LoggedRun run = LoggedRun::Run(commandLine);
    outcome.exitCode = run.exitCode;
    outcome.output = run.output;
    outcome.error = FirstErrorLine(outcome.output);
    if (outcome.error.empty() && outcome.exitCode == -1)
        outcome.error = "could not be started";
    else if (outcome.error.empty() && outcome.exitCode != 0)
        outcome.error = "ended with exit code " + std::to_string(outcome.exitCode);
    return outcome;
}

std::string ToolRun::NameParameter(const std::string& params, const std::string& what, const std::string& ownName)
{
    std::vector<std::string> tokens = GetTokens(params, "'", 1);
    ReplaceTokensFromIni(tokens, gIniFile, "TARNWICK", "\xA7");
    CheckIdentifier(tokens[1], what, ownName);
    return tokens[1];
}

std::vector<std::string> ToolRun::ErrorLines(const std::string& output)
{
    std::vector<std::string> errors;
    for (const auto& raw : Split(ReplaceAll(output, "\r", ""), "\n")) {
        std::string line = oracleErrorLine(raw);
        const size_t ris = raw.find("RIS Error:");
        if (line.empty() && ris != std::string::npos && ToUpper(raw).find("RIS_E_CREATE_INDEX") == std::string::npos) {
            line = raw.substr(ris);
            line.erase(line.find_last_not_of(" *") + 1);
        }
        if (!line.empty())
            errors.push_back(line);
    }
    return errors;
}

std::string ToolRun::FirstErrorLine(const std::string& output)
{
    for (const auto& raw : Split(ReplaceAll(output, "\r", ""), "\n")) {
        std::string ora = oracleErrorLine(raw);
        if (!ora.empty())
            return ora;
    }
    return FirstRISError(output);
}
