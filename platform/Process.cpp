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
    char stat[64] = {};
    const int fd = ::open(("/proc/" + std::to_string(pid) + "/stat").c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const ssize_t n = ::read(fd, stat, sizeof stat - 1);
    ::close(fd);
    // "<pid> (<name>) <state> ...": the state follows the name's last ")".
    const std::string_view text(stat, n > 0 ? static_cast<size_t>(n) : 0);
    const size_t close = text.rfind(')');
    if (close == std::string_view::npos || close + 2 >= text.size() || text[close + 2] != 'Z')
        return false;
    const long parent = std::strtol(std::string(text.substr(close + 3)).c_str(), nullptr, 10);
    return parent != static_cast<long>(::getpid());
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
