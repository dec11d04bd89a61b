// The dump edit of the column length change: the changed tables (with their index and grant
// lines) go into the edited dump with their new lengths and into the restore dump as they were;
// other tables and views go into neither; a value too long for the new length stops it.
#include "dbtools/CharColumnDumpEdit.h"

#include "dbtools/CharColumnChange.h"
#include "dbtools/SchemaDumpSummary.h"
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
    "create unique index i7 on pdtable_67_1 (system_unique_no)\r\n"
    "create view v1 (n) as select system_unique_no from pdtable_34_1\r\n"
    "grant select, insert, delete, update on pdtable_34_1 to PUBLIC\r\n"
    "grant select, insert, delete, update on pdtable_67_1 to PUBLIC\r\n"
    "***RIS*** End of Schema ***RIS***\r\n";

// What of it belongs to pdtable_34_1, with the length given to commodity_code.
std::string ChangedTableOnly(const std::string& length)
{
    return "default schema dd_x\r\n"
           "create table pdtable_34_1 (system_unique_no int, commodity_code char(" + length + "), design_temp decimal(8,2))\r\n"
           "insert into pdtable_34_1 (system_unique_no, commodity_code, design_temp) values (?, ?, ?)\r\n"
           "***variable*** system_unique_no commodity_code design_temp \r\n"
           "1 'commodity_code char(12)' 20.5 \r\n"
           "2 'ABCDEFGHIJKL' \r\n"
           "***RIS*** End of Table ***RIS***\r\n"
           "create unique index i1 on pdtable_34_1 (system_unique_no)\r\n"
           "grant select, insert, delete, update on pdtable_34_1 to PUBLIC\r\n"
           "***RIS*** End of Schema ***RIS***\r\n";
}

class CharColumnDumpEditTest : public ::testing::Test {
protected:
    void SetUp() override { testsupport::WriteHostFile(dir_.host() + "/in.dmp", kDump); }
    long apply(const CharColumnChange& change)
    {
        return CharColumnDumpEdit::Apply(win("in.dmp"), win("edited.dmp"), win("restore.dmp"), change, &edited_,
                                         &restore_);
    }
    std::string win(const std::string& name) const { return WinPathFromHost(dir_.host() + "/" + name); }
    std::string text(const std::string& name) const { return testsupport::ReadHostFile(dir_.host() + "/" + name); }
    testsupport::ScopedDir dir_{"dumpedit"};
    SchemaDumpSummary edited_, restore_;
};

TEST_F(CharColumnDumpEditTest, OnlyTheChangedTablesGoIntoTheEditedAndTheRestoreDump)
{
    CharColumnChange change(30);
    change.Add("pdtable_34_1", "COMMODITY_CODE", 12);
    EXPECT_EQ(apply(change), 1);
    EXPECT_EQ(text("restore.dmp"), ChangedTableOnly("12"));
    EXPECT_EQ(text("edited.dmp"), ChangedTableOnly("30")); // the row text "commodity_code char(12)" stays
    // The summaries tell the two apart by the one definition, and both keep the view.
    EXPECT_EQ(restore_.Differences(edited_),
              std::vector<std::string>{"pdtable_34_1: column commodity_code char(30), not commodity_code char(12)"});
    EXPECT_EQ(restore_.Differences(SchemaDumpSummary::Read(win("in.dmp"))).back(), "pdtable_67_1 is not in the backup");
}

TEST_F(CharColumnDumpEditTest, ValueLongerThanTheNewLengthStopsTheEdit)
{
    CharColumnChange change(11);
    change.Add("pdtable_34_1", "commodity_code", 12);
    const AppError e = testsupport::Raised([&] { apply(change); });
    EXPECT_NE(e.description().find("'commodity_code' of table 'pdtable_34_1'"), std::string::npos)
        << e.description();
    EXPECT_NE(e.description().find("line 5"), std::string::npos) << e.description();
}

} // namespace
