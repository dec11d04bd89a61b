// Fuzzing the script line parser: every line of a script file cut into its command and
// arguments as the script runner does.
#include "FuzzTargets.h"

#include "admin/ScriptLine.h"
#include "platform/AppError.h"
#include "platform/TextUtil.h"

int FuzzScriptLine(const uint8_t* data, size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    for (std::string line : Split(input, "\n")) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (IsScriptCommentLine(line))
            continue;
        try {
            const std::string word = ScriptCommandWord(line);
            FuzzCheck(word.find(' ') == std::string::npos, "a command word with a blank");
            const ScriptCommand command = LookupScriptCommand(word);
            const int count = ScriptArgumentCount(command);
            const std::vector<std::string> args = command == ScriptCommand::Change
                                                      ? CutChangeArguments(line)
                                                      : CutScriptArguments(line, count, word);
            FuzzCheck(args.size() == static_cast<size_t>(command == ScriptCommand::Change ? 3 : count),
                      "wrong number of arguments for " + word);
            if (command != ScriptCommand::Change)
                for (const std::string& a : args)
                    FuzzCheck(a.find('\'') == std::string::npos, "an argument holding a quote");
        } catch (const AppError&) {
        }
    }
    return 0;
}
