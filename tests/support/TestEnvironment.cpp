// Per-process test environment: stand-in root, TEMP and TMP in a fresh host folder.
#include "support/TestEnvironment.h"

#include <cstdlib>
#include <filesystem>
#include <random>
#include <unistd.h>

namespace fs = std::filesystem;

namespace testsupport {

std::string MakeTempHostDir(const std::string& tag, const std::string& parent)
{
    static std::mt19937_64 rng{std::random_device{}()};
    for (;;) {
        fs::path p = (parent.empty() ? fs::temp_directory_path() : fs::path(parent)) /
                     ("tw_" + tag + "_" + std::to_string(::getpid()) + "_" + std::to_string(rng() % 1000000000));
        std::error_code ec;
        if (fs::create_directories(p, ec))
            return p.string();
    }
}

void PrepareProcessEnvironment()
{
    const std::string base = MakeTempHostDir("proc");
    const std::string root = base + "/root";
    const std::string temp = base + "/temp";
    fs::create_directories(root);
    fs::create_directories(temp);
    ::setenv("TARNWICK_ROOT", root.c_str(), 1);
    ::setenv("TEMP", temp.c_str(), 1);
    ::setenv("TMP", temp.c_str(), 1);
    // Programs started by the tests (batchcmd, the stand-ins) are found on PATH.
    std::string path = BinDir();
    if (const char* old = std::getenv("PATH"))
        path += std::string(":") + old;
    ::setenv("PATH", path.c_str(), 1);
    ::setenv("TARNWICK_BIN_DIR", BinDir().c_str(), 1);
    static struct Cleanup {
        std::string dir;
        ~Cleanup()
        {
            if (!std::getenv("TARNWICK_KEEP_TEST_DIRS")) {
                std::error_code ec;
                fs::remove_all(dir, ec);
            }
        }
    } cleanup{base};
}

std::string BinDir() { return TARNWICK_TEST_BIN_DIR; }
std::string SourceDir() { return TARNWICK_SOURCE_DIR; }

ScopedDir::ScopedDir(const std::string& tag, const std::string& parent) : path_(MakeTempHostDir(tag, parent)) {}

ScopedDir::~ScopedDir()
{
    std::error_code ec;
    fs::remove_all(path_, ec);
}

ScopedStandInRoot::ScopedStandInRoot()
{
    if (const char* r = std::getenv("TARNWICK_ROOT"))
        saved_ = r;
    ::setenv("TARNWICK_ROOT", dir_.host().c_str(), 1);
}

ScopedStandInRoot::~ScopedStandInRoot()
{
    if (saved_.empty())
        ::unsetenv("TARNWICK_ROOT");
    else
        ::setenv("TARNWICK_ROOT", saved_.c_str(), 1);
}

} // namespace testsupport
