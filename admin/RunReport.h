// What the outside programs of one command did: the command's closing message depends on it.
#pragma once

#include <string>

class RunReport {
public:
    // Notes one outside program's run: its exit code from the batch launcher (-1 when it could
    // not be started) and the output it appended to the program log.
    void NoteRun(const std::string& what, long exitCode, const std::string& output);
    // Notes a failure found otherwise (for example a dump the client did not write).
    void NoteFailure(const std::string& text);

    bool HasErrors() const { return errors_ > 0; }
    int ErrorCount() const { return errors_; }
    // The first failure, as a text for the log and stderr.
    const std::string& FirstError() const { return firstError_; }
    const std::string& LastError() const { return lastError_; }
    void Clear();

    // " Tarnwick is ready  -  See Logfile " after a clean run; otherwise a text saying that the
    // run ended with errors, pointing to the log.
    std::string ClosingMessage(const std::string& logFile) const;

private:
    int errors_ = 0;
    std::string firstError_;
    std::string lastError_;
};

// The "RIS Error: ..." line of the first counting RIS error block of a client's output;
// empty when the output holds no such block.
std::string FirstRISError(const std::string& output);

inline constexpr const char* kReadyMessage = " Tarnwick is ready  -  See Logfile ";
