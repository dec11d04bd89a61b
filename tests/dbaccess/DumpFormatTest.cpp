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
