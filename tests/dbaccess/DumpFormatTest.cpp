// Lines of the dump format: create-table parsing, row parsing, fixed fields.
#include "dbaccess/DumpFormat.h"

#include <gtest/gtest.h>

struct RowParseCase {
    const char* name;
    std::string line;
    size_t columns;
    DumpRow expected;
};

class DumpFormatRowParse : public ::testing::TestWithParam<RowParseCase> {};

TEST_P(DumpFormatRowParse, GivesOneValuePerColumn)
{
    const RowParseCase& c = GetParam();
    EXPECT_EQ(DumpFormat::ParseVariableRow(c.line, c.columns), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DumpFormatRowParse,
    ::testing::Values(RowParseCase{"QuotedWithDoubledQuote", "12 'it''s' ", 2, {std::string("12"), std::string("it's")}},
                      RowParseCase{"NullInTheMiddle", "1   'x' ", 3, {std::string("1"), std::nullopt, std::string("x")}},
                      RowParseCase{"NullRunAtTheEnd", "1     ", 3, {std::string("1"), std::nullopt, std::nullopt}},
                      RowParseCase{"EmptyQuotedIsNotNull", "'' ' ' ", 2, {std::string(""), std::string(" ")}},
                      RowParseCase{"ShortLineFillsNull", "1 ", 3, {std::string("1"), std::nullopt, std::nullopt}},
                      RowParseCase{"NoTrailingBlank", "1 'a b'", 2, {std::string("1"), std::string("a b")}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DumpFormatTest, ParsesCreateTableLines)
{
    std::string table;
    std::vector<DumpColumn> cols;
    ASSERT_TRUE(DumpFormat::ParseCreateTableLine("  create table pdtable_113 (a int, b char(20), c  double)  ", table, cols));
    EXPECT_EQ(table, "pdtable_113");
    ASSERT_EQ(cols.size(), 3u);
    EXPECT_EQ(cols[1].name, "b");
    EXPECT_EQ(cols[1].type, "char(20)");
    EXPECT_EQ(cols[2].type, "double");
    EXPECT_FALSE(DumpFormat::ParseCreateTableLine("create table t a int", table, cols));
    EXPECT_FALSE(DumpFormat::ParseCreateTableLine("insert into t (a) values (?)", table, cols));
}

TEST(DumpFormatTest, FixedFieldsFollowTheTypes)
{
    const auto fields = DumpFormat::FixedFieldsFor({{"a", "smallint"}, {"b", "char(4)"}, {"c", "int"}, {"d", "date"}});
    ASSERT_EQ(fields.size(), 4u);
    EXPECT_EQ(DumpFormat::FixedHeaderLine(fields), "a 1 6 b 8 11 c 13 23 d 25 264");
    std::vector<DumpFixedField> parsed;
    ASSERT_TRUE(DumpFormat::ParseFixedHeader("a 1 6 b 8 11 c 13 23 d 25 264", parsed));
    EXPECT_EQ(parsed.size(), 4u);
    EXPECT_EQ(parsed[3].last, 264);
    EXPECT_FALSE(DumpFormat::ParseFixedHeader("a 1 6 b 8", parsed));
    EXPECT_FALSE(DumpFormat::ParseFixedHeader("a 1 x", parsed));
}

TEST(DumpFormatTest, QuotedTypes)
{
    for (const char* t : {"char(10)", "char", "date", "varchar(3)"})
        EXPECT_TRUE(DumpFormat::IsQuotedType(t)) << t;
    for (const char* t : {"int", "smallint", "double", "real", "decimal(8,2)"})
        EXPECT_FALSE(DumpFormat::IsQuotedType(t)) << t;
}
