// The copy run: the INSERT statements it builds, its preconditions, and the models it skips
// because their numbers are taken in the target.
#include "projcopy/ModelCopyRun.h"

#include "platform/ado/Recordset.h"
#include "projcopy/CopyLog.h"
#include "projcopy/ModelSelectionTree.h"
#include "projcopy/ProjCopyTestSupport.h"
#include "projcopy/RisParamsAccess.h"
#include "services/CheckTree.h"
#include "services/ScriptedMessageService.h"

#include <gtest/gtest.h>

using projcopytest::Rows;
using projcopytest::RunSql;

TEST(BuildInsertStatement, QuotesTextsDoublesQuotesAndWritesNull)
{
    Recordset rs;
    rs.Fields().Append("discipline_indx_no", adBigInt, 255);
    rs.Fields().Append("discipline_name", adLongVarWChar, 255);
    rs.Fields().Append("weight", adDouble, 255);
    rs.Open();
    rs.AddNew({"discipline_indx_no", "discipline_name", "weight"}, {Variant(1), Variant("Piping"), Variant(2.5)});
    EXPECT_EQ(ModelCopyRun::BuildInsertStatement("pdtable_111", rs),
              "INSERT INTO pdtable_111 (discipline_indx_no, discipline_name, weight) VALUES (1, 'Piping', 2.5);");
    rs.AddNew({"discipline_indx_no", "discipline_name"}, {Variant(2), Variant("Bob's")});
    EXPECT_EQ(ModelCopyRun::BuildInsertStatement("t", rs),
              "INSERT INTO t (discipline_indx_no, discipline_name, weight) VALUES (2, 'Bob''s', NULL);");
}

class ModelCopyRunTest : public projcopytest::TwoProjects {
protected:
    int run()
    {
        ModelSelectionTree selection(sides, ris, log, tree);
        selection.ReadProjectTree(oldProject);
        for (const std::string& m : checkModels)
            for (CheckTreeNode* n : tree.Nodes())
                if (n->text == m) {
                    n->checked = true;
                    ModelSelectionTree::NodeCheck(*n);
                }
        return ModelCopyRun(sides, ris, log, selection, tree).Run();
    }
    size_t targetModels(const std::string& model)
    {
        return Rows(targetRoot, "pd_demo", "SELECT 1 FROM pdtable_113 WHERE model_no = '" + model + "'").size();
    }
    ScriptedMessageService messages;
    CopyLog log;
    RisParamsAccess ris{log};
    CheckTree tree;
    std::vector<std::string> checkModels;
};

struct PreconditionCase {
    const char* name;
    const char* oldProject;
    const char* newProject;
    bool sameParams;
    const char* message;
};

class PreconditionTest : public ModelCopyRunTest, public ::testing::WithParamInterface<PreconditionCase> {};

TEST_P(PreconditionTest, FailsWithItsMessage)
{
    const PreconditionCase& c = GetParam();
    oldProject = c.oldProject;
    newProject = c.newProject;
    if (c.sameParams)
        newParams = oldParams;
    checkModels = {"P1001"};
    EXPECT_EQ(run(), 1);
    ASSERT_EQ(messages.asked().size(), 1u);
    EXPECT_EQ(messages.asked()[0].prompt, c.message);
    EXPECT_NE(CopyLogText().find("\tprocessing failed\r\n"), std::string::npos);
    EXPECT_EQ(CopyLogText().find("checking if"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Runs, PreconditionTest,
    ::testing::Values(PreconditionCase{"both_empty", "", "", false, "Please select old project"},
                      PreconditionCase{"target_empty", "demo", "", false, "Please select new project"},
                      PreconditionCase{"itself", "demo", "demo", true, "Can't copy project 'demo' to itself"},
                      PreconditionCase{"version", "demo", "other", false,
                                       "Project's version: 'demo' and 'other' is not same"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ModelCopyRunTest, NoCheckedModelLogsOnlySuccess)
{
    EXPECT_EQ(run(), 0);
    const std::string text = CopyLogText();
    EXPECT_NE(text.find("\tprocessing successfully complete\r\n"), std::string::npos);
    EXPECT_EQ(text.find("checking if"), std::string::npos);
    EXPECT_TRUE(messages.asked().empty());
}

TEST_F(ModelCopyRunTest, ATakenModelIndexSkipsTheModel)
{
    RunSql(targetRoot, "default schema pd_demo; update pdtable_113 set partition_no = 9, model_no = 'X' "
                       "where model_index_no = 1; delete from pdtable_114 where partition_no = 1;");
    checkModels = {"P1001"};
    EXPECT_EQ(run(), 0);
    EXPECT_NE(CopyLogText().find("P1001: is already in project 'demo'"), std::string::npos);
    EXPECT_EQ(targetModels("P1001"), 0u);
}

TEST_F(ModelCopyRunTest, APartitionOnlyInThePartitionListSkipsTheModel)
{
    EmptyTargetPiping();
    RunSql(targetRoot, "default schema pd_demo; insert into pdtable_114 values (1);");
    checkModels = {"P1001"};
    EXPECT_EQ(run(), 0);
    EXPECT_NE(CopyLogText().find("P1001: is already in project 'demo'"), std::string::npos);
    EXPECT_EQ(targetModels("P1001"), 0u);
    EXPECT_NE(CopyLogText().find("processing successfully complete"), std::string::npos);
}

TEST_F(ModelCopyRunTest, NoTargetLocationCopiesNothing)
{
    EmptyTargetPiping();
    RunSql(targetRoot, "default schema pd_demo; delete from pdtable_115;");
    checkModels = {"P1001"};
    EXPECT_EQ(run(), 0);
    EXPECT_NE(CopyLogText().find("P1001: no path found (pdtable_115, pdtable_116) in project 'demo'"),
              std::string::npos);
    EXPECT_EQ(targetModels("P1001"), 0u);
    EXPECT_EQ(Rows(targetRoot, "pd_demo", "SELECT 1 FROM pdtable_111 WHERE discipline_indx_no = 1").size(), 1u);
}
