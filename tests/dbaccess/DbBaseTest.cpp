// The wait for an Access database's lock file to go when its connection is released.
#include "dbaccess/DbBase.h"

#include "dbaccess/DumpTestFiles.h"
#include "platform/Clock.h"
#include "platform/ado/AccessConnection.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

using namespace dumptest;

namespace {

// Counts the time slept; a sleep lasts a millisecond.
class CountingClock : public Clock {
public:
    uint64_t TickMs() override { return slept; }
    LocalTime Now() override { return LocalTime{}; }
    void SleepMs(int ms) override
    {
        slept += static_cast<uint64_t>(ms);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    uint64_t slept = 0;
};

class WaitForMdbUnlockTest : public ::testing::Test {
protected:
    void SetUp() override { SetClock(&clock); }
    void TearDown() override { SetClock(nullptr); }

    // An open Access connection to db.mdb in the test folder.
    std::optional<Connection> OpenAccess(const std::string& tail)
    {
        if (!std::filesystem::exists(dir.host() + "/db.mdb"))
            AccessConnection::CreateDatabase(Win(dir.host()) + "\\db.mdb");
        std::optional<Connection> conn(std::in_place);
        conn->Open("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + Win(dir.host()) + "\\db.mdb" + tail);
        return conn;
    }

    CountingClock clock;
    testsupport::ScopedDir dir{"dbbase"};
};

} // namespace

TEST_F(WaitForMdbUnlockTest, WaitsWhileTheLockFileIsThere)
{
    auto conn = OpenAccess(";");
    WriteHostFile(dir.host() + "/db.ldb", "");
    WaitForMdbUnlock(conn, true);
    EXPECT_FALSE(conn.has_value());
    EXPECT_EQ(clock.slept, 60000u);
}

TEST_F(WaitForMdbUnlockTest, NoWaitWithoutLockFileOrWithoutTheSemicolonOrWhenNotAsked)
{
    auto conn = OpenAccess(";");
    WaitForMdbUnlock(conn, true);
    EXPECT_EQ(clock.slept, 0u);

    WriteHostFile(dir.host() + "/db.ldb", "");
    conn = OpenAccess("");
    WaitForMdbUnlock(conn, true);
    EXPECT_EQ(clock.slept, 0u);

    conn = OpenAccess(";");
    WaitForMdbUnlock(conn, false);
    EXPECT_FALSE(conn.has_value());
    EXPECT_EQ(clock.slept, 0u);

    std::optional<Connection> none;
    WaitForMdbUnlock(none, true);
}
