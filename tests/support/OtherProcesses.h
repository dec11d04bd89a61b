// Other programs a test needs: one alive while the test looks, one that has ended, a forked
// program of this system stopped or killed at a file operation, several started behind one gate,
// and the built program run without a display.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace testsupport {

// A process that runs until the object goes (then killed and reaped).
class LiveProcess {
public:
    enum class Program {
        Own,     // a child of the test program: a program of this system
        Foreign, // "sleep": another executable
    };
    explicit LiveProcess(Program program);
    ~LiveProcess();
    LiveProcess(const LiveProcess&) = delete;
    LiveProcess& operator=(const LiveProcess&) = delete;
    std::string id() const { return std::to_string(pid_); }

private:
    long pid_ = -1;
};

// The id of a process that has ended.
std::string EndedProcessId();

// Sets a file's (or folder's) last write an hour back: what a run long gone wrote.
void AgeHostFile(const std::string& hostPath);

// Picks a host file operation ("write", "flush", "delete", ...) by its name and host path.
using FileOpMatch = std::function<bool(const std::string& op, const std::string& hostPath)>;
// A mark's fields standing whole under its name; with step, those that announce "step=<step>".
FileOpMatch MarkWritten(const std::string& step = "");

// Another program of this system: a forked child, the leader of a process group of its own
// (which ClientRule::KillProgram may end), that runs work and exits with what it returns. At the
// first file operation stop picks it holds until Release, or is killed there with SIGKILL.
class ForkedProgram {
public:
    enum class AtStop { Hold, Kill };
    explicit ForkedProgram(const std::function<int()>& work, const FileOpMatch& stop = {}, AtStop at = AtStop::Hold);
    ~ForkedProgram(); // kills it when it still runs
    ForkedProgram(const ForkedProgram&) = delete;
    ForkedProgram& operator=(const ForkedProgram&) = delete;

    long pid() const { return pid_; }
    // Waits until it stands at its stop (true), or has ended without reaching it (false).
    bool Reached();
    void Release();
    // Waits for its end: its exit code, or minus the signal that ended it.
    int Wait();
    // After Wait, when its whole group was killed (ClientRule::KillProgram): waits until every
    // process of the group has gone, since the kill lands on each a moment apart; false when one
    // still runs after seconds.
    bool WaitGroupGone(int seconds = 10);

private:
    long pid_ = -1;
    int reached_ = -1, go_ = -1;
    bool ended_ = false;
    int status_ = 0;
};

// Runs each step in a child of its own; all wait at one gate, and step i starts offsetsUs[i]
// microseconds after it opens. Returns the steps' exit codes, in order.
std::vector<int> RunTogether(const std::vector<std::function<int()>>& steps, const std::vector<unsigned>& offsetsUs);

// A program of the build run without a display, its standard output and errors into outFile,
// started in the host folder cwd (empty: this process's): its exit code.
int RunHeadless(const std::string& program, const std::vector<std::string>& args, const std::string& outFile,
                const std::string& cwd = "");

} // namespace testsupport
