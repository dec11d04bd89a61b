// Table renaming in dump files: whole names, statement lines only, all pairs at once.
#include "dbaccess/DumpTableRename.h"

#include "dbaccess/DumpTestFiles.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

using namespace dumptest;

struct RenameCase {
    const char* name;
    const char* line;
    const char* expected;
};

class DumpTableRenameLineTest : public ::testing::TestWithParam<RenameCase> {
protected:
    // pipe -> pipe_new, a -> b, b -> c (a chain), and a name that is the start of a longer one.
    DumpTableRename rename_{{"pipe", "a", "B", "pdtable_12"}, {"pipe_new", "b", "c", "pdtable_99"}};
};

TEST_P(DumpTableRenameLineTest, Renames)
{
    EXPECT_EQ(rename_.RenameStatementLine(GetParam().line), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, DumpTableRenameLineTest,
    ::testing::Values(
        RenameCase{"CreateTableNameOnly", "create table pipe (pipe int, a char(4))",
                   "create table pipe_new (pipe int, a char(4))"},
        RenameCase{"CaseOfTheNewName", "create table PIPE (x int)", "create table pipe_new (x int)"},
        RenameCase{"LongerNameUntouched", "create table pdtable_12_1 (x int)", "create table pdtable_12_1 (x int)"},
        RenameCase{"InsertLine", "insert into a (a, b) values (?, ?)", "insert into b (a, b) values (?, ?)"},
        RenameCase{"ChainAppliedOnce", "insert into b (x) values (?)", "insert into c (x) values (?)"},
        RenameCase{"UniqueIndexAndItsName", "create unique index upipe on pipe (pipe)",
                   "create unique index upipe_new on pipe_new (pipe)"},
        RenameCase{"OtherIndex", "create index ix1 on pdtable_12 (a, b)", "create index ix1 on pdtable_99 (a, b)"},
        RenameCase{"Grant", "grant select, insert, delete, update on a to PUBLIC",
                   "grant select, insert, delete, update on b to PUBLIC"},
        RenameCase{"ViewKeepsLiterals", "create view v1 as select a.x from a, pipe where a.y = 'a pipe'",
                   "create view v1 as select b.x from b, pipe_new where b.y = 'a pipe'"},
        RenameCase{"OtherLinesUntouched", "default schema pipe", "default schema pipe"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DumpTableRenameTest, CopyLeavesRowsAndLayoutAlone)
{
    testsupport::ScopedDir dir("rename");
    const std::string src = dir.host() + "/in.dmp";
    const std::string dst = dir.host() + "/out.dmp";
    WriteHostFile(src, "create schema s on database (oracle) user s.s\r\n"
                       "create table a (a char(10), n int)\r\n"
                       "insert into a (a, n) values (?, ?)\r\n"
                       "***variable*** a n \r\n"
                       "'a' 1 \r\n"
                       "'insert into a' 2 \r\n"
                       "***RIS*** End of Table ***RIS***\r\n"
                       "create table b (x int)\r\n"
                       "insert into b (x) values (?)\r\n"
                       "x 1 3\r\n"
                       "create table a\r\n"
                       "***RIS*** End of Table ***RIS***\r\n"
                       "create unique index ua on a (a)\r\n"
                       "grant select, insert, delete, update on b to PUBLIC\r\n"
                       "***RIS*** End of Schema ***RIS***\n");
    DumpTableRename({"a", "b"}, {"b", "c"}).Copy(Win(src), Win(dst));
    EXPECT_EQ(ReadHostFile(dst), "create schema s on database (oracle) user s.s\r\n"
                                 "create table b (a char(10), n int)\r\n"
                                 "insert into b (a, n) values (?, ?)\r\n"
                                 "***variable*** a n \r\n"
                                 "'a' 1 \r\n"
                                 "'insert into a' 2 \r\n"
                                 "***RIS*** End of Table ***RIS***\r\n"
                                 "create table c (x int)\r\n"
                                 "insert into c (x) values (?)\r\n"
                                 "x 1 3\r\n"
                                 "create table a\r\n"
                                 "***RIS*** End of Table ***RIS***\r\n"
                                 "create unique index ub on b (a)\r\n"
                                 "grant select, insert, delete, update on c to PUBLIC\r\n"
                                 "***RIS*** End of Schema ***RIS***\r\n");
}

TEST(DumpTableRenameTest, ShorterListPairsAsFarAsItGoes)
{
    DumpTableRename rename({"a", "b"}, {"x"});
    EXPECT_EQ(rename.RenameStatementLine("create table b (a int)"), "create table b (a int)");
    EXPECT_EQ(rename.RenameStatementLine("create table a (a int)"), "create table x (a int)");
}

