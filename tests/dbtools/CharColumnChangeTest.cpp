// Inputs and lists of the column length change: length texts, backup names, affected fields,
// the definition lists.
#include "dbtools/CharColumnChange.h"

#include "platform/ado/AdoTypes.h"

#include <gtest/gtest.h>

namespace {

struct LengthCase {
    const char* name;
    std::string text;
    int32_t length;
};

class ParseLengthTextTest : public ::testing::TestWithParam<LengthCase> {};

TEST_P(ParseLengthTextTest, LeadingNumberRoundedHalfToEven)
{
    EXPECT_EQ(ParseLengthText(GetParam().text), GetParam().length);
}

INSTANTIATE_TEST_SUITE_P(Texts, ParseLengthTextTest,
                         ::testing::Values(LengthCase{"Zero", "0", 0}, LengthCase{"Word", "abc", 0},
                                           LengthCase{"Negative", "-5", -5}, LengthCase{"TrailingText", "40abc", 40},
                                           LengthCase{"LeadingBlanks", "  30", 30},
                                           LengthCase{"HalfDown", "12.5", 12}, LengthCase{"HalfUp", "13.5", 14},
                                           LengthCase{"Huge", "99999999999", 2147483647}, LengthCase{"Empty", "", 0}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CharColumnChangeTest, BackupNameCarriesSchemaAndTimeWithOrWithoutFinalBackslash)
{
    const LocalTime t{2024, 3, 15, 14, 30, 5};
    EXPECT_EQ(BackupDumpFileName("D:\\backup", "dd_abc", t), "D:\\backup\\dd_abc_2024-03-15_143005.dmp");
    EXPECT_EQ(BackupDumpFileName("D:\\backup\\", "dd_abc", t), "D:\\backup\\dd_abc_2024-03-15_143005.dmp");
}

struct FieldCase {
    const char* name;
    std::string field;
    int type;
    long definedSize;
    std::string search;
    bool affected;
};

class AffectedFieldTest : public ::testing::TestWithParam<FieldCase> {};

TEST_P(AffectedFieldTest, StringEndingWithSearchTextAndOtherLength)
{
    const FieldCase& c = GetParam();
    EXPECT_EQ(IsAffectedCharField(c.field, c.type, c.definedSize, c.search, 40), c.affected);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, AffectedFieldTest,
    ::testing::Values(FieldCase{"Exact", "code", adVarChar, 13, "code", true},
                      FieldCase{"Ending", "Commodity_Code", adVarChar, 13, "code", true},
                      FieldCase{"NotAtEnd", "code_text", adVarChar, 13, "code", false},
                      FieldCase{"AlreadyNewLength", "commodity_code", adVarChar, 41, "code", false},
                      FieldCase{"NumberField", "code", adInteger, 4, "code", false},
                      FieldCase{"QuestionMark", "xcode", adVarChar, 13, "?code", true},
                      FieldCase{"Digit", "code1", adVarChar, 13, "code#", true},
                      FieldCase{"CharList", "codeb", adVarChar, 13, "code[a-c]", true},
                      FieldCase{"NegatedList", "codeb", adVarChar, 13, "code[!a-c]", false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CharColumnChangeTest, DefinitionsOnceAndPairedTablesOnce)
{
    CharColumnChange change(40);
    change.Add("pdtable_34_1", "commodity_code", 12);
    change.Add("pdtable_34_2", "COMMODITY_CODE", 12);
    change.Add("pdtable_34_2", "commodity_code", 20);
    change.Add("PDTABLE_34_1", "other_code", 12);
    EXPECT_EQ(change.oldDefinitions(),
              (std::vector<std::string>{"commodity_code char(12)", "commodity_code char(20)", "other_code char(12)"}));
    EXPECT_EQ(change.newDefinitions(),
              (std::vector<std::string>{"commodity_code char(40)", "commodity_code char(40)", "other_code char(40)"}));
    EXPECT_EQ(change.tables(), (std::vector<std::string>{"pdtable_34_1", "pdtable_34_2"}));
    EXPECT_TRUE(change.IsAffected("pdtable_34_2", "Commodity_Code"));
    EXPECT_FALSE(change.IsAffected("pdtable_34_2", "other_code"));
    EXPECT_EQ(change.StatusText(), "commodity_code char(12)\x01" "commodity_code char(20)\x01" "other_code char(12) -> "
                                   "commodity_code char(40)\x01" "commodity_code char(40)\x01" "other_code char(40)");
}

TEST(CharColumnChangeTest, PipingTableFamilies)
{
    EXPECT_EQ(GetPipingTableName("PDTABLE_34_2"), "pdtable_34");
    EXPECT_EQ(GetPipingTableName("pdtable_80_"), "pdtable_80");
    EXPECT_EQ(GetPipingTableName("pdtable_12"), "");
    EXPECT_EQ(GetPipingTableName("pdtable_121"), "");
    EXPECT_EQ(GetPipingTableName("pdtable_21_3"), "");
}

} // namespace
