// The seed files of the file check window in the settings file. The search directories are read
// and written through the window's own test.
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

TEST_F(UpgradeCheckSettingsTest, SeedFileMustExist)
{
    testsupport::WriteHostFile(dir.host() + "/fw.dgn", "seed");
    SaveSeedFile(ini, kFWSeedFileKey, win("fw.dgn"));
    SaveSeedFile(ini, kSeedFileKey, win("none.dgn"));
    EXPECT_EQ(LoadSeedFile(ini, kFWSeedFileKey), win("fw.dgn"));
    EXPECT_EQ(LoadSeedFile(ini, kSeedFileKey), "");
}
