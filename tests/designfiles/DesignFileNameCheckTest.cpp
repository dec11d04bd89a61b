// The model name check over in-memory project tables, for the rows the sample project does not
// hold: undefined columns, unknown numbers, one model number in two areas, a failing read.
#include "designfiles/DesignFileNameCheck.h"

#include "DesignFilesTestSupport.h"
#include "services/CheckTree.h"
#include "support/Raised.h"

#include <gtest/gtest.h>

namespace {

using designfilestest::StatusCapture;
using designfilestest::Table;
using Row = std::vector<Variant>;

const Variant Null = Variant::Null();

class DesignFileNameCheckTest : public ::testing::Test {
protected:
    std::vector<Row> models;
    std::string failOn; // a table whose read raises

    ProjectTables tables()
    {
        return {[this](const std::string& schema, const std::string& sql) {
                    EXPECT_EQ(schema, "pd_demo");
                    if (!failOn.empty() && sql.find(failOn) != std::string::npos)
                        throw AppError(7, "CRIS::DBRead", "unload failed");
                    if (sql.find("pdtable_111") != std::string::npos)
                        return Table({"discipline_indx_no", "discipline_name"},
                                     {{1, "Piping"}, {2, "  "}}, {"discipline_indx_no"});
                    if (sql.find("pdtable_112") != std::string::npos)
                        return Table({"discipline_indx_no", "area_index_no", "area_name", "area_description"},
                                     {{1, 1, "A1", "north"}, {1, 2, "A2", Null}},
                                     {"discipline_indx_no", "area_index_no"});
                    return Table({"discipline_indx_no", "area_index_no", "model_no", "model_description",
                                  "network_address", "path_name", "model_file_spec", "model_type"},
                                 models, {"discipline_indx_no", "area_index_no", "model_type"});
                },
                {}};
    }

    void checkModels()
    {
        DesignFileNameCheck(tree, tables()).CheckModels("demo");
    }

    std::string text(const std::string& key)
    {
        const CheckTreeNode* n = tree.Find(key);
        return n ? n->text : "<none>";
    }

    CheckTree tree;
    StatusCapture status;
};

TEST_F(DesignFileNameCheckTest, UndefinedColumnsAreFaultsAndStopTheComparison)
{
    models = {{1, 2, "P1", Null, Null, Null, "x.dgn", 0},
              {1, 2, Null, "Lost", "srv", "d:\\m", "y.dgn", 0},
              {1, 2, "P3", Null, "srv", "d:\\m", Null, 0}};
    checkModels();
    EXPECT_EQ(text("Discipline1Area2"), "A2");
    EXPECT_EQ(text("Discipline1ModelP1Errornetwork_address"), "'network_address' not defined");
    EXPECT_EQ(text("Discipline1ModelP1Errorpath_name"), "'path_name' not defined");
    EXPECT_FALSE(tree.Contains("Discipline1ModelP1ErrorNotMatch0"));
    EXPECT_EQ(text("Discipline1Model"), " - Lost");
    EXPECT_EQ(text("Discipline1ModelErrormodel_no"), "'model_no' not defined");
    EXPECT_EQ(text("Discipline1ModelP3Errormodel_file_spec"), "'model_file_spec' not defined");
    EXPECT_EQ(tree.Find("Discipline1ModelP3")->children.size(), 1u);
}

TEST_F(DesignFileNameCheckTest, UnknownNumbersAndNullAreasShapeTheTree)
{
    models = {{2, 9, "E1", Null, "srv", "d:\\m", "x.dgn", 0},  // blank discipline name, unknown area
              {1, Null, "P7", Null, "srv", "d:\\m", "x.dgn", 0}}; // no area: no node below the discipline
    checkModels();
    EXPECT_EQ(text("Discipline2"), "UNKNOWN_DISCIPLINE");
    EXPECT_EQ(text("Discipline2Area9"), "UNKNOWN_AREA");
    EXPECT_TRUE(tree.Contains("Discipline2ModelE1ErrorNotMatch0"));
    EXPECT_TRUE(tree.Contains("Discipline1"));
    EXPECT_TRUE(tree.Find("Discipline1")->children.empty());
    EXPECT_TRUE(status.contains("model_file_spec: 'x.dgn' NOT match model_no: 'P7'"));
}

TEST_F(DesignFileNameCheckTest, SameModelNumberInTwoAreasSharesTheFirstModelNode)
{
    models = {{1, 1, "P5", Null, "srv", "d:\\m", "a.dgn", 0},
              {1, 2, "P5", Null, "srv", "d:\\m", "b.dgn", 0},
              {1, 2, "P5", Null, "srv", "d:\\m", "c.dgn", 1}};
    checkModels();
    EXPECT_EQ(tree.Find("Discipline1Area1")->children.size(), 1u);
    EXPECT_TRUE(tree.Find("Discipline1Area2")->children.empty());
    const CheckTreeNode* model = tree.Find("Discipline1ModelP5");
    ASSERT_EQ(model->children.size(), 2u);
    EXPECT_EQ(model->children[0]->text, "model_file_spec: 'a.dgn' NOT match model_no: 'P5'");
    EXPECT_EQ(model->children[1]->key, "Discipline1ModelP5ErrorNotMatch1");
}

TEST_F(DesignFileNameCheckTest, FailedReadIsRaisedWithItsSourceInTheDescription)
{
    failOn = "pdtable_113";
    const AppError e = testsupport::Raised([&] { checkModels(); });
    EXPECT_EQ(e.number(), 7);
    EXPECT_EQ(e.source(), "CheckModels");
    EXPECT_EQ(e.description(), "CRIS::DBRead: unload failed");
    EXPECT_TRUE(status.contains("2 areas found"));
    EXPECT_FALSE(status.contains("Models checked successfully"));
}

} // namespace
