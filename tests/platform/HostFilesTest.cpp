// Host file operations behind the file services.
#include "platform/HostFiles.h"

#include "platform/FileAttributes.h"
#include "platform/WinPath.h"
#include "support/TestEnvironment.h"
#include "support/TestFiles.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace fs = std::filesystem;

namespace {

std::string readAll(const std::string& p) { return testsupport::ReadHostFile(p); }

class HostFilesTest : public ::testing::Test {
protected:
    testsupport::ScopedDir dir{"hostfiles"};
    std::string file(const std::string& name, const std::string& text)
    {
        std::string p = dir.host() + "/" + name;
        fs::create_directories(fs::path(p).parent_path());
        std::ofstream(p, std::ios::binary) << text;
        return p;
    }
    void TearDown() override { SetHostFileFault(nullptr); }
};

long errorNumber(const std::function<void()>& f)
{
    try {
        f();
    } catch (const AppError& e) {
        return e.number();
    }
    return 0;
}

// What the folder holds besides the named files: a temporary file left behind shows here.
using testsupport::FilesIn;

TEST_F(HostFilesTest, CopyOrMoveOntoTheSameFileInAnyCaseIsRefusedAndChangesNothing)
{
    const std::string a = file("Model.dgn", "design");
    const std::string linked = dir.host() + "/hard.dgn";
    fs::create_hard_link(a, linked);
    for (const std::string& dst : {a, dir.host() + "/MODEL.DGN", dir.host() + "/model.dgn", linked}) {
        SCOPED_TRACE(dst);
        EXPECT_EQ(errorNumber([&] { HostCopyFile(a, dst); }), kErrPermissionDenied);
        EXPECT_EQ(errorNumber([&] { HostMoveFile(a, dst); }), kErrPermissionDenied);
        EXPECT_EQ(readAll(a), "design");
    }
    EXPECT_EQ(FilesIn(dir.host()), (std::vector<std::string>{"Model.dgn", "hard.dgn"}));
}

struct MidCopyFault {
    const char* op;
    int passes; // calls of the operation that succeed before the fault
    int err;
    long number;
};

class HostCopyFaultTest : public HostFilesTest, public ::testing::WithParamInterface<MidCopyFault> {};

// The fault strikes after the first block of a copy larger than one block: a copy written in
// place would leave a truncated destination here.
TEST_P(HostCopyFaultTest, LeavesNoPartialFileAndAnExistingDestinationAsItWas)
{
    const std::string big(300000, 'b');
    const std::string src = file("big.dmp", big);
    const std::string old = file("old.dmp", "old content");
    const std::string fresh = dir.host() + "/fresh.dmp";
    for (const std::string& dst : {old, fresh}) {
        SCOPED_TRACE(dst);
        int calls = 0;
        const MidCopyFault f = GetParam();
        SetHostFileFault([&](const std::string& op, const std::string& host) {
            return op == f.op && host == dst && ++calls > f.passes ? f.err : 0;
        });
        EXPECT_EQ(errorNumber([&] { HostCopyFile(src, dst); }), f.number);
        SetHostFileFault(nullptr);
    }
    EXPECT_EQ(readAll(old), "old content");
    EXPECT_EQ(FilesIn(dir.host()), (std::vector<std::string>{"big.dmp", "old.dmp"}));
    HostCopyFile(src, old);
    EXPECT_EQ(readAll(old), big);
}

INSTANTIATE_TEST_SUITE_P(Faults, HostCopyFaultTest,
                         ::testing::Values(MidCopyFault{"write", 1, ENOSPC, kErrDiskFull},
                                           MidCopyFault{"write", 2, EFBIG, kErrPathFileAccess},
                                           MidCopyFault{"write", 1, EIO, kErrPathFileAccess},
                                           MidCopyFault{"flush", 0, EIO, kErrPathFileAccess}));

TEST_F(HostFilesTest, NoOverwriteCopyNeverReplacesAFileAlsoOneThatAppearsMeanwhile)
{
    const std::string src = file("seed.dgn", "seed");
    const std::string there = file("there.dgn", "theirs");
    EXPECT_EQ(errorNumber([&] { HostCopyFile(src, there, Overwrite::No); }), kErrFileExists);
    EXPECT_EQ(readAll(there), "theirs");

    // Another program creates the destination while the copy is being written.
    const std::string late = dir.host() + "/late.dgn";
    SetHostFileFault([&](const std::string& op, const std::string& host) {
        if (op == "flush" && host == late)
            testsupport::WriteHostFile(late, "written meanwhile");
        return 0;
    });
    EXPECT_EQ(errorNumber([&] { HostCopyFile(src, late, Overwrite::No); }), kErrFileExists);
    EXPECT_EQ(readAll(late), "written meanwhile");
    SetHostFileFault(nullptr);

    HostCopyFile(src, dir.host() + "/new.dgn", Overwrite::No);
    EXPECT_EQ(readAll(dir.host() + "/new.dgn"), "seed");
    EXPECT_EQ(FilesIn(dir.host()), (std::vector<std::string>{"late.dgn", "new.dgn", "seed.dgn", "there.dgn"}));
}

TEST_F(HostFilesTest, DeleteWithoutForceKeepsAReadOnlyFile)
{
    const std::string a = file("a.txt", "x");
    SetReadOnlyFile(a, true);
    EXPECT_EQ(errorNumber([&] { HostDeleteFile(a, false); }), kErrPermissionDenied);
    EXPECT_TRUE(HostFileExists(a));
    HostDeleteFile(a, true);
    EXPECT_FALSE(HostFileExists(a));
    EXPECT_EQ(errorNumber([&] { HostDeleteFile(a, true); }), kErrFileNotFound);
}

TEST_F(HostFilesTest, ListingIsSortedWithoutCaseAndMarksHiddenAndFolders)
{
    file("b.dgn", "");
    file("A.DGN", "");
    file(".hidden", "");
    fs::create_directories(dir.host() + "/Sub");
    std::vector<HostEntry> entries = HostListFolder(dir.host());
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[0].name, ".hidden");
    EXPECT_TRUE(entries[0].hidden);
    EXPECT_EQ(entries[1].name, "A.DGN");
    EXPECT_EQ(entries[2].name, "b.dgn");
    EXPECT_EQ(entries[3].name, "Sub");
    EXPECT_TRUE(entries[3].folder);
    EXPECT_EQ(errorNumber([&] { HostListFolder(dir.host() + "/none"); }), kErrPathNotFound);
}

