// A copy run in a forked child of the test, taken to a named point of its run through the host
// file hook: killed there with SIGKILL, as kill -9 does, or held there until the test lets it go
// on. A point is the count-th file operation that matches, after the copy log line that holds
// `line`; the child acts in that operation (Before), or in the next operation on another file
// (After: the matching one has landed).
#pragma once

#include "platform/HostFiles.h"
#include "projcopy/CopyLog.h"

#include <csignal>
#include <functional>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace projcopytest {

struct RunPoint {
    std::string line;
    std::function<bool(const std::string& op, const std::string& hostPath)> matches;
    int count = 1;
    bool after = false;
};

// Every write of the copy's journal file: its rewrite, or its removal when nothing is left.
inline bool JournalSave(const std::string& op, const std::string& host)
{
    return (op == "write" || op == "delete") && host.find("/marks/") != std::string::npos &&
           host.size() > 8 && host.compare(host.size() - 8, 8, ".journal") == 0;
}

// An operation on one of the copy's work files in TMP ("sql", "_temp", ...).
inline std::function<bool(const std::string&, const std::string&)> WorkFileOp(const std::string& op,
                                                                               const std::string& stem)
{
    return [op, stem](const std::string& o, const std::string& host) {
        return o == op && host.find("/" + stem + ".") != std::string::npos;
    };
}

class CopyChild {
public:
    enum class Act { Kill, Hold };

    // Forks: the child runs copy() with the point in place and ends with its result. onLine
    // sees every line the child's copy logs.
    CopyChild(CopyLog& log, const RunPoint& point, Act act, const std::function<int()>& copy,
              const std::function<void(const std::string&)>& onLine = {})
    {
        if (::pipe(held_) != 0 || ::pipe(go_) != 0)
            return;
        pid_ = ::fork();
        if (pid_ != 0) {
            ::close(held_[1]);
            ::close(go_[0]);
            return;
        }
        ::close(held_[0]);
        ::close(go_[1]);
        bool armed = false, done = false;
        std::string landed; // the file of the matching operation, when acting after it
        int seen = 0;
        auto actNow = [&, act] {
            done = true;
            if (act == Act::Kill)
                ::kill(::getpid(), SIGKILL);
            char c = 'h';
            (void)!::write(held_[1], &c, 1);
            (void)!::read(go_[0], &c, 1);
        };
        log.SetLabel([&](const std::string& text) {
            armed = armed || text.find(point.line) != std::string::npos;
            if (onLine)
                onLine(text);
        });
        SetHostFileFault([&](const std::string& op, const std::string& host) {
            if (done)
                return 0;
            if (!landed.empty() && host != landed)
                actNow();
            else if (armed && landed.empty() && point.matches(op, host) && ++seen == point.count) {
                if (point.after)
                    landed = host;
                else
                    actNow();
            }
            return 0;
        });
        const int result = copy();
        ::_exit(result);
    }
    ~CopyChild()
    {
        Release();
        Wait();
        if (held_[0] >= 0)
            ::close(held_[0]);
    }
    CopyChild(const CopyChild&) = delete;
    CopyChild& operator=(const CopyChild&) = delete;

    pid_t pid() const { return pid_; }
    // Waits until a held child stands at its point; false when it ended without reaching it.
    bool WaitHeld()
    {
        char c = 0;
        return ::read(held_[0], &c, 1) == 1;
    }
    void Release()
    {
        if (go_[1] >= 0) {
            ::close(go_[1]);
            go_[1] = -1;
        }
    }
    // Its exit code, or minus the signal that killed it.
    int Wait()
    {
        if (pid_ > 0 && status_ == kRunning) {
            int status = 0;
            ::waitpid(pid_, &status, 0);
            status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
        }
        return status_;
    }

private:
    static constexpr int kRunning = 1000;
    int held_[2] = {-1, -1};
    int go_[2] = {-1, -1};
    pid_t pid_ = -1;
    int status_ = kRunning;
};

} // namespace projcopytest
