// The stand-in environment of a bench program: a fresh root in the host's temporary folder with
// TEMP and TMP inside it, served by the stand-in programs built beside the bench. Header only.
#pragma once

#include "standins/dbserver/StandInEnvironment.h"

#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

// Builds the environment of options (its binDir is set here) under a new root named after tag
// and this process, and returns the root's host path; the caller removes it at the end.
inline std::string BuildBenchEnvironment(const std::string& tag, StandInEnvironmentOptions options)
{
    namespace fs = std::filesystem;
    const std::string root = (fs::temp_directory_path() / (tag + "_" + std::to_string(::getpid()))).string();
    fs::create_directories(root + "/temp");
    ::setenv("TARNWICK_ROOT", root.c_str(), 1);
    ::setenv("TEMP", (root + "/temp").c_str(), 1);
    ::setenv("TMP", (root + "/temp").c_str(), 1);
    options.binDir = fs::read_symlink("/proc/self/exe").parent_path().string();
    std::string report;
    StandInEnvironment::Build(root, options, report);
    return root;
}
