// Unloads of a schema: the dump lines the system's readers rely on, in both layouts.
#include "standins/dbserver/SchemaUnloader.h"

#include "StandInTestServer.h"
#include "dbaccess/DumpReader.h"
#include "platform/AppError.h"
#include "platform/HostFiles.h"
#include "platform/TextUtil.h"
#include "platform/WinPath.h"
#include "support/TestFiles.h"

#include <cerrno>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>

class SchemaUnloaderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        t.AddSchema("pd_u");
        int failed = 0;
        t.Batch("default schema pd_u;\n"
                "create table b_table (id int not null, name char(10), v double, d decimal(6,1), s smallint, "
                "ts timestamp, r real);\n"
                "create table a_table (k int);\n"
                "insert into b_table values (1, 'x''y', 1.5, 2.5, -32768, '2024-05-06:07:08:09', 0.25);\n"
                "insert into b_table values (2, '  ', null, null, 3, null, null);\n"
                "insert into a_table values (5);\n"
                "create unique index ub on b_table (id);\n"
                "create view bv as select id from b_table;\n"
                "grant all on b_table to public;\n",
                &failed);
        ASSERT_EQ(failed, 0);
    }
    std::string unload(const std::string& request) { return unload(request, console); }
    std::string unload(const std::string& request, std::string& console)
    {
        RisSession session(t.Server());
        console.clear();
        const std::string path = WinPathFromHost(dir.host() + "/out.dmp");
        SchemaUnloader(session).Unload(RisTransferRequest::Parse(RisTransferRequest::SplitWords(request)), path, console);
        EXPECT_FALSE(console.empty());
        return testsupport::ReadHostFile(dir.host() + "/out.dmp");
    }
    StandInTestServer t;
    testsupport::ScopedDir dir{"unload"};
    std::string console; // of the last unload
};

TEST_F(SchemaUnloaderTest, VariableDumpOfAllTablesInOrderOfCreation)
{
    std::string d = unload("pd_u table with var data all index all grant all view all");
    auto l = Split(d, "\r\n");
    EXPECT_EQ(l[0].rfind("create schema pd_u on database (oracle, dbname ORCL, ostype nt) user pd_u", 0), 0u) << l[0];
    EXPECT_EQ(l[1], "create table b_table (id int not null, name char(10), v double, d decimal(6,1), s smallint, "
                    "ts timestamp, r real)");
    EXPECT_EQ(l[3], "***variable*** id name v d s ts r ");
    EXPECT_EQ(l[4], "1 'x''y' 1.5 2.5 -32768 '2024-05-06:07:08:09' 0.25 ");
    EXPECT_EQ(l[5], "2 '  '     3     ");
    EXPECT_EQ(l[6], "***RIS*** End of Table ***RIS***");
    EXPECT_EQ(l[7], "create table a_table (k int)");
    EXPECT_NE(d.find("\r\ncreate view bv as select id from b_table\r\n"), std::string::npos);
    EXPECT_NE(d.find("\r\ncreate unique index ub on b_table (id)\r\n"), std::string::npos);
    EXPECT_NE(d.find("\r\ngrant select, insert, delete, update on b_table to PUBLIC\r\n"), std::string::npos);
    EXPECT_TRUE(EndsWithNoCase(d, "***RIS*** End of Schema ***RIS***\r\n"));
}

TEST_F(SchemaUnloaderTest, FixedLayoutWithConditionReadsBackThroughTheDumpReader)
{
    // A literal of more digits than a double holds is, in a double column, the double nearest to
    // it: stored so, found by the same literal, and written with the digits of that double.
    t.Batch("default schema pd_u;\ninsert into b_table values (3, 'w', -0.00012345678901234567890123456789012345678, "
            "12345.6, 4, null, 1e-30);\n");
    const std::string wide = "-0.00012345678901234567890123456789012345678", nearest = "-0.00012345678901234567";
    const struct {
        std::string condition;
        const char* id; // empty: no row
        std::optional<std::string> v;
    } cases[] = {{"s = 3", "2", std::nullopt},
                 {"v < -0.0001234567890123456", "3", nearest},
                 {"v = " + wide, "3", nearest},
                 {"v = -0.000123456789012345", "", std::nullopt},
                 {"v between -0.0002 and " + wide + " and r > 0", "3", nearest}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.condition);
        unload("pd_u table with data b_table where \"" + c.condition + "\"");
        DumpReader reader(WinPathFromHost(dir.host() + "/out.dmp"));
        DumpItem item;
        std::vector<DumpRow> rows;
        bool fixed = false;
        while (reader.Next(item)) {
            if (item.kind == DumpItemKind::LayoutLine)
                fixed = item.layout == DumpLayout::Fixed;
            if (item.kind == DumpItemKind::Row)
                rows.push_back(item.values);
        }
        EXPECT_TRUE(fixed);
        ASSERT_EQ(rows.size(), *c.id ? 1u : 0u);
        if (rows.empty())
            continue;
        EXPECT_EQ(rows[0][0], c.id);
        EXPECT_EQ(rows[0][2], c.v);
    }
}

