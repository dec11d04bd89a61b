// A registry or settings file whose lock another program holds: the writer waits a bounded time,
// the window's events handled meanwhile, then fails and says which file.
#include "platform/Clock.h"
#include "platform/FileAttributes.h"
#include "platform/ProfileFile.h"
#include "platform/RegistryStore.h"
#include "platform/WinPath.h"
#include "services/AppGlobals.h"
#include "services/IniFile.h"
#include "services/Registry.h"
#include "services/SettingsWriteFailures.h"
#include "support/TestEnvironment.h"
#include "support/TestFiles.h"

#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;

// Time passes only by the waits' sleeps.
class SleepingClock : public Clock {
public:
    uint64_t tick = 5000;
    uint64_t TickMs() override { return tick; }
    LocalTime Now() override { return {}; }
    void SleepMs(int ms) override { tick += static_cast<uint64_t>(ms); }
};

class HeldLockTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetClock(&clock);
        SetEventPump([this] { ++pumped; });
        savedLog = gLogFile;
        gLogFile = WinPathFromHost(dir.host() + "/tarnwick.log");
    }
    void TearDown() override
    {
        SetClock(nullptr);
        SetEventPump(nullptr);
        gLogFile = savedLog;
    }
    std::string log() const { return testsupport::ReadHostFile(dir.host() + "/tarnwick.log"); }

    SleepingClock clock;
    int pumped = 0;
    std::string savedLog;
    testsupport::ScopedDir dir{"heldlock"};
};

TEST_F(HeldLockTest, ARegistryWriteWaitsABoundedTimeThenNamesTheFile)
{
    const std::string file = RegistryStore::FilePath("");
    fs::create_directories(fs::path(file).parent_path());
    // The registry is the process's: it is left as it was found.
    const bool existed = fs::exists(file);
    const std::string before = existed ? testsupport::ReadHostFile(file) : std::string();
    struct Restore {
        std::function<void()> fn;
        ~Restore() { fn(); }
    } restore{[&] {
        if (existed)
            testsupport::WriteHostFile(file, before);
        else
            fs::remove(file);
    }};
    const std::string lockFile = fs::path(file).parent_path().string() + "/." + fs::path(file).filename().string() + ".lock";
    ASSERT_TRUE(RegistrySetValue(HKEY_LOCAL_MACHINE, "Software\\Tarnwick\\Held", "v", std::string("x"), ""));
    {
        FileLock other(WinPathFromHost(lockFile));
        ASSERT_TRUE(other.held());
        // A value that stands already is no write: it needs no lock and waits for none.
        const uint64_t start = clock.tick;
        EXPECT_TRUE(RegistrySetValue(HKEY_LOCAL_MACHINE, "Software\\Tarnwick\\Held", "v", std::string(" x "), ""));
        EXPECT_TRUE(RegistryCreateKey(HKEY_LOCAL_MACHINE, "Software\\Tarnwick\\Held", ""));
        EXPECT_EQ(clock.tick, start);
        EXPECT_TRUE(TakeSettingsWriteFailures().empty());
        EXPECT_FALSE(RegistrySetValue(HKEY_LOCAL_MACHINE, "Software\\Tarnwick\\Held", "v", std::string("y"), ""));
        EXPECT_GE(clock.tick - start, static_cast<uint64_t>(kLockWaitMs));
        EXPECT_LE(clock.tick - start, static_cast<uint64_t>(kLockWaitMs) + 100);
        EXPECT_GT(pumped, 10);
        EXPECT_NE(log().find("The registry file '" + WinPathFromHost(file) + "' is in use by another program"),
                  std::string::npos)
            << log();
        // Kept for the run's end, which may not call itself free of errors over it.
        const std::vector<std::string> kept = TakeSettingsWriteFailures();
        ASSERT_EQ(kept.size(), 1u);
        EXPECT_NE(kept[0].find("The registry file '" + WinPathFromHost(file) + "'"), std::string::npos) << kept[0];
    }
    EXPECT_TRUE(RegistrySetValue(HKEY_LOCAL_MACHINE, "Software\\Tarnwick\\Held", "v", std::string("x"), ""));
    EXPECT_EQ(std::get<std::string>(RegistryGetValue(HKEY_LOCAL_MACHINE, "Software\\Tarnwick\\Held", "v", "", true)),
              "x");
}

TEST_F(HeldLockTest, ASettingsWriteWaitsABoundedTimeThenNamesTheFile)
{
    const std::string ini = WinPathFromHost(dir.host() + "/tarnwick.ini");
    ASSERT_TRUE(WriteIniValue(ini, "TARNWICK", "projname", "demo"));
    {
        FileLock other(ini, false);
        ASSERT_TRUE(other.held());
        // The value that stands is no write: nothing waits for the lock.
        const uint64_t start = clock.tick;
        EXPECT_TRUE(WriteIniValue(ini, "TARNWICK", "projname", "demo"));
        EXPECT_EQ(clock.tick, start);
        EXPECT_FALSE(WriteIniValue(ini, "TARNWICK", "projname", "other"));
        EXPECT_GT(pumped, 10);
        EXPECT_NE(log().find("The settings file '" + ini + "' is in use by another program (still locked after 10 "
                             "seconds)"),
                  std::string::npos)
            << log();
        EXPECT_EQ(ReadIniValue(ini, "TARNWICK", "projname", ""), "demo");
        const std::vector<std::string> kept = TakeSettingsWriteFailures();
        ASSERT_EQ(kept.size(), 1u);
        EXPECT_EQ(kept[0].rfind("The setting projname=other of [TARNWICK] was not stored in '" + ini + "': The settings "
                                "file '" + ini + "' is in use by another program", 0),
                  0u)
            << kept[0];
        // What stands in the file is said with it.
        EXPECT_NE(kept[0].find("seconds); it holds projname=demo"), std::string::npos) << kept[0];
    }
    // Freed in the middle of the wait: the write goes through.
    auto other = std::make_unique<FileLock>(ini, false);
    SetEventPump([&] {
        if (++pumped % 5 == 0)
            other.reset();
    });
    EXPECT_TRUE(WriteIniValue(ini, "TARNWICK", "projname", "other"));
    EXPECT_EQ(ReadIniValue(ini, "TARNWICK", "projname", ""), "other");
    EXPECT_TRUE(ProfileFile::LastLockFailure().empty());
    EXPECT_TRUE(TakeSettingsWriteFailures().empty());
}

} // namespace
