// The DDL check report: the rows of each section, the file name, and the saved workbook.
#include "dbtools/DdlReport.h"

#include "platform/AppError.h"
#include "platform/Clock.h"
#include "platform/TextUtil.h"
#include "platform/excel/ExcelApplication.h"
#include "platform/excel/Font.h"
#include "platform/excel/Range.h"
#include "platform/excel/Workbook.h"
#include "platform/excel/Worksheet.h"
#include "services/CheckTree.h"
#include "support/Raised.h"

#include <gtest/gtest.h>

namespace {

class DdlReportTest : public ::testing::Test {
protected:
    void SetUp() override { excel->Workbooks().Add(); }
    Worksheet& sheet() { return excel->Workbooks(1).Worksheets(1); }
    // Columns A to C of a row joined by "|", with "*" before a bold size-12 cell.
    std::string row(int r)
    {
        std::vector<std::string> cells;
        for (const char* c : {"A", "B", "C"}) {
            Range cell = sheet().Range(c + std::to_string(r));
            const bool heading = cell.Font().Bold() && cell.Font().Size() == 12;
            cells.push_back(std::string(heading ? "*" : "") + cell.Value().Text());
        }
        return Join(cells, "|");
    }

    std::unique_ptr<ExcelApplication> excel = ExcelApplication::Start();
    CheckTree tree;
};

TEST_F(DdlReportTest, SectionsInTheFixedOrderWithoutGaps)
{
    tree.Add("", "NoTables", "No tables");
    tree.Add("NoTables", "Discipline1ModelP1", "P1 - pdtable_50_1 not found in dd schema").tag = "1";
    tree.Add("NoTables", "Discipline1ModelP2", "P2 - pdtable_12_2 not found in dd schema").tag = "2";
    tree.Add("", "TypeMismatch", "Mismatch");
    tree.Add("TypeMismatch", "TypeMismatchTablepdtable_34_1", "pdtable_34_1");
    tree.Add("TypeMismatchTablepdtable_34_1", "Tablepdtable_34_1Columncode char(9)", "code char(9) - data type false");
    tree.Add("TypeMismatch", "TypeMismatchTablepdtable_50_1", "pdtable_50_1 - P1");   // no children: no row
    tree.Add("", "Not checked tables", "Not checked tables");
    tree.Add("Not checked tables", "NotCheckedTablepdtable_22_3", "pdtable_22_3");
    tree.Add("", "NoModels", "Orphans");
    tree.Add("NoModels", "Tablepdtable_12_9", "pdtable_12_9 - 4 row(s)");
    tree.Add("", "HasColNotInDB", "Missing");
    tree.Add("HasColNotInDB", "Tablepdtable_12_1", "pdtable_12_1 - P1 - extra");
    tree.Add("Tablepdtable_12_1", "Tablepdtable_12_1Columna int", "a int");
    tree.Add("Tablepdtable_12_1", "Tablepdtable_12_1Columnb int", "b int");
    FillDdlReport(sheet(), tree);
    const std::vector<std::string> expected = {
        "*Orphans||",        "*Table||",          "pdtable_12_9 - 4 row(s)||",
        "*Missing||",        "*Table|*Column|*Model", "pdtable_12_1|a int|P1",
        "pdtable_12_1|b int|P1", "*Mismatch||",   "*Table|*Column|*Model",
        "pdtable_34_1|code char(9) - data type false|", "*No tables||", "*Model|*Partition_no|",
        "P1 - pdtable_50_1 not found in dd schema|1|", "P2 - pdtable_12_2 not found in dd schema|2|", "||"};
    for (size_t r = 0; r < expected.size(); ++r)
        EXPECT_EQ(row(static_cast<int>(r) + 1), expected[r]) << "row " << r + 1;
}

TEST(DdlReportPathTest, TempProjectAndTime)
{
    const LocalTime t{2024, 3, 5, 14, 7, 9};
    EXPECT_EQ(DdlReportPath("C:\\Temp", "p1", t), "C:\\Temp\\p1-DDL-DB_24_03_05_14_07_09.xls");
    EXPECT_EQ(DdlReportPath("C:\\Temp\\", "p1", t), "C:\\Temp\\p1-DDL-DB_24_03_05_14_07_09.xls");
    EXPECT_EQ(DdlReportPath("", "", t), "\\-DDL-DB_24_03_05_14_07_09.xls");
}

TEST(Tree2ExcelTest, MissingExcelRaisesWithTheOperationsName)
{
    ExcelApplication::SetExcelMissing(true);
    CheckTree tree;
    const AppError e = testsupport::Raised([&] { Tree2Excel(tree, "p1"); });
    EXPECT_EQ(e.number(), 429);
    EXPECT_EQ(e.source().rfind("Tree2Excel", 0), 0u);
    ExcelApplication::SetExcelMissing(false);
}

} // namespace
