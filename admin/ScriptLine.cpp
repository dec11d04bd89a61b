// Script lines: the command table and the cutting of single-quoted arguments.
#include "admin/ScriptLine.h"

#include "platform/AppError.h"
#include "platform/TextUtil.h"
#include "services/AppGlobals.h"
#include "services/Tokens.h"

#include <array>

namespace {

struct CommandEntry {
    std::string_view word;
    ScriptCommand command;
    int arguments;
};

constexpr std::array<CommandEntry, 11> kCommands{{
    {"change", ScriptCommand::Change, 3},
    {"doscmd", ScriptCommand::Doscmd, 1},
    {"risunload", ScriptCommand::RisUnload, 2},
    {"risload", ScriptCommand::RisLoad, 1},
    {"edrisdmp", ScriptCommand::Edrisdmp, 1},
    {"cre_dbuser", ScriptCommand::CreDbUser, 1},
    {"del_dbuser", ScriptCommand::DelDbUser, 1},
    {"cre_schema", ScriptCommand::CreSchema, 1},
    {"del_schema", ScriptCommand::DelSchema, 1},
    {"append_text", ScriptCommand::AppendText, 2},
    {"message", ScriptCommand::Message, 1},
}};

// Stands for a doubled quote while a change line is cut, so that the pair is not read as the
// end of one argument and the start of the next.
constexpr std::string_view kQuoteMark = "_QUOTE_";
constexpr std::string_view kEmptyMark = "EMPTY_STRING";

std::string plural(int n, const char* word)
{
    return std::to_string(n) + " " + word + (n == 1 ? "" : "s");
}

} // namespace

bool IsScriptCommentLine(std::string_view line)
{
    return line.empty() || line.front() == '!';
}

std::string ScriptCommandWord(std::string_view line)
{
    const size_t blank = line.find(' ');
    if (blank == std::string_view::npos)
        throw AppError(5, "ScriptCommandWord",
                       "Invalid script line (no blank after the command word): " + std::string(line));
    return std::string(line.substr(0, blank));
}

ScriptCommand LookupScriptCommand(std::string_view word)
{
    for (const CommandEntry& e : kCommands)
        if (e.word == word)
            return e.command;
    return ScriptCommand::Unknown;
}

int ScriptArgumentCount(ScriptCommand command)
{
    for (const CommandEntry& e : kCommands)
        if (e.command == command)
            return e.arguments;
    return 0;
}

std::vector<std::string> CutScriptArguments(std::string_view line, int count, std::string_view word)
{
    std::vector<std::string> args;
    size_t from = 0;
    for (int k = 1; k <= count; ++k) {
        const size_t open = line.find('\'', from);
        if (open == std::string_view::npos)
            throw AppError(450, "CutScriptArguments",
                           "Script command '" + std::string(word) + "' needs " + plural(count, "argument") +
                               " between single quotes, the line holds " + plural(k - 1, "argument") + ": " +
                               std::string(line));
        const size_t close = line.find('\'', open + 1);
        if (close == std::string_view::npos)
            throw AppError(5, "CutScriptArguments",
                           "Invalid script line (argument " + std::to_string(k) + " has no closing quote): " +
                               std::string(line));
        args.emplace_back(line.substr(open + 1, close - open - 1));
        from = close + 1;
    }
    return args;
}

std::vector<std::string> CutChangeArguments(std::string_view line)
{
    const std::string marked = ReplaceAll(std::string(line), "''", kQuoteMark);
    std::vector<std::string> args = CutScriptArguments(marked, 3, "change");
    for (std::string& a : args) {
        a = ReplaceAll(a, kQuoteMark, "'");
        a = ReplaceAll(a, kEmptyMark, "");
    }
    return args;
}

std::string SubstituteScriptPlaceholders(const std::string& text)
{
    if (text.empty())
        return text;
    // One argument at a time: the substitution stops at the first empty entry, and an argument
    // made empty by EMPTY_STRING must not keep the later ones from being filled.
    std::vector<std::string> tokens{std::string(), text};
    ReplaceTokensFromIni(tokens, gIniFile, "TARNWICK", "\xA7");
    return tokens[1];
}
