// Inputs and lists of the column length change: length texts, affected fields, the definition
// lists.
#include "dbtools/CharColumnChange.h"

#include "platform/ado/AdoTypes.h"

#include <gtest/gtest.h>

namespace {

TEST(CharColumnChangeTest, LengthTextIsItsLeadingNumberRoundedHalfToEven)
{
    const std::pair<const char*, int32_t> cases[] = {{"0", 0},      {"abc", 0},   {"-5", -5},   {"40abc", 40},
                                                     {"  30", 30},  {"12.5", 12}, {"13.5", 14}, {"", 0},
                                                     {"99999999999", 2147483647}};
    for (const auto& [text, length] : cases)
        EXPECT_EQ(ParseLengthText(text), length) << text;
}

TEST(CharColumnChangeTest, AffectedIsAStringFieldEndingWithTheSearchTextOfAnotherLength)
{
    const struct {
        const char* field;
        int type;
        long definedSize;
        const char* search;
        bool affected;
    } cases[] = {{"code", adVarChar, 13, "code", true},       {"Commodity_Code", adVarChar, 13, "code", true},
                 {"code_text", adVarChar, 13, "code", false}, {"commodity_code", adVarChar, 41, "code", false},
                 {"code", adInteger, 4, "code", false},       {"xcode", adVarChar, 13, "?code", true},
                 {"code1", adVarChar, 13, "code#", true},     {"codeb", adVarChar, 13, "code[a-c]", true},
                 {"codeb", adVarChar, 13, "code[!a-c]", false}};
    for (const auto& c : cases)
        EXPECT_EQ(IsAffectedCharField(c.field, c.type, c.definedSize, c.search, 40), c.affected)
            << c.field << " / " << c.search << " / " << c.definedSize;
}

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
