// The script file's grammar: comment lines, command words and single-quoted arguments.
#pragma once

#include <string>
#include <string_view>
#include <vector>

enum class ScriptCommand {
    Change,
    Doscmd,
    RisUnload,
    RisLoad,
    Edrisdmp,
    CreDbUser,
    DelDbUser,
    CreSchema,
    DelSchema,
    AppendText,
    Message,
    Unknown,
};

// The default script file name, in the program's folder.
inline constexpr const char* kDefaultScriptFile = "tarnwick.scr";

// True when the line is passed over: empty, or "!" as its first character.
bool IsScriptCommentLine(std::string_view line);

// The text before the first blank. A line without any blank raises error 5 naming the line.
std::string ScriptCommandWord(std::string_view line);

// The command of a word, compared exactly (letter case counts); Unknown when not in the table.
ScriptCommand LookupScriptCommand(std::string_view word);
// How many arguments the command reads (cre_dbuser reads only its first).
int ScriptArgumentCount(ScriptCommand command);

// The first count arguments of the line: the k-th is the text between the (2k-1)-th and the
// 2k-th single quote; what stands outside the quotes belongs to no argument. Raises error 5
// when an argument's opening quote has no closing partner, and error 450 when the line holds
// fewer than count arguments (the command word is never taken as an argument). word names the
// command in the error texts.
std::vector<std::string> CutScriptArguments(std::string_view line, int count, std::string_view word);

// The three arguments of a "change" line: two adjacent single quotes stand for one quote
// inside an argument, and an argument "EMPTY_STRING" is the empty text. Raises as
// CutScriptArguments.
std::vector<std::string> CutChangeArguments(std::string_view line);

// Every "§key§" of the text replaced by the key's value in [TARNWICK] of the settings file;
// placeholders of keys without a value stay.
std::string SubstituteScriptPlaceholders(const std::string& text);
