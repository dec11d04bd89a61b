// Maintenance runs: which schemas each takes, the grant statements, Esc and failures.
#include "admin/Maintenance.h"

#include "AdminTestSupport.h"
#include "platform/AppError.h"
#include "services/ScriptedMessageService.h"

#include <gtest/gtest.h>

namespace {

using Strings = std::vector<std::string>;

// The grant run itself is proved on the stand-in server by the main window's test.
TEST(MaintenanceSelectionTest, GrantTakesTheProjectsSchemasByWholeSuffixAndMscodeThePidSchemas)
{
    const Strings list{"pd_abc", "dd_abc", "m_abc", "pd_xyz", "abc", "pd_abc10", "pd_xabc", "", "ra_abc"};
    EXPECT_EQ(Maintenance::GrantSchemas(list, "abc"), (Strings{"pd_abc", "dd_abc", "m_abc"}));
    EXPECT_EQ(Maintenance::GrantSchemas(list, "ABC"), (Strings{"pd_abc", "dd_abc", "m_abc"}));
    EXPECT_TRUE(Maintenance::GrantSchemas(list, "").empty());
    EXPECT_THROW(Maintenance::GrantStatements("pd_abc", {"t; drop"}), AppError); // would break the grant
    EXPECT_EQ(Maintenance::MscodeProjects({"pid_abc", "pidx_abc", "pd_abc", "pid_x", "", "pid_late"}),
              (Strings{"abc", "x"}));
}

class MaintenanceRunTest : public ::testing::Test {
protected:
    MaintenanceRunTest()
    {
        maintenance_.escPressed = [] { return false; };
        maintenance_.getTables = [this](const std::string& schema) {
            asked_.push_back(schema);
            return Strings{"t1"};
        };
    }

    admintest::AdminFolder folder_{"maintenance"};
    ScriptedMessageService boxes_;
    Maintenance maintenance_;
    Strings asked_;
};

TEST_F(MaintenanceRunTest, EscBeforeTheFirstSchemaEndsTheGrantRunWithoutRisbatch)
{
    maintenance_.escPressed = [] { return true; };
    EXPECT_EQ(maintenance_.btnGrantAll_Click({"pd_abc", "dd_abc"}, "abc"), " Tarnwick is ready  -  See Logfile ");
    EXPECT_TRUE(asked_.empty());
    EXPECT_EQ(folder_.log(), "");
    EXPECT_FALSE(admintest::HostExists(std::string(std::getenv("TMP")) + "/sql.txt"));
    ASSERT_EQ(boxes_.asked().size(), 1u);
}

TEST_F(MaintenanceRunTest, AFailedTableListIsShownAndRisbatchDoesNotRun)
{
    maintenance_.getTables = [](const std::string&) -> Strings {
        throw AppError(1, "CRIS::DBGetTables", "Schema dd_abc not found");
    };
    const std::string closing = maintenance_.btnGrantAll_Click({"pd_abc"}, "abc");
    ASSERT_EQ(boxes_.asked().size(), 2u);
    EXPECT_EQ(boxes_.asked()[0].prompt, "Schema dd_abc not found");
    EXPECT_EQ(boxes_.asked()[1].prompt, closing);
    EXPECT_NE(closing, " Tarnwick is ready  -  See Logfile ");
    EXPECT_EQ(folder_.log(), "");
    EXPECT_FALSE(admintest::HostExists(std::string(std::getenv("TMP")) + "/sql.txt"));
}

TEST_F(MaintenanceRunTest, CleaningAnEmptyListWritesNothing)
{
    EXPECT_EQ(maintenance_.btnRISClean_Click({}), " Tarnwick is ready  -  See Logfile ");
    EXPECT_EQ(folder_.log(), "");
    ASSERT_EQ(boxes_.asked().size(), 1u);
}

TEST_F(MaintenanceRunTest, EscStopsTheCleaningBeforeTheNextSchema)
{
    int tests = 0;
    maintenance_.escPressed = [&tests] { return ++tests > 1; };
    maintenance_.btnRISClean_Click({"pd_abc", "dd_abc"});
    const std::string log = folder_.log();
    EXPECT_NE(log.find("Cleaning RIS dictionary tables for schema: 'pd_abc' ..."), std::string::npos) << log;
    EXPECT_EQ(log.find("dd_abc"), std::string::npos) << log;
}

} // namespace
