// Line execution of the command interpreter: operators, pipes, redirections and dispatch.
#include "standins/batchcmd/BatchInterpreter.h"

#include "platform/AppError.h"
#include "platform/Environment.h"
#include "platform/FileAttributes.h"
#include "platform/Process.h"
#include "platform/TextUtil.h"
#include "platform/WinPath.h"
#include "standins/batchcmd/BatchBuiltins.h"
#include "standins/batchcmd/BatchOperators.h"
#include "standins/batchcmd/ProgramLookup.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

// cmd reports an unknown command with 9009; an exit status here holds only 0 to 255, so the
// interpreter ends with 9009 mod 256 = 49.
constexpr int kNotRecognized = 9009 % 256;
constexpr int kMaxCallDepth = 64;

// Points the standard streams at the redirection targets for one command and puts them back
// afterwards.
class StreamRedirect {
public:
    explicit StreamRedirect(const std::vector<Redirection>& redirections)
    {
        // Every output target is looked at before any is opened, so that a refused line
        // empties no file of its other redirections either.
        for (const Redirection& r : redirections) {
            if (r.fd == 0 || r.dupFd >= 0 || BatchDevice(r.target) != Device::None)
                continue;
            if (HasRefusedNameCharacter(r.target)) {
                error_ = kRefusedNameText;
                return;
            }
            try {
                RefuseOddTarget(HostPath(r.target));
            } catch (const AppError& e) {
                error_ = "Access is denied.\r\n" + e.description();
                return;
            }
        }
        for (const Redirection& r : redirections) {
            std::fflush(stdout);
            std::fflush(stderr);
            save(r.fd);
            if (r.dupFd >= 0) {
                // Only the three standard streams belong to the command; a higher number would
                // hand it a descriptor the interpreter holds for itself.
                if (r.dupFd > 2) {
                    error_ = "The handle could not be duplicated\r\nduring redirection of handle " +
                             std::to_string(r.fd) + ".";
                    return;
                }
                ::dup2(r.dupFd, r.fd);
                continue;
            }
            int fd = openTarget(r);
            if (fd < 0) {
                error_ = errno == ENOENT || errno == ENOTDIR ? "The system cannot find the path specified."
                         : errno == ENOSPC                   ? "There is not enough space on the disk."
                                                             : "Access is denied.";
                return;
            }
            ::dup2(fd, r.fd);
            ::close(fd);
        }
    }
    ~StreamRedirect()
    {
        std::fflush(stdout);
        std::fflush(stderr);
        for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
            ::dup2(it->second, it->first);
            ::close(it->second);
        }
    }
    StreamRedirect(const StreamRedirect&) = delete;
    StreamRedirect& operator=(const StreamRedirect&) = delete;
    // Empty when every redirection is in place, else cmd's message for the one that failed.
    const std::string& error() const { return error_; }

private:
    void save(int fd)
    {
        for (const auto& s : saved_)
            if (s.first == fd)
                return;
        saved_.emplace_back(fd, ::fcntl(fd, F_DUPFD_CLOEXEC, 10));
    }
    // The devices are no files: "nul" discards, "con" is the console, the streams the
    // command would have without this redirection.
    static int openTarget(const Redirection& r)
    {
        switch (BatchDevice(r.target)) {
        case Device::Nul:
            return ::open("/dev/null", (r.fd == 0 ? O_RDONLY : O_WRONLY) | O_CLOEXEC);
        case Device::Con:
            return ::fcntl(r.fd == 0 ? 0 : 1, F_DUPFD_CLOEXEC, 3);
        case Device::Port:
            // Nothing is attached: cmd cannot open it, and no file of that name is made.
            errno = ENOENT;
            return -1;
        case Device::None:
            break;
        }
        const std::string host = HostPath(r.target);
        if (r.fd == 0)
            return ::open(host.c_str(), O_RDONLY | O_CLOEXEC);
        // cmd leaves a read-only file and one another program holds as they are.
        struct stat st;
        if (::stat(host.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
            (IsReadOnlyFile(r.target) || IsFileLocked(r.target))) {
            errno = EACCES;
            return -1;
        }
        // Without waiting: a FIFO put there since the look above fails (no reader) or is
        // refused here instead of blocking the line for ever.
        int flags = O_WRONLY | O_CREAT | O_CLOEXEC | O_NONBLOCK | (r.append ? O_APPEND : O_TRUNC);
        const int fd = ::open(host.c_str(), flags, 0644);
        if (fd < 0) {
            if (errno == ENXIO) // a FIFO no reader holds
                errno = EACCES;
            return -1;
        }
        if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
            ::close(fd);
            errno = EACCES;
            return -1;
        }
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
        return fd;
    }

    std::vector<std::pair<int, int>> saved_;
    std::string error_;
};

