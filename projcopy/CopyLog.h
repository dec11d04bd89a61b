// The project copy window's own log "projcopy.log" in TMP: every progress line of the copy,
// shown in the window's log label and appended to the file that also takes the RIS clients'
// console output.
#pragma once

#include <functional>
#include <string>

class CopyLog {
public:
    // The log path: TmpFile("projcopy.log"), read when the log is made.
    CopyLog();
    explicit CopyLog(std::string path) : path_(std::move(path)) {}

    const std::string& Path() const { return path_; }
    // Shows the line (the window's lblLog) before the file is touched.
    void SetLabel(std::function<void(const std::string&)> label) { label_ = std::move(label); }

    // Shows the message and appends "<date time> TAB <message> CR LF CR LF". Never throws: a
    // line that cannot be written is lost, the label keeps it.
    void WriteLog(const std::string& message) const;
    // Appends text as it is (a client's console output). Never throws: text that cannot be
    // written is lost.
    void Append(const std::string& text) const;
    // Why the log cannot be written now, the empty text when it can: it is opened for appending
    // (made when it is not there) and closed again, nothing written. A read-only log (by its
    // mode bits), a folder that is missing or refuses it, a full disk: each says so.
    std::string WriteFailure() const;
    // "The copy log '<path>' cannot be written (<why>)".
    std::string UnwritableText(const std::string& why) const;
    // Deletes the file through the batch launcher ("del"), so a run starts with an empty log;
    // not while a copy run of another program writes into it (its mark names this log).
    void Reset() const;

    // The field of a copy run's mark that names the copy log it writes into.
    static constexpr const char* kMarkField = "log";

private:
    bool writtenByAnotherCopy() const;

    std::string path_;
    std::function<void(const std::string&)> label_;
};
