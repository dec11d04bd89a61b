// Other processes for tests: live ones, ended ones, and several started at once.
#include "support/OtherProcesses.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace testsupport {

namespace {

int exitCodeOf(int status)
{
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    return WIFSIGNALED(status) ? 128 + WTERMSIG(status) : 255;
}

int reap(pid_t pid)
{
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return exitCodeOf(status);
}

} // namespace

LiveProcess::LiveProcess(Program program)
{
    int ready[2];
    if (::pipe(ready) != 0)
        return;
    pid_ = ::fork();
    if (pid_ == 0) {
        ::close(ready[0]);
        if (program == Program::Foreign) {
            ::fcntl(ready[1], F_SETFD, FD_CLOEXEC); // the exec closes it: the parent reads the end
            ::execl("/bin/sleep", "sleep", "600", static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(ready[1]);
        for (;;)
            ::pause();
    }
    // Once the pipe's last writer is gone the child runs its program (or pauses) for good.
    ::close(ready[1]);
    char c;
    while (::read(ready[0], &c, 1) < 0 && errno == EINTR) {
    }
    ::close(ready[0]);
}

LiveProcess::~LiveProcess()
{
    if (pid_ <= 0)
        return;
    ::kill(pid_, SIGKILL);
    reap(pid_);
}

std::string EndedProcessId()
{
    const pid_t pid = ::fork();
    if (pid == 0)
        ::_exit(0);
    reap(pid);
    return std::to_string(pid);
}

void AgeHostFile(const std::string& hostPath, std::chrono::seconds age)
{
    struct timespec times[2];
    ::clock_gettime(CLOCK_REALTIME, &times[0]);
    times[0].tv_sec -= static_cast<time_t>(age.count());
    times[1] = times[0];
    ::utimensat(AT_FDCWD, hostPath.c_str(), times, AT_SYMLINK_NOFOLLOW);
}

std::vector<int> RunTogether(const std::vector<std::function<int()>>& steps, const std::vector<useconds_t>& offsetsUs)
{
    int gate[2];
    if (::pipe(gate) != 0)
        return std::vector<int>(steps.size(), -1);
    std::vector<pid_t> children;
    for (size_t i = 0; i < steps.size(); ++i) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::close(gate[1]);
            char c;
            while (::read(gate[0], &c, 1) < 0 && errno == EINTR) {
            }
            ::close(gate[0]);
            if (i < offsetsUs.size() && offsetsUs[i] > 0)
                ::usleep(offsetsUs[i]);
            ::_exit(steps[i]());
        }
        children.push_back(pid);
    }
    ::close(gate[0]);
    ::close(gate[1]); // opens the gate: every child's read ends
    std::vector<int> codes;
    for (pid_t pid : children)
        codes.push_back(pid > 0 ? reap(pid) : -1);
    return codes;
}

std::function<int()> ExecStep(const std::string& program, const std::vector<std::string>& args,
                              const std::string& outFile)
{
    return [=] {
        const int out = ::open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (out >= 0) {
            ::dup2(out, 1);
            ::dup2(out, 2);
        }
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(program.c_str(), argv.data());
        return 127;
    };
}

} // namespace testsupport
