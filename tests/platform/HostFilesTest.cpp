// Host file operations behind the file services.
#include "platform/HostFiles.h"

#include "platform/FileAttributes.h"
#include "platform/WinPath.h"
#include "support/TestEnvironment.h"
#include "support/TestFiles.h"

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

TEST_F(HostFilesTest, CopyReplacesButNotAReadOnlyOrLockedDestination)
{
    const std::string a = file("a.txt", "new");
    const std::string b = file("b.txt", "old");
    HostCopyFile(a, b);
    EXPECT_EQ(readAll(b), "new");

    SetReadOnlyFile(b, true);
    EXPECT_EQ(errorNumber([&] { HostCopyFile(a, b); }), kErrPermissionDenied);
    SetReadOnlyFile(b, false);

    FileLock lock(b);
    EXPECT_EQ(errorNumber([&] { HostCopyFile(a, b); }), kErrPermissionDenied);
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

TEST_F(HostFilesTest, CopyOfAFileBeingWrittenFails)
{
    const std::string a = file("out.lis", "partial");
    FileLock lock(a);
    EXPECT_EQ(errorNumber([&] { HostCopyFile(a, dir.host() + "/copy.lis"); }), kErrPermissionDenied);
}

TEST_F(HostFilesTest, InjectedFaultsFailTheNamedOperation)
{
    SetHostFileFault([](const std::string& op, const std::string&) { return op == "create" ? ENOSPC : 0; });
    EXPECT_EQ(errorNumber([&] { HostCreateFile(dir.host() + "/x.tmp"); }), kErrDiskFull);
    EXPECT_FALSE(HostFileExists(dir.host() + "/x.tmp"));
}

TEST_F(HostFilesTest, ShellDeleteMovesTheFileToTheRecycleBin)
{
    const std::string a = file("gone.txt", "x");
    bool aborted = true;
    EXPECT_EQ(HostShellFileOperation(3, a, "", aborted), 0);
    EXPECT_FALSE(aborted);
    EXPECT_FALSE(HostFileExists(a));
    EXPECT_EQ(HostShellFileOperation(3, a, "", aborted), 2);
}

} // namespace
