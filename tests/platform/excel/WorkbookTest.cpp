// Tests of the application, workbook and sheet collections: start, sheets, save, close, quit.
#include "platform/excel/Workbook.h"

#include "platform/Environment.h"
#include "platform/FileAttributes.h"
#include "platform/HostFiles.h"
#include "platform/excel/ExcelApplication.h"
#include "platform/excel/ExcelErrors.h"
#include "platform/excel/Range.h"
#include "platform/excel/Worksheet.h"

#include <gtest/gtest.h>

namespace {

const std::string kFolder = "C:\\Reports";
const std::string kReport = "C:\\Reports\\p1_original.xls";

long errorNumberOf(const std::function<void()>& call, std::string* description = nullptr)
{
    try {
        call();
    } catch (const AppError& e) {
        if (description)
            *description = e.description();
        return e.number();
    }
    return 0;
}

class WorkbookTest : public ::testing::Test {
protected:
    void SetUp() override { HostMakeFolder(kFolder, true); }
    void TearDown() override
    {
        SetHostFileFault(nullptr);
        if (app->IsRunning())
            app->Quit();   // lets go of the files the open workbooks hold
        HostRemoveFolder(kFolder, true);
    }

    std::unique_ptr<ExcelApplication> app = ExcelApplication::Start();
};

TEST(ExcelStartTest, AMissingExcelFailsTheStart)
{
    ExcelApplication::SetExcelMissing(true);
    EXPECT_EQ(errorNumberOf([] { ExcelApplication::Start(); }), kExcelCannotCreate);
    ExcelApplication::SetExcelMissing(false);

    SetEnvVar("TARNWICK_EXCEL_MISSING", "1");
    EXPECT_EQ(errorNumberOf([] { ExcelApplication::Start(); }), kExcelCannotCreate);
    SetEnvVar("TARNWICK_EXCEL_MISSING", "0");
    auto app = ExcelApplication::Start();
    EXPECT_FALSE(app->Visible());
    EXPECT_TRUE(app->DisplayAlerts());
    EXPECT_EQ(app->Workbooks().Count(), 0);
}

TEST_F(WorkbookTest, NewWorkbooksHaveTheDefaultSheetsAndTheReportsCutThemToOne)
{
    Workbook& book = app->Workbooks().Add();
    EXPECT_EQ(&app->Workbooks(1), &book);
    EXPECT_EQ(book.FullName(), "Book1");
    Worksheets& sheets = book.Worksheets();
    ASSERT_EQ(sheets.Count(), 3);
    EXPECT_EQ(sheets(1).Name(), "Sheet1");
    EXPECT_EQ(sheets(3).Name(), "Sheet3");

    Worksheet& third = sheets(3);
    for (int i = sheets.Count(); i >= 2; --i)
        sheets(i).Delete();
    EXPECT_EQ(sheets.Count(), 1);
    EXPECT_EQ(errorNumberOf([&] { sheets(1).Delete(); }), kExcelMethodFailed);
    // A deleted sheet held by the caller raises instead of dangling.
    EXPECT_EQ(errorNumberOf([&] { third.Range("A1").SetValue("x"); }), kExcelObjectDisconnected);

    Worksheet& added = sheets.Add();
    EXPECT_EQ(added.Name(), "Sheet4");
    EXPECT_EQ(added.Index(), 1);
    EXPECT_EQ(&sheets.Item("sheet1"), &sheets(2));
    EXPECT_EQ(errorNumberOf([&] { sheets(3); }), kExcelSubscriptOutOfRange);
}

TEST_F(WorkbookTest, SaveAsNeedsAnExistingFolderAndAName)
{
    Workbook& book = app->Workbooks().Add();
    std::string description;
    EXPECT_EQ(errorNumberOf([&] { book.SaveAs("C:\\Missing\\p1.xls"); }, &description), kExcelMethodFailed);
    EXPECT_NE(description.find("C:\\Missing\\"), std::string::npos) << description;
    EXPECT_EQ(errorNumberOf([&] { book.SaveAs(""); }), kExcelMethodFailed);
    EXPECT_EQ(errorNumberOf([&] { book.Save(); }), kExcelMethodFailed);
    EXPECT_EQ(book.FullName(), "Book1");
    EXPECT_FALSE(HostFileExists("C:\\Missing\\p1.xls"));
}

TEST_F(WorkbookTest, SavedFileIsHeldWhileOpenAndReplacedOnTheNextRun)
{
    Workbook& book = app->Workbooks().Add();
    app->SetDisplayAlerts(false);
    book.SaveAs(kReport);
    EXPECT_EQ(book.FullName(), kReport);
    EXPECT_EQ(book.Name(), "p1_original.xls");
    const long long emptySize = HostFileSize(kReport);
    EXPECT_GT(emptySize, 0);
    EXPECT_TRUE(IsFileLocked(kReport));

    book.Worksheets(1).Range("A1").SetValue(std::string(2000, 'x') + "y");
    book.Save();
    book.Close();
    EXPECT_FALSE(IsFileLocked(kReport));
    EXPECT_GT(HostFileSize(kReport), emptySize);
    EXPECT_EQ(app->Workbooks().Count(), 0);
    EXPECT_EQ(errorNumberOf([&] { book.Save(); }), kExcelObjectDisconnected);

    // The next run's workbook replaces the file without a question.
    Workbook& next = app->Workbooks().Add();
    next.SaveAs(kReport);
    EXPECT_EQ(HostFileSize(kReport), emptySize);
}

TEST_F(WorkbookTest, AFileHeldOrRefusedElsewhereIsNotOverwritten)
{
    Workbook& first = app->Workbooks().Add();
    first.SaveAs(kReport);
    const long long size = HostFileSize(kReport);
    Workbook& second = app->Workbooks().Add();
    second.Worksheets(1).Range("A1").SetValue(std::string(2000, 'x') + "y");
    EXPECT_EQ(errorNumberOf([&] { second.SaveAs(kReport); }), kExcelMethodFailed);
    first.Close();

    SetHostFileFault([](const std::string& op, const std::string&) { return op == "create" ? 28 : 0; });
    EXPECT_EQ(errorNumberOf([&] { second.SaveAs(kReport); }), kExcelMethodFailed);
    SetHostFileFault(nullptr);
    EXPECT_EQ(HostFileSize(kReport), size);
    EXPECT_EQ(HostListFolder(kFolder).size(), 1u);   // no temporary file left behind
}

TEST_F(WorkbookTest, AFailedSaveKeepsTheFileItsHoldAndEveryOtherFile)
{
    // A file of the user's whose name looks like a temporary one is no one else's to replace.
    const std::string neighbour = kReport + ".~xlsx";
    HostWriteFile(neighbour, "mine");
    Workbook& book = app->Workbooks().Add();
    book.SaveAs(kReport);
    EXPECT_EQ(HostFileSize(neighbour), 4);
    const long long size = HostFileSize(kReport);
    book.Worksheets(1).Range("A1").SetValue(std::string(2000, 'x') + "y");
    for (const char* op : {"write", "flush"}) {
        SetHostFileFault([&](const std::string& o, const std::string& host) {
            return o == op && host.find("p1_original.xls") != std::string::npos ? 28 : 0;
        });
        EXPECT_EQ(errorNumberOf([&] { book.Save(); }), kExcelMethodFailed) << op;
        SetHostFileFault(nullptr);
        EXPECT_EQ(HostFileSize(kReport), size) << op;
        EXPECT_TRUE(IsFileLocked(kReport)) << op;
        EXPECT_EQ(HostListFolder(kFolder).size(), 2u) << op; // no temporary file left behind
    }
    book.Save();
    EXPECT_GT(HostFileSize(kReport), size);
}

TEST_F(WorkbookTest, QuitDropsUnsavedWorkbooksAndEndsTheApplication)
{
    Workbook& book = app->Workbooks().Add();
    book.SaveAs(kReport);
    const long long size = HostFileSize(kReport);
    Worksheet& sheet = book.Worksheets(1);
    sheet.Range("A1").SetValue(std::string(2000, 'x') + "y");
    app->SetDisplayAlerts(false);
    app->Quit();
    EXPECT_EQ(HostFileSize(kReport), size);
    EXPECT_FALSE(IsFileLocked(kReport));
    EXPECT_EQ(errorNumberOf([&] { app->Quit(); }), kExcelServerGone);
    EXPECT_EQ(errorNumberOf([&] { sheet.Range("A1").Value(); }), kExcelServerGone);
}

} // namespace
