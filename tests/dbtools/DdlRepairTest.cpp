// The repair actions on the DDL check's result tree: the statements each one builds and the
// frame that asks, runs and reports.
#include "dbtools/DdlRepair.h"

#include "DdlTestDatabase.h"
#include "admin/AdminTestSupport.h"

#include <gtest/gtest.h>

namespace {

class DdlRepairTest : public ::testing::Test, protected DdlTestRun {
protected:
    void SetUp() override
    {
        tree.Add("", "NoModels", "orphans");
        tree.Add("NoModels", "Tablepdtable_12_9", "pdtable_12_9 - 4 row(s)");
        tree.Add("NoModels", "Tablepdtable_99_1", "pdtable_99_1 - 0 row(s)");
        tree.Add("", "HasColNotInDB", "missing");
        tree.Add("HasColNotInDB", "Tablepdtable_12_7", "pdtable_12_7 - P7");
        tree.Add("Tablepdtable_12_7", "Tablepdtable_12_7Columnremarks char(40)", "remarks char(40)");
        tree.Add("Tablepdtable_12_7", "Tablepdtable_12_7Columnscale decimal(8,2)", "scale decimal(8,2)");
        tree.Add("", "TypeMismatch", "info");
        tree.Add("TypeMismatch", "TypeMismatchTablepdtable_34_7", "pdtable_34_7 - P7");
        tree.Add("TypeMismatchTablepdtable_34_7", "Tablepdtable_34_7Columncode char(9)", "code char(9) - data type false");
        tree.Add("", "NoTables", "models");
        tree.Add("NoTables", "Discipline1ModelP101", "P101 - ...").tag = "3";
        tree.Add("NoTables", "Discipline1ModelO'Neil", "O'Neil - ...").tag = "4";
        tree.Add("NoTables", "Discipline1ModelX", "X - ...").tag = "";
        db.tables = {"pdtable_12_7", "pdtable_12_9", "pdtable_99_1"};
    }
    void check(const char* key) { tree.Find(key)->checked = true; }
    std::string log() const { return folder_.log(); }

