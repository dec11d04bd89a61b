// Other programs a test needs: one that stays alive while the test looks (a program of this
// system or a foreign one), and programs started together behind one gate.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <sys/types.h>
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
    pid_t pid() const { return pid_; }
    std::string id() const { return std::to_string(pid_); }

private:
    pid_t pid_ = -1;
};

// The id of a process that has ended (and been reaped).
std::string EndedProcessId();

// Sets a file's or folder's last write back by `age`: what a run long gone wrote.
void AgeHostFile(const std::string& hostPath, std::chrono::seconds age = std::chrono::hours(1));

// Forks one child per step; they all wait at one gate, and step i starts offsetsUs[i]
// microseconds after it opens. A step returns the child's exit code, or execs a program.
// Returns every child's exit code (128 + signal for a killed one), in step order.
std::vector<int> RunTogether(const std::vector<std::function<int()>>& steps, const std::vector<useconds_t>& offsetsUs);

// A step that runs a program (host path) with its arguments, its output sent to outFile.
std::function<int()> ExecStep(const std::string& program, const std::vector<std::string>& args,
                              const std::string& outFile);

} // namespace testsupport
