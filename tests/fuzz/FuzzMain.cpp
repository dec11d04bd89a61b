// The libFuzzer entry of one fuzz program; TARNWICK_FUZZ_ENTRY names its target function.
#include "FuzzTargets.h"

#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // The stand-in root, TEMP and TMP (where the program log goes) point into a folder of this
    // run, so fuzzing never writes into a user's environment.
    static std::string root;
    const char* tmp = std::getenv("TMPDIR");
    root = std::string(tmp && *tmp ? tmp : "/tmp") + "/tarnwick-fuzz-env-" + std::to_string(::getpid());
    std::filesystem::create_directories(root + "/temp");
    ::setenv("TARNWICK_ROOT", root.c_str(), 1);
    ::setenv("TEMP", (root + "/temp").c_str(), 1);
    ::setenv("TMP", (root + "/temp").c_str(), 1);
    std::atexit([] {
        std::error_code ignored;
        std::filesystem::remove_all(root, ignored);
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) { return TARNWICK_FUZZ_ENTRY(data, size); }
