// Child processes: start a program with optional redirections, poll for its end, read its
// exit code.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

class Process {
public:
    // File descriptors the child gets as its standard streams; -1 keeps the parent's.
    // discardOutput sends its standard output and errors not given nowhere (the null device).
    struct Streams {
        int in = -1;
        int out = -1;
        int err = -1;
        bool discardOutput = false;
    };

    // Starts hostProgram with args (argv[1]...). The window style of the original (0 hidden,
    // 1 normal, ...) has no meaning for console programs here and is accepted as given.
    // Returns the process id; throws AppError when the program cannot be started.
    static long Start(const std::string& hostProgram, const std::vector<std::string>& args, int windowStyle,
                      const Streams& streams);
    static long Start(const std::string& hostProgram, const std::vector<std::string>& args, int windowStyle)
    {
        return Start(hostProgram, args, windowStyle, Streams{});
    }

    // True when the process has ended; exitCode then holds its exit status (128 + signal for
    // a killed one). Throws AppError for a pid that is no child of this process.
    static bool Poll(long pid, long& exitCode);

    // Blocks until the process ends and returns its exit code.
    static long Wait(long pid);

    static long CurrentId();
    // True when no process of that id runs any more, so that what it left behind may go. A
    // process that runs under another user, or an ended child of this process not yet waited
    // for, has not gone; an ended process that nobody has waited for yet (its parent died
    // with it) has.
    static bool Gone(long pid);

    // When the process of that id started, on the wall clock (to the system's tick, 1/100 s);
    // nullopt when no such process runs or its start cannot be read.
    static std::optional<std::chrono::system_clock::time_point> StartTime(long pid);
    // The host path of the executable the process of that id runs; empty when that cannot be
    // read (the process is gone, a kernel thread, another user's).
    static std::string ExecutableOf(long pid);
    // True when an executable is a program of this system: one in the folder of the running
    // executable or of TARNWICK_BIN_DIR, or one of the running executable's name.
    static bool IsOwnProgram(const std::string& hostExecutable);
    // Whether the process that id names now may be the one that wrote a file last written at
    // `writtenAt`: a process id is used again once its process has ended, so the id alone does
    // not tell. Not the writer: a process that is Gone, one that started after the file was
    // written (later than kStartSlack, for the coarse clocks), one that runs an executable that
    // is no program of this system. What cannot be read is not held against the process.
    static bool MayHaveWritten(long pid, std::chrono::system_clock::time_point writtenAt);
    static constexpr std::chrono::seconds kStartSlack{2};

    // The host path of the running executable.
    static std::string ExecutablePath();
    // The host path of a companion program: beside the running executable, else in the folder
    // TARNWICK_BIN_DIR names, else on PATH; empty when there is none.
    static std::string FindCompanion(const std::string& name);
};
