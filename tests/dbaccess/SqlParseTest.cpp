// Table word and WHERE condition of SELECT statements, and their redirection to text tables.
#include "dbaccess/SqlParse.h"

#include "platform/AppError.h"
#include "support/Raised.h"

#include <gtest/gtest.h>
#include <ostream>

namespace {

struct ParseCase {
    const char* name;
    const char* sql;
    const char* table;
    const char* condition;
};

std::ostream& operator<<(std::ostream& os, const ParseCase& c) { return os << c.name; }


class ParseSelectTest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseSelectTest, GivesTableAndCondition)
{
    const ParseCase& c = GetParam();
    const SelectParts parts = ParseSelect(c.sql);
    EXPECT_EQ(parts.table, c.table);
    EXPECT_EQ(parts.condition, c.condition);
    EXPECT_EQ(std::string(c.sql).substr(parts.tableStart, parts.tableLength), c.table);
}

const ParseCase kParseCases[] = {
    {"ProjectDirectory", "SELECT * FROM pdtable_102 WHERE type_of_rdb_data=99;", "pdtable_102", "type_of_rdb_data=99"},
    {"GroupAndOrder", "SELECT x FROM t WHERE y=1 GROUP BY x ORDER BY x;", "t", "y=1"},
    {"NoWhere", "SELECT x FROM t GROUP BY x;", "t", ""},
    {"NoSemicolonNoBlank", "SELECT * FROM t", "t", ""},
    {"SemicolonAfterName", "SELECT * FROM t;", "t", ""},
    {"LowerCaseKeywords", "select a from pdtable_113 where model_no = 'P1' order by a", "pdtable_113",
     "model_no = 'P1'"},
    {"OrderOnly", "SELECT a FROM t WHERE b > 2 ORDER BY a", "t", "b > 2"},
    {"HavingEndsCondition", "SELECT a FROM t WHERE b=1 HAVING count(*) > 1", "t", "b=1"},
    {"GroupPreferredToEarlierOrder", "SELECT a FROM t WHERE b=1 ORDER BY a GROUP BY a", "t", "b=1 ORDER BY a"},
    {"ManyBlanksAfterFrom", "SELECT * FROM     t WHERE a=1", "t", "a=1"},
    {"LineBreaksAroundKeywords", "SELECT a\r\nFROM\r\nt\r\nWHERE a=1\r\nORDER BY a", "t", "a=1"},
    {"MultiLineConditionOnOneLine", "SELECT * FROM t\r\nWHERE a=1\r\n\tAND b=2\r\nORDER BY a", "t",
     "a=1   AND b=2"},
    {"LineBreakInsideValueDropped", "SELECT * FROM t WHERE a='x\r\ny'", "t", ""},
    {"UcaseDropped", "SELECT * FROM t WHERE UCASE(name) = 'X'", "t", ""},
    {"LcaseDroppedAnyCase", "SELECT * FROM t WHERE lcase(name) = 'x'", "t", ""},
    {"DoubleQuoteDropped", "SELECT * FROM t WHERE name = \"x\"", "t", ""},
    // Keywords inside names and quoted texts are no keywords.
    {"ColumnEndingInFrom", "SELECT date_from FROM t WHERE a=1", "t", "a=1"},
    {"ColumnStartingWithFrom", "SELECT from_date, b FROM t WHERE a=1", "t", "a=1"},
    {"BracketedFrom", "SELECT [from] FROM t WHERE a=1", "t", "a=1"},
    {"OrderInsideValue", "SELECT * FROM t WHERE model_no = 'ORDER-1' ORDER BY a", "t", "model_no = 'ORDER-1'"},
    {"GroupInsideValue", "SELECT * FROM t WHERE n = 'GROUP 1'", "t", "n = 'GROUP 1'"},
    {"WhereInsideValue", "SELECT * FROM t WHERE n = 'x WHERE y'", "t", "n = 'x WHERE y'"},
    {"SemicolonInsideValue", "SELECT * FROM t WHERE n = 'a;b';", "t", "n = 'a;b'"},
    {"DoubledQuoteInValue", "SELECT * FROM t WHERE n = 'O''Neil ORDER' ORDER BY n", "t", "n = 'O''Neil ORDER'"},
    {"ColumnNamedGroupNo", "SELECT * FROM t WHERE group_no = 3 ORDER BY a", "t", "group_no = 3"},
    {"FromInsideSelectedText", "SELECT 'FROM x' AS a FROM t WHERE b=1", "t", "b=1"},
    {"FirstOfTwoTables", "SELECT * FROM a, b WHERE a.x = b.x", "a", "a.x = b.x"},
    {"UpperCaseTable", "SELECT * FROM PDTABLE_113 WHERE x=1", "PDTABLE_113", "x=1"},
};

INSTANTIATE_TEST_SUITE_P(Statements, ParseSelectTest, ::testing::ValuesIn(kParseCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct RefusedCase {
    const char* name;
    const char* sql;
    const char* description;
};

std::ostream& operator<<(std::ostream& os, const RefusedCase& c) { return os << c.name; }


class ParseSelectRefusedTest : public ::testing::TestWithParam<RefusedCase> {};

TEST_P(ParseSelectRefusedTest, RaisesOwnError)
{
    const AppError e = testsupport::Raised([] { ParseSelect(GetParam().sql); });
    EXPECT_EQ(e.number(), 1);
    EXPECT_EQ(e.source(), "CRIS::ParseSQL");
    EXPECT_EQ(e.description(), GetParam().description);
}

const RefusedCase kRefusedCases[] = {
    {"Empty", "", "SQL statement not defined"},
    {"Blanks", "   ", "SQL statement not defined"},
    {"NoFrom", "SELECT 1", "Table name not found in SQL statement"},
    {"FromAtEnd", "SELECT * FROM", "Table name not found in SQL statement"},
    {"FromThenSemicolon", "SELECT * FROM ;", "Table name not found in SQL statement"},
    {"FromOnlyInsideName", "SELECT date_from FROMt", "Table name not found in SQL statement"},
    {"FromOnlyQuoted", "SELECT 'FROM t'", "Table name not found in SQL statement"},
};

INSTANTIATE_TEST_SUITE_P(Statements, ParseSelectRefusedTest, ::testing::ValuesIn(kRefusedCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(RedirectSelectTest, ReplacesTheTableWordAfterFromOnlyAndKeepsTheRest)
{
    const std::pair<std::string, std::string> cases[] = {
        {"SELECT pdtable_113_id FROM pdtable_113 WHERE note = 'pdtable_113';",
         "SELECT pdtable_113_id FROM C:\\w\\x1.txt AS [pdtable_113] WHERE note = 'pdtable_113';"},
        {"select a from t where b=1 group by a order by a",
         "select a from C:\\w\\x1.txt AS [t] where b=1 group by a order by a"},
        {"SELECT * FROM t", "SELECT * FROM C:\\w\\x1.txt AS [t]"},
    };
    for (const auto& [sql, expected] : cases)
        EXPECT_EQ(RedirectSelect(sql, ParseSelect(sql), "C:\\w\\x1.txt"), expected);
}

} // namespace
