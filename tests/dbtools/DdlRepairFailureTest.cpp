// Deleting models without tables when a model's key does not match exactly one row of
// pdtable_113 (not found as the tree shows it, or registered twice): nothing of that model is
// deleted, the others go, and the run ends naming it with the number of its rows.
#include "dbtools/DdlRepair.h"

#include "DbToolsSampleEnvironment.h"
#include "DdlTestDatabase.h"
#include "admin/AdminTestSupport.h"
#include "dbtools/DdlCheckContext.h"

#include <gtest/gtest.h>

namespace {

struct DeleteCase {
    const char* name;
    std::vector<DdlTestModel> stored;       // the rows of pdtable_113 before the run
    std::vector<std::string> written;       // the statements run, in order
    std::vector<DdlTestModel> left;         // the rows of pdtable_113 after the run
    const char* status;
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
    CheckTree& tree = run.tree;
    tree.Add("", "NoTables", "models");
    for (const char* model : {"P101", "P102"}) {
        CheckTreeNode& node = tree.Add("NoTables", std::string("Discipline1Model") + model, model);
        node.tag = model == std::string("P101") ? "3" : "4";
        node.checked = true;
    }
    run.db.models = c.stored;
    run.messages.Answer(MsgAnswer::Yes);

    RunRepairAction(run.context, DdlRepairAction::DeleteModels);

    EXPECT_EQ(run.db.written, c.written);
    ASSERT_EQ(run.db.models.size(), c.left.size());
    for (size_t i = 0; i < c.left.size(); ++i)
        EXPECT_EQ(run.db.models[i].model, c.left[i].model);
    EXPECT_EQ(run.statuses.back(), c.status);
    if (std::string(c.status) != "Ready") {
        EXPECT_EQ(run.messages.asked().back().prompt, c.status);
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
                   "program log)"}),
    [](const auto& info) { return std::string(info.param.name); });

// On the stand-in server: a model registered twice in pdtable_113 keeps both rows and its
// partition's row, and the message says why.
using DdlRepairOnTheServerTest = DbToolsSampleEnvironment;

TEST_F(DdlRepairOnTheServerTest, AModelRegisteredTwiceKeepsBothRowsAndItsPartition)
{
    UserDb("pd_demo")->Exec("INSERT INTO pdtable_113 VALUES (9, 1, 2, 'P1002', 'again', 'PDSSRV1', "
                            "'D:\\pds\\demo\\model', 'p1002.dgn', 0, 2)");
    const ExecAtEnd takeOut{"pd_demo", "DELETE FROM pdtable_113 WHERE model_index_no = 9"};
    const auto before = SchemaState("pd_demo");
    CheckTree tree;
    tree.Add("", "NoTables", "models");
    CheckTreeNode& node = tree.Add("NoTables", "Discipline1ModelP1002", "P1002");
    node.tag = "2";
    node.checked = true;
    boxes_.Answer(MsgAnswer::Yes);
    std::vector<std::string> statuses;
    DdlCheckContext context{tree, DdlDatabase::Program(), [] { return std::string("demo"); },
                            [&](const std::string& t) { statuses.push_back(t); }, {}, 0};

    RunRepairAction(context, DdlRepairAction::DeleteModels);

    EXPECT_EQ(statuses.back(), "Models not deleted, nothing was changed for them: P1002 (2 rows of pdtable_113 hold "
                               "it) (see the program log)");
    EXPECT_EQ(SchemaState("pd_demo"), before);
}

} // namespace
