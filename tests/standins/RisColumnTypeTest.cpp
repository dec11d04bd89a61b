// RIS column types: which declarations are types, how they are kept, and value texts.
#include "standins/dbserver/RisColumnType.h"

#include "platform/DecimalNumber.h"

#include <gtest/gtest.h>

TEST(RisColumnType, ParseKeepsTheDeclarationOrRefusesIt)
{
    const struct {
        const char* text;
        const char* declared; // empty: refused
        bool numeric;
        const char* refusal = ""; // the database's, of a type that parses
    } cases[] = {{"char(20)", "char(20)", false},  {"CHAR( 8 )", "char(8)", false},  {"char", "char", false},
                 {"smallint", "smallint", true},   {"int", "int", true},              {"Integer", "integer", true},
                 {"double", "double", true},       {"real", "real", true},            {"decimal", "decimal", true},
                 {"timestamp", "timestamp", false}, {"decimal(10, 2)", "decimal(10,2)", true},
                 {"char(0)", "", false},           {"char(x)", "", false},            {"int(4)", "", false},
                 {"blob", "", false},              {"float", "", false},              {"char(20", "", false},
                 {"decimal(38,37)", "decimal(38,37)", true},
                 {"decimal(0,0)", "decimal(0,0)", true, "ORA-01727: numeric precision specifier is out of range (1 to 38)"},
                 {"decimal(39)", "decimal(39)", true, "ORA-01727: numeric precision specifier is out of range (1 to 38)"},
                 {"decimal(10,128)", "decimal(10,128)", true,
                  "ORA-01728: numeric scale specifier is out of range (-84 to 127)"}};
    for (const auto& c : cases) {
        const auto t = RisColumnType::Parse(c.text);
        ASSERT_EQ(t.has_value(), *c.declared != '\0') << c.text;
        if (t) {
            EXPECT_EQ(t->declared(), c.declared);
            EXPECT_EQ(t->IsNumeric(), c.numeric) << c.text;
            EXPECT_EQ(t->Refusal(), c.refusal) << c.text;
        }
    }
}

TEST(RisColumnType, DoublesGiveTheirShortestExactText)
{
    EXPECT_EQ(RisColumnType::ShortestDouble(2.0), "2");
    EXPECT_EQ(RisColumnType::ShortestDouble(0.1), "0.1");
    EXPECT_EQ(RisColumnType::ShortestDouble(1.0 / 3.0), "0.3333333333333333");
    EXPECT_EQ(RisColumnType::ShortestDouble(-1500.75), "-1500.75");
}

TEST(RisColumnType, DecimalsKeepTheirScale)
{
    auto d = RisColumnType::Parse("decimal(8,2)");
    ASSERT_TRUE(d);
    EXPECT_EQ(d->FormatReal(120.5), "120.50");
    EXPECT_EQ(d->FormatInteger(7), "7.00");
    auto bare = RisColumnType::Parse("decimal");
    EXPECT_EQ(bare->FormatReal(120.5), "120.5");
    EXPECT_EQ(RisColumnType::Parse("int")->FormatInteger(-5), "-5");
    // Every digit of a whole number and of one kept as a blob, also far from the point.
    auto wide = RisColumnType::Parse("decimal(38,2)");
    EXPECT_EQ(wide->FormatInteger(1234567890123456789), "1234567890123456789.00");
    EXPECT_EQ(wide->FormatWide(*DecimalNumber::Parse("-123456789012345678901234567890123.5")),
              "-123456789012345678901234567890123.50");
    EXPECT_EQ(RisColumnType::Parse("double")->FormatWide(*DecimalNumber::Parse("0.30000000000000004")),
              "0.30000000000000004");
    EXPECT_EQ(RisColumnType::Parse("double")->FormatWide(*DecimalNumber::Parse("-1.2345678901234567e-70")),
              "-1.2345678901234567e-70");
}
