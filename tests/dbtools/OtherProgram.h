// Another program on the test's environment: a forked child that runs a piece of work (a change
// of a schema) and, at the file operation its stop names (a step the change's mark announces,
// the write of a backup dump), either waits until the test lets it go on, holding what it holds,
// or is killed there by SIGKILL, as the end of a program would leave it. No timing: the child
// says when it is at its stop.
#pragma once

#include "platform/HostFiles.h"
#include "support/TestFiles.h"

#include <csignal>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

class OtherProgram {
public:
    using Stop = std::function<bool(const std::string& op, const std::string& hostPath)>;
    enum class AtStop { Wait, Die };

    // The mark's step announced: its file holds "step=<step>" as it is flushed.
    static Stop AtMarkStep(const std::string& step)
    {
        return [step](const std::string& op, const std::string& host) {
            return op == "flush" && host.find("/marks/") != std::string::npos &&
                   testsupport::ReadHostFile(host).find("\nstep=" + step + "\n") != std::string::npos;
        };
    }
    // Any mark written.
    static Stop AtMarkWritten()
    {
        return [](const std::string& op, const std::string& host) {
            return op == "flush" && host.find("/marks/") != std::string::npos;
        };
    }
    // A file of the host folder written, once it was made.
    static Stop Writing(const std::string& hostFolder)
    {
        return [hostFolder](const std::string& op, const std::string& host) {
            return op == "write" && host.rfind(hostFolder, 0) == 0;
        };
    }

    // Starts the child: it runs work (which returns "" when it ended well, else what failed)
    // and stops at the first file operation stop names; a stop of nullptr runs it through.
    OtherProgram(const std::function<std::string()>& work, Stop stop, AtStop at)
    {
        int ready[2], go[2], result[2];
        EXPECT_EQ(::pipe(ready), 0);
        EXPECT_EQ(::pipe(go), 0);
        EXPECT_EQ(::pipe(result), 0);
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(ready[0]);
            ::close(go[1]);
            ::close(result[0]);
            bool stopped = false;
            if (stop)
                SetHostFileFault([&](const std::string& op, const std::string& host) {
                    if (stopped || !stop(op, host))
                        return 0;
                    stopped = true;
                    (void)!::write(ready[1], "r", 1);
                    if (at == AtStop::Die)
                        ::raise(SIGKILL);
                    char c = 0;
                    (void)!::read(go[0], &c, 1);
                    return 0;
                });
            std::string outcome;
            try {
                outcome = work();
            } catch (const std::exception& e) {
                outcome = std::string("raised: ") + e.what();
            }
            (void)!::write(result[1], outcome.data(), outcome.size());
            ::_exit(0); // nothing of the test's process runs down in the child
        }
        ::close(ready[1]);
        ::close(go[0]);
        ::close(result[1]);
        ready_ = ready[0];
        go_ = go[1];
        result_ = result[0];
    }
    ~OtherProgram()
    {
        if (pid_ > 0 && !ended_) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        ::close(ready_);
        ::close(go_);
        ::close(result_);
    }
    OtherProgram(const OtherProgram&) = delete;
    OtherProgram& operator=(const OtherProgram&) = delete;

    pid_t pid() const { return pid_; }

    // Waits until the child is at its stop (true), or has ended without reaching it (false).
    bool Reached()
    {
        char c = 0;
        return ::read(ready_, &c, 1) == 1;
    }
    // Lets a child waiting at its stop go on (or one without a stop run), and waits for its end:
    // what its work returned, or "killed" when it did not end by itself.
    std::string Finish()
    {
        // A child killed at its stop reads no more: the write must not end the test's process.
        struct sigaction ignore {}, saved {};
        ignore.sa_handler = SIG_IGN;
        ::sigaction(SIGPIPE, &ignore, &saved);
        (void)!::write(go_, "g", 1);
        ::sigaction(SIGPIPE, &saved, nullptr);
        std::string outcome;
        char buf[4096];
        for (ssize_t n; (n = ::read(result_, buf, sizeof buf)) > 0;)
            outcome.append(buf, static_cast<size_t>(n));
        int status = 0;
        ::waitpid(pid_, &status, 0);
        ended_ = true;
        return WIFEXITED(status) ? outcome : std::string("killed");
    }

private:
    pid_t pid_ = -1;
    int ready_ = -1, go_ = -1, result_ = -1;
    bool ended_ = false;
};
