// An output file of a stand-in program, created (emptied) at once and held "in use" through
// an advisory lock while the program writes it, as the outside programs hold theirs.
#pragma once

#include <string>
#include <string_view>

class LockedOutputFile {
public:
    // Opens the Windows path for writing (truncating, or appending when append is set) and
    // locks it. Raises RIS_E_CANT_OPEN_FILE when it cannot be created.
    explicit LockedOutputFile(const std::string& winPath, bool append = false);
    ~LockedOutputFile();
    LockedOutputFile(const LockedOutputFile&) = delete;
    LockedOutputFile& operator=(const LockedOutputFile&) = delete;

    void Write(std::string_view text);
    // Flushes, unlocks and closes; later writes are lost.
    void Close();
    const std::string& WinPath() const { return winPath_; }

private:
    std::string winPath_;
    int fd_ = -1;
};

// The whole content of an input file given on a command line (Windows path); raises
// RIS_E_CANT_OPEN_FILE when it cannot be read.
std::string ReadClientInputFile(const std::string& winPath);
