// The dump edit of the column length change: only the affected definitions change; rows,
// other tables and other lines stay byte for byte; a value too long for the new length stops it.
#include "dbtools/CharColumnDumpEdit.h"

#include "dbtools/CharColumnChange.h"
#include "platform/AppError.h"
#include "platform/WinPath.h"
#include "support/TestEnvironment.h"
#include "support/Raised.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

namespace {

const std::string kDump =
    "default schema dd_x\r\n"
    "create table pdtable_34_1 (system_unique_no int, commodity_code char(12), design_temp decimal(8,2))\r\n"
    "insert into pdtable_34_1 (system_unique_no, commodity_code, design_temp) values (?, ?, ?)\r\n"
    "***variable*** system_unique_no commodity_code design_temp \r\n"
    "1 'commodity_code char(12)' 20.5 \r\n"
    "2 'ABCDEFGHIJKL' \r\n"
    "***RIS*** End of Table ***RIS***\r\n"
    "create table pdtable_67_1 (system_unique_no int, commodity_code char(12))\r\n"
    "insert into pdtable_67_1 (system_unique_no, commodity_code) values (?, ?)\r\n"
    "***variable*** system_unique_no commodity_code \r\n"
    "7 'X' \r\n"
    "***RIS*** End of Table ***RIS***\r\n"
    "create unique index i1 on pdtable_34_1 (system_unique_no)\r\n"
    "***RIS*** End of Schema ***RIS***\r\n";

class CharColumnDumpEditTest : public ::testing::Test {
protected:
    void SetUp() override { testsupport::WriteHostFile(dir_.host() + "/in.dmp", kDump); }
    std::string in() const { return WinPathFromHost(dir_.host() + "/in.dmp"); }
    std::string out() const { return WinPathFromHost(dir_.host() + "/out.dmp"); }
    std::string outText() const { return testsupport::ReadHostFile(dir_.host() + "/out.dmp"); }
    testsupport::ScopedDir dir_{"dumpedit"};
};

TEST_F(CharColumnDumpEditTest, ChangesOnlyTheDefinitionsOfTheAffectedTables)
{
    CharColumnChange change(30);
    change.Add("pdtable_34_1", "COMMODITY_CODE", 12);
    EXPECT_EQ(CharColumnDumpEdit::Apply(in(), out(), change), 1);
    std::string expected = kDump;
    const std::string before = "create table pdtable_34_1 (system_unique_no int, commodity_code char(12),";
    expected.replace(expected.find(before), before.size(),
                     "create table pdtable_34_1 (system_unique_no int, commodity_code char(30),");
    EXPECT_EQ(outText(), expected); // the row text "commodity_code char(12)" and pdtable_67_1 untouched
}

TEST_F(CharColumnDumpEditTest, ValueLongerThanTheNewLengthStopsTheEdit)
{
    CharColumnChange change(11);
    change.Add("pdtable_34_1", "commodity_code", 12);
    const AppError e = testsupport::Raised([&] { CharColumnDumpEdit::Apply(in(), out(), change); });
    EXPECT_NE(e.description().find("'commodity_code' of table 'pdtable_34_1'"), std::string::npos)
        << e.description();
    EXPECT_NE(e.description().find("line 5"), std::string::npos) << e.description();
}

TEST_F(CharColumnDumpEditTest, NothingAffectedCopiesUnchanged)
{
    CharColumnChange change(12);
    EXPECT_EQ(CharColumnDumpEdit::Apply(in(), out(), change), 0);
    EXPECT_EQ(outText(), kDump);
}

} // namespace