TEST_F(HostFilesTest, DrivesAndSharesExistWhenTheirFolderDoes)
{
    fs::create_directories(StandInRoot() + "/drives/q");
    fs::create_directories(StandInRoot() + "/unc/srv9/proj");
    EXPECT_TRUE(HostDriveExists("Q:"));
    EXPECT_TRUE(HostDriveExists("q:\\"));
    EXPECT_TRUE(HostDriveExists("\\\\SRV9\\proj"));
    EXPECT_FALSE(HostDriveExists("R:"));
    EXPECT_FALSE(HostDriveExists("Q:\\sub"));
}

TEST_F(HostFilesTest, MoveReplacesAnExistingDestination)
{
    const std::string a = file("a.txt", "1");
    const std::string b = file("b.txt", "2");
    HostMoveFile(a, b);
    EXPECT_FALSE(HostFileExists(a));
    EXPECT_EQ(readAll(b), "1");
}

TEST_F(HostFilesTest, TreeRemovalLeavesALockedFileAndItsFolders)
{
    file("tree/a/held.lis", "x");
    file("tree/a/free.txt", "x");
    file("tree/b/free.txt", "x");
    {
        FileLock lock(dir.host() + "/tree/a/held.lis");
        EXPECT_EQ(errorNumber([&] { HostRemoveFolder(dir.host() + "/tree", true); }), kErrPermissionDenied);
        EXPECT_TRUE(fs::exists(dir.host() + "/tree/a/held.lis"));
        EXPECT_FALSE(fs::exists(dir.host() + "/tree/a/free.txt"));
        EXPECT_FALSE(fs::exists(dir.host() + "/tree/b"));
    }
    HostRemoveFolder(dir.host() + "/tree", true);
    EXPECT_FALSE(fs::exists(dir.host() + "/tree"));
}

TEST_F(HostFilesTest, RemovingALinkedFolderRemovesTheLinkAndNotWhatItPointsTo)
{
    file("real/model.dgn", "design");
    fs::create_directory_symlink(dir.host() + "/real", dir.host() + "/link");
    HostRemoveFolder(dir.host() + "/link", true);
    EXPECT_FALSE(fs::exists(fs::symlink_status(dir.host() + "/link")));
    EXPECT_EQ(readAll(dir.host() + "/real/model.dgn"), "design");
}

TEST_F(HostFilesTest, ShellDeletesOfOneNameKeepEveryFileInTheRecycleBin)
{
    testsupport::ScopedStandInRoot root;
    const std::string bin = StandInRoot() + "/recycle";
    const std::string first = file("a/same.txt", "first"), second = file("b/same.txt", "second");
    bool aborted = false;
    ASSERT_EQ(HostShellFileOperation(3, first, "", aborted), 0);
    ASSERT_EQ(HostShellFileOperation(3, second, "", aborted), 0);
    EXPECT_FALSE(HostFileExists(first));
    EXPECT_EQ(HostShellFileOperation(3, first, "", aborted), 2);
    std::vector<std::string> kept;
    for (const fs::directory_entry& e : fs::directory_iterator(bin))
        if (e.path().filename().string().rfind("same.txt.", 0) == 0)
            kept.push_back(readAll(e.path().string()));
    std::sort(kept.begin(), kept.end());
    EXPECT_EQ(kept, (std::vector<std::string>{"first", "second"}));

    // A bin that cannot take the file leaves it where it was.
    const std::string third = file("c/same.txt", "third");
    SetHostFileFault([&](const std::string& op, const std::string& host) {
        return op == "write" && host.rfind(bin, 0) == 0 ? ENOSPC : 0;
    });
    EXPECT_NE(HostShellFileOperation(3, third, "", aborted), 0);
    EXPECT_EQ(readAll(third), "third");
}

} // namespace
