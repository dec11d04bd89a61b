// Release of an access object: its work directory is removed, tried again while a file in it
// is held, for at most a minute.
#include "FakeRisClients.h"

#include "platform/FileAttributes.h"
#include "services/AppGlobals.h"

#include <filesystem>
#include <optional>

namespace fs = std::filesystem;

namespace {

class CRISReleaseTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        gTempDir.clear();
        SetClock(&clock_);
    }
    void TearDown() override { SetClock(nullptr); }

    fakeris::QuickClock clock_;
};

} // namespace

TEST_F(CRISReleaseTest, RemovedAtOnceWhenNothingHoldsIt)
{
    std::string work;
    uint64_t started = 0;
    {
        CRIS cris;
        work = cris.GetTempDir();
        dumptest::WriteHostFile(HostPath(work) + "/extract.txt", "x");
        started = clock_.TickMs();
    }
    EXPECT_FALSE(fs::exists(HostPath(work)));
    // One attempt: far less than the minute the step may take.
    EXPECT_LT(clock_.TickMs() - started, 10000u);
}

TEST_F(CRISReleaseTest, HeldFileKeepsTheDirectoryAndTheStepEndsAfterAMinute)
{
    std::optional<CRIS> cris;
    cris.emplace();
    const std::string work = cris->GetTempDir();
    {
        FileLock held(work + "held.dmp");
        dumptest::WriteHostFile(HostPath(work) + "/free.txt", "x");
        {
            CRIS other;
            other.GetTempDir();
        }
        // Releasing another object does not touch this one's directory.
        EXPECT_TRUE(fs::exists(HostPath(work) + "/free.txt"));
        const uint64_t started = clock_.TickMs();
        cris.reset();
        EXPECT_GE(clock_.TickMs() - started, 60000u);
        EXPECT_TRUE(fs::exists(HostPath(work) + "/held.dmp"));
        EXPECT_FALSE(fs::exists(HostPath(work) + "/free.txt"));
    }
    fs::remove_all(HostPath(work));
}
