// Replacing a file's content: links, modes and failures on the way.
#include "platform/ReplacementFile.h"

#include "platform/HostFiles.h"
#include "platform/Process.h"
#include "support/OtherProcesses.h"
#include "support/TestEnvironment.h"
#include "support/TestFiles.h"

#include "platform/FileAttributes.h"
#include "platform/OwnedLeftovers.h"

#include <chrono>
#include <csignal>
#include <filesystem>
#include <future>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

using testsupport::ReadHostFile;
using testsupport::WriteHostFile;

class ReplacementFileTest : public ::testing::Test {
protected:
    testsupport::ScopedDir dir{"replacement"};
    std::string path(const std::string& name) const { return dir.host() + "/" + name; }
    size_t entries() const { return static_cast<size_t>(std::distance(fs::directory_iterator(dir.host()), {})); }
    void TearDown() override { SetHostFileFault(nullptr); }
};

void replace(const std::string& file, const std::string& bytes)
{
    ReplacementFile out(file);
    out.Write(bytes);
    out.Commit();
}

mode_t modeOf(const std::string& host)
{
    struct stat st {};
    ::stat(host.c_str(), &st);
    return st.st_mode & 07777;
}

TEST_F(ReplacementFileTest, ThroughASymbolicLinkReplacesTheTargetAndKeepsLinkAndMode)
{
    fs::create_directories(path("real"));
    const std::string target = path("real/tarnwick.ini");
    WriteHostFile(target, "old");
    ::chmod(target.c_str(), 0600);
    const bool root = ::geteuid() == 0; // only root may keep another user's ownership
    if (root) {
        ASSERT_EQ(::chown(target.c_str(), 4321, 4321), 0);
    }
    fs::create_symlink("real/tarnwick.ini", path("link.ini"));

    replace(path("link.ini"), "new");
    EXPECT_TRUE(fs::is_symlink(path("link.ini")));
    EXPECT_EQ(ReadHostFile(target), "new");
    EXPECT_EQ(modeOf(target), 0600u);
    struct stat st {};
    if (root && ::stat(target.c_str(), &st) == 0) {
        EXPECT_EQ(st.st_uid, 4321u);
    }
    EXPECT_EQ(entries(), 2u);
}

TEST_F(ReplacementFileTest, AnAdoptedFileIsMovedOnItsFileSystemAndCopiedFromAnother)
{
    std::string bytes(300000, '\0');
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(i * 7 % 256);
    fs::create_directories(path("real"));
    const std::string target = path("real/pd_demo.dmp");
    WriteHostFile(target, "old");
    ::chmod(target.c_str(), 0640);
    fs::create_symlink("real/pd_demo.dmp", path("link.dmp"));
    struct Case {
        const char* what;
        std::string fresh;
        bool moved;
    };
    std::vector<Case> cases = {{"a file beside the link", path("link.dmp.new"), true}};
    struct stat here {}, shm {};
    if (::stat(dir.host().c_str(), &here) == 0 && ::stat("/dev/shm", &shm) == 0 && here.st_dev != shm.st_dev)
        cases.push_back({"a file on another file system", "/dev/shm/tarnwick-adopt-" + std::to_string(::getpid()), false});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteHostFile(c.fresh, bytes);
        struct stat fresh {};
        ASSERT_EQ(::stat(c.fresh.c_str(), &fresh), 0);
        ReplacementFile out(path("link.dmp"));
        out.Write("written before");
        out.Adopt(c.fresh);
        out.Commit();
        EXPECT_TRUE(fs::is_symlink(path("link.dmp")));
        EXPECT_EQ(ReadHostFile(target), bytes);
        EXPECT_EQ(modeOf(target), 0640u);
        struct stat now {};
        ASSERT_EQ(::stat(target.c_str(), &now), 0);
        EXPECT_EQ(now.st_ino == fresh.st_ino, c.moved);
        EXPECT_EQ(fs::exists(c.fresh), !c.moved);
        fs::remove(c.fresh);
        EXPECT_EQ(entries(), 2u);
    }
}

