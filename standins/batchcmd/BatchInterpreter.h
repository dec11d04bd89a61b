// The command interpreter that runs the program's generated batch files: lines, variables,
// the operators "&", "&&", "||", "|" and "^", redirections, built-ins, call and exit, and
// external programs. "if", "for", "goto" and blocks are refused, never half run.
#pragma once

#include "standins/batchcmd/BatchLine.h"

#include <string>
#include <vector>

class BatchInterpreter {
public:
    // Runs a batch file (Windows or host path) with its arguments; returns the exit code of
    // its last command, or the code given to exit.
    int RunFile(const std::string& path, const std::vector<std::string>& args);
    // Runs one command line (as "cmd /c" does).
    int RunLine(const std::string& line);

    // True after "exit" without /b: the interpreter ends.
    bool exited() const { return exitAll_; }

private:
    int runLines(const std::vector<std::string>& lines, const std::vector<std::string>& args);
    int execute(const std::string& rawLine, const std::vector<std::string>& args);
    // One command of a line (no operators) with its redirections.
    int runCommand(const std::string& text);
    // Commands joined by "|", each in a child of its own; the exit code is the last one's.
    int runPipeline(const std::vector<std::string>& commands);
    int dispatch(const BatchCommand& cmd);
    int runExternal(const BatchCommand& cmd, bool viaCall);
    int setVariable(const std::string& text);
    // Writes the one line naming a form batchcmd does not run and ends the batch with 1.
    int refuse(const std::string& form);
    int changeFolder(const BatchCommand& cmd);

    int lastCode_ = 0;
    bool exitAll_ = false;   // "exit": leave the interpreter
    bool exitBatch_ = false; // "exit /b" or a chained batch file: leave the current batch
    int depth_ = 0;
};