    admintest::AdminFolder folder_{"ddlrepair"};
};

// The batch that adds columns, then the look at what stands: the tables, and the columns of each
// added one.
const std::vector<std::string> kAddColumnsCalls = {"Write dd_p1", "Tables dd_p1", "Columns pdtable_12_7 fresh",
                                                   "Columns pdtable_12_7 fresh"};

// A column whose type differs is only reported: adding it again would fail the whole run.
TEST_F(DdlRepairTest, AddColumnsTakesEveryMissingColumnCheckedOrNotAndNoMismatch)
{
    EXPECT_EQ(BuildRepairStatements(tree, DdlRepairAction::AddColumns),
              "ALTER TABLE pdtable_12_7 ADD remarks char(40);\r\nALTER TABLE pdtable_12_7 ADD scale decimal(8,2);");
}

TEST_F(DdlRepairTest, ColumnsWhoseTextWouldBreakTheStatementAreLoggedAndSkipped)
{
    tree.Add("Tablepdtable_12_7", "Tablepdtable_12_7Columnx char(1); drop table t", "x char(1); drop table t");
    tree.Add("Tablepdtable_12_7", "Tablepdtable_12_7Columnbad-name int", "bad-name int");
    const std::string s = BuildRepairStatements(tree, DdlRepairAction::AddColumns);
    EXPECT_EQ(s.find("drop"), std::string::npos);
    EXPECT_EQ(s.find("bad-name"), std::string::npos);
    EXPECT_NE(log().find("Error: column 'bad-name int' of table 'pdtable_12_7' cannot be added"), std::string::npos);

    // The run adds the others and says in the box which were left out.
    messages.Answer(MsgAnswer::Yes);
    RunRepairAction(context, DdlRepairAction::AddColumns);
    EXPECT_EQ(db.calls, kAddColumnsCalls);
    EXPECT_EQ(messages.asked().back().prompt,
              "The other missing columns were added to dd_p1. Not added, its name or type is not valid: 'x char(1); "
              "drop table t' of pdtable_12_7, 'bad-name int' of pdtable_12_7 (see the program log).");
    EXPECT_EQ(statuses.back(), messages.asked().back().prompt);
}

TEST_F(DdlRepairTest, DropTablesTakesOnlyCheckedOrphans)
{
    EXPECT_EQ(BuildRepairStatements(tree, DdlRepairAction::DropTables), "");
    check("NoModels");   // a root alone counts for nothing
    check("Tablepdtable_99_1");
    EXPECT_EQ(BuildRepairStatements(tree, DdlRepairAction::DropTables), "DROP TABLE pdtable_99_1;");
}

TEST_F(DdlRepairTest, DeleteModelsQuotesTheModelNumberAndSkipsModelsWithoutPartition)
{
    check("Discipline1ModelP101");
    check("Discipline1ModelO'Neil");
    check("Discipline1ModelX");
    EXPECT_EQ(BuildRepairStatements(tree, DdlRepairAction::DeleteModels),
              "DELETE FROM pdtable_113 WHERE discipline_indx_no=1 AND model_no='P101' AND partition_no=3;\r\n"
              "DELETE FROM pdtable_114 WHERE partition_no=3;\r\n"
              "DELETE FROM pdtable_113 WHERE discipline_indx_no=1 AND model_no='O''Neil' AND partition_no=4;\r\n"
              "DELETE FROM pdtable_114 WHERE partition_no=4;");
    EXPECT_NE(log().find("Error: partition number not found for model X"), std::string::npos);
}

struct FrameCase {
    const char* name;
    DdlRepairAction action;
    const char* checkKey;   // nullptr: nothing checked
    int answer;
    const char* written;    // schema written, or "" for nothing
    const char* status;
    std::vector<std::string> calls = {}; // to the database, in their order
    std::vector<DdlTestModel> models = {{1, "P101", 3}}; // pdtable_113 of the project schema
    std::vector<std::pair<std::string, std::string>> views = {}; // of the design schema, with the table each reads
    const char* viewsFail = "";                                   // the error of the look at the views
};

// Counts and models a delete or a drop is decided on are read whole.
const std::string kCount = "ReadWhole pd_p1 SELECT count(*) AS ROWCOUNTS FROM ";
// The models, read again right before a drop.
const std::string kModels = "ReadWhole pd_p1 SELECT discipline_indx_no, model_no, partition_no FROM pdtable_113 WHERE "
                            "discipline_indx_no=1 or discipline_indx_no=2 GROUP BY discipline_indx_no, model_no, "
                            "partition_no;";
const std::string kCountP101 = kCount + "pdtable_113 WHERE discipline_indx_no=1 AND model_no='P101' AND partition_no=3;";

void PrintTo(const FrameCase& c, std::ostream* os) { *os << c.name; }

class DdlRepairFrameTest : public DdlRepairTest, public ::testing::WithParamInterface<FrameCase> {};

TEST_P(DdlRepairFrameTest, AsksRunsAndReports)
{
    const FrameCase& c = GetParam();
    if (c.checkKey)
        check(c.checkKey);
    db.models = c.models;
    db.views = c.views;
    db.failViewWarnings = c.viewsFail;
    messages.Answer(c.answer);
    RunRepairAction(context, c.action);
    EXPECT_EQ(statuses.back(), c.status);
    EXPECT_EQ(enables, (std::vector<bool>{false, true}));
    EXPECT_EQ(context.designSchemaChanged, std::string(c.written) == "dd_p1");
    EXPECT_EQ(db.calls, c.calls);
}

INSTANTIATE_TEST_SUITE_P(
    Actions, DdlRepairFrameTest,
    ::testing::Values(
        FrameCase{"AddColumnsYes", DdlRepairAction::AddColumns, nullptr, MsgAnswer::Yes, "dd_p1", "Ready",
                  kAddColumnsCalls},
        FrameCase{"AddColumnsNo", DdlRepairAction::AddColumns, nullptr, MsgAnswer::No, "", "Ready"},
        FrameCase{"DropNothingChecked", DdlRepairAction::DropTables, nullptr, MsgAnswer::Yes, "",
                  "No tables to drop found, check the checkbox of corresponding tables please"},
        FrameCase{"DropChecked", DdlRepairAction::DropTables, "Tablepdtable_12_9", MsgAnswer::Yes, "dd_p1", "Ready",
                  {kModels, "Write dd_p1", "Tables dd_p1", "ViewWarnings dd_p1"}},
        // A view that reads a dropped table stands on: the drop says so, of it alone.
        FrameCase{"DropLeavesAViewOfItsTable", DdlRepairAction::DropTables, "Tablepdtable_12_9", MsgAnswer::Yes,
                  "dd_p1",
                  "The checked tables were dropped from dd_p1. Warning: view 'v9' reads table 'pdtable_12_9', "
                  "which no longer stands.",
                  {kModels, "Write dd_p1", "Tables dd_p1", "ViewWarnings dd_p1"}, {{1, "P101", 3}},
                  {{"v9", "pdtable_12_9"}, {"v7", "pdtable_12_7"}}},
        FrameCase{"DropWhoseViewsCannotBeRead", DdlRepairAction::DropTables, "Tablepdtable_12_9", MsgAnswer::Yes,
                  "dd_p1",
                  "The checked tables were dropped from dd_p1. Warning: the views of dd_p1 could not be looked at "
                  "after the drop (listing cut); a view that reads a dropped table makes no dump of dd_p1 load whole.",
                  {kModels, "Write dd_p1", "Tables dd_p1", "ViewWarnings dd_p1"}, {{1, "P101", 3}}, {}, "listing cut"},
        // A load brought the table's model back since the check: the table stays.
        FrameCase{"DropCheckedWhoseModelStandsNow", DdlRepairAction::DropTables, "Tablepdtable_12_9", MsgAnswer::Yes,
                  "", "Not dropped, its model stands in pd_p1 now: pdtable_12_9 (check again).", {kModels},
                  {{1, "P109", 9}}},
        FrameCase{"DeleteOnlyModelWithoutPartition", DdlRepairAction::DeleteModels, "Discipline1ModelX", MsgAnswer::Yes,
                  "", "No models to delete found, check the checkbox of corresponding models please"},
        // Models are counted and deleted one by one: the model's row before and after its DELETE,
        // whether another model row uses the partition, and the partition's row after its DELETE.
        FrameCase{"DeleteChecked", DdlRepairAction::DeleteModels, "Discipline1ModelP101", MsgAnswer::Yes, "pd_p1",
                  "Ready", {kCountP101, "Tables dd_p1", "Write pd_p1", kCountP101, kCount + "pdtable_113 WHERE partition_no=3;",
                            "Write pd_p1", kCount + "pdtable_114 WHERE partition_no=3;"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DdlRepairTest, AWriteErrorAndNoMissingColumnsRootAreShownWithoutAmpersands)
{
    db.failWrites = "RIS Error: R&D table locked";
    messages.Answer(MsgAnswer::Yes);
    RunRepairAction(context, DdlRepairAction::AddColumns);
    EXPECT_EQ(statuses.back(), "The adding of the missing columns to dd_p1 was not done: RIS Error: RD table locked; "
                               "not added: pdtable_12_7.remarks, pdtable_12_7.scale. A new check shows what is left "
                               "to repair.");

    tree.Clear();
    RunRepairAction(context, DdlRepairAction::AddColumns);
    EXPECT_EQ(statuses.back(), "No columns to add found");
    EXPECT_EQ(messages.asked().back().prompt, "No columns to add found");
    EXPECT_NE(log().find("No columns to add found"), std::string::npos);
}

} // namespace
