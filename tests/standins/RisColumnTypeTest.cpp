// RIS column types: which declarations are types, how they are kept, and value texts.
#include "standins/dbserver/RisColumnType.h"

#include <gtest/gtest.h>

struct TypeCase {
    const char* name;
    const char* text;
    bool valid;
    const char* declared;
    bool numeric;
};

class RisColumnTypeParse : public ::testing::TestWithParam<TypeCase> {};

TEST_P(RisColumnTypeParse, KeepsTheDeclaration)
{
    const TypeCase& c = GetParam();
    auto t = RisColumnType::Parse(c.text);
    ASSERT_EQ(t.has_value(), c.valid);
    if (!c.valid)
        return;
    EXPECT_EQ(t->declared(), c.declared);
    EXPECT_EQ(t->IsNumeric(), c.numeric);
}

INSTANTIATE_TEST_SUITE_P(
    Declarations, RisColumnTypeParse,
    ::testing::Values(TypeCase{"Char", "char(20)", true, "char(20)", false},
                      TypeCase{"CharUpper", "CHAR( 8 )", true, "char(8)", false},
                      TypeCase{"CharBare", "char", true, "char", false},
                      TypeCase{"SmallInt", "smallint", true, "smallint", true},
                      TypeCase{"Int", "int", true, "int", true},
                      TypeCase{"Integer", "Integer", true, "integer", true},
                      TypeCase{"Double", "double", true, "double", true},
                      TypeCase{"Real", "real", true, "real", true},
                      TypeCase{"DecimalScale", "decimal(10, 2)", true, "decimal(10,2)", true},
                      TypeCase{"DecimalBare", "decimal", true, "decimal", true},
                      TypeCase{"Timestamp", "timestamp", true, "timestamp", false},
                      TypeCase{"CharZero", "char(0)", false, "", false},
                      TypeCase{"CharWord", "char(x)", false, "", false},
                      TypeCase{"IntWithLength", "int(4)", false, "", false},
                      TypeCase{"Unknown", "blob", false, "", false},
                      TypeCase{"Float", "float", false, "", false},
                      TypeCase{"Unclosed", "char(20", false, "", false}),
    [](const ::testing::TestParamInfo<TypeCase>& i) { return std::string(i.param.name); });

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
