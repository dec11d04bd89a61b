// The linkage report workbook: where header and rows go, saving.
#include "designfiles/LinkageReport.h"

#include "platform/AppError.h"
#include "platform/WinPath.h"
#include "platform/excel/Range.h"
#include "platform/excel/Worksheet.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

class LinkageReportTest : public ::testing::Test {
protected:
    void SetUp() override { fs::create_directories(HostPath("C:\\reports")); }
    void TearDown() override { fs::remove_all(HostPath("C:\\reports")); }

    std::string cell(const char* address) { return report.ReportSheet()->Range(address).Value().Text(); }

    LinkageReport report;
};

TEST_F(LinkageReportTest, HeaderInRowOneAndRowsBelowIt)
{
    report.ReportCreateNew("C:\\reports\\links.xls");
    EXPECT_TRUE(fs::exists(HostPath("C:\\reports\\links.xls")));
    report.WriteHeader();
    report.AddRow("C:\\d\\a.dgn", "Piping", "15");
    report.AddRow("C:\\d\\b.dgn", "Unknown", "No partition_no found");
    EXPECT_EQ(cell("A1"), "Design file");
    EXPECT_EQ(cell("C1"), "Partition No");
    EXPECT_EQ(cell("A2"), "C:\\d\\a.dgn");
    EXPECT_EQ(cell("C2"), "15");
    EXPECT_EQ(cell("A3"), "C:\\d\\b.dgn");
    EXPECT_EQ(cell("B3"), "Unknown");
    const auto before = fs::file_size(HostPath("C:\\reports\\links.xls"));
    report.ReportSave();
    EXPECT_GT(fs::file_size(HostPath("C:\\reports\\links.xls")), before);
    report.ReportClose();
    EXPECT_EQ(report.ReportSheet(), nullptr);
}

} // namespace
