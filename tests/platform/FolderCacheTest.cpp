// The folder cache of a run: names found in a folder's listing read once, files made, removed
// or moved away during the run seen as they are, and everything forgotten when the run ends.
#include "platform/FolderCache.h"

#include "platform/HostFiles.h"
#include "platform/WinPath.h"
#include "support/TestEnvironment.h"
#include "support/TestFiles.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

TEST(FolderCache, FilesMadeOrRemovedDuringTheRunAreSeenAsTheyAre)
{
    testsupport::ScopedDir dir{"foldercache"};
    const std::string host = dir.host() + "/Models";
    fs::create_directories(host);
    testsupport::WriteHostFile(host + "/P1.dgn", "p1");
    const std::string win = WinPathFromHost(host);
    {
        const FolderCacheScope run;
        const FolderCacheReads reads;
        EXPECT_TRUE(HostFileExists(win + "\\p1.dgn"));
        EXPECT_EQ(HostPath(win + "\\p1.dgn"), host + "/P1.dgn");
        EXPECT_FALSE(HostFileExists(win + "\\models")); // a folder is no file

        testsupport::WriteHostFile(host + "/p2.DGN", "p2"); // after the listing was read
        EXPECT_TRUE(HostFileExists(win + "\\P2.dgn"));
        EXPECT_EQ(HostPath(win + "\\P2.dgn"), host + "/p2.DGN");
        fs::remove(host + "/P1.dgn");
        EXPECT_FALSE(HostFileExists(win + "\\p1.dgn"));
        fs::rename(host, dir.host() + "/moved");
        EXPECT_FALSE(HostFileExists(win + "\\P2.dgn"));
        EXPECT_TRUE(HostFileExists(WinPathFromHost(dir.host()) + "\\MOVED\\p2.dgn"));
    }
    EXPECT_FALSE(FolderCacheActive());
    EXPECT_EQ(CachedAnswer(win), nullptr);
}
