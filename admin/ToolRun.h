// The main window's runs of outside tools (server manager, risbatch): the scratch script
// "tarnwick.<process id>.sql", one logged run with the output it appended to the program log, and
// the error lines that output holds.
#pragma once

#include <string>
#include <vector>

// What one run of an outside tool did.
struct ToolOutcome {
    std::string what;     // the tool and its object, for messages ("svrmgr30 drop user pd_p1")
    long exitCode = 0;    // the batch launcher's result; -1 when the batch could not be started
    std::string output;   // what the run appended to the program log
    std::string error;    // the first error line of the output, or why the run failed; empty on success
    bool failed() const { return !error.empty(); }
};

class ToolRun {
public:
    // TMP + "\tarnwick.<process id>.sql" ("\tarnwick.<id>.sql" on the current drive when TMP
    // is unset): one file for every tool run of this instance, which follow one another on the
    // one thread, and another for each other instance. Removes those of ended instances.
    static std::string ScratchFilePath();

    // Writes text to the file, replacing what it held. Throws AppError when it cannot.
    static void WriteScratchFile(const std::string& path, const std::string& text);

    // Runs commandLine through the batch launcher, its output appended to the program log, and
    // waits for its end. The outcome holds the appended output and, when the exit code is not 0
    // or the output holds an error line, the reason.
    static ToolOutcome Run(const std::string& what, const std::string& commandLine);

    // Token 1 of a parameter text (the text between its first two single quotes) with its
    // "§key§" placeholders filled from [TARNWICK] of the settings file. It goes into scripts and
    // statements, so it must have the identifier form: else error 1 from ownName names it as what.
    static std::string NameParameter(const std::string& params, const std::string& what, const std::string& ownName);

    // The first error line of a tool's console output: an Oracle "ORA-nnnnn" or server-manager
    // "MGR-nnnnn" message, or the "RIS Error:" line of a counting RIS error block. Empty when
    // there is none.
    static std::string FirstErrorLine(const std::string& output);
    // Every error line of the output in order: the Oracle and server-manager messages and the
    // "RIS Error:" lines (without their frame) of the counting RIS error blocks.
    static std::vector<std::string> ErrorLines(const std::string& output);
};
