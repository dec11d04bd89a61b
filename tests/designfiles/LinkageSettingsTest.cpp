// The directory list and report file of the linkage reading window in the settings file.
#include "designfiles/LinkageSettings.h"

#include "platform/WinPath.h"
#include "services/IniFile.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

const char* const kIni = "C:\\tw\\tarnwick.ini";

class LinkageSettingsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* d : {"C:\\tw", "C:\\dgn\\a", "C:\\dgn\\c"})
            fs::create_directories(HostPath(d));
    }
    void TearDown() override
    {
        fs::remove_all(HostPath("C:\\tw"));
        fs::remove_all(HostPath("C:\\dgn"));
    }
};

TEST_F(LinkageSettingsTest, ReadingStopsAtTheFirstGapAndSkipsWhatIsNoFolder)
{
    WriteIniValue(kIni, "DGNSearchDirs", "Dir0", "C:\\dgn\\gone");
    WriteIniValue(kIni, "DGNSearchDirs", "Dir1", "C:\\dgn\\a");
    WriteIniValue(kIni, "DGNSearchDirs", "Dir2", "c:\\DGN\\A");
    WriteIniValue(kIni, "DGNSearchDirs", "Dir4", "C:\\dgn\\c");
    EXPECT_EQ(LinkageSettings::LoadDirs(kIni), std::vector<std::string>{"C:\\dgn\\a"});
}

TEST_F(LinkageSettingsTest, SavingRewritesTheWholeSection)
{
    WriteIniValue(kIni, "DGNSearchDirs", "Dir0", "C:\\old0");
    WriteIniValue(kIni, "DGNSearchDirs", "Dir2", "C:\\old2");
    LinkageSettings::SaveDirs(kIni, {"C:\\dgn\\c"});
    EXPECT_EQ(ReadIniValue(kIni, "DGNSearchDirs", "Dir0", ""), "C:\\dgn\\c");
    EXPECT_EQ(ReadIniValue(kIni, "DGNSearchDirs", "Dir2", "<none>"), "<none>");
}

TEST_F(LinkageSettingsTest, ReportFileNotCreatedYetFallsBackToTheDefault)
{
    LinkageSettings::StoreReportFile(kIni, "C:\\tw\\links.xls");
    EXPECT_EQ(LinkageSettings::StartReportFile(kIni, "C:\\temp\\", "demo"), "C:\\temp\\demo.xls");
    EXPECT_EQ(LinkageSettings::StartReportFile(kIni, "C:\\temp", "demo"), "C:\\temp\\demo.xls");
    std::ofstream(HostPath("C:\\tw\\links.xls")) << "x";
    EXPECT_EQ(LinkageSettings::StartReportFile(kIni, "C:\\temp", "demo"), "C:\\tw\\links.xls");
}

TEST_F(LinkageSettingsTest, ListComparisonIgnoresLetterCaseOnly)
{
    const std::vector<std::string> dirs{"C:\\dgn\\a"};
    EXPECT_TRUE(LinkageSettings::IsDirInList(dirs, "c:\\DGN\\A"));
    EXPECT_FALSE(LinkageSettings::IsDirInList(dirs, "C:\\dgn\\a\\"));
    EXPECT_FALSE(LinkageSettings::IsDirInList({}, "C:\\dgn\\a"));
}

} // namespace
