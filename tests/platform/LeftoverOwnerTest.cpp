// Leftovers named after their writer's process id: the id alone does not say the writer still
// runs, as an ended process's id goes to a later one. Only the writer keeps its leftovers.
#include "platform/FileAttributes.h"
#include "platform/OwnedLeftovers.h"
#include "platform/ReplacementFile.h"
#include "platform/WinPath.h"
#include "support/OtherProcesses.h"
#include "support/TestEnvironment.h"
#include "support/TestFiles.h"

#include <filesystem>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <optional>

namespace fs = std::filesystem;

namespace {

using testsupport::LiveProcess;
using testsupport::ReadHostFile;
using testsupport::WriteHostFile;
using ::testing::HasSubstr;

enum class Owner { Ended, Own, Foreign };

struct OwnerCase {
    const char* name;
    Owner owner;           // what runs under the id the leftovers carry
    bool writtenEarlier;   // the leftovers were written an hour before that process started
    bool dumpInUse;        // another program holds the cut dump open
    bool writerRuns;       // expected: the leftovers are taken for a running writer's
};

class LeftoverOwner : public ::testing::TestWithParam<OwnerCase> {
protected:
    testsupport::ScopedDir dir{"leftovers"};
    std::string path(const std::string& name) const { return dir.host() + "/" + name; }
};

TEST_P(LeftoverOwner, OnlyTheWriterKeepsItsLeftovers)
{
    const OwnerCase& c = GetParam();
    std::optional<LiveProcess> process;
    if (c.owner != Owner::Ended)
        process.emplace(c.owner == Owner::Own ? LiveProcess::Program::Own : LiveProcess::Program::Foreign);
    const std::string id = process ? process->id() : testsupport::EndedProcessId();

    // Each kind of leftover, with that id: a new dump of a run, a client's part file, a work
    // folder with its batch file, a work file, a replacement's temporary file, and the former
    // content of a hard-linked dump whose in-place rewrite was cut.
    const std::vector<std::string> leftovers = {"pd.dmp." + id + ".tw.tmp", "pd.dmp." + id + ".tw.tmp." + id + ".part",
                                                id + "radabcde", id + "radabcde.bat", id + "rad12345.tmp",
                                                ".a.ini.~" + id + ".1f2e3d"};
    for (const std::string& name : leftovers)
        name == id + "radabcde" ? (void)fs::create_directory(path(name)) : WriteHostFile(path(name), "left");
    WriteHostFile(path("a.ini"), "[S]\r\n");
    WriteHostFile(path("dd.dmp"), "cut");
    fs::create_hard_link(path("dd.dmp"), path("dd_link.dmp"));
    const std::string former = ".dd.dmp.~" + id + ".abcdef.former";
    WriteHostFile(path(former), "old");
    if (c.writtenEarlier)
        for (const std::string& name : testsupport::FilesIn(dir.host()))
            testsupport::AgeHostFile(path(name));

    RemoveOrphanedLeftovers(path("pd.dmp"), ".tw.tmp");
    RemoveOrphanedLeftoverParts(path("pd.dmp"), ".tw.tmp", ".part");
    RemoveOrphanedWorkFiles(WinPathFromHost(dir.host()));
    MendInterruptedReplacement(path("a.ini"));
    std::optional<FileLock> inUse;
    if (c.dumpInUse)
        inUse.emplace(WinPathFromHost(path("dd.dmp")), false);
    const std::vector<CutRewrite> cuts = MendInterruptedReplacement(path("dd.dmp"));
    inUse.reset();

    for (const std::string& name : leftovers)
        EXPECT_EQ(fs::exists(path(name)), c.writerRuns) << name;
    const bool writtenBack = !c.writerRuns && !c.dumpInUse;
    EXPECT_EQ(ReadHostFile(path("dd_link.dmp")), writtenBack ? "old" : "cut");
    EXPECT_EQ(fs::exists(path(former)), !writtenBack);
    // What the mend found is said, naming the dump and the file its former content is in.
    ASSERT_EQ(cuts.size(), 1u);
    EXPECT_EQ(cuts[0].waiting, !writtenBack);
    EXPECT_THAT(cuts[0].said, HasSubstr("'" + WinPathFromHost(path("dd.dmp")) + "'"));
    EXPECT_THAT(cuts[0].said, HasSubstr("'" + WinPathFromHost(path(former)) + "'"));
    const char* const stands = c.writerRuns ? "which runs"
                               : c.dumpInUse ? "stands as the cut rewrite left it"
                                             : "holds it again";
    EXPECT_THAT(cuts[0].said, HasSubstr(stands));
}

INSTANTIATE_TEST_SUITE_P(
    Ids, LeftoverOwner,
    ::testing::Values(OwnerCase{"EndedProcess", Owner::Ended, false, false, false},
                      OwnerCase{"OwnProgramRunningSinceBefore", Owner::Own, false, false, true},
                      OwnerCase{"OwnProgramStartedAfter", Owner::Own, true, false, false},
                      OwnerCase{"ForeignProgramRunningSinceBefore", Owner::Foreign, false, false, false},
                      OwnerCase{"EndedProcessDumpInUse", Owner::Ended, false, true, false}),
    [](const ::testing::TestParamInfo<OwnerCase>& i) { return std::string(i.param.name); });

} // namespace
