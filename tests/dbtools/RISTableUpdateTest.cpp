// Statements of the cell edits: literals by field type, the row condition, the editor's and the
// viewer's UPDATE and check.
#include "dbtools/RISTableUpdate.h"

#include "platform/AppError.h"
#include "platform/ado/AdoTypes.h"

#include <gtest/gtest.h>

namespace {

const std::vector<RISTableField> kModels = {
    {"model_index_no", adInteger}, {"model_no", adVarChar}, {"model_description", adVarChar}};

TEST(RISTableUpdateTest, EditorStatementMatchesTheWholeRow)
{
    const RISTableRow row = {"5", "A1", std::nullopt};
    EXPECT_EQ(RISTableUpdate::Build("pdtable_113", kModels, 1, row, "B2"),
              "UPDATE pdtable_113 SET model_no='B2' WHERE (model_index_no=5) AND (model_no='A1') AND "
              "(model_description IS NULL OR model_description='');");
}

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

TEST(RISTableUpdateTest, TypedNullInAnyCaseIsEmptyOtherTextStaysAsTyped)
{
    EXPECT_EQ(RISTableUpdate::PrepareCellText("nUlL"), "");
    EXPECT_EQ(RISTableUpdate::PrepareCellText("O'Neil"), "O'Neil");
    EXPECT_EQ(RISTableUpdate::Build("t", kModels, 2, {"5", "A1", "x"}, RISTableUpdate::PrepareCellText("null")),
              "UPDATE t SET model_description=NULL WHERE (model_index_no=5) AND (model_no='A1') AND "
              "(model_description='x');");
}

TEST(RISTableUpdateTest, EmptyOldValuesMatchNullOrEmpty)
{
    EXPECT_EQ(RISTableUpdate::RowCondition(kModels, {std::nullopt, "", "It's"}),
              "(model_index_no IS NULL) AND (model_no IS NULL OR model_no='') AND (model_description='It''s')");
}

TEST(RISTableUpdateTest, ViewerUsesTheKeyColumnWhenTheFirstFieldIsOne)
{
    const RISTableRow row = {"5", "A1", std::nullopt};
    EXPECT_EQ(RISTableUpdate::ViewerStatement("pdtable_113", kModels, 1, row, "B2"),
              "UPDATE pdtable_113 SET model_no='B2' WHERE (model_index_no=5);");
    EXPECT_EQ(RISTableUpdate::ViewerCheck("pdtable_113", kModels, 1, {"5", "B2", std::nullopt}),
              "SELECT model_no FROM pdtable_113 WHERE (model_index_no=5);");
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
