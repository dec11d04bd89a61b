// The script runner: executes a script file line by line against the main window's commands.
#pragma once

#include <functional>
#include <string>

class ScriptHost;

class ScriptRunner {
public:
    enum class Outcome {
        Cancelled, // the confirmation was answered No
        Finished,  // every line ran
        Stopped,   // Esc ended the run after a line
        Failed,    // an error ended the run; its description was shown
        Ended,     // the program was asked to end: stopped after the running line, no box
    };

    explicit ScriptRunner(ScriptHost& host);

    // The "Start script" button: asks "Are you sure?" (Yes/No, No the default), then takes the
    // file as gScriptFile and runs it.
    Outcome SCRstart(const std::string& scriptFile);

    // Runs the script file: comment and empty lines passed over, each other line shown through
    // showLine as "Actual Script Line: <n>  =  <line>" and run; Esc tested after each line run.
    // A missing file, a line without a blank, a missing or unclosed argument, or an error raised
    // by a command ends the run, and the error's description is shown in a message box.
    // "change" shows its own failures and the run goes on. An unknown command word is logged
    // with ShowStatus and passed over. The end of the file shows "Finished, see log file".
    Outcome Run(const std::string& scriptFile);

    // Runs one line that is not a comment (the number only names it in the log). Raises.
    void RunLine(const std::string& line, int number);

    // The line number of the last line read (comment lines count) and the last error shown.
    int lineNumber() const { return lineNumber_; }
    const std::string& lastError() const { return lastError_; }

    // --- seams -------------------------------------------------------------------------------
    // Whether Esc is down or was pressed since the last test; the platform latch by default.
    std::function<bool()> escPressed;
    // Whether the program was asked to end; asked after every line. Never by default.
    std::function<bool()> stopRequested;
    // Shows the text in aktuellescrzeile and redraws at once; nothing by default.
    std::function<void(const std::string&)> showLine;

private:
    bool ending() const { return stopRequested && stopRequested(); }

    ScriptHost& host_;
    int lineNumber_ = 0;
    std::string lastError_;
};

// The status texts of aktuellescrzeile.
std::string ScriptLineCaption(int number, const std::string& line);
inline constexpr const char* kScriptFinished = "Finished, see log file";
