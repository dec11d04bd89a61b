// twenv: builds the stand-in environment (registry, drives, file server, database server and
// the sample project) under the stand-in root, or the root given with --root.
#include "platform/AppError.h"
#include "platform/WinPath.h"
#include "standins/dbserver/StandInEnvironment.h"

#include <filesystem>
#include <iostream>

int main(int argc, char** argv)
{
    std::string root = StandInRoot();
    StandInEnvironmentOptions options;
    std::error_code ec;
    options.binDir = std::filesystem::canonical("/proc/self/exe", ec).parent_path().string();
    options.dataDir = TARNWICK_SAMPLE_DATA_DIR;
    options.secondEnvironment = true;
    // The demo shows the file name check with work to do.
    options.misnamedDesignFiles = true;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--root" && i + 1 < argc)
            root = argv[++i];
        else if (a == "--bin" && i + 1 < argc)
            options.binDir = argv[++i];
        else if (a == "--data" && i + 1 < argc)
            options.dataDir = argv[++i];
        else if (a == "--no-second")
            options.secondEnvironment = false;
        else if (a == "--no-sample")
            options.sampleProject = false;
        else {
            std::cerr << "usage: twenv [--root <dir>] [--bin <dir>] [--data <dir>] [--no-sample] [--no-second]\n";
            return 2;
        }
    }
    std::string report;
    try {
        StandInEnvironment::Build(root, options, report);
    } catch (const AppError& e) {
        std::cout << report;
        std::cerr << "twenv: " << e.description() << " (" << e.source() << ")\n";
        return 1;
    }
    std::cout << "Stand-in environment in " << root << "\n" << report;
    return 0;
}