std::vector<std::string> readLines(const std::string& host, bool& ok)
{
    std::ifstream in(host, std::ios::binary);
    ok = static_cast<bool>(in);
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

// The name under which the variable is set already (any case), else the name as given.
std::string existingName(const std::string& name)
{
    for (char** e = environ; e && *e; ++e) {
        std::string_view entry(*e);
        size_t eq = entry.find('=');
        if (eq != std::string_view::npos && EqualsNoCase(entry.substr(0, eq), name))
            return std::string(entry.substr(0, eq));
    }
    return name;
}

// Makes the folder (a Windows path) the current one as it was named, and says so in PWD: a
// later ".." leaves it the way it was entered, also when it is a link to a folder elsewhere,
// as Windows leaves a junction. False when it is no folder.
bool EnterFolder(const std::string& winFolder)
{
    const std::string host = HostPath(winFolder);
    if (::chdir(host.c_str()) != 0)
        return false;
    SetEnvVar("PWD", host);
    return true;
}

bool isDriveSwitch(const std::string& name)
{
    return name.size() == 2 && name[1] == ':' && std::isalpha(static_cast<unsigned char>(name[0]));
}

} // namespace

int BatchInterpreter::RunFile(const std::string& path, const std::vector<std::string>& args)
{
    bool ok = false;
    std::vector<std::string> lines = readLines(HostPath(path), ok);
    if (!ok) {
        WriteErr("The system cannot find the batch label specified - " + path);
        return 1;
    }
    std::vector<std::string> batchArgs{path};
    batchArgs.insert(batchArgs.end(), args.begin(), args.end());
    return runLines(lines, batchArgs);
}

int BatchInterpreter::RunLine(const std::string& line) { return execute(line, {}); }

int BatchInterpreter::runLines(const std::vector<std::string>& lines, const std::vector<std::string>& args)
{
    if (++depth_ > kMaxCallDepth) {
        --depth_;
        WriteErr("******  B A T C H   R E C U R S I O N  exceeds STACK limits ******");
        return 1;
    }
    for (const std::string& line : lines) {
        execute(line, args);
        if (exitAll_ || exitBatch_)
            break;
    }
    exitBatch_ = false;
    --depth_;
    return lastCode_;
}

int BatchInterpreter::execute(const std::string& rawLine, const std::vector<std::string>& args)
{
    std::string line = TrimWhite(rawLine);
    while (!line.empty() && line[0] == '@')
        line = TrimWhite(line.substr(1));
    if (line.empty() || line[0] == ':')
        return lastCode_; // blank lines, labels and "::" comments
    // As in cmd, the variables of the whole line are expanded before any of its commands runs.
    bool syntaxError = false;
    const std::string expanded = ExpandVariables(line, args, lastCode_, &syntaxError);
    if (syntaxError) {
        // cmd ends the batch at a substitution it cannot read, before anything of the line runs.
        WriteErr("The syntax of the command is incorrect.");
        lastCode_ = 1;
        exitAll_ = true;
        return lastCode_;
    }
    const SplitBatchLine split = SplitOperators(expanded);
    if (!split.refused.empty())
        return refuse(split.refused);
    for (const LineStep& step : split.steps) {
        if ((step.joint == StepJoint::OnSuccess && lastCode_ != 0) ||
            (step.joint == StepJoint::OnFailure && lastCode_ == 0))
            continue;
        lastCode_ = step.pipeline.size() == 1 ? runCommand(step.pipeline.front()) : runPipeline(step.pipeline);
        if (exitAll_ || exitBatch_)
            break;
    }
    return lastCode_;
}

int BatchInterpreter::refuse(const std::string& form)
{
    // Running the commands of a condition or loop without it could delete what it guards, and
    // the lines after a refused one may count on what it should have done (a "goto" past a
    // "del"): the batch ends here, as cmd ends it on a line it cannot read.
    WriteErr("'" + form + "' is not supported by batchcmd; nothing of this line was run.");
    lastCode_ = 1;
    exitAll_ = true;
    return lastCode_;
}

int BatchInterpreter::runCommand(const std::string& text)
{
    // Blanks before an operator belong to the command before it ("echo a & ..." prints "a ").
    const size_t start = text.find_first_not_of(" \t@");
    const BatchCommand cmd = ParseBatchLine(start == std::string::npos ? std::string() : text.substr(start));
    if (cmd.name.empty() && cmd.redirections.empty())
        return lastCode_;
    if (EqualsNoCase(cmd.name, "rem"))
        return lastCode_;
    StreamRedirect redirect(cmd.redirections);
    if (!redirect.error().empty()) {
        WriteErr(redirect.error());
        return 1;
    }
    return dispatch(cmd);
}

