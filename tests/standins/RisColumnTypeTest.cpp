// RIS column types: which declarations are types, how they are kept, and value texts.
#include "standins/dbserver/RisColumnType.h"

#include <gtest/gtest.h>

TEST(RisColumnType, ParseKeepsTheDeclarationOrRefusesIt)
{
    const struct {
        const char* text;
        const char* declared; // empty: refused
        bool numeric;
    } cases[] = {{"char(20)", "char(20)", false},  {"CHAR( 8 )", "char(8)", false},  {"char", "char", false},
                 {"smallint", "smallint", true},   {"int", "int", true},              {"Integer", "integer", true},
                 {"double", "double", true},       {"real", "real", true},            {"decimal", "decimal", true},
                 {"timestamp", "timestamp", false}, {"decimal(10, 2)", "decimal(10,2)", true},
                 {"char(0)", "", false},           {"char(x)", "", false},            {"int(4)", "", false},
                 {"blob", "", false},              {"float", "", false},              {"char(20", "", false}};
    for (const auto& c : cases) {
        const auto t = RisColumnType::Parse(c.text);
        ASSERT_EQ(t.has_value(), *c.declared != '\0') << c.text;
        if (t) {
            EXPECT_EQ(t->declared(), c.declared);
            EXPECT_EQ(t->IsNumeric(), c.numeric) << c.text;
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
}
