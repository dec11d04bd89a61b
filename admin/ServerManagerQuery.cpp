// Server-manager queries: script text, run with captured output, rule-line parsing.
#include "admin/ServerManagerQuery.h"

#include "admin/ToolRun.h"
#include "platform/AppError.h"
#include "platform/Clock.h"
#include "platform/Environment.h"
#include "platform/TextUtil.h"
#include "services/AppGlobals.h"
#include "services/BatchLauncher.h"
#include "services/FileContents.h"
#include "services/FileOperation.h"
#include "services/IniFile.h"

#include <algorithm>

namespace {

constexpr const char* kCrLf = "\r\n";

std::vector<std::string> outputLines(const std::string& output)
{
    std::string text = output;
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    std::vector<std::string> lines = Split(text, "\n");
    if (!lines.empty() && lines.back().empty())
        lines.pop_back();
    return lines;
}

} // namespace

std::string ServerManagerQuery::ScriptText(const std::string& connectString, const std::string& select)
{
    return "connect " + connectString + kCrLf + select + kCrLf + "exit;" + kCrLf + kCrLf;
}

std::optional<std::vector<std::string>> ServerManagerQuery::LinesAfterRule(const std::string& output)
{
    const std::vector<std::string> lines = outputLines(output);
    for (size_t i = 0; i < lines.size(); ++i) {
        for (const std::string& item : Split(lines[i], ",")) {
            DoEvents();
            if (TrimLeft(item).rfind("---", 0) == 0)
                return std::vector<std::string>(lines.begin() + static_cast<long>(i) + 1, lines.end());
        }
    }
    return std::nullopt;
}

std::string ServerManagerQuery::ConnectString()
{
    return ReadIniValue(gIniFile, "TARNWICK", "svrmgr_connectString", "dbadmin/tpxw9ka2");
}

std::vector<std::string> ServerManagerQuery::Run(const std::string& select, const std::string& defaultProgram,
                                                 const std::string& failText)
{
    const std::string script = ToolRun::ScratchFilePath();
    // The answer file is the instance's own as well.
    const std::string output = script.substr(0, script.size() - 4) + ".txt";
    try {
        const std::string program = ReadIniValue(gIniFile, "TARNWICK", "svrmgr_path", defaultProgram);
        if (Trim(program).empty())
            RaiseError("ServerManagerQuery", failText);
        // The connect string holds the administrator's password: the script is written to the
        // temporary folder only for the run and removed right after it.
        ToolRun::WriteScratchFile(script, ScriptText(ConnectString(), select));
        DeleteFileA(output);
        long pid = 0;
        ExecA(QuoteString(program) + " @" + QuoteString(script) + " > " + QuoteString(output), "", 0, "", pid, true);
        if (!IsFileExists(output))
            RaiseError("ServerManagerQuery", failText);
        const std::string text = ReadFile2String(output);
        std::optional<std::vector<std::string>> lines = LinesAfterRule(text);
        if (!lines)
            RaiseError("ServerManagerQuery", failText);
        DeleteFileA(script);
        DeleteFileA(output);
        return *lines;
    } catch (...) {
        DeleteFileA(script);
        DeleteFileA(output);
        throw;
    }
}
