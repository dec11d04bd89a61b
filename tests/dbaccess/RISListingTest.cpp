// Readers of risunlod listings and risbatch dictionary output: the edge cases of their lines. The
// plain listings, column entries and schema lists are checked through the scripted clients.
#include "dbaccess/RISListing.h"

#include "dbaccess/AnswerLines.h"

#include <gtest/gtest.h>

using Names = std::vector<std::string>;

TEST(RISListingTest, TableLinesOfTheListing)
{
    // Only the client's own lower-case definitions count.
    EXPECT_EQ(ListedTableNames("create table b (x int)\r\nCREATE TABLE upper (z int)\r\n"), Names{"b"});
    EXPECT_TRUE(ListedTableNames("").empty());
    // Bare line feeds and an unended last line; a definition without columns is skipped.
    const auto tables = ListedTableColumns("create table t (c1 int, c2 char(20))\ncreate table e ()\ncreate table u (k int)");
    ASSERT_EQ(tables.size(), 2u);
    EXPECT_EQ(tables[0].columnText, "c1 int, c2 char(20)");
    EXPECT_EQ(tables[1].name, "u");
    EXPECT_EQ(tables[1].columnText, "k int");
    EXPECT_TRUE(ColumnEntries("", true).empty());
}

TEST(RISListingTest, ProjectNamesNeedThePrefixAtTheStart)
{
    // A name holding "pd_" further in is no project schema; quotes and blanks go; names are
    // listed once; only the client's own spelling of the line counts.
    const Names out = {"Schema name: xpd_1", "Schema name: 'pd_q1' ", "Schema name:   pd_x7", "Schema name: pd_",
                       "Schema name: dd_pd_2", "Schema name: pd_x7", "schema name: pd_low"};
    EXPECT_EQ(SchemaNamesFromOutput(out, true), (Names{"q1", "x7"}));
    EXPECT_EQ(SchemaNamesFromOutput(out, false), (Names{"xpd_1", "pd_q1", "pd_x7", "pd_", "dd_pd_2"}));
}

TEST(RISListingTest, SchemaFileLocation)
{
    // A later matching line wins; the drive colon stays.
    EXPECT_EQ(SchemaFileFromOutput({"SCHEMA FILE NAME: a", "SCHEMA FILE NAME:  d:\\x\\schemas "}), "d:\\x\\schemas");
    EXPECT_EQ(SchemaFileFromOutput({"SCHEMA FILE NAME without colon", "nothing"}), "");
}

TEST(RISListingTest, ViewNamesOfAListing)
{
    EXPECT_EQ(ListedViewNames("create table t (k int)\r\ncreate view V_Models as select k from t\r\n"
                              "  CREATE VIEW v2(a, b) as select k, k from t\ncreate view  v3\tas select 1\r\n"
                              "create unique index ut on t (k)\r\ncreate viewer x\r\n"),
              (Names{"v_models", "v2", "v3"}));
    EXPECT_EQ(ViewNameOf("create view "), "");
    EXPECT_EQ(ViewNameOf("'create view x as select 1' 3"), "");
}

TEST(RISListingTest, AnAnswerIsSplitAtItsLineEndsOnly)
{
    const struct {
        const char* answer;
        Names lines;
    } cases[] = {
        {"", {}},
        {"a\r\nb\nc", {"a", "b", "c"}},
        {"\r\n\r\n", {"", ""}},
        // A CR not before a LF is a value's: inside it, at its end, and at the answer's end.
        {"v: 'a\rb'\r\nw: 'ends\r'\r\nx\r", {"v: 'a\rb'", "w: 'ends\r'", "x\r"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(AnswerLines(c.answer), c.lines) << c.answer;
}
