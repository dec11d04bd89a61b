// Readers of risunlod listings and risbatch dictionary output.
#include "dbaccess/RISListing.h"

#include <gtest/gtest.h>

using Names = std::vector<std::string>;

TEST(RISListingTest, TableNamesInListingOrder)
{
    const std::string listing = "create schema pd_abc on database (ora) user pd_abc\r\n"
                                "create table b (x int)\r\n"
                                "create table a (y char(20))\r\n"
                                "CREATE TABLE upper (z int)\r\n";
    EXPECT_EQ(ListedTableNames(listing), (Names{"b", "a"}));
    EXPECT_TRUE(ListedTableNames("no tables here\r\n").empty());
    EXPECT_TRUE(ListedTableNames("").empty());
}

TEST(RISListingTest, ColumnsOfACrLfLine)
{
    const auto tables = ListedTableColumns("create table t (c1 int, c2 char(20))\r\ncreate table u (k smallint)\r\n");
    ASSERT_EQ(tables.size(), 2u);
    EXPECT_EQ(tables[0].name, "t");
    EXPECT_EQ(tables[0].columnText, "c1 int, c2 char(20)");
    EXPECT_EQ(tables[1].name, "u");
    EXPECT_EQ(tables[1].columnText, "k smallint");
}

TEST(RISListingTest, ColumnsOfBareLineFeedAndUnendedLinesLoseTheClosingParenthesis)
{
    auto tables = ListedTableColumns("create table t (c1 int, c2 char(20))\ncreate table u (k int)");
    ASSERT_EQ(tables.size(), 2u);
    EXPECT_EQ(tables[0].columnText, "c1 int, c2 char(20)");
    EXPECT_EQ(tables[1].columnText, "k int");
}

TEST(RISListingTest, DefinitionWithoutColumnsIsSkipped)
{
    EXPECT_TRUE(ListedTableColumns("create table t ()\r\n").empty());
    EXPECT_TRUE(ListedTableColumns("create table t\r\n").empty());
}

TEST(RISListingTest, ColumnEntriesWithAndWithoutTypes)
{
    EXPECT_EQ(ColumnEntries("c1 int, c2 char(20)", false), (Names{"c1", "c2"}));
    EXPECT_EQ(ColumnEntries("c1 int, c2 char(20)", true), (Names{"c1 int", "c2 char(20)"}));
    EXPECT_EQ(ColumnEntries("model_no char(20)", false), (Names{"model_no"}));
    EXPECT_TRUE(ColumnEntries("", true).empty());
}

TEST(RISListingTest, SchemaNamesAllAndProjects)
{
    const Names out = {"Schema name: pd_abc", "Schema name: dd_abc", "Schema name: pd_abc", "schema name: pd_low",
                       "other line"};
    EXPECT_EQ(SchemaNamesFromOutput(out, false), (Names{"pd_abc", "dd_abc"}));
    EXPECT_EQ(SchemaNamesFromOutput(out, true), (Names{"abc"}));
}

TEST(RISListingTest, ProjectNamesNeedThePrefixAtTheStart)
{
    // A name holding "pd_" further in is no project schema; quotes and blanks go.
    const Names out = {"Schema name: xpd_1", "Schema name: 'pd_q1' ", "Schema name:   pd_x7", "Schema name: pd_",
                       "Schema name: dd_pd_2"};
    EXPECT_EQ(SchemaNamesFromOutput(out, true), (Names{"q1", "x7"}));
    EXPECT_EQ(SchemaNamesFromOutput(out, false), (Names{"xpd_1", "pd_q1", "pd_x7", "pd_", "dd_pd_2"}));
}

TEST(RISListingTest, SchemaFileLocation)
{
    EXPECT_EQ(SchemaFileFromOutput({"intro", "schema file name: 'c:\\ris\\schemas'", "quit"}), "c:\\ris\\schemas");
    // A later matching line wins; the drive colon stays.
    EXPECT_EQ(SchemaFileFromOutput({"SCHEMA FILE NAME: a", "SCHEMA FILE NAME:  d:\\x\\schemas "}), "d:\\x\\schemas");
    EXPECT_EQ(SchemaFileFromOutput({"SCHEMA FILE NAME without colon", "nothing"}), "");
}
