// Tests of the worksheet model: names, cells, formats, used range and column fitting.
#include "platform/excel/Worksheet.h"

#include "platform/excel/ExcelApplication.h"
#include "platform/excel/ExcelErrors.h"
#include "platform/excel/Font.h"
#include "platform/excel/Range.h"
#include "platform/excel/Workbook.h"

#include <gtest/gtest.h>

namespace {

class WorksheetTest : public ::testing::Test {
protected:
    std::unique_ptr<ExcelApplication> app = ExcelApplication::Start();
    Workbook& book = app->Workbooks().Add();
    Worksheet& sheet = book.Worksheets(1);

    long usedRows() { return static_cast<long>(sheet.UsedRange().Rows().Count()); }
};

struct NameCase {
    std::string name;
    bool accepted;
};

class SheetNameTest : public WorksheetTest, public ::testing::WithParamInterface<NameCase> {};

TEST_P(SheetNameTest, FollowsExcelsRules)
{
    const NameCase& c = GetParam();
    if (c.accepted) {
        sheet.SetName(c.name);
        EXPECT_EQ(sheet.Name(), c.name);
        return;
    }
    try {
        sheet.SetName(c.name);
        FAIL() << "accepted '" << c.name << "'";
    } catch (const AppError& e) {
        EXPECT_EQ(e.number(), kExcelMethodFailed);
        EXPECT_EQ(sheet.Name(), "Sheet1");
    }
}

INSTANTIATE_TEST_SUITE_P(Names, SheetNameTest,
    ::testing::Values(NameCase{"p1(DDL<=>DB)", true}, NameCase{std::string(31, 'x'), true},
                      NameCase{"it's", true}, NameCase{"sheet1", true}, NameCase{"", false},
                      NameCase{std::string(32, 'x'), false}, NameCase{"a:b", false}, NameCase{"a\\b", false},
                      NameCase{"a/b", false}, NameCase{"a?", false}, NameCase{"a*", false},
                      NameCase{"[a", false}, NameCase{"a]", false}, NameCase{"'a", false},
                      NameCase{"Sheet2", false}, NameCase{"SHEET3", false}));

TEST_F(WorksheetTest, CellsKeepTextsAndNumbersByAddressAndPosition)
{
    sheet.Range("B7").SetValue("Partition_no");
    sheet.Cells(8, 2).SetValue(12);
    sheet.Cells(9, 2).SetValue(2.5);
    sheet.Range("C1").SetValue("007");

    EXPECT_EQ(sheet.Cells(7, 2).Value().Text(), "Partition_no");
    EXPECT_TRUE(sheet.Range("B8").Value().IsNumber());
    EXPECT_EQ(sheet.Range("B8").Value().Text(), "12");
    EXPECT_EQ(sheet.Range("$B$9").Value().Text(), "2.5");
    // Text stays text, leading zeros and all.
    EXPECT_TRUE(sheet.Range("C1").Value().IsText());
    EXPECT_EQ(sheet.Range("C1").Value().Text(), "007");
    EXPECT_TRUE(sheet.Range("A1").Value().IsEmpty());

    sheet.Range("C1").SetValue("");
    EXPECT_TRUE(sheet.Range("C1").Value().IsEmpty());
    EXPECT_THROW(sheet.Range("A0"), AppError);
    EXPECT_THROW(sheet.Cells(1, 257), AppError);
}

TEST_F(WorksheetTest, UsedRowsFollowTheRowRuleOfTheReports)
{
    // An empty sheet counts one used row, so a first section title goes to A1.
    EXPECT_EQ(usedRows(), 1);
    sheet.Range("A" + std::to_string(usedRows())).SetValue("Missing model files");
    EXPECT_EQ(usedRows(), 1);
    sheet.Range("A" + std::to_string(usedRows() + 1)).SetValue("Discipline");
    EXPECT_EQ(usedRows(), 2);
    // Formatting empty cells makes them used, as in Excel.
    sheet.Range("A4:E4").Font().SetBold(true);
    EXPECT_EQ(usedRows(), 4);
    EXPECT_EQ(sheet.UsedRange().Columns().Count(), 5);
    // The whole-sheet text format does not.
    sheet.Range("A1:IV65536").SetNumberFormat("@");
    EXPECT_EQ(usedRows(), 4);
    EXPECT_EQ(sheet.UsedRange().Address(), "$A$1:$E$4");
}

TEST_F(WorksheetTest, UsedRangeStartsAtTheFirstUsedRow)
{
    sheet.Range("C5").SetValue("x");
    sheet.Range("B9").SetValue(1);
    EXPECT_EQ(sheet.UsedRange().Address(), "$B$5:$C$9");
    EXPECT_EQ(usedRows(), 5);
    EXPECT_EQ(sheet.UsedRange().Row(), 5);
    // Emptied cells leave it again, columns as rows.
    sheet.Range("B9").SetValue(CellValue());
    EXPECT_EQ(sheet.UsedRange().Address(), "$C$5");
}

TEST_F(WorksheetTest, FontAndNumberFormatLayerByOrderOfSetting)
{
    EXPECT_FALSE(sheet.Range("A1").Font().Bold());
    EXPECT_EQ(sheet.Range("A1").Font().Size(), kDefaultFontSize);
    EXPECT_EQ(sheet.Range("A1").NumberFormat(), "General");

    sheet.Range("A1:IV65536").SetNumberFormat("@");
    sheet.Range("A1").Font().SetBold(true);
    sheet.Range("A1").Font().SetSize(12);
    sheet.Range("A2:C2").Font().SetBold(true);
    EXPECT_EQ(sheet.Range("IV65536").NumberFormat(), "@");
    EXPECT_TRUE(sheet.Range("A1").Font().Bold());
    EXPECT_EQ(sheet.Range("A1").Font().Size(), 12);
    EXPECT_TRUE(sheet.Range("C2").Font().Bold());
    EXPECT_FALSE(sheet.Range("D2").Font().Bold());
    EXPECT_EQ(sheet.Range("A2").Font().Size(), kDefaultFontSize);

    // A later area lies over the cells' own settings; a later cell setting over the area.
    sheet.Range("A:B").Font().SetBold(false);
    EXPECT_FALSE(sheet.Range("A1").Font().Bold());
    EXPECT_TRUE(sheet.Range("C2").Font().Bold());
    sheet.Range("B2").SetNumberFormat("0.00");
    EXPECT_EQ(sheet.Range("B2").NumberFormat(), "0.00");
    EXPECT_EQ(sheet.Range("B3").NumberFormat(), "@");
    EXPECT_EQ(sheet.ColumnFormat(2).numberFormat, "@");
    EXPECT_EQ(sheet.ColumnFormat(2).bold, false);

    EXPECT_THROW(sheet.Range("A1").Font().SetSize(0), AppError);
    EXPECT_THROW(sheet.Range("A1").Font().SetSize(410), AppError);
}

TEST_F(WorksheetTest, AutoFitEstimatesWidthsFromTheLongestText)
{
    sheet.Range("A1").SetValue("Design file");
    sheet.Range("A2").SetValue("\\\\srv\\share\\proj\\models\\pipe\\p101.dgn");
    sheet.Range("B1").SetValue("Discipline");
    sheet.Range("C1").SetValue("Discipline");
    sheet.Range("C1").Font().SetBold(true);
    sheet.Range("D1").Font().SetBold(true);   // formatted, but no text
    sheet.Columns().AutoFit();

    ASSERT_TRUE(sheet.ColumnWidth(1) && sheet.ColumnWidth(2) && sheet.ColumnWidth(3));
    EXPECT_GT(*sheet.ColumnWidth(1), *sheet.ColumnWidth(2));
    EXPECT_GT(*sheet.ColumnWidth(2), 10.0);
    EXPECT_GT(*sheet.ColumnWidth(3), *sheet.ColumnWidth(2));   // bold runs wider
    EXPECT_FALSE(sheet.ColumnWidth(4));

    // Fitting to a block only looks at the block's cells.
    sheet.Range("A1:A1").Columns().AutoFit();
    EXPECT_LT(*sheet.ColumnWidth(1), *sheet.ColumnWidth(2) + 2);
}

TEST_F(WorksheetTest, ValuesOfHugeBlocksAndOverlongTextsAreRefused)
{
    EXPECT_THROW(sheet.Range("A1:IV65536").SetValue("x"), AppError);
    EXPECT_THROW(sheet.Range("A1").SetValue(std::string(32768, 'x')), AppError);
    sheet.Range("A1:C2").SetValue("x");
    EXPECT_EQ(sheet.Range("C2").Value().Text(), "x");
    EXPECT_EQ(sheet.Range("A1:C2").Count(), 6);
}

} // namespace
