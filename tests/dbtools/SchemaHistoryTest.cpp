// The viewer's schema history: newest first, six slots, known names leave it unchanged.
#include "dbtools/SchemaHistory.h"

#include "platform/WinPath.h"
#include "services/IniFile.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

namespace {

using Names = std::vector<std::string>;

class SchemaHistoryTest : public ::testing::Test {
protected:
    std::string ini() const { return WinPathFromHost(dir_.host() + "/tarnwick.ini"); }
    testsupport::ScopedDir dir_{"history"};
};

TEST_F(SchemaHistoryTest, SeventhSchemaPushesTheOldestOut)
{
    for (const char* s : {"s1", "s2", "s3", "s4", "s5", "s6", "s7"})
        SchemaHistory::Remember(ini(), s);
    EXPECT_EQ(SchemaHistory::Read(ini()), (Names{"s7", "s6", "s5", "s4", "s3", "s2"}));
}

TEST_F(SchemaHistoryTest, KnownSchemaLeavesTheOrderButOtherCaseIsAnotherName)
{
    for (const char* s : {"pd_a", "dd_a", "pd_a"})
        SchemaHistory::Remember(ini(), s);
    EXPECT_EQ(SchemaHistory::Read(ini()), (Names{"dd_a", "pd_a"}));
    SchemaHistory::Remember(ini(), "PD_A");
    EXPECT_EQ(SchemaHistory::Read(ini()), (Names{"PD_A", "dd_a", "pd_a"}));
}

TEST_F(SchemaHistoryTest, EmptySlotMovesAlongAsEmpty)
{
    WriteIniValue(ini(), "EditRISTables", "History0", "a");
    WriteIniValue(ini(), "EditRISTables", "History2", "c");
    SchemaHistory::Remember(ini(), "new");
    EXPECT_EQ(ReadIniValue(ini(), "EditRISTables", "History1", "-1"), "a");
    EXPECT_EQ(ReadIniValue(ini(), "EditRISTables", "History2", "-1"), "-1");
    EXPECT_EQ(ReadIniValue(ini(), "EditRISTables", "History3", "-1"), "c");
    EXPECT_EQ(SchemaHistory::Read(ini()), (Names{"new", "a", "c"}));
}

} // namespace
