// The database user commands refuse a bad name before any script is written or run.
#include "admin/DbUsers.h"

#include "AdminTestSupport.h"
#include "platform/AppError.h"
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

} // namespace
