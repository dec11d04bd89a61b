// The dump edit of the column length change: the changed tables (with their index and grant
// lines) go into the edited dump with their new lengths and into the restore dump as they were;
// other tables and views go into neither. (A value too long for the new length is the window
// test's case.)
#include "dbtools/CharColumnDumpEdit.h"

#include "dbtools/CharColumnChange.h"
#include "dbaccess/SchemaDumpSummary.h"
#include "platform/WinPath.h"
#include "support/TestEnvironment.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

namespace {

// The block of pdtable_34_1 with the length given to commodity_code (a row holds the old
// definition's text), and its index and grant lines.
std::string Table341(const std::string& length)
{
    return "create table pdtable_34_1 (system_unique_no int not null, commodity_code char(" + length +
           "), design_temp decimal(8,2))\r\n"
           "insert into pdtable_34_1 (system_unique_no, commodity_code, design_temp) values (?, ?, ?)\r\n"
           "***variable*** system_unique_no commodity_code design_temp \r\n"
           "1 'commodity_code char(12)' 20.5 \r\n"
           "2 'ABCDEFGHIJKL' \r\n"
           "***RIS*** End of Table ***RIS***\r\n";
}
const std::string kIndex341 = "create unique index i1 on pdtable_34_1 (system_unique_no)\r\n";
const std::string kGrant341 = "grant select, insert, delete, update on pdtable_34_1 to PUBLIC\r\n";
const std::string kEnd = "***RIS*** End of Schema ***RIS***\r\n";

TEST(CharColumnDumpEditTest, OnlyTheChangedTablesGoIntoTheEditedAndTheRestoreDump)
{
    testsupport::ScopedDir dir("dumpedit");
    auto host = [&](const std::string& name) { return dir.host() + "/" + name; };
    auto win = [&](const std::string& name) { return WinPathFromHost(host(name)); };
    testsupport::WriteHostFile(host("in.dmp"),
                               "default schema dd_x\r\n" + Table341("12") +
                                   "create table pdtable_67_1 (system_unique_no int, commodity_code char(12))\r\n"
                                   "insert into pdtable_67_1 (system_unique_no, commodity_code) values (?, ?)\r\n"
                                   "***variable*** system_unique_no commodity_code \r\n"
                                   "7 'X' \r\n"
                                   "***RIS*** End of Table ***RIS***\r\n" +
                                   kIndex341 + "create unique index i7 on pdtable_67_1 (system_unique_no)\r\n"
                                   "create view v1 (n) as select system_unique_no from pdtable_34_1\r\n" +
                                   kGrant341 + "grant select, insert, delete, update on pdtable_67_1 to PUBLIC\r\n" + kEnd);
    CharColumnChange change(30);
    change.Add("pdtable_34_1", "COMMODITY_CODE", 12);
    SchemaDumpSummary edited, restore;
    EXPECT_EQ(CharColumnDumpEdit::Apply(win("in.dmp"), win("edited.dmp"), win("restore.dmp"), change, &edited, &restore),
              1);
    EXPECT_EQ(testsupport::ReadHostFile(host("restore.dmp")),
              "default schema dd_x\r\n" + Table341("12") + kIndex341 + kGrant341 + kEnd);
    EXPECT_EQ(testsupport::ReadHostFile(host("edited.dmp")),
              "default schema dd_x\r\n" + Table341("30") + kIndex341 + kGrant341 + kEnd);
    // The summaries tell the two apart by the one definition, and both keep the view.
    EXPECT_EQ(restore.Differences(edited),
              std::vector<std::string>{"pdtable_34_1: column commodity_code char(30), not commodity_code char(12)"});
    EXPECT_EQ(restore.Differences(SchemaDumpSummary::Read(win("in.dmp"))).back(), "pdtable_67_1 is not in the backup");
}

} // namespace
