// The summary of a schema dump and what the comparison of two reports: missing tables, rows,
// indexes, and tables the expected dump lacks.
#include "dbtools/SchemaDumpSummary.h"

#include "platform/WinPath.h"
#include "support/TestEnvironment.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

namespace {

std::string table(const std::string& name, int rows)
{
    std::string text = "create table " + name + " (id int, code char(4))\r\ninsert into " + name +
                       " (id, code) values (?, ?)\r\n***variable*** id code \r\n";
    for (int i = 1; i <= rows; ++i)
        text += std::to_string(i) + " 'c' \r\n";
    return text + "***RIS*** End of Table ***RIS***\r\n";
}

const std::string kExpected = "default schema dd_x\r\n" + table("t1", 3) + table("T2", 0) +
                              "create unique index u1 on t1 (id)\r\ncreate  index I2 on t2 (code)\r\n"
                              "***RIS*** End of Schema ***RIS***\r\n";

struct SummaryCase {
    const char* name;
    std::string found;
    std::vector<std::string> differences;
};

class SchemaDumpSummaryTest : public ::testing::TestWithParam<SummaryCase> {
protected:
    SchemaDumpSummary read(const std::string& name, const std::string& text)
    {
        testsupport::WriteHostFile(dir_.host() + "/" + name, text);
        return SchemaDumpSummary::Read(WinPathFromHost(dir_.host() + "/" + name));
    }
    testsupport::ScopedDir dir_{"summary"};
};

TEST_P(SchemaDumpSummaryTest, DifferencesFromTheExpectedDump)
{
    const SchemaDumpSummary expected = read("expected.dmp", kExpected);
    EXPECT_EQ(expected.tables(), (std::vector<std::string>{"t1", "T2"}));
    EXPECT_EQ(expected.Differences(read("found.dmp", GetParam().found)), GetParam().differences);
}

INSTANTIATE_TEST_SUITE_P(
    Dumps, SchemaDumpSummaryTest,
    ::testing::Values(
        SummaryCase{"SameContentOtherCaseAndBlanks",
                    "default schema dd_x\r\n" + table("T1", 3) + table("t2", 0) +
                        "create index i2 on T2 (code)\r\ncreate unique index U1 on T1 (id)\r\n",
                    {}},
        SummaryCase{"CutAfterTheFirstTable", "default schema dd_x\r\n" + table("t1", 3),
                    {"t1 lacks index u1", "T2 missing"}},
        SummaryCase{"RowsLostAndATableMore",
                    "default schema dd_x\r\n" + table("t1", 1) + table("t2", 0) + table("t9", 2) +
                        "create unique index u1 on t1 (id)\r\ncreate index i2 on t2 (code)\r\n",
                    {"t1 holds 1 of 3 rows", "t9 is not in the backup"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SchemaDumpSummaryOnlyTest, OnlyTheGivenTablesAreCompared)
{
    testsupport::ScopedDir dir("summary");
    testsupport::WriteHostFile(dir.host() + "/a.dmp", kExpected);
    testsupport::WriteHostFile(dir.host() + "/b.dmp", "default schema dd_x\r\n" + table("t9", 1));
    const SchemaDumpSummary expected = SchemaDumpSummary::Read(WinPathFromHost(dir.host() + "/a.dmp"));
    const SchemaDumpSummary found = SchemaDumpSummary::Read(WinPathFromHost(dir.host() + "/b.dmp"));
    const std::vector<std::string> only{"T2"};
    EXPECT_EQ(expected.Differences(found, &only), std::vector<std::string>{"T2 missing"});
}

} // namespace
