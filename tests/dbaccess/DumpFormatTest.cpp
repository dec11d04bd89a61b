// Row parsing of the dump format.
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
    // Into the values of an earlier row (longer texts, NULLs, more columns) the same.
    DumpRow earlier = {std::string(40, 'x'), std::nullopt, std::string("a quote ' here"), std::string("4")};
    DumpFormat::ParseVariableRowInto(c.line, c.columns, earlier);
    EXPECT_EQ(earlier, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DumpFormatRowParse,
    ::testing::Values(RowParseCase{"QuotedWithDoubledQuote", "12 'it''s' ", 2, {std::string("12"), std::string("it's")}},
                      RowParseCase{"NullInTheMiddle", "1   'x' ", 3, {std::string("1"), std::nullopt, std::string("x")}},
                      RowParseCase{"NullRunAtTheEnd", "1     ", 3, {std::string("1"), std::nullopt, std::nullopt}},
                      RowParseCase{"EmptyQuotedIsNotNull", "'' ' ' ", 2, {std::string(""), std::string(" ")}},
                      RowParseCase{"ShortLineFillsNull", "1 ", 3, {std::string("1"), std::nullopt, std::nullopt}},
                      RowParseCase{"NoTrailingBlank", "1 'a b'", 2, {std::string("1"), std::string("a b")}},
                      RowParseCase{"QuotesAtBothEndsOfAText", "'''a''''' ", 1, {std::string("'a''")}},
                      RowParseCase{"QuoteNotClosed", "1 'a''b", 2, {std::string("1"), std::string("a'b")}}),
    [](const auto& info) { return std::string(info.param.name); });

struct ColumnEntryCase {
    const char* name;
    std::string entry;
    DumpColumn expected;
};

class DumpFormatColumnEntry : public ::testing::TestWithParam<ColumnEntryCase> {};

// Every reader of a create-table line or a column list reads an entry this way: what a column
// declares of NULL never passes for its type, and the entry written back declares it again.
TEST_P(DumpFormatColumnEntry, KeepsNotNullBesideNameAndType)
{
    const ColumnEntryCase& c = GetParam();
    EXPECT_EQ(DumpFormat::ParseColumnEntry(c.entry), c.expected);
    EXPECT_EQ(DumpFormat::ParseColumnEntry(DumpFormat::ColumnEntryText(c.expected)), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DumpFormatColumnEntry,
    ::testing::Values(ColumnEntryCase{"Plain", "note char(20)", {"note", "char(20)", false}},
                      ColumnEntryCase{"NotNull", "name char(10) not null", {"name", "char(10)", true}},
                      ColumnEntryCase{"NotNullAnyCaseAndBlanks", "K  INT NOT   NULL", {"K", "INT", true}},
                      ColumnEntryCase{"NullTakesNull", "v double null", {"v", "double", false}},
                      ColumnEntryCase{"NamesHoldingNull", "null_flag int", {"null_flag", "int", false}},
                      ColumnEntryCase{"DecimalNotNull", "d decimal(9,2) not null", {"d", "decimal(9,2)", true}},
                      ColumnEntryCase{"NameAlone", "k", {"k", "", false}},
                      // A type's arguments reach to their ")", blanks anywhere around and inside.
                      ColumnEntryCase{"ABlankAfterTheComma", "temp decimal(8, 2)", {"temp", "decimal(8, 2)"}},
                      ColumnEntryCase{"BlanksInsideTheParentheses", "t DECIMAL( 8 , 2 )  NOT NULL",
                                      {"t", "DECIMAL( 8 , 2 )", true}},
                      ColumnEntryCase{"ABlankBeforeTheParenthesis", "code\tchar (2) null", {"code", "char (2)"}}),
    [](const auto& info) { return std::string(info.param.name); });
