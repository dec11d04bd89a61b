// The report workbook's life cycle: refused paths, a replaced earlier report, repeated close.
#include "filecheck/CheckReportWorkbook.h"

#include "platform/AppError.h"
#include "platform/WinPath.h"
#include "platform/excel/Worksheet.h"
#include "filecheck/ReportSheet.h"
#include "support/TestEnvironment.h"
#include "support/TestFiles.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace {

std::string createError(CheckReportWorkbook& report, const std::string& path)
{
    try {
        report.ReportCreateNew(path);
    } catch (const AppError& e) {
        return e.source() + " | " + e.description();
    }
    return "";
}

} // namespace

TEST(CheckReportWorkbookTest, RefusedPathsRaiseBeforeExcelStarts)
{
    CheckReportWorkbook report;
    EXPECT_EQ(createError(report, ""), "ReportCreateNew | Report file not defined");
    EXPECT_EQ(createError(report, "C:\\nosuch\\demo_original.xls"),
              "ReportCreateNew | Directory to create report: 'C:\\nosuch\\demo_original.xls' not exists");
    EXPECT_EQ(report.Sheet(), nullptr);
    try {
        report.ReportSave();
        ADD_FAILURE() << "saved without a report";
    } catch (const AppError& e) {
        EXPECT_EQ(e.description(), "Excel error");
    }
}

TEST(CheckReportWorkbookTest, EarlierReportIsReplacedAndCloseTwiceDoesNothing)
{
    testsupport::ScopedDir dir{"report"};
    const std::string path = WinPathFromHost(dir.host()) + "\\demo_original.xls";
    testsupport::WriteHostFile(dir.host() + "/demo_original.xls", "left from an earlier run");
    CheckReportWorkbook report;
    report.ReportCreateNew(path);
    EXPECT_NE(testsupport::ReadHostFile(dir.host() + "/demo_original.xls"), "left from an earlier run");
    SetCell(*report.Sheet(), "A", 1, "Missing model files");
    report.ReportSave();
    report.ReportClose();
    report.ReportClose();
    EXPECT_EQ(report.Sheet(), nullptr);
    ASSERT_NE(report.LastSheet(), nullptr);
    EXPECT_EQ(report.LastSheet()->CellValueAt(1, 1).Text(), "Missing model files");
}
