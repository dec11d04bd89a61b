// The database user commands refuse a bad name before any script is written or run.
#include "admin/DbUsers.h"

#include "AdminTestSupport.h"
#include "platform/AppError.h"
#include "services/IniFile.h"
#include "platform/WinPath.h"
#include "support/Raised.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace {

TEST(DbUsersTest, ABadNameIsNamedAndNothingRuns)
{
    admintest::AdminFolder folder{"dbusers"};
    DbUsers users;
    int runs = 0;
    users.onRun = [&](const ToolOutcome&) { ++runs; };
    for (const char* params : {"'pd_a b'", "'pd_x;drop'", "''", "no quotes", "' pd_p1'"})
        for (auto op : {&DbUsers::Cre_DBUser, &DbUsers::Del_DBUser}) {
            SCOPED_TRACE(params);
            const AppError e = testsupport::Raised([&] { (users.*op)(params); });
            EXPECT_EQ(e.number(), 1);
            EXPECT_NE(e.description().find("is not a valid name"), std::string::npos) << e.description();
        }
    EXPECT_EQ(runs, 0);
    EXPECT_FALSE(std::filesystem::exists(HostPath(ToolRun::ScratchFilePath())));
    EXPECT_EQ(folder.log(), "");
}

// The tablespaces of the settings go into the create script unquoted: a value that would end
// the statement and start another is refused, naming the key, before anything is written.
TEST(DbUsersTest, ATablespaceSettingThatIsNoNameIsRefused)
{
    admintest::AdminFolder folder{"dbuserts"};
    const struct {
        const char* key;
        const char* value;
        const char* named; // in the message; "" = accepted
    } cases[] = {
        {"user_tablespace", "USER_DATA; drop user dd_demo cascade", "user_tablespace"},
        {"temporary_tablespace", "TEMP;grant dba to pd_x", "temporary_tablespace"},
        {"user_tablespace", "d:\\oradata'; drop user x cascade; --", "user_tablespace"},
        {"user_tablespace", "d:\\ora data\\", ""}, // a folder with a blank is a folder
        {"user_tablespace", " USER_DATA ", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        DbUsers users;
        int runs = 0;
        users.onRun = [&](const ToolOutcome&) { ++runs; };
        WriteIniValue(gIniFile, "TARNWICK", "svrmgr_path", folder.win("none.exe"));
        WriteIniValue(gIniFile, "TARNWICK", "user_tablespace", "USER_DATA");
        WriteIniValue(gIniFile, "TARNWICK", "temporary_tablespace", "TEMPORARY_DATA");
        WriteIniValue(gIniFile, "TARNWICK", c.key, c.value);
        if (*c.named == '\0') {
            users.Cre_DBUser("'pd_p1'");
            EXPECT_EQ(runs, 1);
            continue;
        }
        const AppError e = testsupport::Raised([&] { users.Cre_DBUser("'pd_p1'"); });
        EXPECT_EQ(e.number(), 1);
        EXPECT_NE(e.description().find(c.named), std::string::npos) << e.description();
        EXPECT_EQ(runs, 0);
        EXPECT_FALSE(std::filesystem::exists(HostPath(ToolRun::ScratchFilePath())));
    }
}

} // namespace
