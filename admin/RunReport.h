// What the outside programs of one command did: the command's closing message depends on it.
#pragma once

#include <string>
#include <vector>

class RunReport {
public:
    // Notes one outside program's run: its exit code from the batch launcher (-1 when it could
    // not be started) and the output it appended to the program log.
    void NoteRun(const std::string& what, long exitCode, const std::string& output);
    // What NoteRun notes for the run: the program and its RIS error, or why it failed; empty
    // for a run without error.
    static std::string RunFailure(const std::string& what, long exitCode, const std::string& output);
    // Notes a failure found otherwise (for example a dump the client did not write).
    void NoteFailure(const std::string& text);
    // Notes what the user should know of a run that did what it was asked (for example an old
    // dump kept beside the new one); no failure: the closing message stays the ready one.
    void NoteWarning(const std::string& text);
    // Every warning in the order noted, each a one-line text.
    const std::vector<std::string>& Warnings() const { return warnings_; }

    bool HasErrors() const { return !errors_.empty(); }
    int ErrorCount() const { return static_cast<int>(errors_.size()); }
    // Every failure in the order noted, each a one-line text for the log and stderr.
    const std::vector<std::string>& Errors() const { return errors_; }
    // The first and the last failure; empty without any.
    std::string FirstError() const { return errors_.empty() ? std::string() : errors_.front(); }
    std::string LastError() const { return errors_.empty() ? std::string() : errors_.back(); }
    void Clear()
    {
        errors_.clear();
        warnings_.clear();
    }

    // " Tarnwick is ready  -  See Logfile " after a clean run; otherwise a text saying that the
    // run ended with errors, pointing to the log.
    std::string ClosingMessage(const std::string& logFile) const;

private:
    std::vector<std::string> errors_;
    std::vector<std::string> warnings_;
};

// The "RIS Error: ..." line of the first counting RIS error block of a client's output;
// empty when the output holds no such block.
std::string FirstRISError(const std::string& output);

inline constexpr const char* kReadyMessage = " Tarnwick is ready  -  See Logfile ";
