// The configuration settings: writes exactly as typed, read back by every reader.
#include "admin/ConfigSettings.h"

#include "platform/WinPath.h"
#include "services/IniFile.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

namespace {

class ConfigSettingsTest : public ::testing::Test {
protected:
    testsupport::ScopedDir dir{"config"};
    std::string ini = WinPathFromHost(dir.host()) + "\\tarnwick.ini";
};

TEST_F(ConfigSettingsTest, WrittenValuesAreReadBackByEveryReader)
{
    auto values = ReadConfigValues(ini);
    values[3] = "PDSDB";
    values[8] = "  TEMP2  ";
    values[11] = "";
    ASSERT_TRUE(WriteConfigValues(ini, values));
    // Readers elsewhere spell the keys in other cases and bring other defaults.
    EXPECT_EQ(ReadIniValue(ini, "TARNWICK", "dbname", "x"), "PDSDB");
    EXPECT_EQ(ReadIniValue(ini, "TARNWICK", "osuser", "svcacct.k4t2p"), "acct.zq8vnrhw");
    EXPECT_EQ(ReadIniValue(ini, "TARNWICK", "temporary_tablespace", "x"), "TEMP2");
    EXPECT_EQ(ReadIniValue(ini, "TARNWICK", "seedproj", "seed"), "");
    for (const auto& row : kConfigRows)
        EXPECT_NE(ReadIniValue(ini, "TARNWICK", std::string(row.key), "<missing>"), "<missing>") << row.key;
}

} // namespace
