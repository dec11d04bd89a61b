// The copy run against two stand-in environments: the rows it inserts, its preconditions, and
// the models it skips because their numbers are taken in the target.
#include "projcopy/ModelCopyRun.h"

#include "dbaccess/SqlLiteral.h"
#include "platform/ado/Recordset.h"
#include "projcopy/CopyLog.h"
#include "projcopy/ModelSelectionTree.h"
#include "projcopy/ProjCopyTestSupport.h"
#include "projcopy/RisParamsAccess.h"
#include "services/CheckTree.h"
#include "services/ScriptedMessageService.h"

#include <filesystem>
#include <gtest/gtest.h>

using projcopytest::Rows;
using projcopytest::RunSql;

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

TEST_F(ModelCopyRunTest, AMissingPreconditionFailsWithItsMessageBeforeAnyModel)
{
    const struct {
        const char* oldProject;
        const char* newProject;
        bool sameParams;
        const char* message;
    } cases[] = {{"", "", false, "Please select old project"},
                 {"demo", "", false, "Please select new project"},
                 {"demo", "other", false, "Project's version: 'demo' and 'other' is not same"},
                 {"demo", "demo", true, "Can't copy project 'demo' to itself"}};
    checkModels = {"P1001"};
    for (const auto& c : cases) {
        oldProject = c.oldProject;
        newProject = c.newProject;
        if (c.sameParams)
            newParams = oldParams;
        const size_t asked = messages.asked().size();
        EXPECT_EQ(run(), 1) << c.message;
        ASSERT_EQ(messages.asked().size(), asked + 1) << c.message;
        EXPECT_EQ(messages.asked().back().prompt, c.message);
        EXPECT_NE(CopyLogText().find("\tprocessing failed\r\n"), std::string::npos) << c.message;
        EXPECT_EQ(CopyLogText().find("checking if"), std::string::npos) << c.message;
    }
}

TEST_F(ModelCopyRunTest, NoCheckedModelLogsOnlySuccess)
{
    EXPECT_EQ(run(), 0);
    const std::string text = CopyLogText();
    EXPECT_NE(text.find("\tprocessing successfully complete\r\n"), std::string::npos);
    EXPECT_EQ(text.find("checking if"), std::string::npos);
    EXPECT_TRUE(messages.asked().empty());
}

// A model index that the target gives another model, and then a partition found only in the
// target's partition list, each skip the model; the run still succeeds.
TEST_F(ModelCopyRunTest, AModelIndexOrPartitionTakenInTheTargetSkipsTheModel)
{
    RunSql(targetRoot, "default schema pd_demo; update pdtable_113 set partition_no = 9, model_no = 'X' "
                       "where model_index_no = 1; delete from pdtable_114 where partition_no = 1;");
    checkModels = {"P1001"};
    for (const char* taken : {"model index", "partition"}) {
        SCOPED_TRACE(taken);
        if (taken == std::string("partition")) {
            EmptyTargetPiping();
            RunSql(targetRoot, "default schema pd_demo; insert into pdtable_114 values (1);");
        }
        EXPECT_EQ(run(), 0);
        EXPECT_NE(CopyLogText().find("P1001: is already in project 'demo'"), std::string::npos);
        EXPECT_NE(CopyLogText().find("processing successfully complete"), std::string::npos);
        EXPECT_EQ(targetModels("P1001"), 0u);
    }
}

TEST_F(ModelCopyRunTest, NoTargetLocationCopiesNothingAndFails)
{
    EmptyTargetPiping();
    RunSql(targetRoot, "default schema pd_demo; delete from pdtable_115;");
    checkModels = {"P1001"};
    EXPECT_EQ(run(), 1);
    EXPECT_NE(CopyLogText().find("P1001: no path found (pdtable_115, pdtable_116) in project 'demo', model 'P1001' "
                                 "not copied"),
              std::string::npos);
    EXPECT_NE(CopyLogText().find("processing failed"), std::string::npos);
    EXPECT_EQ(targetModels("P1001"), 0u);
    // Where the model would go is read before anything is made: no discipline or area row went in.
    EXPECT_EQ(CopyLogText().find("P1001: adding discipline"), std::string::npos);
    EXPECT_EQ(CopyLogText().find("taken out of project"), std::string::npos);
    EXPECT_TRUE(Rows(targetRoot, "pd_demo", "SELECT 1 FROM pdtable_111 WHERE discipline_indx_no = 1").empty());
}