TEST_F(ReplacementFileTest, AHardLinkedFileKeepsItsIdentityForEveryName)
{
    const std::string a = path("a.ini"), b = path("b.ini");
    WriteHostFile(a, "old");
    fs::create_hard_link(a, b);
    replace(b, "new content");
    EXPECT_EQ(ReadHostFile(a), "new content");
    EXPECT_EQ(fs::hard_link_count(a), 2u);
    EXPECT_EQ(entries(), 2u);
}

TEST_F(ReplacementFileTest, AFailedInPlaceRewriteOfAHardLinkedFileWritesTheFormerContentBack)
{
    const std::string a = path("a.ini"), b = path("b.ini");
    const std::string old(200000, 'o');
    WriteHostFile(a, old);
    fs::create_hard_link(a, b);
    int calls = 0;
    // The first check passes, the second comes after the first block was written over the file.
    SetHostFileFault([&](const std::string& op, const std::string&) { return op == "overwrite" && ++calls == 3 ? EIO : 0; });
    try {
        replace(b, std::string(300000, 'n'));
        FAIL() << "the rewrite should fail";
    } catch (const AppError& e) {
        EXPECT_EQ(e.number(), kErrPathFileAccess);
    }
    EXPECT_EQ(ReadHostFile(a), old);
    EXPECT_EQ(fs::hard_link_count(a), 2u);
    EXPECT_EQ(entries(), 2u);
}

TEST_F(ReplacementFileTest, AWriteThatIsNeverCommittedLeavesNothing)
{
    WriteHostFile(path("kept.ini"), "kept");
    {
        ReplacementFile out(path("kept.ini"));
        out.Write("half");
    }
    EXPECT_EQ(ReadHostFile(path("kept.ini")), "kept");
    EXPECT_EQ(entries(), 1u);
}

TEST_F(ReplacementFileTest, ANewReplacementRemovesOnlyTheTemporaryFilesOfEndedProcesses)
{
    testsupport::LiveProcess running(testsupport::LiveProcess::Program::Own);
    const std::string dead = testsupport::EndedProcessId(), live = running.id();
    WriteHostFile(path("a.ini"), "old");
    // The temporary file a killed run left; everything else stays: a running process's, a
    // backup of a former content, another file's, the older name without a process, a folder.
    const std::string orphan = ".a.ini.~" + dead + ".1f2e3d";
    const std::vector<std::string> kept = {".a.ini.~" + live + ".1f2e3d", ".a.ini.~" + live + ".1f2e3d.former",
                                           ".b.ini.~" + dead + ".1f2e3d", ".a.ini.~1f2e3d", ".a.ini.~" + dead + ".x"};
    for (const std::string& name : kept)
        WriteHostFile(path(name), "kept");
    WriteHostFile(path(orphan), std::string(100000, 'h'));
    fs::create_directory(path(".a.ini.~" + dead + ".abcdef"));
    replace(path("a.ini"), "new");
    EXPECT_EQ(ReadHostFile(path("a.ini")), "new");
    EXPECT_FALSE(fs::exists(path(orphan)));
    for (const std::string& name : kept)
        EXPECT_EQ(ReadHostFile(path(name)), "kept") << name;
    EXPECT_TRUE(fs::is_directory(path(".a.ini.~" + dead + ".abcdef")));
    EXPECT_EQ(entries(), 1u + kept.size() + 1u);
}

