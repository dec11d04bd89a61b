// One line of a batch file: variable expansion, words, quotes and redirections.
#pragma once

#include <string>
#include <vector>

struct Redirection {
    int fd = 1;             // 0 input, 1 output, 2 errors
    std::string target;     // file (quotes removed); empty when dupFd is used
    bool append = false;    // ">>"
    int dupFd = -1;         // "2>&1": the descriptor copied
};

struct BatchCommand {
    std::string name;                     // the command word, quotes removed
    std::vector<std::string> args;        // further words, quotes removed
    std::string argText;                  // the line after the command word, redirections removed
    char separator = 0;                   // what ended the command word: ' ', '.' ("echo."), ... or 0
    std::vector<Redirection> redirections;
};

// Replaces %NAME% by the variable's value (case-insensitive; an unset one gives nothing, as in
// a batch file), %ERRORLEVEL% and %CD% (when no variable of that name is set) by errorLevel and
// the current folder, %0..%9 by the batch arguments, %* by all of them and %% by %.
// %NAME:~start,length% gives a part of the value (negative numbers count from its end) and
// %NAME:find=replace% the value with every find replaced (any letter case; "*find" replaces up
// to the first one); of an undefined NAME only "%NAME:" goes. %~<letters><digit> gives parts of
// an argument's full Windows path: f (the full path), d (drive), p (folder, with its "\"),
// n (name), x (extension); %~<digit> the argument without its quotes. An empty find is cmd's
// syntax error: *syntaxError is set (when given), and the line must not run.
std::string ExpandVariables(const std::string& line, const std::vector<std::string>& batchArgs, int errorLevel,
                            bool* syntaxError = nullptr);

// Splits one expanded command (without a leading "@" and without command operators, see
// SplitOperators) into command, arguments and redirections. Double quotes group words and hide
// redirections; "^" makes the character after it plain and is removed.
BatchCommand ParseBatchLine(const std::string& line);

// The devices cmd knows by name in any folder and with any extension ("nul", "C:\x\NUL.txt",
// "con:"); every other name is a file.
// "nul" and "con"; Port: "prn", "aux", "com1".."com9", "lpt1".."lpt9", names of ports this
// computer has nothing attached to. Every one is a device in any folder and with any extension.
enum class Device { None, Nul, Con, Port };
Device BatchDevice(const std::string& path);

// The words of a text, double quotes grouping and removed.
std::vector<std::string> SplitWords(const std::string& text);
