// The wait for an Access database's lock file to go when its connection is released.
#include "dbaccess/DbBase.h"

#include "FakeRisClients.h"
#include "platform/ado/AccessConnection.h"

#include <filesystem>

using namespace dumptest;

namespace {

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

    // The time slept: the clock's ticks start at 1.
    uint64_t slept() { return clock.TickMs() - 1; }

    fakeris::QuickClock clock;
    testsupport::ScopedDir dir{"dbbase"};
};

} // namespace

TEST_F(WaitForMdbUnlockTest, WaitsWhileTheLockFileIsThere)
{
    auto conn = OpenAccess(";");
    WriteHostFile(dir.host() + "/db.ldb", "");
    WaitForMdbUnlock(conn, true);
    EXPECT_FALSE(conn.has_value());
    EXPECT_EQ(slept(), 60000u);
}

TEST_F(WaitForMdbUnlockTest, NoWaitWithoutLockFileOrWithoutTheSemicolonOrWhenNotAsked)
{
    auto conn = OpenAccess(";");
    WaitForMdbUnlock(conn, true);
    EXPECT_EQ(slept(), 0u);

    WriteHostFile(dir.host() + "/db.ldb", "");
    conn = OpenAccess("");
    WaitForMdbUnlock(conn, true);
    EXPECT_EQ(slept(), 0u);

    conn = OpenAccess(";");
    WaitForMdbUnlock(conn, false);
    EXPECT_FALSE(conn.has_value());
    EXPECT_EQ(slept(), 0u);

    std::optional<Connection> none;
    WaitForMdbUnlock(none, true);
}
