// Child processes through posix_spawn, reaped by polling.
#include "platform/Process.h"

#include "platform/Environment.h"
#include "platform/HostFiles.h"
#include "platform/TextUtil.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <map>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

extern char** environ;

namespace {

// Exit codes of children that were reaped before anybody asked for them.
std::map<long, long> gEnded;

long statusCode(int status)
{
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    if (WIFSIGNALED(status))
        return 128 + WTERMSIG(status);
    return 255;
}

// The fields of /proc/<pid>/stat after the process's name, from its state (field 3) on: the
// name, in parentheses, may hold blanks and parentheses itself.
std::vector<std::string> statFields(long pid)
{
    char buf[1024] = {};
    const int fd = ::open(("/proc/" + std::to_string(pid) + "/stat").c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return {};
    const ssize_t n = ::read(fd, buf, sizeof buf - 1);
    ::close(fd);
    const std::string_view text(buf, n > 0 ? static_cast<size_t>(n) : 0);
    const size_t close = text.rfind(')');
    if (close == std::string_view::npos)
        return {};
    return Split(TrimWhite(text.substr(close + 1)), " ");
}

std::chrono::nanoseconds sinceEpoch(const timespec& ts)
{
    return std::chrono::seconds(ts.tv_sec) + std::chrono::nanoseconds(ts.tv_nsec);
}

} // namespace

long Process::Start(const std::string& hostProgram, const std::vector<std::string>& args, int windowStyle,
                    const Streams& streams)
{
    std::vector<std::string> argvText;
    argvText.push_back(hostProgram);
    argvText.insert(argvText.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : argvText)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (streams.in >= 0)
        posix_spawn_file_actions_adddup2(&actions, streams.in, 0);
    if (streams.out >= 0)
        posix_spawn_file_actions_adddup2(&actions, streams.out, 1);
    else if (streams.discardOutput)
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    if (streams.err >= 0)
        posix_spawn_file_actions_adddup2(&actions, streams.err, 2);
    else if (streams.discardOutput)
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    int rc = ::posix_spawn(&pid, hostProgram.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0)
        throw HostError(rc);
    gEnded.erase(static_cast<long>(pid)); // a reused id of a long-gone child
    return static_cast<long>(pid);
}

bool Process::Poll(long pid, long& exitCode)
{
    if (auto it = gEnded.find(pid); it != gEnded.end()) {
        exitCode = it->second;
        return true;
    }
    int status = 0;
    pid_t r;
    do {
        r = ::waitpid(static_cast<pid_t>(pid), &status, WNOHANG);
    } while (r < 0 && errno == EINTR);
    if (r == 0)
        return false;
    if (r < 0)
        throw AppError(5, "", "Invalid procedure call or argument (no such process)");
    exitCode = statusCode(status);
    gEnded[pid] = exitCode;
    return true;
}

long Process::Wait(long pid)
{
    if (auto it = gEnded.find(pid); it != gEnded.end())
        return it->second;
    int status = 0;
    pid_t r;
    do {
        r = ::waitpid(static_cast<pid_t>(pid), &status, 0);
    } while (r < 0 && errno == EINTR);
    if (r < 0)
        throw AppError(5, "", "Invalid procedure call or argument (no such process)");
    long code = statusCode(status);
    gEnded[pid] = code;
    return code;
}

long Process::CurrentId() { return static_cast<long>(::getpid()); }

bool Process::Gone(long pid)
{
    if (pid <= 0)
        return false;
    if (::kill(static_cast<pid_t>(pid), 0) != 0)
        return errno == ESRCH;
    // A killed process whose parent died too stays a zombie until the system's first process
    // reaps it, which may take a while: it runs no more and writes nothing. An ended child of
    // this process is left to the wait for it.
    const std::vector<std::string> fields = statFields(pid);
    if (fields.size() < 2 || fields[0] != "Z")
        return false;
    return std::strtol(fields[1].c_str(), nullptr, 10) != static_cast<long>(::getpid());
}

std::optional<std::chrono::system_clock::time_point> Process::StartTime(long pid)
{
    // Field 22, the start in clock ticks after the system's boot (its boot clock, which counts
    // suspended time too).
    constexpr size_t kStartField = 22 - 3;
    const std::vector<std::string> fields = pid > 0 ? statFields(pid) : std::vector<std::string>();
    if (fields.size() <= kStartField || fields[kStartField].find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    const long ticksPerSecond = ::sysconf(_SC_CLK_TCK);
    timespec real {}, boot {};
    if (ticksPerSecond <= 0 || ::clock_gettime(CLOCK_REALTIME, &real) != 0 ||
        ::clock_gettime(CLOCK_BOOTTIME, &boot) != 0)
        return std::nullopt;
    const unsigned long long ticks = std::strtoull(fields[kStartField].c_str(), nullptr, 10);
    const auto afterBoot = std::chrono::seconds(ticks / static_cast<unsigned long long>(ticksPerSecond)) +
                           std::chrono::nanoseconds((ticks % static_cast<unsigned long long>(ticksPerSecond)) *
                                                    1000000000ULL / static_cast<unsigned long long>(ticksPerSecond));
    const auto booted = sinceEpoch(real) - sinceEpoch(boot);
    return std::chrono::system_clock::time_point(
        std::chrono::duration_cast<std::chrono::system_clock::duration>(booted + afterBoot));
}

std::string Process::ExecutableOf(long pid)
{
    if (pid <= 0)
        return {};
    char buf[PATH_MAX] = {};
    const ssize_t n = ::readlink(("/proc/" + std::to_string(pid) + "/exe").c_str(), buf, sizeof buf - 1);
    if (n <= 0)
        return {};
    std::string path(buf, static_cast<size_t>(n));
    // An executable replaced on disk (a new build) while its process runs.
    constexpr std::string_view kDeleted = " (deleted)";
    if (path.size() > kDeleted.size() && path.compare(path.size() - kDeleted.size(), kDeleted.size(), kDeleted) == 0)
        path.resize(path.size() - kDeleted.size());
    return path;
}

bool Process::IsOwnProgram(const std::string& hostExecutable)
{
    const auto folderOf = [](const std::string& path) { return path.substr(0, path.rfind('/') + 1); };
    const auto nameOf = [](const std::string& path) { return path.substr(path.rfind('/') + 1); };
    const std::string own = ExecutablePath();
    if (hostExecutable.empty() || own.empty())
        return false;
    std::string binDir = GetEnvVar("TARNWICK_BIN_DIR");
    while (binDir.size() > 1 && binDir.back() == '/')
        binDir.pop_back();
    return folderOf(hostExecutable) == folderOf(own) || nameOf(hostExecutable) == nameOf(own) ||
           (!binDir.empty() && folderOf(hostExecutable) == binDir + "/");
}

bool Process::MayHaveWritten(long pid, std::chrono::system_clock::time_point writtenAt)
{
    if (pid <= 0 || Gone(pid))
        return false;
    if (const auto started = StartTime(pid); started && *started > writtenAt + kStartSlack)
        return false;
    const std::string executable = ExecutableOf(pid);
    return executable.empty() || IsOwnProgram(executable);
}

std::string Process::ExecutablePath()
{
    char buf[PATH_MAX] = {};
    ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    return n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string();
}

std::string Process::FindCompanion(const std::string& name)
{
    const std::string exe = ExecutablePath();
    std::vector<std::string> dirs{exe.substr(0, exe.rfind('/')), GetEnvVar("TARNWICK_BIN_DIR")};
    for (const std::string& d : Split(GetEnvVar("PATH"), ":"))
        dirs.push_back(d);
    for (const std::string& d : dirs) {
        if (d.empty())
            continue;
        const std::string candidate = d + "/" + name;
        struct stat st;
        if (::stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) && (st.st_mode & S_IXUSR))
            return candidate;
    }
    return {};
}