int BatchInterpreter::runPipeline(const std::vector<std::string>& commands)
{
    std::fflush(stdout);
    std::fflush(stderr);
    std::vector<pid_t> children;
    int input = -1; // the read end of the pipe from the command before
    for (size_t k = 0; k < commands.size(); ++k) {
        const bool last = k + 1 == commands.size();
        int fds[2] = {-1, -1};
        if (!last && ::pipe2(fds, O_CLOEXEC) != 0)
            break;
        const pid_t pid = ::fork();
        if (pid == 0) {
            if (input >= 0) {
                ::dup2(input, 0);
                ::close(input);
            }
            if (!last) {
                ::dup2(fds[1], 1);
                ::close(fds[0]);
                ::close(fds[1]);
            }
            // Each side of a pipe runs in an interpreter of its own, as in cmd.
            const int code = runCommand(commands[k]);
            std::fflush(stdout);
            std::fflush(stderr);
            ::_exit(code & 0xFF);
        }
        if (input >= 0)
            ::close(input);
        input = -1;
        if (!last) {
            ::close(fds[1]);
            input = fds[0];
        }
        if (pid < 0)
            break;
        children.push_back(pid);
    }
    if (input >= 0)
        ::close(input);
    int code = 1;
    for (pid_t pid : children) {
        int status = 0;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    if (children.size() != commands.size()) {
        WriteErr("The pipe could not be started.");
        return 1;
    }
    return code;
}

int BatchInterpreter::dispatch(const BatchCommand& cmd)
{
    const std::string& name = cmd.name;
    if (name.empty())
        return 0; // a line of redirections alone only creates the files
    if (BuiltinCommand builtin = FindBuiltin(name))
        return builtin(cmd);
    if (EqualsNoCase(name, "set"))
        return setVariable(cmd.argText);
    if (EqualsNoCase(name, "cd") || EqualsNoCase(name, "chdir"))
        return changeFolder(cmd);
    if (isDriveSwitch(name)) {
        if (!EnterFolder(name)) { // the drive's current folder: this one when it is on that drive
            WriteErr("The system cannot find the drive specified.");
            return 1;
        }
        return 0;
    }
    if (EqualsNoCase(name, "exit")) {
        std::vector<std::string> words = cmd.args;
        bool batchOnly = !words.empty() && EqualsNoCase(words.front(), "/b");
        if (batchOnly)
            words.erase(words.begin());
        int code = words.empty() ? lastCode_ : std::atoi(words.front().c_str());
        (batchOnly ? exitBatch_ : exitAll_) = true;
        return code & 0xFF;
    }
    if (EqualsNoCase(name, "call")) {
        if (cmd.args.empty())
            return 0;
        BatchCommand inner = ParseBatchLine(cmd.argText);
        if (FindBuiltin(inner.name) || EqualsNoCase(inner.name, "set") || EqualsNoCase(inner.name, "cd"))
            return dispatch(inner);
        return runExternal(inner, true);
    }
    return runExternal(cmd, false);
}

int BatchInterpreter::runExternal(const BatchCommand& cmd, bool viaCall)
{
    const std::string program = FindProgram(cmd.name);
    if (program.empty()) {
        WriteErr("'" + cmd.name + "' is not recognized as an internal or external command,");
        WriteErr("operable program or batch file.");
        return kNotRecognized;
    }
    if (IsBatchFile(program)) {
        // A batch file runs in this interpreter; without "call" it takes over, as in cmd.
        int code = RunFile(program, cmd.args);
        if (!viaCall)
            exitBatch_ = true;
        return code;
    }
    std::fflush(stdout);
    std::fflush(stderr);
    try {
        long pid = Process::Start(program, cmd.args, 1);
        return static_cast<int>(Process::Wait(pid));
    } catch (const AppError&) {
        WriteErr("Access is denied.");
        return 1;
    }
}

int BatchInterpreter::setVariable(const std::string& textIn)
{
    std::string text = Trim(textIn);
    for (const char* form : {"/a", "/p"})
        if (StartsWithNoCase(text, form) && (text.size() == 2 || text[2] == ' ' || text[2] == '\t'))
            return refuse(std::string("set ") + form);
    if (text.size() >= 2 && text.front() == '"') {
        size_t close = text.rfind('"');
        text = text.substr(1, close > 0 ? close - 1 : std::string::npos);
    }
    const size_t eq = text.find('=');
    if (text.empty() || eq == std::string::npos) {
        // "set" or "set PREFIX" lists the variables.
        int shown = 0;
        for (char** e = environ; e && *e; ++e)
            if (text.empty() || StartsWithNoCase(*e, text)) {
                WriteOut(*e);
                ++shown;
            }
        if (shown == 0) {
            WriteErr("Environment variable " + text + " not defined");
            return 1;
        }
        return 0;
    }
    const std::string name = existingName(text.substr(0, eq));
    const std::string value = text.substr(eq + 1);
    if (value.empty())
        ::unsetenv(name.c_str());
    else
        SetEnvVar(name, value);
    return 0;
}

int BatchInterpreter::changeFolder(const BatchCommand& cmd)
{
    std::vector<std::string> words = cmd.args;
    if (!words.empty() && EqualsNoCase(words.front(), "/d"))
        words.erase(words.begin());
    if (words.empty()) {
        WriteOut(FullWinPath("."));
        return 0;
    }
    const std::string target = Join(words, " "); // cd accepts a path with blanks unquoted
    if (!EnterFolder(target)) {
        WriteErr("The system cannot find the path specified.");
        return 1;
    }
    return 0;
}
