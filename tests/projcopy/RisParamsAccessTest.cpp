// RIS access through parameters files: the parsing of layouts and statements, and the reads
// and statements on the sample project of two environments.
#include "projcopy/RisParamsAccess.h"

#include "platform/ado/AdoTypes.h"
#include "projcopy/CopyLog.h"
#include "projcopy/ProjCopyTestSupport.h"
#include "services/FileOperation.h"

#include <gtest/gtest.h>

using projcopytest::Rows;
using projcopytest::TwoProjects;

struct TableNameCase {
    const char* sql;
    const char* table;
};

class QueryTableNameTest : public ::testing::TestWithParam<TableNameCase> {};

TEST_P(QueryTableNameTest, TakesTheNameAfterFrom)
{
    EXPECT_EQ(RisParamsAccess::QueryTableName(GetParam().sql), GetParam().table);
}

INSTANTIATE_TEST_SUITE_P(Statements, QueryTableNameTest,
                         ::testing::Values(TableNameCase{"SELECT * FROM pdtable_113 WHERE model_no='P1';", "pdtable_113"},
                                           TableNameCase{"SELECT partition_no FROM pdtable_114;", "pdtable_114"},
                                           TableNameCase{"select a from pdtable_111", "pdtable_111"},
                                           TableNameCase{"SELECT pdtable_103.product_version_no FROM pdtable_103;",
                                                         "pdtable_103"}),
                         [](const auto& info) { return std::string(info.param.table); });

struct TypeCase {
    const char* column;
    int type;
};

class ColumnTypeTest : public ::testing::TestWithParam<TypeCase> {};

TEST_P(ColumnTypeTest, ComesFromTheColumnsOwnDefinition)
{
    const std::vector<std::string> layout = RisParamsAccess::LayoutColumns(
        "create table t (discipline_indx_no smallint, default_path_name char(50), path_name int, "
        "weight real, dia double, temp decimal(8,2), model_no char(20))");
    EXPECT_EQ(RisParamsAccess::ColumnType(layout, GetParam().column), GetParam().type) << GetParam().column;
}

INSTANTIATE_TEST_SUITE_P(Layout, ColumnTypeTest,
                         ::testing::Values(TypeCase{"discipline_indx_no", adBigInt},
                                           TypeCase{"path_name", adBigInt}, // not default_path_name's char
                                           TypeCase{"default_path_name", adLongVarWChar},
                                           TypeCase{"weight", adLongVarWChar}, TypeCase{"dia", adDouble},
                                           TypeCase{"temp", adDouble}, TypeCase{"model_no", adLongVarWChar}),
                         [](const auto& info) { return std::string(info.param.column); });

class RisParamsAccessTest : public TwoProjects {
protected:
    void TearDown() override
    {
        const std::string tmp = ReplaceAll(GetEnvVar("TMP"), "/", "\\");
        EXPECT_FALSE(IsFileExists(tmp + "\\sql.txt"));
        EXPECT_FALSE(IsFileExists(tmp + "\\risout.txt"));
    }
    CopyLog log;
    RisParamsAccess ris{log};
};

TEST_F(RisParamsAccessTest, ListsTheProjectsOfEachEnvironment)
{
    // pd_demo and dd_demo: the project once, other families ignored.
    EXPECT_EQ(ris.GetProjects(oldParams), (std::vector<std::string>{"", "demo"}));
    EXPECT_EQ(ris.GetProjects(newParams), (std::vector<std::string>{"", "demo"}));
    EXPECT_EQ(ris.GetProjects(""), std::vector<std::string>{""});
    EXPECT_EQ(ris.GetProjects("C:\\parms\\missing.prm"), std::vector<std::string>{""});
}

TEST_F(RisParamsAccessTest, ReadsRowsWithTypesAndKeepsApostrophes)
{
    Recordset rs = ris.GetData(oldParams, "pd_demo", "SELECT * FROM pdtable_113 WHERE model_no='P1002'");
    ASSERT_EQ(rs.State(), adStateOpen);
    ASSERT_EQ(rs.RecordCount(), 1);
    EXPECT_EQ(rs.Fields()["model_description"].Value().ToText(), "Pump area - Bob's lines");
    EXPECT_EQ(rs.Fields()["partition_no"].Type(), adBigInt);
    EXPECT_EQ(rs.Fields()["partition_no"].Value().ToLong(), 2);
    EXPECT_EQ(rs.Fields()["path_name"].Type(), adLongVarWChar);
}

TEST_F(RisParamsAccessTest, ReadsAOneColumnTable)
{
    Recordset rs = ris.GetData(newParams, "pd_demo", "SELECT partition_no FROM pdtable_114;");
    ASSERT_EQ(rs.State(), adStateOpen);
    EXPECT_EQ(rs.RecordCount(), 3);
}

TEST_F(RisParamsAccessTest, FailuresAndStatementsGiveARecordsetNotOpen)
{
    EXPECT_NE(ris.GetData(oldParams, "pd_demo", "").State(), adStateOpen);
    EXPECT_NE(ris.GetData(oldParams, "pd_demo", "SELECT * FROM pdtable_113 WHERE model_no='none'").State(),
              adStateOpen);
    EXPECT_NE(ris.GetData(oldParams, "pd_demo", "SELECT * FROM no_such_table").State(), adStateOpen);
    EXPECT_NE(ris.GetData(newParams, "pd_demo", "DELETE FROM pdtable_114 WHERE partition_no = 3").State(),
              adStateOpen);
    EXPECT_EQ(Rows(targetRoot, "pd_demo", "SELECT * FROM pdtable_114").size(), 2u); // the statement ran
    EXPECT_NE(ris.GetData(newParams, "pd_demo", "INSERT INTO pdtable_111 (discipline_indx_no, discipline_name) "
                                                "VALUES (7, 'Pipe selection');")
                  .State(),
              adStateOpen);
    EXPECT_EQ(Rows(targetRoot, "pd_demo", "SELECT * FROM pdtable_111 WHERE discipline_indx_no = 7").size(), 1u);
    EXPECT_EQ(Rows(StandInRoot(), "pd_demo", "SELECT * FROM pdtable_114").size(), 3u);
}
