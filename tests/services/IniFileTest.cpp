// Settings values: trimming, list mode, and a write that fails on the way.
#include "services/IniFile.h"

#include "platform/HostFiles.h"
#include "services/AppGlobals.h"
#include "support/TestEnvironment.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace {

class IniFileTest : public ::testing::Test {
protected:
    testsupport::ScopedDir dir{"ini"};
    std::string file = dir.host() + "/tarnwick.ini";

    void put(const std::string& bytes) { std::ofstream(file, std::ios::binary) << bytes; }
};

TEST_F(IniFileTest, MissingFileGivesTrimmedDefaultAndFirstWriteCreatesIt)
{
    EXPECT_EQ(ReadIniValue(file, "TARNWICK", "risdmpdir", "  c:\\dump  "), "c:\\dump");
    EXPECT_EQ(ReadIniValue(file, "TARNWICK", "risdmpdir"), "");
    EXPECT_TRUE(WriteIniValue(file, "TARNWICK", "risdmpdir", "c:\\dump"));
    EXPECT_EQ(ReadIniValue(file, "TARNWICK", "RISDMPDIR", "x"), "c:\\dump");
}

TEST_F(IniFileTest, ValueLosesBlanksAndIsCutAt32767)
{
    put("[S]\r\nk=   v w   \r\nlong=" + std::string(40000, 'x') + "\r\n");
    EXPECT_EQ(ReadIniValue(file, "S", "k"), "v w");
    EXPECT_EQ(ReadIniValue(file, "S", "long").size(), 32767u);
    EXPECT_EQ(ReadIniValue(file, "S", "long", "", false, true).size(), 40000u);
}

TEST_F(IniFileTest, ListModeJoinsNamesWithSemicolons)
{
    put("[SearchDirs]\r\na=1\r\nb=2\r\n[Empty]\r\n[Other]\r\nc=3\r\n");
    EXPECT_EQ(ReadIniValue(file, "SearchDirs", std::nullopt, "", true), "a;b");
    EXPECT_EQ(ReadIniValue(file, "Empty", std::nullopt, "", true), "");
    EXPECT_EQ(ReadIniValue(file, "Missing", std::nullopt, "", true), "");
    EXPECT_EQ(ReadIniValue(file, std::nullopt, std::nullopt, "", true), "SearchDirs;Empty;Other");
    // A single-mode read of a list drops the separators altogether.
    EXPECT_EQ(ReadIniValue(file, "SearchDirs", std::nullopt, ""), "ab");
}

TEST_F(IniFileTest, AWriteThatFailsOnTheWayLeavesTheFileWholeAndNoTemporaryFile)
{
    put("[S]\r\nk=old\r\n");
    for (const char* op : {"write", "flush"}) {
        SetHostFileFault([op](const std::string& o, const std::string&) { return o == op ? ENOSPC : 0; });
        EXPECT_FALSE(WriteIniValue(file, "S", "k", "new")) << op;
        SetHostFileFault(nullptr);
    }
    EXPECT_EQ(ReadIniValue(file, "S", "k"), "old");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.host()), {}), 1);
}

} // namespace