TEST_F(ModelCopyRunTest, InsertStatementCarriesQuotesAndNulls)
{
    Recordset rs;
    for (const char* name : {"discipline_indx_no", "area_index_no"})
        rs.Fields().Append(name, adBigInt, 255);
    for (const char* name : {"area_name", "area_description"})
        rs.Fields().Append(name, adLongVarWChar, 255);
    rs.Open();
    rs.AddNew({"discipline_indx_no", "area_index_no", "area_name"}, {Variant(1), Variant(7), Variant("Bob's")});
    EXPECT_EQ(ris.RunStatement(newParams, "pd_demo", ModelCopyRun::BuildInsertStatement("pdtable_112", rs)), "");
    const auto rows = Rows(targetRoot, "pd_demo", "SELECT area_name, area_description FROM pdtable_112 "
                                                  "WHERE area_index_no = 7");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][0].value_or("<null>"), "Bob's");
    EXPECT_FALSE(rows[0][1].has_value());
}

// The discipline, area and model rows of a copy arrive byte for byte: a CR inside a text or at
// its end, code 1, a quote and a backslash are values, read and inserted as they are stored, and
// a number of more digits than a double holds keeps every one. The model's design tables travel
// in the fixed layout, which writes a text of blanks and NULL alike: in a column that refuses
// NULL it arrives as a text of blanks (the server compares char blank-padded), in one that takes
// NULL as NULL. The source is a project of its own, whose tables the cases may widen or make anew.
TEST_F(ModelCopyRunTest, RowsArriveAsTheSourceHoldsThem)
{
    struct Case {
        std::string table, column, key, value;
        std::string added = {}; // the type of a column the case adds to the table in both projects
        std::string schema = "pd_demo";
        std::optional<std::string> arrives = value;
        std::string select(const std::string& what) const { return "SELECT " + what + " FROM " + table + " WHERE " + key; }
        std::string update(const std::string& to) const
        {
            return "default schema " + schema + ";\r\nupdate " + table + " set " + column + " = " +
                   SqlStringLiteral(to) + " where " + key + ";\r\n";
        }
    };
    const std::vector<Case> cases = {
        {"pdtable_111", "discipline_name", "discipline_indx_no = 1", "Pi\rping"},
        {"pdtable_112", "area_description", "area_index_no = 1", "ends in CR\r"},
        {"pdtable_113", "model_description", "model_no = 'P1001'", "a\rb\x01" "c'd\\e"},
        {"pdtable_113", "weight", "model_no = 'P1001'", "99999999999999999999999999999999999999", "decimal(38,0)"},
        {"pdtable_113", "amount", "model_no = 'P1001'", "-1234567890123456.78", "decimal(20,2)"},
        {"pdtable_112", "area_weight", "area_index_no = 1", "12345678901234567891", "decimal(20,0)"},
        {"pdtable_34_1", "component_code", "system_unique_no = 3", "  ", {}, "dd_demo", " "},
        {"pdtable_67_1", "note_text", "system_unique_no = 401", "   ", {}, "dd_demo", std::nullopt},
    };
    const testsupport::ScopedDir source("source");
    const std::string sourceRoot = source.host() + "/root";
    std::string report;
    StandInEnvironment::Build(sourceRoot, testsupport::SampleEnvironmentOptions(), report);
    oldParams = projcopytest::WriteParams("source.prm", sourceRoot);
    // A design table whose every column refuses NULL.
    std::string set = "default schema dd_demo;\r\ndrop table pdtable_34_1;\r\n"
                      "create table pdtable_34_1 (system_unique_no int not null, component_code char(12) not null, "
                      "design_temp decimal(8,2) not null);\r\n"
                      "insert into pdtable_34_1 values (3, 'GATE3', 1.5);\r\n";
    std::string widen = "default schema pd_demo;\r\n";
    for (const Case& c : cases) {
        if (!c.added.empty())
            widen += "alter table " + c.table + " add " + c.column + " " + c.added + ";\r\n";
        set += c.update(c.value);
    }
    RunSql(sourceRoot, widen + set);
    RunSql(targetRoot, widen);
    EmptyTargetPiping();
    checkModels = {"P1001"};
    EXPECT_EQ(run(), 0) << CopyLogText();
    EXPECT_NE(CopyLogText().find("\tprocessing successfully complete\r\n"), std::string::npos) << CopyLogText();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.column);
        EXPECT_EQ(Rows(sourceRoot, c.schema, c.select(c.column))[0][0].value_or("<null>"), c.value);
        EXPECT_EQ(Rows(targetRoot, c.schema, c.select(c.column)), (projcopytest::Table{{c.arrives}}));
    }
}
