// The folder cache of a run: names found in a folder's listing read once, files made, removed
// or moved away during the run seen as they are, and everything forgotten when the run ends.
#include "platform/FolderCache.h"

#include "platform/Clock.h"
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

// Only a read bound to the run answers from its memory: a file renamed to another letter case
// after the listing was read is missed there (the run's known limit), and seen as it is without
// the binding, inside an unbinding (a change of a file) and inside the event pump.
TEST(FolderCache, OnlyBoundReadsAnswerFromTheRunsMemory)
{
    testsupport::ScopedDir dir{"foldercachebound"};
    const std::string host = dir.host() + "/Models";
    fs::create_directories(host);
    testsupport::WriteHostFile(host + "/p1.dgn", "p1");
    const std::string file = WinPathFromHost(host) + "\\p1.dgn";
    const FolderCacheScope run;
    {
        const FolderCacheReads reads;
        EXPECT_TRUE(HostFileExists(file)); // the folder's listing is read here
    }
    fs::rename(host + "/p1.dgn", host + "/P1.DGN");

    bool inPump = false;
    SetEventPump([&] { inPump = HostFileExists(file); });
    {
        const FolderCacheReads reads;
        EXPECT_FALSE(HostFileExists(file));
        {
            const FolderCacheUnbound change;
            EXPECT_FALSE(FolderCacheActive());
            EXPECT_EQ(HostPath(file), host + "/P1.DGN");
        }
        EXPECT_TRUE(FolderCacheActive());
        DoEvents();
        EXPECT_TRUE(FolderCacheActive());
    }
    SetEventPump(nullptr);
    EXPECT_TRUE(inPump);
    EXPECT_FALSE(FolderCacheActive());
    EXPECT_TRUE(HostFileExists(file));
}
