// Deleting models without tables when a model's key does not match exactly one row of
// pdtable_113 (not found as the tree shows it, or registered twice): nothing of that model is
// deleted, the others go, and the run ends naming it with the number of its rows.
#include "dbtools/DdlRepair.h"

#include "DbToolsSampleEnvironment.h"
#include "DdlTestDatabase.h"
#include "admin/AdminTestSupport.h"
#include "dbtools/DdlCheckContext.h"
#include "dbtools/DdlDatabase.h"
#include "support/WrapperClients.h"

#include "platform/TextUtil.h"

#include <algorithm>
#include <map>

#include <gtest/gtest.h>

namespace {

// Checked nodes under "NoTables" for each model and its partition.
void CheckModels(CheckTree& tree, std::initializer_list<std::pair<const char*, const char*>> models)
{
    tree.Add("", "NoTables", "models");
    for (const auto& [model, partition] : models) {
        CheckTreeNode& node = tree.Add("NoTables", std::string("Discipline1Model") + model, model);
        node.tag = partition;
        node.checked = true;
    }
}

struct DeleteCase {
    const char* name;
    std::vector<DdlTestModel> stored;       // the rows of pdtable_113 before the run
    std::vector<std::string> written;       // the statements run, in order
    std::vector<DdlTestModel> left;         // the rows of pdtable_113 after the run
    const char* status;
    std::vector<std::string> tables = {};   // of the design schema when the delete looks again
};

void PrintTo(const DeleteCase& c, std::ostream* os) { *os << c.name; }

const char* const k113P101 = "DELETE FROM pdtable_113 WHERE discipline_indx_no=1 AND model_no='P101' AND partition_no=3;";
const char* const k114P101 = "DELETE FROM pdtable_114 WHERE partition_no=3;";
const char* const k113P102 = "DELETE FROM pdtable_113 WHERE discipline_indx_no=1 AND model_no='P102' AND partition_no=4;";
const char* const k114P102 = "DELETE FROM pdtable_114 WHERE partition_no=4;";

class DdlRepairDeleteModelsTest : public ::testing::TestWithParam<DeleteCase> {};

TEST_P(DdlRepairDeleteModelsTest, EachModelGoesWholeOrNotAtAll)
{
    const DeleteCase& c = GetParam();
    admintest::AdminFolder folder{"ddlrepairfail"};
    DdlTestRun run;
    CheckModels(run.tree, {{"P101", "3"}, {"P102", "4"}});
    run.db.models = c.stored;
    run.db.tables = c.tables;
    run.messages.Answer(MsgAnswer::Yes);

    RunRepairAction(run.context, DdlRepairAction::DeleteModels);

    EXPECT_EQ(run.db.written, c.written);
    ASSERT_EQ(run.db.models.size(), c.left.size());
    for (size_t i = 0; i < c.left.size(); ++i)
        EXPECT_EQ(run.db.models[i].model, c.left[i].model);
    EXPECT_EQ(run.statuses.back(), c.status);
    if (std::string(c.status) != "Ready") {
        EXPECT_EQ(run.messages.asked().back().prompt, c.status);
    }
    if (std::string(c.status).rfind("Models not deleted", 0) == 0) {
        EXPECT_NE(folder.log().find("Error: model P101 not deleted: "), std::string::npos);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, DdlRepairDeleteModelsTest,
    ::testing::Values(
        DeleteCase{"BothFound", {{1, "P101", 3}, {1, "P102", 4}}, {k113P101, k114P101, k113P102, k114P102}, {}, "Ready"},
        // The listing trims the model number; the row holds it padded and is not found (as a row
        // deleted meanwhile is not).
        DeleteCase{"PaddedNumberMissed",
                   {{1, "P101  ", 3}, {1, "P102", 4}},
                   {k113P102, k114P102},
                   {{1, "P101  ", 3}},
                   "Models not deleted, nothing was changed for them: P101 (no row of pdtable_113 holds it) (see the "
                   "program log)"},
        DeleteCase{"PartitionUsedByAnotherModel",
                   {{1, "P101", 3}, {2, "E2009", 3}, {1, "P102", 4}},
                   {k113P101, k113P102, k114P102},
                   {{2, "E2009", 3}},
                   "Model P101: its row of pdtable_113 was deleted. Its row of pdtable_114 (partition 3) was kept: 1 "
                   "other row(s) of pdtable_113 use it."},
        // Another program's change had the tables dropped while the check listed them.
        DeleteCase{"TablesStandAgain",
                   {{1, "P101", 3}, {1, "P102", 4}},
                   {k113P102, k114P102},
                   {{1, "P101", 3}},
                   "Models not deleted, nothing was changed for them: P101 (its tables stand in dd_p1 again: "
                   "pdtable_12_3, pdtable_34_3, pdtable_50_3, pdtable_67_3, pdtable_80_3) (see the program log)",
                   {"pdtable_12_3", "pdtable_34_3", "pdtable_50_3", "pdtable_67_3", "pdtable_80_3"}},
        DeleteCase{"TablesChangedSinceTheCheck",
                   {{1, "P101", 3}, {1, "P102", 4}},
                   {k113P102, k114P102},
                   {{1, "P101", 3}},
                   "Models not deleted, nothing was changed for them: P101 (its tables in dd_p1 changed since the "
                   "check (missing now: pdtable_50_3, pdtable_67_3, pdtable_80_3), check again) (see the program log)",
                   {"pdtable_12_3", "pdtable_34_3"}}),
    [](const auto& info) { return std::string(info.param.name); });

// A client that dies before or after a DELETE: the rows are counted again, the message says
// what stands, and the next model is tried all the same.
struct DyingClientCase {
    const char* name;
    const char* dieBefore;           // a text of the statement the client dies before
    const char* dieAfter;            // ... or after
    std::vector<std::string> models; // the models left in pdtable_113
    std::vector<long> partitions;    // the rows left in pdtable_114
    const char* message;             // the first line of the message
    const char* doesNothing = "";    // a text of the statement the client answers well without doing it
};

void PrintTo(const DyingClientCase& c, std::ostream* os) { *os << c.name; }

class DdlRepairDyingClientTest : public ::testing::TestWithParam<DyingClientCase> {};

TEST_P(DdlRepairDyingClientTest, WhatStandsIsSaidAndTheNextModelIsTried)
{
    const DyingClientCase& c = GetParam();
    admintest::AdminFolder folder{"ddlrepairdie"};
    DdlTestRun run;
    CheckModels(run.tree, {{"P101", "3"}, {"P102", "4"}});
    run.db.models = {{1, "P101", 3}, {1, "P102", 4}, {1, "P103", 5}};
    run.db.partitions = {3, 4, 5};
    run.db.dieBefore = c.dieBefore;
    run.db.dieAfter = c.dieAfter;
    run.db.doesNothing = c.doesNothing;
    run.messages.Answer(MsgAnswer::Yes);

    RunRepairAction(run.context, DdlRepairAction::DeleteModels);

    std::vector<std::string> models;
    for (const DdlTestModel& m : run.db.models)
        models.push_back(m.model);
    EXPECT_EQ(models, c.models);
    EXPECT_EQ(run.db.partitions, c.partitions);
    ASSERT_EQ(run.messages.asked().size(), 2u);
    const std::string shown = run.messages.asked().back().prompt;
    EXPECT_EQ(Split(shown, "\r\n"), std::vector<std::string>{c.message}) << shown;
    EXPECT_EQ(run.statuses.back(), shown);
    EXPECT_NE(folder.log().find(c.message), std::string::npos);
    // Only a partition row left without its model row is remembered, for the next check.
    const bool left = c.models.front() != "P101" && c.partitions.front() == 3;
    EXPECT_EQ(run.context.partitionsLeft, (left ? std::map<std::string, std::string>{{"3", "P101"}}
                                                : std::map<std::string, std::string>{}));
}

INSTANTIATE_TEST_SUITE_P(
    Deaths, DdlRepairDyingClientTest,
    ::testing::Values(
        DyingClientCase{"BeforeTheModelRow", k113P101, "", {"P101", "P103"}, {3, 5},
                        "Model P101: The DELETE of its row of pdtable_113 was not done: risbatch ended with exit code "
                        "139; its row of pdtable_113 is still there. Its row of pdtable_114 (partition 3) was kept."},
        DyingClientCase{"ModelRowAnsweredButKept", "", "", {"P101", "P103"}, {3, 5},
                        "Model P101: The DELETE of its row of pdtable_113 ended without an error, but nothing of it "
                        "stands: its row of pdtable_113 is still there. Its row of pdtable_114 (partition 3) was kept.",
                        k113P101},
        DyingClientCase{"AfterTheModelRow", "", k113P101, {"P103"}, {5},
                        "Model P101: The DELETE of its row of pdtable_113 was done although risbatch ended with exit "
                        "code 139; its row of pdtable_113 is gone. Its row of pdtable_114 was deleted."},
        DyingClientCase{"AfterThePartitionRow", "", k114P101, {"P103"}, {5},
                        "Model P101: its row of pdtable_113 was deleted; The DELETE of its row of pdtable_114 was done "
                        "although risbatch ended with exit code 139; the row of partition 3 in pdtable_114 is gone."},
        DyingClientCase{"BeforeThePartitionRow", k114P101, "", {"P103"}, {3, 5},
                        "Model P101: its row of pdtable_113 was deleted; The DELETE of its row of pdtable_114 was not "
                        "done: risbatch ended with exit code 139; the row of partition 3 in pdtable_114 is still there. "
                        "A new check offers it again to delete what is left."}),
    [](const auto& info) { return std::string(info.param.name); });

// The partition row a failed delete left is deleted by the next run, whatever the node calls
// the model; a partition another model row still uses is not.
TEST(DdlRepairLeftPartitionTest, TheNextRunDeletesOnlyAPartitionNoModelUses)
{
    admintest::AdminFolder folder{"ddlrepairleft"};
    DdlTestRun run;
    CheckModels(run.tree, {{"(partition 3)", "3"}, {"P109", "5"}});
    run.db.models = {{1, "P103", 5}};
    run.db.partitions = {3, 5};
    run.context.partitionsLeft["3"] = "P101";
    run.messages.Answer(MsgAnswer::Yes);

    RunRepairAction(run.context, DdlRepairAction::DeleteModels);

    EXPECT_EQ(run.db.partitions, std::vector<long>{5});
    EXPECT_EQ(run.db.models.size(), 1u);
    EXPECT_TRUE(run.context.partitionsLeft.empty());
    EXPECT_EQ(run.statuses.back(), "Models not deleted, nothing was changed for them: P109 (no row of pdtable_113 "
                                   "holds it) (see the program log)");
}

// Drop tables and add columns run as one batch: after a dying client the schema is read again.
TEST(DdlRepairBatchDeathTest, TheSchemaIsReadAgainAfterTheClientDied)
{
    const struct {
        const char* name;
        DdlRepairAction action;
        bool after;
        const char* status;
    } cases[] = {
        {"DropDiesAfter", DdlRepairAction::DropTables, true,
         "The drop of the checked tables from dd_p1 was done although risbatch ended with exit code 139; gone: "
         "pdtable_12_9."},
        {"DropDiesBefore", DdlRepairAction::DropTables, false,
         "The drop of the checked tables from dd_p1 was not done: risbatch ended with exit code 139; still there: "
         "pdtable_12_9. A new check shows what is left to repair."},
        {"AddDiesBefore", DdlRepairAction::AddColumns, false,
         "The adding of the missing columns to dd_p1 was not done: risbatch ended with exit code 139; not added: "
         "pdtable_12_7.remarks. A new check shows what is left to repair."},
    };
    for (const auto& c : cases) {
        admintest::AdminFolder folder{"ddlrepairbatch"};
        DdlTestRun run;
        run.tree.Add("", "NoModels", "orphans");
        run.tree.Add("NoModels", "Tablepdtable_12_9", "pdtable_12_9").checked = true;
        run.tree.Add("", "HasColNotInDB", "missing");
        run.tree.Add("HasColNotInDB", "Tablepdtable_12_7", "pdtable_12_7 - P7");
        run.tree.Add("Tablepdtable_12_7", "Tablepdtable_12_7Columnremarks char(40)", "remarks char(40)");
        // The twin's schema as the client leaves it.
        run.db.tables = {"pdtable_12_7"};
        if (!c.after || c.action != DdlRepairAction::DropTables)
            run.db.tables.push_back("pdtable_12_9");
        run.db.columns["pdtable_12_7"] = {"system_unique_no int"};
        (c.after ? run.db.dieAfter : run.db.dieBefore) = c.action == DdlRepairAction::DropTables ? "DROP" : "ALTER";
        run.messages.Answer(MsgAnswer::Yes);
        RunRepairAction(run.context, c.action);
        EXPECT_EQ(run.statuses.back(), c.status) << c.name;
        EXPECT_EQ(run.messages.asked().back().prompt, c.status) << c.name;
        EXPECT_TRUE(run.context.designSchemaChanged) << c.name;
    }
}

// On the stand-in server: a model registered twice in pdtable_113 keeps both rows and its
// partition's row, and the message says why.
class DdlRepairOnTheServerTest : public DbToolsSampleEnvironment {
protected:
    // Deletes the checked models of pd_demo; returns the last status.
    std::string deleteModels(std::initializer_list<std::pair<const char*, const char*>> models)
    {
        CheckTree tree;
        CheckModels(tree, models);
        std::vector<std::string> statuses;
        DdlCheckContext context{tree, DdlDatabase::Program(), [] { return std::string("demo"); },
                                [&](const std::string& t) { statuses.push_back(t); }, {}, 0};
        boxes_.Answer(MsgAnswer::Yes);
        RunRepairAction(context, DdlRepairAction::DeleteModels);
        return statuses.back();
    }
};

TEST_F(DdlRepairOnTheServerTest, AModelRegisteredTwiceKeepsBothRowsAndItsPartition)
{
    UserDb("pd_demo")->Exec("INSERT INTO pdtable_113 VALUES (9, 1, 2, 'P1002', 'again', 'PDSSRV1', "
                            "'D:\\pds\\demo\\model', 'p1002.dgn', 0, 2)");
    const ExecAtEnd takeOut{"pd_demo", "DELETE FROM pdtable_113 WHERE model_index_no = 9"};
    const auto before = SchemaState("pd_demo");
    EXPECT_EQ(deleteModels({{"P1002", "2"}}), "Models not deleted, nothing was changed for them: P1002 (2 rows of pdtable_113 hold "
                               "it) (see the program log)");
    EXPECT_EQ(SchemaState("pd_demo"), before);
}

// The same on the stand-in server with a wrapper client: the model's DELETE is done and the
// client dies, or it dies before; the second model goes in both cases. An answer that leaves out
// what the repair is decided on (a design table of the model, a model row) never lets a model or a
// table go, and the design schema keeps every table.
TEST_F(DdlRepairOnTheServerTest, ADyingClientIsLookedAfterAndTheSecondModelStillGoes)
{
    using testsupport::ClientRule;
    const struct {
        const char* name;
        ClientRule rule;
        const char* message;
        size_t rowsOf1009; // of pdtable_113 and of pdtable_114 each
        const char* client = "risbatch";
        const char* modelTable = ""; // a design table of P1009 that stands in dd_demo
        bool drop = false;           // the drop of pdtable_22_3 (model E2001) instead of the delete
    } cases[] = {
        {"DiesAfter", ClientRule::DieAfter(139).When("model_no='P1009'"),
         "Model P1009: The DELETE of its row of pdtable_113 was done although risbatch ended with exit code 139%; its "
         "row of pdtable_113 is gone. Its row of pdtable_114 was deleted.",
         0},
        {"DiesBefore", ClientRule::DieBefore(139).When("model_no='P1009'"),
         "Model P1009: The DELETE of its row of pdtable_113 was not done: risbatch ended with exit code 139%; its row "
         "of pdtable_113 is still there. Its row of pdtable_114 (partition 9) was kept.",
         1},
        // The listing, whole in form, leaves out the model's table: the dictionary names it.
        {"ListingLeavesOutTheModelsTable", ClientRule::FailTable("pdtable_34_9", "", 0).When("-s dd_demo table all"),
         "Models not deleted, nothing was changed for them: P1009 (its tables in dd_demo changed since the check "
         "(missing now: pdtable_12_9, pdtable_50_9, pdtable_67_9, pdtable_80_9), check again) (see the program log)%",
         1, "risunlod", "pdtable_34_9"},
        // The models read again before the drop lack every row: the table of E2001 is not taken
        // for an orphan.
        {"ModelsReadShortBeforeTheDrop", ClientRule::ThinRows("pdtable_113", 0),
         "The models of pd_demo could not be read again before the drop: %The read of pdtable_113 of schema pd_demo is "
         "not whole: table 'pdtable_113' holds 0 rows in the dump, 5 on the server. Nothing was dropped.",
         1, "risunlod", "", true},
    };
    const std::string risPath = gCRIS->GetRISPath();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        UserDb("pd_demo")->Exec("INSERT INTO pdtable_113 VALUES (9, 1, 2, 'P1009', 'nine', 'PDSSRV1', "
                                "'D:\\pds\\demo\\model', 'p1009.dgn', 0, 9), (10, 1, 2, 'P1010', 'ten', 'PDSSRV1', "
                                "'D:\\pds\\demo\\model', 'p1010.dgn', 0, 10); INSERT INTO pdtable_114 VALUES (9), (10)");
        const ExecAtEnd takeOut{"pd_demo", "DELETE FROM pdtable_113 WHERE model_index_no IN (9, 10); "
                                           "DELETE FROM pdtable_114 WHERE partition_no IN (9, 10)"};
        if (*c.modelTable)
            UserDb("dd_demo")->Exec(std::string("CREATE TABLE ") + c.modelTable + " (system_unique_no int)");
        const ExecAtEnd dropMade{"dd_demo", std::string("DROP TABLE IF EXISTS ") + (*c.modelTable ? c.modelTable : "x_none")};
        const auto designBefore = SchemaState("dd_demo");
        testsupport::WrapperClients clients;
        clients.Set(c.client, c.rule);
        gCRIS->SetUseRIS(clients.WinFolder());
        std::string shown;
        if (c.drop) {
            CheckTree tree;
            tree.Add("", "NoModels", "orphans");
            tree.Add("NoModels", "Tablepdtable_22_3", "pdtable_22_3 - 0 row(s)").checked = true;
            std::vector<std::string> statuses;
            DdlCheckContext context{tree, DdlDatabase::Program(), [] { return std::string("demo"); },
                                    [&](const std::string& t) { statuses.push_back(t); }, {}, 0};
            boxes_.Answer(MsgAnswer::Yes);
            RunRepairAction(context, DdlRepairAction::DropTables);
            shown = statuses.back();
        } else {
            shown = deleteModels({{"P1009", "9"}, {"P1010", "10"}});
        }
        gCRIS->SetUseRIS(risPath);

        // % stands for what the access layer adds to the exit code (the output it lacks), or
        // puts before the read's own words.
        const std::vector<std::string> parts = Split(c.message, "%");
        EXPECT_EQ(shown.rfind(parts[0], 0), 0u) << shown;
        EXPECT_EQ(shown.substr(shown.size() - std::min(shown.size(), parts[1].size())), parts[1]) << shown;
        EXPECT_EQ(query("pd_demo", "SELECT model_no FROM pdtable_113 WHERE partition_no IN (9, 10)").size(),
                  c.rowsOf1009 + (c.drop ? 1 : 0));
        EXPECT_EQ(query("pd_demo", "SELECT partition_no FROM pdtable_114 WHERE partition_no IN (9, 10)").size(),
                  c.rowsOf1009 + (c.drop ? 1 : 0));
        EXPECT_EQ(SchemaState("dd_demo"), designBefore);
    }
}

} // namespace
