// The database user commands refuse a bad name before any script is written or run.
#include "admin/DbUsers.h"

#include "AdminTestSupport.h"
#include "platform/AppError.h"
#include "platform/WinPath.h"
#include "support/Raised.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace {

class DbUsersRefusalTest : public ::testing::TestWithParam<const char*> {
protected:
    admintest::AdminFolder folder{"dbusers"};
};

TEST_P(DbUsersRefusalTest, BadNameIsNamedAndNothingRuns)
{
    DbUsers users;
    int runs = 0;
    users.onRun = [&](const ToolOutcome&) { ++runs; };
    std::string params = GetParam();
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

INSTANTIATE_TEST_SUITE_P(Names, DbUsersRefusalTest,
                         ::testing::Values("'pd_a b'", "'pd_x;drop'", "''", "no quotes", "' pd_p1'"));

} // namespace
