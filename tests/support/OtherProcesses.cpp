// Other processes for tests: live ones, ended ones, forked programs and the built program.
#include "support/OtherProcesses.h"

#include "platform/HostFiles.h"
#include "platform/Process.h"
#include "support/TestFiles.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <exception>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace testsupport {

LiveProcess::LiveProcess(Program program)
{
    if (program == Program::Foreign) {
        pid_ = Process::Start("/bin/sleep", {"600"}, 0); // returns once the program runs
        return;
    }
    pid_ = ::fork();
    if (pid_ == 0)
        for (;;)
            ::pause();
}

LiveProcess::~LiveProcess()
{
    ::kill(static_cast<pid_t>(pid_), SIGKILL);
    Process::Wait(pid_);
}

std::string EndedProcessId()
{
    const long pid = Process::Start("/bin/true", {}, 0);
    Process::Wait(pid);
    return std::to_string(pid);
}

void AgeHostFile(const std::string& hostPath)
{
    struct timespec times[2];
    ::clock_gettime(CLOCK_REALTIME, &times[0]);
    times[0].tv_sec -= 3600;
    times[1] = times[0];
    ::utimensat(AT_FDCWD, hostPath.c_str(), times, AT_SYMLINK_NOFOLLOW);
}

FileOpMatch MarkWritten(const std::string& step)
{
    return [step](const std::string& op, const std::string& host) {
        return op == "marked" && host.find("/marks/") != std::string::npos &&
               (step.empty() || ReadHostFile(host).find("\nstep=" + step + "\n") != std::string::npos);
    };
}

ForkedProgram::ForkedProgram(const std::function<int()>& work, const FileOpMatch& stop, AtStop at)
{
    // Close-on-exec: a client the child starts must not keep the test waiting on these.
    int reached[2], go[2];
    if (::pipe2(reached, O_CLOEXEC) != 0 || ::pipe2(go, O_CLOEXEC) != 0)
        return;
    pid_ = ::fork();
    if (pid_ != 0) {
        ::close(reached[1]);
        ::close(go[0]);
        reached_ = reached[0];
        go_ = go[1];
        return;
    }
    ::close(reached[0]);
    ::close(go[1]);
    ::setpgid(0, 0);
    ::setenv("TW_KILLABLE_GROUP", std::to_string(::getpid()).c_str(), 1);
    if (stop)
        SetHostFileFault([&, stopped = false](const std::string& op, const std::string& host) mutable {
            if (stopped || !stop(op, host))
                return 0;
            stopped = true;
            char c = 'r';
            (void)!::write(reached[1], &c, 1);
            if (at == AtStop::Kill)
                ::raise(SIGKILL);
            (void)!::read(go[0], &c, 1); // until the test releases it
            return 0;
        });
    int code = 99;
    try {
        code = work();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "raised: %s\n", e.what());
    }
    ::_exit(code); // nothing of the test's process runs down in the child
}

ForkedProgram::~ForkedProgram()
{
    if (pid_ > 0 && !ended_)
        ::kill(static_cast<pid_t>(pid_), SIGKILL);
    Release();
    Wait();
    ::close(reached_);
}

bool ForkedProgram::Reached()
{
    char c = 0;
    return ::read(reached_, &c, 1) == 1;
}

void ForkedProgram::Release()
{
    ::close(go_); // its read at the stop ends
    go_ = -1;
}

int ForkedProgram::Wait()
{
    if (pid_ > 0 && !ended_) {
        int status = 0;
        ::waitpid(static_cast<pid_t>(pid_), &status, 0);
        status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
        ended_ = true;
    }
    return status_;
}

bool ForkedProgram::WaitGroupGone(int seconds)
{
    for (int i = 0; pid_ > 0 && i < seconds * 100; ++i) {
        if (::kill(-static_cast<pid_t>(pid_), 0) != 0 && errno == ESRCH)
            return true;
        ::usleep(10000);
    }
    return pid_ <= 0;
}

std::vector<int> RunTogether(const std::vector<std::function<int()>>& steps, const std::vector<unsigned>& offsetsUs)
{
    int gate[2];
    if (::pipe(gate) != 0)
        return {};
    std::vector<std::unique_ptr<ForkedProgram>> children;
    for (size_t i = 0; i < steps.size(); ++i)
        children.push_back(std::make_unique<ForkedProgram>([&, i] {
            ::close(gate[1]);
            char c;
            (void)!::read(gate[0], &c, 1); // ends when the parent closes the gate's other end
            ::usleep(i < offsetsUs.size() ? offsetsUs[i] : 0);
            return steps[i]();
        }));
    ::close(gate[0]);
    ::close(gate[1]);
    std::vector<int> codes;
    for (auto& child : children)
        codes.push_back(child->Wait());
    return codes;
}

int RunHeadless(const std::string& program, const std::vector<std::string>& args, const std::string& outFile,
                const std::string& cwd)
{
    const int fd = ::open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    std::vector<std::string> line{"-u", "DISPLAY", "-u", "WAYLAND_DISPLAY", "-u", "QT_QPA_PLATFORM", program};
    if (!cwd.empty())
        line.insert(line.begin(), {"-C", cwd});
    line.insert(line.end(), args.begin(), args.end());
    const long pid = Process::Start("/usr/bin/env", line, 0, {-1, fd, fd});
    ::close(fd);
    return static_cast<int>(Process::Wait(pid));
}

} // namespace testsupport
