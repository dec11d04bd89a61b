// Gives each test process its own stand-in root and temporary folders, so tests never touch
// a user's environment and leave nothing behind.
#pragma once

#include <string>

namespace testsupport {

// Sets TARNWICK_ROOT, TEMP and TMP to fresh folders under the host temporary directory and
// resets the process-wide values that depend on them. Called once by the test mains.
void PrepareProcessEnvironment();

// A fresh empty host folder for one test, in the host temporary directory or in the host folder
// parent; removed again by the caller's ScopedDir.
std::string MakeTempHostDir(const std::string& tag, const std::string& parent = "");

// The folder of the built executables (the program and the stand-ins).
std::string BinDir();

// The source tree's folder (for fixtures in tests/data).
std::string SourceDir();

class ScopedDir {
public:
    explicit ScopedDir(const std::string& tag, const std::string& parent = "");
    ~ScopedDir();
    ScopedDir(const ScopedDir&) = delete;
    ScopedDir& operator=(const ScopedDir&) = delete;
    const std::string& host() const { return path_; }

private:
    std::string path_;
};

// Points TARNWICK_ROOT at a fresh folder of its own while it lives, for a test that changes the
// environment's data; the process's own root comes back when it goes.
class ScopedStandInRoot {
public:
    ScopedStandInRoot();
    ~ScopedStandInRoot();
    ScopedStandInRoot(const ScopedStandInRoot&) = delete;
    ScopedStandInRoot& operator=(const ScopedStandInRoot&) = delete;

private:
    ScopedDir dir_{"root"};
    std::string saved_;
};

} // namespace testsupport
