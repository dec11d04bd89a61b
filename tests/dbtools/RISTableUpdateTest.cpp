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
