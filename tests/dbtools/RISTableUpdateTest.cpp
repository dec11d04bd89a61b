// Statements of the cell edits for the cases the window tests on the sample do not reach:
// literals by field type (and the refused ones), NULL and empty old values, a viewer table
// without key column, the value the server keeps of a typed text and how it compares, and what
// the counts after an UPDATE tell.
#include "dbtools/RISTableUpdate.h"

#include "platform/AppError.h"
#include "platform/ado/AdoTypes.h"

#include <gtest/gtest.h>

namespace {

const std::vector<RISTableField> kModels = {
    {"model_index_no", adInteger}, {"model_no", adVarChar}, {"model_description", adVarChar}};

TEST(RISTableUpdateTest, LiteralsByFieldTypeAndTheRefusedOnes)
{
    const struct {
        int type;
        const char* text;
        const char* literal; // empty: refused
    } cases[] = {{adVarChar, "O'Neil", "'O''Neil'"},
                 {adVarChar, "", "NULL"},
                 {adInteger, "42", "42"},
                 {adDouble, "-7.25", "-7.25"},
                 {adInteger, "1; DELETE FROM pdtable_113", ""},
                 {adSmallInt, "abc", ""},
                 {adDBTimeStamp, "2024-03-01 08:00:00", "'2024-03-01 08:00:00'"}};
    for (const auto& c : cases) {
        const RISTableField field{"f", c.type};
        if (*c.literal)
            EXPECT_EQ(RISTableUpdate::ValueLiteral(field, c.text), c.literal);
        else
            EXPECT_THROW(RISTableUpdate::ValueLiteral(field, c.text), AppError) << c.text;
    }
}

// The server keeps no empty text: an empty cell is NULL, a text of blanks its blanks.
TEST(RISTableUpdateTest, EmptyOldValuesMatchNullAndBlankTextsTheirBlanks)
{
    EXPECT_EQ(RISTableUpdate::RowCondition(kModels, {std::nullopt, "", "It's"}),
              "(model_index_no IS NULL) AND (model_no IS NULL) AND (model_description='It''s')");
    EXPECT_EQ(RISTableUpdate::RowCondition(kModels, {"5", "  ", std::nullopt}),
              "(model_index_no=5) AND (model_no='  ') AND (model_description IS NULL)");
}

TEST(RISTableUpdateTest, ViewerWithoutKeyColumnMatchesTheWholeRowIncludingTheEditedField)
{
    const std::vector<RISTableField> fields = {{"note_text", adVarChar}};
    EXPECT_FALSE(RISTableUpdate::HasKeyColumn(fields));
    EXPECT_EQ(RISTableUpdate::ViewerStatement("pdtable_67_1", fields, 0, {"old"}, "new"),
              "UPDATE pdtable_67_1 SET note_text='new' WHERE (note_text='old');");
    EXPECT_TRUE(RISTableUpdate::HasKeyColumn({{"DISCIPLINE_INDX_NO", adSmallInt}}));
    EXPECT_TRUE(RISTableUpdate::HasKeyColumn({{"system_unique_no", adInteger}}));
}

TEST(RISTableUpdateTest, TheValueTheServerKeepsOfATypedText)
{
    const struct {
        int type;
        const char* declared;
        const char* typed;
        const char* stored; // nullptr: Null
    } cases[] = {{adDouble, "decimal(8,2)", "120.555", "120.56"},
                 {adDouble, "decimal(12, 3)", "1.2345", "1.235"},
                 {adDouble, "DECIMAL(8,2)", "99.995", "100"},
                 {adDouble, "decimal(8,2)", "-0.005", "-0.01"},
                 {adDouble, "decimal(8,2)", "-0.004", "0"},
                 {adDouble, "decimal(8,2)", " 1.5E1 ", "15"},
                 {adDouble, "decimal(10)", "2.5", "3"},
                 {adDouble, "decimal(38,0)", "12345678901234567890.5", "12345678901234567891"},
                 {adDouble, "decimal", "1.23456", "1.23456"},
                 {adInteger, "int", "7.5", "8"},
                 {adInteger, "integer", "-7.5", "-8"},
                 {adSmallInt, "smallint", "2.4e0", "2"},
                 {adInteger, "", "7.5", "8"}, // no listing: the data type still rounds
                 {adDouble, "double", "12.50", "12.50"},
                 {adDouble, "real", "0.1", "0.1"},
                 // A decimal of no precision keeps 38 significant digits, rounded half away from
                 // zero; a double the double nearest to the number.
                 {adDouble, "decimal", "1.23456789012345678901234567890123456789012",
                  "1.2345678901234567890123456789012345679"},
                 {adDouble, "double", "1.23456789012345678901234567890123456789012", "1.2345678901234567"},
                 {adDouble, "real", "12345678901234567.00", "12345678901234568"},
                 {adDouble, "double", "9999999999999989760", "9999999999999990000"},
                 {adDouble, "decimal(38,2)", "123456789012345678901234567890123456.785",
                  "123456789012345678901234567890123456.79"},
                 {adInteger, "int", "-0", "0"},
                 {adInteger, "int", "abc", "abc"}, // refused by the literal, not guessed at
                 {adInteger, "int", "1e999999", "1e999999"},
                 {adInteger, "int", "-1.5e200", "-1.5e200"},
                 {adInteger, "int", "1e-200", "0"},
                 {adVarChar, "char(40)", "Pumps  ", "Pumps  "},
                 {adVarChar, "char(8)", "  ", "  "},
                 {adVarChar, "timestamp", "2024-05-06", "2024-05-06:00:00:00"},
                 {adVarChar, "date", "2024-02-30", "2024-02-30"}, // no day: refused by the server as typed
                 {adVarChar, "char(12)", "7.5", "7.5"},
                 {adDouble, "decimal(8,2)", "", nullptr}};
    for (const auto& c : cases) {
        const RISTableField field{"f", c.type, c.declared};
        const std::optional<std::string> stored = RISTableUpdate::StoredForm(field, c.typed);
        EXPECT_EQ(stored, c.stored ? std::optional<std::string>(c.stored) : std::nullopt) << c.declared << " " << c.typed;
    }
}

TEST(RISTableUpdateTest, ValuesCompareAsTheServerComparesThem)
{
    const struct {
        int type;
        std::optional<std::string> a, b;
        bool same;
        const char* declared = "";
    } cases[] = {{adDouble, "120.5", "120.50", true},
                 {adDouble, "100", "1e2", true},
                 {adDouble, "0", "-0.0", true},
                 {adDouble, "120.56", "120.555", false},
                 {adDouble, "1e+25", "10000000000000000000000000", true},
                 {adDouble, "12345678901234567890", "12345678901234567891", false},
                 {adInteger, "8", "7.5", false},
                 {adVarChar, "Pumps", "Pumps  ", true},
                 {adVarChar, " Pumps", "Pumps", false},
                 {adVarChar, "", std::nullopt, true},
                 {adVarChar, "x", std::nullopt, false},
                 {adDBTimeStamp, "2024-03-01", "2024-03-01 ", false},
                 {adVarChar, "  ", std::nullopt, false},
                 {adVarChar, "2024-03-01", "2024-03-01:00:00:00", false},
                 {adVarChar, "2024-03-01", "2024-03-01:00:00:00", true, "timestamp"},
                 {adVarChar, "2024-03-01", "2024-03-01:00:00:01", false, "date"}};
    for (const auto& c : cases)
        EXPECT_EQ(RISTableUpdate::SameValue({"f", c.type, c.declared}, c.a, c.b), c.same)
            << c.a.value_or("<null>") << " / " << c.b.value_or("<null>");
}

TEST(RISTableUpdateTest, TheCountsAfterAnUpdateTellWhatStands)
{
    const struct {
        const char* name;
        bool storedIsOld;
        long long oldAfter, storedBefore, storedAfter;
        ChangeState state;
    } cases[] = {{"OldGoneOneRowHoldsTheStoredValues", false, 0, 0, 1, ChangeState::Done},
                 {"TheRowIsNowAlikeAnother", false, 0, 1, 2, ChangeState::Done},
                 {"TheRowStandsAsItWas", false, 1, 0, 0, ChangeState::NotDone},
                 {"TheAlikeRowStandsBesideTheOldOne", false, 1, 1, 1, ChangeState::NotDone},
                 {"TwoRowsHoldWhatOneShould", false, 0, 0, 2, ChangeState::NotKnown},
                 {"NeitherOldNorStoredValues", false, 0, 0, 0, ChangeState::NotKnown},
                 {"OldAndStoredValuesBoth", false, 1, 0, 1, ChangeState::NotKnown},
                 {"AWriteOfWhatStands", true, 1, 0, 1, ChangeState::Done},
                 {"AWriteOfWhatStandsWhoseRowIsGone", true, 0, 0, 0, ChangeState::NotKnown}};
    for (const auto& c : cases)
        EXPECT_EQ(RISTableUpdate::Judge(c.storedIsOld, c.oldAfter, c.storedBefore, c.storedAfter), c.state) << c.name;
}

} // namespace
