// Statements of the cell edits for the cases the window tests on the sample do not reach:
// literals by field type (and the refused ones), NULL and empty old values, a viewer table
// without key column.
#include "dbtools/RISTableUpdate.h"

#include "platform/AppError.h"
#include "platform/ado/AdoTypes.h"

#include <gtest/gtest.h>

namespace {

const std::vector<RISTableField> kModels = {
    {"model_index_no", adInteger}, {"model_no", adVarChar}, {"model_description", adVarChar}};

struct LiteralCase {
    const char* name;
    int type;
    std::string text;
    std::string literal; // empty: refused
};

class RISTableLiteralTest : public ::testing::TestWithParam<LiteralCase> {};

TEST_P(RISTableLiteralTest, WritesOrRefuses)
{
    const LiteralCase& c = GetParam();
    const RISTableField field{"f", c.type};
    if (c.literal.empty())
        EXPECT_THROW(RISTableUpdate::ValueLiteral(field, c.text), AppError);
    else
        EXPECT_EQ(RISTableUpdate::ValueLiteral(field, c.text), c.literal);
}

INSTANTIATE_TEST_SUITE_P(
    Types, RISTableLiteralTest,
    ::testing::Values(LiteralCase{"QuoteDoubled", adVarChar, "O'Neil", "'O''Neil'"},
                      LiteralCase{"EmptyIsNull", adVarChar, "", "NULL"},
                      LiteralCase{"Integer", adInteger, "42", "42"},
                      LiteralCase{"Double", adDouble, "-7.25", "-7.25"},
                      LiteralCase{"IntegerNotANumber", adInteger, "1; DELETE FROM pdtable_113", ""},
                      LiteralCase{"IntegerWord", adSmallInt, "abc", ""},
                      LiteralCase{"DateQuoted", adDBTimeStamp, "2024-03-01 08:00:00", "'2024-03-01 08:00:00'"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RISTableUpdateTest, EmptyOldValuesMatchNullOrEmpty)
{
    EXPECT_EQ(RISTableUpdate::RowCondition(kModels, {std::nullopt, "", "It's"}),
              "(model_index_no IS NULL) AND (model_no IS NULL OR model_no='') AND (model_description='It''s')");
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

} // namespace
