// Whole-system run of the DDL check on the sample environment: the check finds the column the
// sample's DDL files define beyond the design schema and an orphan table, the report workbook
// is written, and the repairs add the column and drop the table in the stand-in server.
#include "dbaccess/CRIS.h"
#include "dbtools/DdlCheck.h"
#include "dbtools/DdlCheckContext.h"
#include "dbtools/DdlDatabase.h"
#include "dbtools/DdlRepair.h"
#include "platform/DesktopOpener.h"
#include "platform/Environment.h"
#include "platform/WinPath.h"
#include "services/AppGlobals.h"
#include "services/ScriptedMessageService.h"
#include "support/SampleEnvironment.h"
#include "support/TestEnvironment.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>

namespace {

using Strings = std::vector<std::string>;

// The repairs change the sample's design schema, so the test runs in a stand-in root of its own.
class DdlCheckE2ETest : public ::testing::Test {
protected:
    void SetUp() override
    {
        testsupport::BuildSampleEnvironment();
        savedLog_ = gLogFile;
        gLogFile = WinPathFromHost(dir_.host()) + "\\tarnwick.log";
        SetDesktopOpener([this](const std::string&, const std::string& file, const std::string&, const std::string&) {
            opened_.push_back(file);
            return 42L;
        });
    }
    void TearDown() override
    {
        SetDesktopOpener(nullptr);
        gLogFile = savedLog_;
    }
    static CRIS& cris()
    {
        static CRIS c;
        c.SetUseRIS("");
        return c;
    }
    Strings texts(const char* root) const
    {
        Strings out;
        if (const CheckTreeNode* r = tree_.Find(root))
            for (const CheckTreeNode* table : r->children) {
                out.push_back(table->text);
                for (const CheckTreeNode* column : table->children)
                    out.push_back("  " + column->text);
            }
        return out;
    }

    testsupport::ScopedStandInRoot root_;
    testsupport::ScopedDir dir_{"ddle2e"};
    std::string savedLog_;
    Strings opened_;
    ScriptedMessageService boxes_;
    CheckTree tree_;
    Strings statuses_;
    DdlCheckContext context_{tree_, DdlDatabase::Program(), [] { return std::string("demo"); },
                             [this](const std::string& t) { statuses_.push_back(t); }, {}, 0};
};

TEST_F(DdlCheckE2ETest, CheckFindsReportsAndRepairFixesTheDesignSchema)
{
    cris().DBWrite("dd_demo", "create table pdtable_12_9 (system_unique_no int, note char(10));\r\n"
                              "insert into pdtable_12_9 values (1, 'a');");

    boxes_.Answer(MsgAnswer::Yes);   // the report
    RunDdlCheck(context_);
    ASSERT_EQ(statuses_.back(), "Ready") << (boxes_.asked().empty() ? "" : boxes_.asked().back().prompt);
    EXPECT_EQ(texts("HasColNotInDB"), (Strings{"pdtable_12_1 - P1001", "  insulation_purpose char(6)",
                                               "pdtable_12_2 - P1002", "  insulation_purpose char(6)"}));
    EXPECT_EQ(texts("NoModels"), (Strings{"pdtable_12_9 - 1 row(s)"}));
    EXPECT_EQ(tree_.Find("TypeMismatch"), nullptr);
    EXPECT_EQ(tree_.Find("NoTables"), nullptr);
    EXPECT_EQ(tree_.Find("Not checked tables"), nullptr);

    // The report: a workbook in TEMP named after the project and the time, handed to the opener.
    ASSERT_EQ(opened_.size(), 1u);
    std::string temp = GetEnvVar("TEMP");
    EXPECT_EQ(opened_[0].rfind(temp + (temp.back() == '\\' ? "" : "\\") + "demo-DDL-DB_", 0), 0u) << opened_[0];
    EXPECT_EQ(opened_[0].substr(opened_[0].size() - 4), ".xls");
    EXPECT_GT(std::filesystem::file_size(HostPath(opened_[0])), 0u);

    boxes_.Answer(MsgAnswer::Yes);
    RunRepairAction(context_, DdlRepairAction::AddColumns);
    EXPECT_EQ(statuses_.back(), "Ready");
    tree_.Find("Tablepdtable_12_9")->checked = true;
    boxes_.Answer(MsgAnswer::Yes);
    RunRepairAction(context_, DdlRepairAction::DropTables);
    EXPECT_EQ(statuses_.back(), "Ready");

    for (const char* table : {"pdtable_12_1", "pdtable_12_2"}) {
        const Strings columns = cris().DBGetCols("dd_demo", table, true, true);
        EXPECT_NE(std::find(columns.begin(), columns.end(), "insulation_purpose char(6)"), columns.end()) << table;
    }
    const Strings tables = cris().DBGetTables("dd_demo", true);
    EXPECT_EQ(std::find(tables.begin(), tables.end(), "pdtable_12_9"), tables.end());
    EXPECT_NE(std::find(tables.begin(), tables.end(), "pdtable_12_1"), tables.end());

    // The next check sees the repaired schema, also for the tables listed by the first run.
    RunDdlCheck(context_);
    EXPECT_EQ(statuses_.back(), "Database is correct");
    EXPECT_EQ(tree_.Count(), 0u);
}

} // namespace
