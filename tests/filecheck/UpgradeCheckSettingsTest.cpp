// The search directories and seed files of the file check window in the settings file.
#include "filecheck/UpgradeCheckSettings.h"

#include "platform/AppError.h"
#include "platform/WinPath.h"
#include "services/IniFile.h"
#include "support/TestEnvironment.h"
#include "support/TestFiles.h"

#include <filesystem>
#include <gtest/gtest.h>

using Strings = std::vector<std::string>;

class UpgradeCheckSettingsTest : public ::testing::Test {
protected:
    std::string win(const std::string& rel) const { return WinPathFromHost(dir.host() + "/" + rel); }
    testsupport::ScopedDir dir{"fcsettings"};
    std::string ini = WinPathFromHost(dir.host()) + "\\tarnwick.ini";
};

TEST_F(UpgradeCheckSettingsTest, DirectoriesUpToTheFirstGapWithoutMissingOrRepeatedOnes)
{
    std::filesystem::create_directories(dir.host() + "/a");
    std::filesystem::create_directories(dir.host() + "/b");
    WriteIniValue(ini, "SearchDirs", "Dir0", win("a"));
    WriteIniValue(ini, "SearchDirs", "Dir1", win("gone"));
    WriteIniValue(ini, "SearchDirs", "Dir2", win("A"));
    WriteIniValue(ini, "SearchDirs", "Dir3", win("b"));
    WriteIniValue(ini, "SearchDirs", "Dir5", win("b"));
    EXPECT_EQ(LoadSearchDirs(ini), (Strings{win("a"), win("b")}));

    SaveSearchDirs(ini, {win("b")});
    EXPECT_EQ(ReadIniValue(ini, std::string("SearchDirs"), "Dir0"), win("b"));
    EXPECT_EQ(ReadIniValue(ini, std::string("SearchDirs"), "Dir1"), "");
    EXPECT_EQ(ReadIniValue(ini, std::string("SearchDirs"), "Dir5"), "");
}

TEST_F(UpgradeCheckSettingsTest, SeedFileMustExist)
{
    testsupport::WriteHostFile(dir.host() + "/fw.dgn", "seed");
    SaveSeedFile(ini, kFWSeedFileKey, win("fw.dgn"));
    SaveSeedFile(ini, kSeedFileKey, win("none.dgn"));
    EXPECT_EQ(LoadSeedFile(ini, kFWSeedFileKey), win("fw.dgn"));
    EXPECT_EQ(LoadSeedFile(ini, kSeedFileKey), "");
}