// A process killed in the middle of replacing a hard-linked file: the next replacement (or the
// mend at a program's start) leaves the old content or the new one, never a mix, and no file
// beside it.
TEST_F(ReplacementFileTest, AKilledRewriteOfAHardLinkedFileLeavesTheOldOrTheNewContent)
{
    const std::string a = path("a.dmp"), b = path("b.dmp");
    std::string old(3 << 20, 'o'), fresh(3 << 20, 'n');
    old[0] = 'O';
    const struct {
        const char* op; // the host operation at which the process is killed
        int call;       // its how-manieth call
        bool mixed;     // the file is part old, part new before the mend
    } cases[] = {
        {"write", 2, false},     // while the backup is being written
        {"overwrite", 1, false}, // backup not yet begun
        {"overwrite", 3, true},  // a few blocks of the new content over the old
        {"overwrite", 40, true}, // most of them
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.op) + " " + std::to_string(c.call));
        fs::remove(a), fs::remove(b);
        WriteHostFile(a, old);
        fs::create_hard_link(a, b);
        const pid_t child = ::fork();
        if (child == 0) {
            int calls = 0;
            SetHostFileFault([&](const std::string& op, const std::string&) {
                if (op == c.op && ++calls == c.call)
                    ::raise(SIGKILL);
                return 0;
            });
            replace(b, fresh);
            ::_exit(0);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status));
        const std::string cut = ReadHostFile(a);
        EXPECT_EQ(cut != old && cut != fresh, c.mixed);
        MendInterruptedReplacement(b);
        EXPECT_EQ(ReadHostFile(a), old);
        EXPECT_EQ(fs::hard_link_count(a), 2u);
        EXPECT_EQ(entries(), 2u); // neither backup nor temporary file stays
        replace(a, fresh);
        EXPECT_EQ(ReadHostFile(b), fresh);
        EXPECT_EQ(entries(), 2u);
    }
}

// A FIFO (or a device) where the file stands holds no content to replace, and an open of it
// would wait for a writer for ever: it is refused at once, by name.
TEST_F(ReplacementFileTest, AFifoIsRefusedByNameWithoutWaiting)
{
    const std::string fifo = path("pd_demo.dmp");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    auto outcome = std::async(std::launch::async, [&] {
        std::string said;
        EXPECT_FALSE(IsFileLocked(fifo));
        EXPECT_TRUE(IsSpecialFile(fifo));
        try {
            replace(fifo, "new");
        } catch (const AppError& e) {
            said = e.description();
        }
        return said;
    });
    ASSERT_EQ(outcome.wait_for(std::chrono::seconds(10)), std::future_status::ready) << "waits on the FIFO";
    EXPECT_EQ(outcome.get(), "'" + fifo + "' is not a regular file");
    EXPECT_TRUE(fs::is_fifo(fifo));
    EXPECT_EQ(entries(), 1u);
}

// The part file a client writes beside the run's own new dump goes when both processes ended.
TEST_F(ReplacementFileTest, APartFileGoesOnlyWhenItsRunAndItsClientHaveEnded)
{
    testsupport::LiveProcess running(testsupport::LiveProcess::Program::Own);
    const std::string dead = testsupport::EndedProcessId(), live = running.id();
    const std::string gone = "pd.dmp." + dead + ".tw.tmp." + dead + ".part";
    const std::vector<std::string> kept = {"pd.dmp." + dead + ".tw.tmp." + live + ".part", // its client still writes
                                           "pd.dmp." + live + ".tw.tmp." + dead + ".part", // its run goes on
                                           "dd.dmp." + dead + ".tw.tmp." + dead + ".part", // another dump's
                                           "pd.dmp.x.tw.tmp." + dead + ".part", "pd.dmp." + dead + ".tw.tmp.part"};
    for (const std::string& name : kept)
        WriteHostFile(path(name), "kept");
    WriteHostFile(path(gone), "cut");
    RemoveOrphanedLeftoverParts(path("pd.dmp"), ".tw.tmp", ".part");
    EXPECT_FALSE(fs::exists(path(gone)));
    for (const std::string& name : kept)
        EXPECT_TRUE(fs::exists(path(name))) << name;
}

TEST_F(ReplacementFileTest, SameFileFollowsCaseAndLinks)
{
    WriteHostFile(path("Seed.dgn"), "x");
    fs::create_symlink("Seed.dgn", path("alias.dgn"));
    EXPECT_TRUE(HostSameFile(path("Seed.dgn"), path("SEED.DGN")));
    EXPECT_TRUE(HostSameFile(path("seed.dgn"), path("alias.dgn")));
    EXPECT_FALSE(HostSameFile(path("Seed.dgn"), path("other.dgn")));
}

} // namespace
