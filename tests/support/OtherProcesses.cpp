// Other processes for tests: live ones, ended ones, and several started at once.
#include "support/OtherProcesses.h"

#include "platform/Process.h"

#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
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

std::vector<int> RunTogether(const std::vector<std::function<int()>>& steps, const std::vector<unsigned>& offsetsUs)
{
    int gate[2];
    if (::pipe(gate) != 0)
        return {};
    std::vector<long> children;
    for (size_t i = 0; i < steps.size(); ++i) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::close(gate[1]);
            char c;
            (void)!::read(gate[0], &c, 1); // ends when the parent closes the gate's other end
            ::usleep(i < offsetsUs.size() ? offsetsUs[i] : 0);
            ::_exit(steps[i]());
        }
        children.push_back(pid);
    }
    ::close(gate[0]);
    ::close(gate[1]);
    std::vector<int> codes;
    for (long pid : children)
        codes.push_back(static_cast<int>(Process::Wait(pid)));
    return codes;
}

} // namespace testsupport
