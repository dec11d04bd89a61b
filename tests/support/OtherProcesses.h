// Other programs a test needs: one alive while the test looks, one that has ended, and several
// started together behind one gate.
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

// Runs each step in a child of its own; all wait at one gate, and step i starts offsetsUs[i]
// microseconds after it opens. Returns the steps' exit codes, in order.
std::vector<int> RunTogether(const std::vector<std::function<int()>>& steps, const std::vector<unsigned>& offsetsUs);

} // namespace testsupport
