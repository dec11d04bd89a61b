// The linkage reading run through the command interpreter and the MicroStation stand-in:
// which rows reach the report, and the run's failures.
#include "designfiles/LinkageRun.h"

#include "DesignFilesTestSupport.h"
#include "designfiles/LinkageReport.h"
#include "platform/DesktopOpener.h"
#include "platform/WinPath.h"
#include "services/ScriptedMessageService.h"
#include "standins/dbserver/StandInEnvironment.h"
#include "standins/mstn/DesignFileLinkage.h"
#include "support/SampleEnvironment.h"
#include "support/TestEnvironment.h"
#include "support/TestFiles.h"

#include <array>
#include <filesystem>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

using Row = std::array<std::string, 3>;

// The report with every row it was given kept for the test.
class RecordingReport : public LinkageReport {
public:
    void AddRow(const std::string& file, const std::string& discipline, const std::string& partition) override
    {
        rows.push_back({file, discipline, partition});
        LinkageReport::AddRow(file, discipline, partition);
    }
    std::vector<Row> rows;
};

void designFile(const std::string& winPath, const std::string& linkage)
{
    testsupport::WriteHostFile(HostPath(winPath), "Stand-in design file\r\n" + linkage);
}

class LinkageRunTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { designfilestest::BuildMisnamedSample(); }

    void SetUp() override
    {
        fs::create_directories(HostPath("C:\\reports"));
        designFile("C:\\dgn\\a\\x.dgn", DesignFileLinkage::Line("1", "15"));
        designFile("C:\\dgn\\a\\sub\\e.dgn", DesignFileLinkage::Line("2", "3"));
        designFile("C:\\dgn\\a\\sub\\plain.dgn", "");
        designFile("C:\\dgn\\with blank\\p q.dgn", DesignFileLinkage::Line("1", "7"));
    }
    void TearDown() override
    {
        SetDesktopOpener(nullptr);
        fs::remove_all(HostPath("C:\\dgn"));
        fs::remove_all(HostPath("C:\\reports"));
    }

    void run(const std::vector<std::string>& dirs, const std::string& reportFile = "C:\\reports\\links.xls")
    {
        LinkageRun(report).Run(dirs, reportFile, [&] { return reportFile; });
    }

    RecordingReport report;
    ScriptedMessageService messages;
    designfilestest::StatusCapture status;
};

TEST_F(LinkageRunTest, EveryDesignFileGivesOneRowOfItsLinkage)
{
    messages.Answer(MsgAnswer::No);
    run({"C:\\dgn\\a", "C:\\dgn\\with blank", "C:\\dgn\\missing"});
    EXPECT_EQ(report.rows, (std::vector<Row>{{"C:\\dgn\\a\\sub\\e.dgn", "Equipment", "No partition_no found"},
                                             {"C:\\dgn\\a\\sub\\plain.dgn", "Unknown", "No partition_no found"},
                                             {"C:\\dgn\\a\\x.dgn", "Piping", "15"},
                                             {"C:\\dgn\\with blank\\p q.dgn", "Piping", "7"}}));
    ASSERT_EQ(messages.asked().size(), 1u) << messages.asked().back().prompt;
    EXPECT_EQ(messages.asked()[0].prompt, "Show report now?");
    EXPECT_EQ(messages.asked()[0].style, 36);
    EXPECT_TRUE(fs::exists(HostPath("C:\\reports\\links.xls")));
    EXPECT_EQ(report.ReportSheet(), nullptr); // Excel ended
}

TEST_F(LinkageRunTest, YesOpensTheSavedReport)
{
    std::string opened;
    SetDesktopOpener([&](const std::string& op, const std::string& file, const std::string&, const std::string&) {
        opened = op + " " + file;
        return 33L;
    });
    messages.Answer(MsgAnswer::Yes);
    run({"C:\\dgn\\with blank"});
    EXPECT_EQ(opened, "Open C:\\reports\\links.xls");
    EXPECT_EQ(report.rows.size(), 1u);
}

TEST_F(LinkageRunTest, FailuresAreShownAndNoRowIsWritten)
{
    run({});
    run({"C:\\dgn\\a"}, "C:\\nowhere\\links.xls");
    ASSERT_EQ(messages.asked().size(), 2u);
    EXPECT_EQ(messages.asked()[0].prompt, "No directories to scan for DGN files found");
    EXPECT_EQ(messages.asked()[0].style, 48);
    EXPECT_EQ(messages.asked()[1].prompt, "Directory to create report: 'C:\\nowhere\\links.xls' not exists");
    EXPECT_TRUE(report.rows.empty());
}

} // namespace