TEST_F(SchemaUnloaderTest, ListingHoldsOneDefinitionLinePerTableOnly)
{
    std::string d = unload("pd_u table a_table");
    EXPECT_NE(d.find("\r\ncreate table a_table (k int)\r\n"), std::string::npos);
    EXPECT_EQ(d.find("b_table"), std::string::npos);
    EXPECT_EQ(d.find("***variable***"), std::string::npos);
}

TEST_F(SchemaUnloaderTest, UnknownTableIsARisError)
{
    try {
        unload("pd_u table nosuch");
        FAIL();
    } catch (const AppError& e) {
        EXPECT_EQ(e.source(), "RIS_E_UNKNOWN_RELATION");
    }
}

TEST_F(SchemaUnloaderTest, AFullDiskLeavesTheEarlierDumpInPlace)
{
    testsupport::WriteHostFile(dir.host() + "/out.dmp", "earlier dump");
    struct FullDisk {
        FullDisk()
        {
            SetHostFileFault([](const std::string& op, const std::string& host) {
                return op == "write" && EndsWithNoCase(host, ".part") ? ENOSPC : 0;
            });
        }
        ~FullDisk() { SetHostFileFault(nullptr); }
    } fullDisk;
    try {
        unload("pd_u table with var data all");
        FAIL();
    } catch (const AppError& e) {
        EXPECT_EQ(e.source(), "RIS_E_WRITE_DUMP");
        // Said as what it is, with the file asked for, for a reader that quotes the error line.
        EXPECT_NE(e.description().find("The dump file '" + WinPathFromHost(dir.host() + "/out.dmp") +
                                       "' could not be written: the disk is full."),
                  std::string::npos)
            << e.description();
    }
    EXPECT_EQ(testsupport::ReadHostFile(dir.host() + "/out.dmp"), "earlier dump");
    EXPECT_FALSE(std::filesystem::exists(dir.host() + "/out.dmp.part"));
}

TEST_F(SchemaUnloaderTest, AFileNamedLikeThePartFileIsNotTouched)
{
    testsupport::WriteHostFile(dir.host() + "/out.dmp.part", "someone's file");
    unload("pd_u table with var data all");
    EXPECT_EQ(testsupport::ReadHostFile(dir.host() + "/out.dmp.part"), "someone's file");
    EXPECT_NE(testsupport::ReadHostFile(dir.host() + "/out.dmp").find("create table a_table"), std::string::npos);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.host()), {}), 2);
}

// What no load of the dump could make is said on the console, naming it; the unload still ends
// well. A view whose table is gone is written as the server holds it; a grant kept to a user the
// database does not know (made before grants were refused so) is left out. What stands, and the
// grants of a user since dropped, which go with it, are said of nothing.
TEST_F(SchemaUnloaderTest, WhatNoLoadCouldMakeIsSaidByName)
{
    const auto batch = [&](const std::string& statements) {
        int failed = 0;
        t.Batch("default schema pd_u;\n" + statements, &failed);
        ASSERT_EQ(failed, 0) << statements;
    };
    const struct {
        const char* what;
        std::function<void()> make;
        std::vector<std::string> says;
        const char* written; // in the dump
        const char* leftOut; // not in the dump
    } cases[] = {
        {"views and grants that stand", [] {}, {}, "\r\ncreate view bv as select id from b_table\r\n", "Warning"},
        {"a view whose table was dropped, and one reading it",
         [&] { batch("create table g (k int);\ncreate view gv as select k from g;\ncreate view gv2 as select k from gv;\n"
                     "drop table g;\n"); },
         {"Warning: view 'gv' reads table 'g', which no longer stands: a dump of the schema cannot make the view until "
          "the table stands again or the view is dropped.\r\n", "Warning: view 'gv2' reads table 'g',"},
         "\r\ncreate view gv2 as select k from gv\r\n", "create table g "},
        {"the grants of a user since dropped",
         [&] {
             batch("drop view gv2;\ndrop view gv;\n");
             t.Server().SetUserPassword("PD_GONE", "pd_gone");
             batch("grant select on a_table to pd_gone;\n");
             t.Server().DropUser("PD_GONE");
         },
         {}, "\r\ngrant select, insert, delete, update on b_table to PUBLIC\r\n", " to PD_GONE"},
        {"a grant to an unknown user", [&] { t.Server().AddGrant("PD_U", "a_table", "NOSUCH", "select"); },
         {"Warning: the grant on a_table to 'NOSUCH' is left out: ORA-01917: user or role 'NOSUCH' does not exist"},
         "\r\ngrant select, insert, delete, update on b_table to PUBLIC\r\n", " to NOSUCH"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        c.make();
        const std::string d = unload("pd_u table with var data all index all grant all view all");
        for (const std::string& said : c.says)
            EXPECT_NE(console.find(said), std::string::npos) << console;
        if (c.says.empty())
            EXPECT_EQ(console.find("Warning"), std::string::npos) << console;
        EXPECT_NE(d.find(c.written), std::string::npos) << d;
        EXPECT_EQ(d.find(c.leftOut), std::string::npos) << d;
        EXPECT_TRUE(EndsWithNoCase(d, "***RIS*** End of Schema ***RIS***\r\n"));
    }
}
