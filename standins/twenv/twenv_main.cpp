// twenv: builds the stand-in environment (registry, drives, file server, database server and
// the sample project) under the stand-in root, or the root given with --root.
#include "platform/AppError.h"
#include "platform/Environment.h"
#include "platform/RunMark.h"
#include "platform/WinPath.h"
#include "standins/dbserver/StandInEnvironment.h"

#include <filesystem>
#include <iostream>
#include <memory>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

constexpr useconds_t kWaitStepUs = 100000;

// The mark "root" of the root, held for the whole build: a second twenv on one root waits for
// the first and then finds the root built (or builds what a failed or killed first run left),
// never builds beside it nor takes back the first one's work.
std::unique_ptr<RunMark> takeRootMark(const std::string& root)
{
    // The marks of the root being built, whatever root the environment names.
    SetEnvVar("TARNWICK_ROOT", root);
    const RunMark::Fields fields{{"what", "the build of the stand-in environment in " + root}};
    bool told = false;
    for (;;) {
        auto mark = std::make_unique<RunMark>("root", fields);
        if (mark->held())
            return mark;
        if (!told)
            std::cerr << "twenv: waiting for " << RunMark::RunningText(mark->Holder()) << " to end\n";
        told = true;
        ::usleep(kWaitStepUs);
    }
}

} // namespace

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
    // The root, the program folder and the sample data are host folders: a relative one goes on
    // from the current folder now, once, so that no later step (which may run elsewhere, or read
    // it back as a Windows path) takes it for a path of the environment.
    for (std::string* folder : {&root, &options.binDir, &options.dataDir})
        if (!folder->empty() && fs::path(*folder).is_relative())
            *folder = fs::absolute(*folder, ec).lexically_normal().string();
    while (root.size() > 1 && root.back() == '/')
        root.pop_back();
    const fs::path marks = fs::path(root) / "marks";
    const bool rootExisted = fs::exists(root, ec), marksExisted = fs::exists(marks, ec);
    std::unique_ptr<RunMark> mark;
    try {
        mark = takeRootMark(root);
    } catch (const AppError& e) {
        std::cerr << "twenv: the root '" << root << "' cannot be taken, nothing was built: " << e.description() << "\n";
        return 1;
    }
    std::string report;
    if (!mark->Left().empty())
        report += "The build of " + RunMark::WhoText(mark->Left()) + " did not finish; this build takes it up\n";
    try {
        StandInEnvironment::Build(root, options, report);
    } catch (const AppError& e) {
        mark.reset();
        // The marks folder and the root go too when this run made them, unless another program
        // marks something in the root now.
        if (!marksExisted)
            fs::remove(marks, ec);
        if (!rootExisted)
            fs::remove(root, ec);
        std::cout << report;
        std::cerr << "twenv: " << e.description() << " (" << e.source() << ")\n";
        return 1;
    }
    // Only a root that carries the mark of a finished build counts as built.
    if (!fs::exists(fs::path(root) / StandInEnvironment::kBuiltMark, ec)) {
        std::cout << report;
        std::cerr << "twenv: the build in " << root << " ended without its mark '" << StandInEnvironment::kBuiltMark
                  << "': the root is not whole\n";
        return 1;
    }
    std::cout << "Stand-in environment in " << root << "\n" << report;
    return 0;
}
