// The stand-in RIS clients run as programs against a test server: what they do with faulty
// dumps, requests and outputs. A failure ends with exit code 1 and a RIS error block on the
// console, and leaves the tables and the files as they were.
#include "RisClientsFixture.h"
#include "SmallDisk.h"
#include "dbaccess/RISErrorReader.h"
#include "platform/Environment.h"
#include "platform/Process.h"
#include "platform/TextUtil.h"
#include "platform/WinPath.h"
#include "standins/dbserver/SchemaTables.h"
#include "support/DumpWholenessCases.h"
#include "support/OtherProcesses.h"
#include "support/TestFiles.h"

#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using testsupport::ReadHostFile;
using testsupport::WriteHostFile;

namespace {

// The dump with the block of table appearing a second time right after the first, the row
// text from replaced by to in the copy.
std::string twice(const std::string& dump, const std::string& table, const std::string& from, const std::string& to)
{
    const std::string endLine = "***RIS*** End of Table ***RIS***\r\n";
    const size_t begin = dump.find("create table " + table + " ");
    const size_t end = dump.find(endLine, begin) + endLine.size();
    return dump.substr(0, end) + ReplaceAll(dump.substr(begin, end - begin), from, to) + dump.substr(end);
}

std::string cut(const std::string& text, const std::string& from)
{
    const size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return text.substr(0, at);
}

} // namespace

TEST_F(RisClientsTest, EveryIndexSurvivesUnloadAndLoad)
{
    EXPECT_NE(good.find("\r\ncreate index it_name on t (name)\r\n"), std::string::npos) << good;
    WriteHostFile(host("c.dmp"), good);
    ClientRun r = load("c.dmp", "pd_d");
    EXPECT_EQ(r.exitCode, 0) << r.console;
    EXPECT_NE(r.console.find("Load complete."), std::string::npos);
    RisSession session(t.Server());
    std::vector<RisIndex> indexes = SchemaTables(session.Database("pd_d")).Indexes("t");
    ASSERT_EQ(indexes.size(), 2u);
    for (const RisIndex& idx : indexes)
        EXPECT_EQ(idx.unique, idx.name == "ut") << idx.name;
    EXPECT_EQ(body(unloadAll("pd_d")), body(good));
}

// Views made again under the views that read them, and grants on views: the dump makes each view
// after every view it reads and grants on the views after them, and loads into a server of its
// own (a restore after a loss) with every view and grant the schema held.
TEST_F(RisClientsTest, ViewsLoadIntoAFreshServerInAnOrderTheyCanBeMadeWithTheirGrants)
{
    t.Server().SetUserPassword("pd_reader", "pd_reader");
    const struct {
        const char* what;
        const char* statements;         // run in pd_c, one after the other
        std::vector<std::string> order; // of these views in the dump
        std::string notLoaded;          // a view the fresh server cannot make, "" for none
        std::string noGrants;           // a view that holds no grant afterwards, "" for none
    } cases[] = {
        {"zbase made again under a chain of views and one reading two",
         "create view zbase as select id, name from t;\ncreate view zmid as select id from zbase;\n"
         "create view zlone as select k from t2;\ncreate view ztop as select count(*) n from zmid;\n"
         "create view zboth as select zbase.name from zbase, zmid where zbase.id = zmid.id;\n"
         "drop view zbase;\ncreate view zbase as select id, name from t where id < 4;\n",
         {"zlone", "zbase", "zmid", "ztop", "zboth"}, "", ""},
        {"grants on views to a user and to public, of one and of several privileges",
         "create view zv as select id, name from t;\ncreate view zw as select name from zv;\n"
         "grant select on zv to pd_reader;\ngrant select, insert, update on zw to pd_reader, public;\n"
         "grant all on zv to public;\n",
         {"zv", "zw"}, "", ""},
        // The grants of a dropped view go with it.
        {"the middle of the chain made again",
         "grant select on zmid to pd_reader;\ndrop view zmid;\ncreate view zmid as select id, name from zbase;\n",
         {"zbase", "zmid", "ztop", "zboth"}, "", "zmid"},
        {"a view reading one that is gone comes last",
         "create view zgone as select id from t;\ncreate view zorphan as select id from zgone;\n"
         "create view zafter as select k from t2;\ndrop view zgone;\n",
         {"zafter", "zorphan"}, "zorphan", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        int failed = 0;
        t.Batch(std::string("default schema pd_c;\n") + c.statements, &failed);
        ASSERT_EQ(failed, 0);
        const std::string dump = unloadAll("pd_c");
        const size_t lastView = dump.rfind("\r\ncreate view ");
        size_t at = 0;
        for (const std::string& view : c.order) {
            const size_t line = dump.find("\r\ncreate view " + view + " ");
            EXPECT_GT(line, at) << view << "\n" << dump;
            at = line == std::string::npos ? at : line;
            const size_t grant = dump.find(" on " + view + " to ");
            EXPECT_TRUE(grant == std::string::npos || grant > lastView) << view << "\n" << dump;
        }
        if (!c.noGrants.empty())
            EXPECT_EQ(t.Server().GrantsOn("pd_c", c.noGrants), std::vector<std::string>{});

        StandInTestServer fresh;
        fresh.AddSchema("pd_c");
        fresh.Server().SetUserPassword("pd_reader", "pd_reader");
        WriteHostFile(host("fresh.parms"), "ROOT=" + WinPathFromHost(fresh.Root()) + "\r\n");
        WriteHostFile(host("c.dmp"), dump);
        const ClientRun r = load("c.dmp", "pd_c", "clear", "fresh.parms");
        EXPECT_EQ(r.exitCode, c.notLoaded.empty() ? 0 : 1) << r.console;
        std::map<std::string, std::string> want = ViewsWithGrants(t.Server(), "pd_c");
        want.erase(c.notLoaded);
        EXPECT_EQ(ViewsWithGrants(fresh.Server(), "pd_c"), want);
    }
}

TEST_F(RisClientsTest, ALineTheLoadDoesNotUnderstandIsReportedOnTheConsoleAndInTheLog)
{
    std::string dump = good;
    dump.insert(dump.find("create unique index"), "frobnicate t\r\n");
    WriteHostFile(host("c.dmp"), dump);
    ClientRun r = load("c.dmp", "pd_d");
    expectRisFailure(r, "unknown line");
    EXPECT_NE(r.console.find("frobnicate t"), std::string::npos) << r.console;
    EXPECT_NE(ReadHostFile(host("load.log")).find("frobnicate t"), std::string::npos);
    EXPECT_EQ(body(unloadAll("pd_d")), body(good)); // the rest loaded
}

TEST_F(RisClientsTest, AValueWithALineBreakIsRefusedAtUnloadNamingTableColumnAndRow)
{
    for (const std::string lineBreak : {"\r\n", "\n"}) {
        RisSession session(t.Server());
        // Kept by a table made before every way in refused a line feed.
        session.Database("pd_c").Exec("PRAGMA ignore_check_constraints = 1");
        session.Database("pd_c").Run("UPDATE t SET note = ?1 WHERE id = 3", {"up" + lineBreak + "down"});
        WriteHostFile(host("out.dmp"), "previous dump");
        ClientRun r = run("risunlod.exe", {"-m", "w", "-o", win("out.dmp"), "-s", "pd_c", "table", "with", "var",
                                           "data", "all"});
        expectRisFailure(r, "line break");
        const std::string error = RISErrorText(r.console);
        EXPECT_NE(error.find("Table 't', column 'note', row 3 (id 3)"), std::string::npos) << error;
        EXPECT_EQ(ReadHostFile(host("out.dmp")), "previous dump");
    }
}

TEST_F(RisClientsTest, ARowWhoseFieldsDoNotLineUpGoesToTheBadFile)
{
    // Row 1 of t ("1 'one' 'a' ") written wrongly; the other rows load, this one is never
    // loaded with other values in its place.
    const struct {
        const char* what;
        std::string row;
    } cases[] = {
        {"a NULL written with one blank too few", "1  'a' \r\n"},
        {"a value broken over two lines", "1 'one' 'up\r\ndown' \r\n"},
        {"a field too many", "1 'one' 'a' 'b' \r\n"},
        {"a quote left open", "1 'one' 'a \r\n"},
        {"a quote inside a text not doubled", "1 'one's' 'a' \r\n"},
        {"a number in quotes", "'1' 'one' 'a' \r\n"},
    };
    for (const auto& c : cases) {
        std::string dump = good;
        const std::string row = "1 'one' 'a' \r\n";
        ASSERT_NE(dump.find(row), std::string::npos);
        dump.replace(dump.find(row), row.size(), c.row);
        WriteHostFile(host("c.dmp"), dump);
        ClientRun r = load("c.dmp", "pd_d");
        expectRisFailure(r, c.what);
        EXPECT_NE(r.console.find("RIS_E_ROWS_REJECTED"), std::string::npos) << c.what;
        EXPECT_EQ(ReadHostFile(host("load.bad")), c.row) << c.what;
        RisSession session(t.Server());
        EXPECT_EQ(session.Database("pd_d").QueryRows("SELECT id FROM t ORDER BY id").size(), 3u) << c.what;
        EXPECT_FALSE(session.Database("pd_d").QueryText("SELECT id FROM t WHERE id = 1")) << c.what;
    }
}

TEST_F(RisClientsTest, OnlyAWholeDumpIsLoadedAndACutOrForeignOneLeavesEveryTableAsItWas)
{
    std::vector<testsupport::DumpWholenessCase> cases = testsupport::DumpWholenessCases();
    cases.push_back({"schema and create-table line", cut(good, "insert into t "), "end-of-table"});
    cases.push_back({"a table block twice, the second with other rows", twice(good, "t2", "7 ", "8 "), "appears twice"});
    for (const auto& c : cases) {
        const std::string before = unloadAll("pd_c");
        WriteHostFile(host("c.dmp"), c.dump);
        ClientRun r = load("c.dmp", "pd_c");
        if (c.problem.empty()) {
            // Loaded (two of its texts are too long for their column and go to the bad file).
            EXPECT_EQ(r.console.find("RIS_E_BAD_DUMP_FILE"), std::string::npos) << c.what << "\n" << r.console;
            EXPECT_NE(r.console.find("Load complete."), std::string::npos) << c.what << "\n" << r.console;
            RisSession session(t.Server());
            EXPECT_EQ(SchemaTables(session.Database("pd_c")).Columns("t").back().name, "code") << c.what;
            continue;
        }
        expectRisFailure(r, c.what);
        EXPECT_NE(r.console.find("RIS_E_BAD_DUMP_FILE"), std::string::npos) << c.what << "\n" << r.console;
        // What is wrong is named; carriage returns without line feeds are named as such.
        const bool crOnly = c.dump.find('\r') != std::string::npos && c.dump.find('\n') == std::string::npos;
        EXPECT_NE(messageOf(r.console).find(crOnly ? "carriage return alone" : c.problem), std::string::npos)
            << c.what << "\n" << r.console;
        EXPECT_EQ(r.console.find("Load complete."), std::string::npos) << c.what;
        EXPECT_EQ(unloadAll("pd_c"), before) << c.what;
    }
}

TEST_F(RisClientsTest, AnOutputThatCannotBeWrittenIsARisErrorAndChangesNothing)
{
    // /dev/full fails every write as a full disk does; a path below a file cannot be created.
    WriteHostFile(host("afile"), "x");
    const std::string fullDisk = "/dev/full", noFolder = win("afile") + "\\out.txt";
    WriteHostFile(host("in.sql"), "default schema pd_c;\r\nselect k from t2;\r\nquit;\r\n");
    std::string rejecting = good;
    rejecting.insert(rejecting.find("***RIS*** End of Table"), "x 'bad' 'row' \r\n");
    WriteHostFile(host("c.dmp"), good);
    WriteHostFile(host("bad.dmp"), rejecting);
    auto lodWith = [&](const std::string& dump, const std::string& log, const std::string& bad) {
        return run("rislod.exe", {"-m", "w", "-i", win(dump), "-l", log, "-b", bad, "-c", "25", "-s", "pd_c", "clear",
                                  "table", "with", "data", "all"});
    };
    const struct {
        const char* what;
        std::function<ClientRun()> start;
    } cases[] = {
        {"risbatch output on a full disk", [&] { return run("risbatch.exe", {"-i", win("in.sql"), "-o", fullDisk}); }},
        {"risbatch output below a file", [&] { return run("risbatch.exe", {"-i", win("in.sql"), "-o", noFolder}); }},
        {"rislod log on a full disk", [&] { return lodWith("c.dmp", fullDisk, win("load.bad")); }},
        {"rislod log below a file", [&] { return lodWith("c.dmp", noFolder, win("load.bad")); }},
        {"rislod bad file on a full disk", [&] { return lodWith("bad.dmp", win("load.log"), fullDisk); }},
        {"risunlod dump below a file",
         [&] { return run("risunlod.exe", {"-m", "w", "-o", noFolder, "-s", "pd_c", "table", "with", "data", "all"}); }},
    };
    for (const auto& c : cases) {
        ClientRun r = c.start();
        expectRisFailure(r, c.what);
        EXPECT_EQ(unloadAll("pd_c"), good) << c.what;
    }
}

// The batch launcher puts a client's standard output into a file in TEMP. When TEMP is full, the
// client ends 1 and gives its whole answer on its standard error after the reason, never 0 with
// no answer; a dump that fitted is whole, one that did not is not there.
TEST_F(RisClientsTest, AnAnswerThatMeetsAFullTempEndsTheClientWithItsError)
{
    constexpr int kPages = 16;
    SmallDisk temp(host("temp"), std::to_string(kPages * 4) + "k");
    WriteHostFile(host("in.sql"), "default schema pd_c;\r\nselect k from t2;\r\n");
    WriteHostFile(host("c.dmp"), good);
    WriteHostFile(host("u.sql"), "connect system/manager\r\nexit;\r\n");
    const std::vector<std::string> unload = {"-m",   "w",   "-o",   win("temp") + "\\x.dmp", "-s",    "pd_c", "table",
                                             "with", "var", "data", "all",  "view",  "all",  "index",
                                             "all",  "grant", "all"};
    const struct {
        const char* program;
        std::vector<std::string> args;
        int room;           // pages left free on the disk
        const char* answer; // of the run, given on the standard error
    } cases[] = {
        {"risunlod.exe", unload, 1, "Unload complete."},
        {"risunlod.exe", unload, 0, "RIS_E_WRITE_DUMP"},
        {"rislod.exe", {"-m", "w", "-i", win("c.dmp"), "-s", "pd_d", "clear", "table", "with", "data", "all"}, 0,
         "Load complete."},
        {"risbatch.exe", {"-i", win("in.sql")}, 0, "no later statement was run"},
        {"risclnsr.exe", {"pd_c"}, 0, "Clean-up of schema pd_c finished with success."},
        {"svrmgr30.exe", {"@" + win("u.sql")}, 0, "Server Manager complete."},
    };
    for (const auto& c : cases) {
        const std::string what = std::string(c.program) + " with " + std::to_string(c.room) + " free pages";
        std::filesystem::remove(host("temp/x.dmp"));
        WriteHostFile(host("temp/fill"), std::string((kPages - c.room) * 4096, 'x'));
        ClientRun r = run(c.program, c.args, "ris.parms", host("temp/out.txt"));
        EXPECT_EQ(r.exitCode, 1) << what << "\n" << r.console;
        std::string words; // the standard error without the frames of its blocks
        for (const std::string& word : Split(ReplaceAll(r.console, "\r\n", " "), " "))
            words += word.empty() || word == "*" ? "" : word + " ";
        EXPECT_NE(words.find("could not be written to its standard output: No space left on device"), std::string::npos)
            << what << "\n" << r.console;
        EXPECT_NE(r.console.find(c.answer), std::string::npos) << what << "\n" << r.console;
        if (c.room > 0)
            EXPECT_EQ(ReadHostFile(host("temp/x.dmp")), good) << what;
        else
            EXPECT_FALSE(std::filesystem::exists(host("temp/x.dmp"))) << what;
    }
}

TEST_F(RisClientsTest, UnloadChecksItsRequestBeforeItTouchesTheOutput)
{
    const char* requests[] = {
        "",
        "pd_c table with",
        "pd_nosuch table with var data all",
        "pd_c table with var data nosuch",
        "pd_c table with var data t where \" 1 = 1 union select name, name, name from sqlite_master \"",
        "pd_c table with var data t where \" id = 1); drop table t2; select (1 \"",
        "pd_c table with var data t where \" id = 1) or (1 = 1 \"",
        "pd_c table with var data t where \" id = 1 -- \"",
        "pd_c table with var data t where \" nosuchcolumn = 1 \"",
    };
    for (const char* request : requests) {
        WriteHostFile(host("req.txt"), std::string(request) + "\r\n");
        WriteHostFile(host("out.dmp"), "previous dump");
        ClientRun r = run("risunlod.exe", {"-m", "w", "-o", win("out.dmp"), "-f", win("req.txt")});
        expectRisFailure(r, request);
        EXPECT_EQ(ReadHostFile(host("out.dmp")), "previous dump") << request;
    }
    ClientRun r = run("risunlod.exe", {"-m", "w", "-o", win("out.dmp"), "-f", win("nosuch.txt")});
    expectRisFailure(r, "no parameter file");
    EXPECT_EQ(ReadHostFile(host("out.dmp")), "previous dump");
    EXPECT_EQ(unloadAll("pd_c"), good);
}

TEST_F(RisClientsTest, ATableNamedMoreThanOnceIsUnloadedOnceWithTheRowsOfEachCondition)
{
    const struct {
        const char* request;
        const char* rows;
    } cases[] = {
        {"pd_c table with var data t where \" id = 1 \" t where \" id = 3 \" t2",
         "1 'one' 'a' \r\n3 'three' 'c' \r\n***RIS*** End of Table ***RIS***\r\n"},
        {"pd_c table with var data t where \" id = 1 \" T", "1 'one' 'a' \r\n2 'two''s'   \r\n"},
        {"pd_c table with var data t where \" (id = 1) or (id = 4) \"", "1 'one' 'a' \r\n4 'four' 'd' \r\n"},
    };
    for (const auto& c : cases) {
        WriteHostFile(host("req.txt"), std::string(c.request) + "\r\n");
        ClientRun r = run("risunlod.exe", {"-m", "w", "-o", win("out.dmp"), "-f", win("req.txt")});
        EXPECT_EQ(r.exitCode, 0) << r.console;
        const std::string dump = ReadHostFile(host("out.dmp"));
        size_t blocks = 0;
        for (size_t at = dump.find("\r\ncreate table t "); at != std::string::npos; at = dump.find("\r\ncreate table t ", at + 1))
            ++blocks;
        EXPECT_EQ(blocks, 1u) << c.request;
        EXPECT_NE(dump.find("***variable*** id name note \r\n" + std::string(c.rows)), std::string::npos)
            << c.request << "\n" << dump;
    }
}

TEST_F(RisClientsTest, FixedLayoutRowsThatReadLikeLinesOfTheFormatLoadAsRows)
{
    int failed = 0;
    t.Batch("default schema pd_d;\ncreate table f (txt char(40), n int);\n"
            "insert into f values ('create table x (a int)', 1);\n"
            "insert into f values ('***RIS*** End of Schema ***RIS***', 2);\n",
            &failed);
    ASSERT_EQ(failed, 0);
    ClientRun r = run("risunlod.exe", {"-m", "w", "-o", win("f.dmp"), "-s", "pd_d", "table", "with", "data", "f"});
    ASSERT_EQ(r.exitCode, 0) << r.console;
    const std::string fixed = ReadHostFile(host("f.dmp"));
    ASSERT_EQ(fixed.find("***variable***"), std::string::npos);
    t.AddSchema("pd_e");
    WriteHostFile(host("c.dmp"), ReplaceAll(fixed, "***RIS*** End of Table ***RIS***\r\n", ""));
    expectRisFailure(load("c.dmp", "pd_e"), "fixed block without its end line");
    RisSession session(t.Server());
    EXPECT_FALSE(SchemaTables(session.Database("pd_e")).HasTable("f"));
    WriteHostFile(host("c.dmp"), fixed);
    r = load("c.dmp", "pd_e");
    EXPECT_EQ(r.exitCode, 0) << r.console;
    EXPECT_EQ(session.Database("pd_e").QueryRows("SELECT txt FROM f ORDER BY n"),
              (std::vector<std::vector<std::optional<std::string>>>{{"create table x (a int)"},
                                                                    {"***RIS*** End of Schema ***RIS***"}}));
}

TEST_F(RisClientsTest, AnOutputThatIsAnInputOrTheOtherOutputIsRefusedBeforeAnythingIsWritten)
{
    WriteHostFile(host("c.dmp"), good);
    WriteHostFile(host("s.sql"), "default schema pd_c;\r\ndelete from t;\r\n");
    ASSERT_EQ(::link(host("s.sql").c_str(), host("s-link.sql").c_str()), 0);
    auto lod = [&](const std::string& log, const std::string& bad) {
        return run("rislod.exe", {"-m", "w", "-i", win("c.dmp"), "-l", log, "-b", bad, "-s", "pd_c", "clear", "table",
                                  "with", "data", "all"});
    };
    const struct {
        const char* what;
        std::function<ClientRun()> start;
    } cases[] = {
        {"rislod log onto the dump", [&] { return lod(win("c.dmp"), win("load.bad")); }},
        {"rislod bad file onto the dump in other letter case", [&] { return lod(win("load.log"), win("C.DMP")); }},
        {"rislod log and bad file one new file", [&] { return lod(win("same.txt"), win("same.txt")); }},
        {"risbatch output onto its script", [&] { return run("risbatch.exe", {"-i", win("s.sql"), "-o", win("s.sql")}); }},
        {"risbatch output onto a hard link of its script",
         [&] { return run("risbatch.exe", {"-i", win("s.sql"), "-o", win("s-link.sql")}); }},
    };
    for (const auto& c : cases) {
        ClientRun r = c.start();
        expectRisFailure(r, c.what);
        EXPECT_NE(r.console.find("RIS_E_SAME_FILE"), std::string::npos) << c.what << r.console;
        EXPECT_EQ(ReadHostFile(host("c.dmp")), good) << c.what;
        EXPECT_EQ(ReadHostFile(host("s.sql")), "default schema pd_c;\r\ndelete from t;\r\n") << c.what;
        EXPECT_EQ(unloadAll("pd_c"), good) << c.what;
    }
    EXPECT_FALSE(std::filesystem::exists(host("same.txt")));
}

TEST_F(RisClientsTest, ANulByteOrUtf16TextRunsNothingAndSaysWhy)
{
    const struct {
        const char* what;
        std::string script;
        const char* says;
    } cases[] = {
        {"a NUL inside a statement", std::string("default schema pd_c;\r\ndelete from t\0 where 1 = 0;\r\n", 49),
         "NUL byte in line 2"},
        {"UTF-16 text", std::string("\xff\xfe" "d\0e\0l\0e\0t\0e\0", 14), "UTF-16"},
    };
    for (const auto& c : cases) {
        WriteHostFile(host("s.sql"), c.script);
        ClientRun r = run("risbatch.exe", {"-i", win("s.sql"), "-o", win("out.txt")});
        EXPECT_EQ(r.exitCode, 1) << c.what;
        EXPECT_NE(RISErrorText(ReadHostFile(host("out.txt"))).find(c.says), std::string::npos) << c.what;
        EXPECT_EQ(unloadAll("pd_c"), good) << c.what;
        // The unload's parameter file is read the same way.
        WriteHostFile(host("out.dmp"), "previous dump");
        r = run("risunlod.exe", {"-m", "w", "-o", win("out.dmp"), "-f", win("s.sql")});
        expectRisFailure(r, c.what);
        EXPECT_NE(r.console.find(c.says), std::string::npos) << c.what << r.console;
        EXPECT_EQ(r.console.find('\0'), std::string::npos) << c.what;
        EXPECT_EQ(ReadHostFile(host("out.dmp")), "previous dump") << c.what;
    }
}

TEST_F(RisClientsTest, WithAutocommitOffOnlyACommitKeepsTheChanges)
{
    const struct {
        const char* end;
        size_t rowsAfter;
        const char* says;
    } cases[] = {
        {"rollback;", 4, "Rollback complete."},
        {"", 4, "Uncommitted work rolled back."},
        {"create table t3 (a int);", 0, "Table created."}, // a definition commits the open work
        {"commit;", 0, "Commit complete."},
    };
    for (const auto& c : cases) {
        WriteHostFile(host("s.sql"), "default schema pd_c;\r\nset transaction autocommit off;\r\ndelete from t;\r\n" +
                                         std::string(c.end) + "\r\n");
        ClientRun r = run("risbatch.exe", {"-i", win("s.sql"), "-o", win("out.txt")});
        EXPECT_EQ(r.exitCode, 0) << c.end << r.console;
        const std::string answers = ReadHostFile(host("out.txt"));
        EXPECT_NE(answers.find("4 rows deleted."), std::string::npos) << answers;
        EXPECT_NE(answers.find(c.says), std::string::npos) << c.end << "\n" << answers;
        RisSession session(t.Server());
        EXPECT_EQ(session.Database("pd_c").QueryRows("SELECT id FROM t").size(), c.rowsAfter) << c.end;
        session.Database("pd_c").Exec("DROP TABLE IF EXISTS t3");
        if (c.rowsAfter == 0) {
            WriteHostFile(host("c.dmp"), good);
            ASSERT_EQ(load("c.dmp", "pd_c").exitCode, 0);
        }
    }
}

TEST_F(RisClientsTest, TheServerRefusesWhatTheDatabaseRefuses)
{
    const struct {
        const char* statement;
        const char* error;
    } cases[] = {
        {"insert into stamps values ('2024-13-45:99:99:99')", "RIS_E_INV_VALUE"},
        {"insert into stamps values ('yesterday')", "RIS_E_INV_VALUE"},
        {"insert into stamps values ('2023-02-29:12:00:00')", "RIS_E_INV_VALUE"},
        {"insert into stamps values ('2024-01-02:03:04')", "RIS_E_INV_VALUE"},
        {"insert into stamps values ('0000-01-01:00:00:00')", "RIS_E_INV_VALUE"},
        {"insert into stamps values ('0000-12-31')", "RIS_E_INV_VALUE"},
        {"create table copied as select id from t where id in (1, 2)", "RIS_E_SYNTAX_ERROR"},
        {"create table copied (id) as select id from t", "RIS_E_SYNTAX_ERROR"},
        {"create view v1 as select nosuch from t", "RIS_E_UNKNOWN_COLUMN"},
        {"create view v1 as select id from nosuch", "RIS_E_UNKNOWN_RELATION"},
        {"create table a234567890123456789012345678901 (a int)", "RIS_E_INV_NAME"},
        {"create table a (a234567890123456789012345678901 int)", "RIS_E_INV_NAME"},
        {"create index a234567890123456789012345678901 on t (id)", "RIS_E_INV_NAME"},
        // The time follows the date after a ":", as the dumps and the system's statements write it.
        {"insert into stamps values ('2024-03-01 08:00:00')", "RIS_E_INV_VALUE"},
        {"create table select (c int)", "RIS_E_INV_NAME"},
        {"create table sel (from int)", "RIS_E_INV_NAME"},
        {"create view order as select id from t", "RIS_E_INV_NAME"},
        {"insert into nums values (2, 1e400)", "ORA-01426: numeric overflow"},
        {"insert into nums (k) values (-1e999)", "ORA-01426: numeric overflow"},
        {"update nums set x = x * 1e308", "ORA-01426: numeric overflow"},
    };
    t.Batch("default schema pd_c;\ncreate table stamps (at timestamp);\n"
            "insert into stamps values ('2024-02-29:23:59:59');\n"
            "create table nums (k int, x double);\ninsert into nums values (1, 2.5);\n");
    for (const auto& c : cases) {
        WriteHostFile(host("s.sql"), "default schema pd_c;\r\n" + std::string(c.statement) + ";\r\n");
        ClientRun r = run("risbatch.exe", {"-i", win("s.sql"), "-o", win("out.txt")});
        EXPECT_EQ(r.exitCode, 1) << c.statement;
        EXPECT_EQ(RISErrorText(ReadHostFile(host("out.txt"))).find(c.error) != std::string::npos, true)
            << c.statement << "\n" << ReadHostFile(host("out.txt"));
        RisSession session(t.Server());
        SqliteDb& db = session.Database("pd_c");
        EXPECT_EQ(db.QueryRows("SELECT at FROM stamps"),
                  (std::vector<std::vector<std::optional<std::string>>>{{"2024-02-29:23:59:59"}}))
            << c.statement;
        EXPECT_EQ(db.QueryRows("SELECT k, x FROM nums"),
                  (std::vector<std::vector<std::optional<std::string>>>{{"1", "2.5"}}));
        EXPECT_EQ(db.QueryRows("SELECT name FROM sqlite_master WHERE type <> 'trigger' AND name NOT IN ('t', 't2', "
                               "'ut', 'it_name', 'stamps', 'nums')"),
                  (std::vector<std::vector<std::optional<std::string>>>{}))
            << c.statement;
    }
}

TEST_F(RisClientsTest, ATableTheRequestNamesButTheDumpLacksIsAnError)
{
    WriteHostFile(host("c.dmp"), good);
    ClientRun r = run("rislod.exe", {"-m", "w", "-i", win("c.dmp"), "-l", win("load.log"), "-b", win("load.bad"),
                                     "-s", "pd_d", "table", "with", "data", "t", "pdtable_999"});
    expectRisFailure(r, "missing table");
    EXPECT_NE(RISErrorText(r.console).find("pdtable_999"), std::string::npos) << r.console;
    RisSession session(t.Server());
    EXPECT_FALSE(SchemaTables(session.Database("pd_d")).HasTable("t")); // nothing was loaded
}

TEST_F(RisClientsTest, AClearLoadLeavesAnotherTablesIndexOfTheSameName)
{
    t.Batch("default schema pd_d;\ncreate table other (x int);\ncreate unique index ut on other (x);\n");
    WriteHostFile(host("c.dmp"), good);
    ClientRun r = load("c.dmp", "pd_d");
    EXPECT_NE(r.console.find("RIS_E_CREATE_INDEX"), std::string::npos) << r.console;
    RisSession session(t.Server());
    std::vector<RisIndex> indexes = SchemaTables(session.Database("pd_d")).Indexes("other");
    ASSERT_EQ(indexes.size(), 1u);
    EXPECT_EQ(indexes[0].name, "ut");
}

TEST_F(RisClientsTest, AnUnloadRemovesThePartFilesOfKilledRunsOnly)
{
    // A process that has ended, one that runs (this one), and a name that carries no process.
    const std::string orphan = host("out.dmp." + testsupport::EndedProcessId() + ".part");
    const std::string running = host("out.dmp." + std::to_string(Process::CurrentId()) + ".part");
    const std::string foreign = host("out.dmp.part");
    for (const std::string& f : {orphan, running, foreign})
        WriteHostFile(f, "half a dump");
    ClientRun r = run("risunlod.exe", {"-m", "w", "-o", win("out.dmp"), "-s", "pd_c", "table", "with", "data", "t"});
    EXPECT_EQ(r.exitCode, 0) << r.console;
    EXPECT_FALSE(std::filesystem::exists(orphan));
    EXPECT_TRUE(std::filesystem::exists(running));
    EXPECT_TRUE(std::filesystem::exists(foreign));
    size_t files = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir.host()))
        files += e.path().filename().string().rfind("out.dmp", 0) == 0;
    EXPECT_EQ(files, 3u); // the dump and the two kept; no part of this run
}

TEST_F(RisClientsTest, ADiskThatFillsDuringALoadStopsItAndLeavesTheOldTableWhole)
{
    // The server lives on a small file system of its own that the new rows overflow; where none
    // can be mounted, SQLite is made full from a chosen row of the load on (that case runs here
    // in every case, so that it is proved wherever the tests run).
    SmallDisk disk(host("smallfs"), "768k");
    const struct {
        const char* name;
        bool run;
        std::string serverDir;
        const char* fullAtRow;
    } disks[] = {
        {"small file system", disk.Mounted(), host("smallfs"), ""},
        {"injected full disk", true, host("fullfs"), "20000"},
    };
    for (const auto& d : disks) {
        if (!d.run)
            continue;
        SCOPED_TRACE(d.name);
        {
            StandInTestServer server(d.serverDir + "/root");
            server.AddSchema("pd_f");
            RisSession session(server.Server());
            std::string out;
            session.Execute("create table pd_f.big (id int, name char(40))", out);
            session.Database("pd_f").Exec(
                "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 1000) "
                "INSERT INTO big SELECT i, 'old row ' || i FROM n");
        }
        WriteHostFile(host("small.parms"), "ROOT=" + WinPathFromHost(d.serverDir + "/root") + "\r\n");
        auto unloadBig = [&] {
            ClientRun r = run("risunlod.exe", {"-m", "w", "-o", win("big.dmp"), "-s", "pd_f", "table", "with", "var",
                                               "data", "big"},
                              "small.parms");
            EXPECT_EQ(r.exitCode, 0) << r.console;
            return ReadHostFile(host("big.dmp"));
        };
        const std::string oldDump = unloadBig();
        ASSERT_NE(oldDump.find("1000 'old row 1000' \r\n"), std::string::npos);
        std::string rows;
        for (int i = 1; i <= 60000; ++i)
            rows += std::to_string(i) + " 'a new row that needs room " + std::to_string(i) + "' \r\n";
        const std::string endTable = "***RIS*** End of Table ***RIS***";
        WriteHostFile(host("new.dmp"),
                      oldDump.substr(0, oldDump.find("1 'old row 1' ")) + rows + oldDump.substr(oldDump.find(endTable)));
        SetEnvVar("TARNWICK_TEST_DISK_FULL_AT_ROW", d.fullAtRow);
        ClientRun r = run("rislod.exe", {"-m", "w", "-i", win("new.dmp"), "-l", win("load.log"), "-b", win("load.bad"),
                                         "-s", "pd_f", "clear", "table", "with", "data", "all"},
                          "small.parms");
        SetEnvVar("TARNWICK_TEST_DISK_FULL_AT_ROW", "");
        expectRisFailure(r, "disk full");
        const std::string message = messageOf(r.console);
        EXPECT_NE(message.find("disk is full"), std::string::npos) << r.console;
        EXPECT_NE(message.find("The load was undone: no table was changed."), std::string::npos) << r.console;
        EXPECT_EQ(r.console.find("Load complete."), std::string::npos) << r.console;
        EXPECT_EQ(ReadHostFile(host("load.bad")), ""); // the rows were not at fault
        EXPECT_TRUE(unloadBig() == oldDump) << "the old table changed";
    }
}

TEST_F(RisClientsTest, WithAutocommitOffAnUnknownStatementFailsAndLeavesTheWorkOpen)
{
    for (const char* wrong : {"foo bar;", "creat table t3 (a int);", "drop tabel t2;", "grnt all on t to public;"}) {
        WriteHostFile(host("s.sql"), "default schema pd_c;\r\nset transaction autocommit off;\r\ndelete from t;\r\n" +
                                         std::string(wrong) + "\r\nrollback;\r\n");
        ClientRun r = run("risbatch.exe", {"-i", win("s.sql"), "-o", win("out.txt")});
        EXPECT_EQ(r.exitCode, 1) << wrong;
        const std::string answers = ReadHostFile(host("out.txt"));
        EXPECT_NE(RISErrorText(answers).find("Unknown statement"), std::string::npos) << wrong << "\n" << answers;
        EXPECT_NE(answers.find("Rollback complete."), std::string::npos) << answers;
        EXPECT_EQ(unloadAll("pd_c"), good) << wrong << ": the deleted rows must come back";
    }
}

TEST_F(RisClientsTest, AFullDiskAtCommitIsADatabaseErrorAndKeepsNothingOfTheWork)
{
    // The file size limit of the client's process stands for a full disk: the rows wait in
    // SQLite's page cache until the commit, whose writes then fail.
    const std::string dbFile = t.Server().UserDatabasePath("PD_C");
    const auto limitKb = std::filesystem::file_size(dbFile) / 1024 + 16;
    std::string script = "default schema pd_c;\r\nset transaction autocommit off;\r\n";
    for (int i = 0; i < 14; ++i)
        script += "insert into t2 select k from t2;\r\n"; // 2^14 rows, far beyond the limit
    WriteHostFile(host("s.sql"), script + "commit;\r\n");
    std::string rows;
    for (int i = 0; i < 16384; ++i)
        rows += std::to_string(i) + " \r\n";
    WriteHostFile(host("big.dmp"), ReplaceAll(good, "\r\n7 \r\n***RIS***", "\r\n" + rows + "***RIS***"));
    const std::string limited = "trap '' XFSZ; ulimit -f " + std::to_string(limitKb) + "; exec \"$0\" \"$@\"";
    const std::string bin = testsupport::BinDir() + "/";
    const struct {
        std::vector<std::string> bash; // the client under the limit
        std::string answerFile;        // "": the console
        const char* work;              // what ran up to the commit
        const char* done;              // what only a whole run says
    } cases[] = {
        {{"-c", limited, bin + "risbatch.exe", "-i", win("s.sql"), "-o", win("out.txt")}, "out.txt",
         "8192 rows inserted.", "Commit complete."},
        {{"-c", limited, bin + "rislod.exe", "-m", "w", "-i", win("big.dmp"), "-l", win("load.log"), "-b",
          win("load.bad"), "-s", "pd_c", "clear", "table", "with", "data", "all"},
         "", "Table t2: 16384 rows loaded", "Load complete."},
    };
    for (const auto& c : cases) {
        ClientRun r = run("/bin/bash", c.bash);
        EXPECT_EQ(r.exitCode, 1) << r.console;
        const std::string answers = c.answerFile.empty() ? r.console : ReadHostFile(host(c.answerFile));
        EXPECT_NE(answers.find(c.work), std::string::npos) << answers;
        const std::string error = RISErrorText(answers);
        EXPECT_NE(error.find("RIS_E_DATABASE_ERROR"), std::string::npos) << answers;
        EXPECT_EQ(error.find("RIS_E_INTERNAL_ERROR"), std::string::npos) << answers;
        EXPECT_EQ(answers.find(c.done), std::string::npos) << answers;
        EXPECT_EQ(unloadAll("pd_c"), good) << c.bash[2];
    }
}

TEST_F(RisClientsTest, AByteOrderMarkBeforeAScriptIsPassedOver)
{
    WriteHostFile(host("s.sql"), "\xEF\xBB\xBF" "default schema pd_c;\r\nselect k from t2;\r\n");
    EXPECT_EQ(run("risbatch.exe", {"-i", win("s.sql"), "-o", win("out.txt")}).exitCode, 0);
    EXPECT_NE(ReadHostFile(host("out.txt")).find("k: 7\r\n"), std::string::npos) << ReadHostFile(host("out.txt"));
}

TEST_F(RisClientsTest, AnInputThatIsNoFileIsNamedForWhatItIs)
{
    // An endless device would be read without end, a folder read as an empty file.
    std::filesystem::create_directories(host("afolder"));
    const struct {
        std::string input;
        const char* says;
    } cases[] = {{"\\dev\\zero", "is a character device"}, {win("afolder"), "is a folder"}};
    for (const auto& c : cases) {
        ClientRun r = run("rislod.exe", {"-m", "w", "-i", c.input, "-l", win("load.log"), "-b", win("load.bad"), "-s",
                                         "pd_d", "clear", "table", "with", "data", "all"});
        expectRisFailure(r, c.input);
        EXPECT_NE(messageOf(r.console).find(c.says), std::string::npos) << r.console;
        EXPECT_EQ(messageOf(r.console).find("empty"), std::string::npos) << r.console;
        r = run("risbatch.exe", {"-i", c.input, "-o", win("out.txt")});
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_NE(messageOf(ReadHostFile(host("out.txt"))).find(c.says), std::string::npos) << ReadHostFile(host("out.txt"));
    }
    EXPECT_EQ(unloadAll("pd_d").find("create table"), std::string::npos); // nothing was loaded
}

TEST_F(RisClientsTest, AGrantToAnUnknownUserIsNamed)
{
    std::string dump = good;
    // As the grant statement refuses them: a quoted name is the stored name exactly, and the
    // option is no part of a grantee's name.
    dump.insert(dump.find("***RIS*** End of Schema"), "grant select on t to nosuch\r\n"
                                                      "grant select, insert, delete, update on t2 to pd_c\r\n"
                                                      "grant insert on t2 to \"pd_c\"\r\n"
                                                      "grant select on t2 to public with grant option\r\n");
    WriteHostFile(host("c.dmp"), dump);
    ClientRun r = load("c.dmp", "pd_d");
    expectRisFailure(r, "unknown grantee");
    EXPECT_NE(r.console.find("RIS_E_UNKNOWN_USER"), std::string::npos) << r.console;
    EXPECT_NE(r.console.find("'NOSUCH'"), std::string::npos) << r.console;
    EXPECT_NE(r.console.find("'pd_c' does not exist"), std::string::npos) << r.console;
    EXPECT_NE(r.console.find("RIS_E_SYNTAX_ERROR"), std::string::npos) << r.console;
    EXPECT_NE(r.console.find("Line 21 of the dump grants table 't2' in a form no grant takes (\"with grant"),
              std::string::npos) << r.console;
    EXPECT_EQ(r.console.find("not understood"), std::string::npos) << r.console;
    EXPECT_EQ(t.Server().GrantsOn("PD_D", "t"), std::vector<std::string>{"PUBLIC"});
    EXPECT_EQ(t.Server().GrantsOn("PD_D", "t2"), std::vector<std::string>{"PD_C"});
}

TEST_F(RisClientsTest, UnloadRefusesWhatItCannotDoAndLeavesNoFileBehind)
{
    const std::string request = "pd_c table with var data all view all index all grant all";
    WriteHostFile(host("one.txt"), request + "\r\n");
    WriteHostFile(host("two.txt"), request + "\r\npd_d table with var data all\r\n");
    WriteHostFile(host("twoInOne.txt"), request + " pd_d table with var data all\r\n");
    const struct {
        const char* what;
        std::vector<std::string> args;
        const char* says;
    } cases[] = {
        {"a mode other than w", {"-m", "a", "-o", win("new.dmp"), "-f", win("one.txt")}, "Unknown mode 'a'"},
        {"-m without its mode", {"-o", win("new.dmp"), "-f", win("one.txt"), "-m"}, "Unknown mode ''"},
        {"two requests on two lines", {"-m", "w", "-o", win("new.dmp"), "-f", win("two.txt")}, "more than one line"},
        {"two requests on one line", {"-m", "w", "-o", win("new.dmp"), "-f", win("twoInOne.txt")}, "\"table\""},
        {"an unknown schema", {"-m", "w", "-o", win("new.dmp"), "-s", "pd_nosuch", "table", "all"}, "pd_nosuch"},
    };
    for (const auto& c : cases) {
        ClientRun r = run("risunlod.exe", c.args);
        expectRisFailure(r, c.what);
        EXPECT_NE(r.console.find(c.says), std::string::npos) << c.what << "\n" << r.console;
        EXPECT_EQ(r.console.find("Unload complete."), std::string::npos) << c.what;
        EXPECT_FALSE(std::filesystem::exists(host("new.dmp"))) << c.what;
    }
    ClientRun r = run("risunlod.exe", {"-m", "W", "-o", win("new.dmp"), "-f", win("one.txt")});
    EXPECT_EQ(r.exitCode, 0) << r.console;
    EXPECT_EQ(ReadHostFile(host("new.dmp")), good);
}

TEST_F(RisClientsTest, LoadKnowsOnlyTheModeWAndARefusedModeLoadsAndWritesNothing)
{
    // pd_c's tables in a dump for pd_d, whose schema line also serves a run without "-s".
    WriteHostFile(host("d.dmp"), ReplaceAll(good.substr(0, good.find("\r\n")), "pd_c", "pd_d") + body(good));
    const std::vector<std::string> request = {"-s", "pd_d", "clear", "table", "with", "data", "all",
                                              "view", "all",  "index", "all",  "grant", "all"};
    const struct {
        const char* what;
        std::vector<std::string> first; // before the files
        bool withS;                     // else the schema comes from the dump
        std::vector<std::string> last;  // after the request
        const char* says;               // empty when it loads
    } cases[] = {
        {"a mode other than w", {"-m", "a"}, true, {}, "Unknown mode 'a'"},
        {"the unload's mode letter r", {"-m", "r"}, true, {}, "Unknown mode 'r'"},
        {"-m without its mode", {}, false, {"-m"}, "Unknown mode ''"},
        {"w in upper case", {"-m", "W"}, true, {}, ""},
        {"no -m", {}, false, {}, ""},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = c.first;
        args.insert(args.end(), {"-i", win("d.dmp"), "-l", win("load.log"), "-b", win("load.bad")});
        args.insert(args.end(), request.begin() + (c.withS ? 0 : 2), request.end());
        args.insert(args.end(), c.last.begin(), c.last.end());
        WriteHostFile(host("load.log"), "previous log");
        std::filesystem::remove(host("load.bad"));
        ClientRun r = run("rislod.exe", args);
        if (*c.says) {
            expectRisFailure(r, c.what);
            EXPECT_NE(messageOf(r.console).find(c.says), std::string::npos) << c.what << "\n" << r.console;
            EXPECT_EQ(ReadHostFile(host("load.log")), "previous log") << c.what;
            EXPECT_FALSE(std::filesystem::exists(host("load.bad"))) << c.what;
            EXPECT_EQ(unloadAll("pd_d").find("create table"), std::string::npos) << c.what;
            continue;
        }
        EXPECT_EQ(r.exitCode, 0) << c.what << "\n" << r.console;
        EXPECT_EQ(ReadHostFile(host("load.log")).find("previous log"), std::string::npos) << c.what;
        EXPECT_TRUE(std::filesystem::exists(host("load.bad"))) << c.what;
        EXPECT_EQ(body(unloadAll("pd_d")), body(good)) << c.what;
    }
}

TEST_F(RisClientsTest, UnloadOntoALinkWritesTheFileItNamesAndARefusedOutputStaysAsItWas)
{
    namespace fs = std::filesystem;
    auto unloadTo = [&](const std::string& name) {
        return run("risunlod.exe", {"-m", "w", "-o", win(name), "-s", "pd_c", "table", "with", "var", "data", "all",
                                    "view", "all", "index", "all", "grant", "all"});
    };
    fs::create_directories(host("real"));
    WriteHostFile(host("real/old.dmp"), "previous dump");
    fs::permissions(host("real/old.dmp"), fs::perms(0640));
    fs::create_symlink("real/old.dmp", host("link.dmp"));
    fs::create_symlink("real/new.dmp", host("dangling.dmp"));
    for (const char* link : {"link.dmp", "dangling.dmp"}) {
        ClientRun r = unloadTo(link);
        EXPECT_EQ(r.exitCode, 0) << link << r.console;
        EXPECT_TRUE(fs::is_symlink(host(link))) << link;
        EXPECT_EQ(ReadHostFile(host(link)), good) << link;
    }
    EXPECT_EQ(fs::status(host("real/old.dmp")).permissions(), fs::perms(0640));

    WriteHostFile(host("ro.dmp"), "previous dump");
    fs::permissions(host("ro.dmp"), fs::perms(0444));
    fs::create_symlink("ro.dmp", host("ro-link.dmp"));
    ASSERT_EQ(::mkfifo(host("pipe.dmp").c_str(), 0644), 0);
    const struct {
        const char* name;
        const char* says;
    } refused[] = {{"ro.dmp", "is read-only"},
                   {"ro-link.dmp", "is read-only"},
                   {"pipe.dmp", "is not a regular file"},
                   {"relative.dmp", "names no place: it is relative"}};
    for (const auto& c : refused) {
        // A relative name goes on from the test's own folder, a host folder outside the environment.
        ClientRun r = std::string(c.name) == "relative.dmp"
                          ? run("risunlod.exe", {"-m", "w", "-o", c.name, "-s", "pd_c", "table", "with", "data", "all"})
                          : unloadTo(c.name);
        expectRisFailure(r, c.name);
        EXPECT_NE(messageOf(r.console).find(c.says), std::string::npos) << c.name << "\n" << r.console;
    }
    EXPECT_EQ(ReadHostFile(host("ro.dmp")), "previous dump");
    EXPECT_EQ(fs::status(host("ro.dmp")).permissions(), fs::perms(0444));
    EXPECT_TRUE(fs::is_symlink(host("ro-link.dmp")));
    EXPECT_TRUE(fs::is_fifo(host("pipe.dmp")));
    EXPECT_FALSE(fs::exists("relative.dmp"));
}

TEST_F(RisClientsTest, TheServerManagerRefusesAUserOnAMissingTablespaceAndMakesNone)
{
    for (const char* clause : {"default tablespace nosuch", "temporary tablespace nosuch",
                               "default tablespace USER_DATA temporary tablespace nosuch"}) {
        WriteHostFile(host("u.sql"), "connect system/manager\r\ncreate user pd_new identified by pd_new " +
                                         std::string(clause) + ";\r\nexit;\r\n");
        ClientRun r = run("svrmgr30.exe", {"@" + win("u.sql")});
        EXPECT_EQ(r.exitCode, 1) << clause << r.console;
        EXPECT_NE(r.console.find("ORA-00959: tablespace 'NOSUCH' does not exist"), std::string::npos) << r.console;
        EXPECT_FALSE(t.Server().FindUser("PD_NEW")) << clause;
    }
}

TEST_F(RisClientsTest, ALineOrAnOptionAClientCannotFollowOrAnOutputThatIsNoFileIsRefusedBeforeAnythingChanges)
{
    ASSERT_EQ(::mkfifo(host("pipe").c_str(), 0644), 0); // no reader ever opens it: a writer would wait for ever
    std::filesystem::create_directories(host("afolder"));
    WriteHostFile(host("s.sql"), "default schema pd_c;\r\ndelete from t2;\r\n");
    const std::vector<std::string> files = {"-i", win("d.dmp"), "-l", win("load.log"), "-b", win("load.bad")};
    const struct {
        const char* what;
        std::string dump;
        std::vector<std::string> args; // rislod's before "-s"; risbatch's all
        const char* says;
    } cases[] = {
        {"a NUL in a value", ReplaceAll(good, "'one'", std::string("'o\0ne'", 7)), files, "Line 5 of the dump file"},
        {"unknown layout column", ReplaceAll(good, " id name note ", " id name zz "), files,
         "names column 'zz', which the table lacks (id, name, note) (line 4)"},
        {"reordered", ReplaceAll(good, " id name note ", " id note name "), files, "names the columns (id, note, name)"},
        {"an insert line naming fewer columns", ReplaceAll(good, "name, note) values (?, ?, ?)", "note) values (?, ?)"),
         files, "are those of (id, name, note) (line 3)"},
        {"an unknown option", good, {"-z", "-i", win("d.dmp")}, "Unknown option '-z'"},
        {"rislod log onto a FIFO", good, {"-i", win("d.dmp"), "-l", win("pipe")}, "is a FIFO (named pipe)"},
        {"rislod bad file onto a FIFO", good, {"-i", win("d.dmp"), "-b", win("pipe")}, "is a FIFO (named pipe)"},
        {"rislod log onto a folder", good, {"-i", win("d.dmp"), "-l", win("afolder")}, "is a folder"},
        {"risbatch output onto a FIFO", "", {"-i", win("s.sql"), "-o", win("pipe")}, "is a FIFO (named pipe)"},
        {"risbatch an unknown option", "", {"-q", "-i", win("s.sql"), "-o", win("out.txt")}, "Unknown option '-q'"},
        {"risbatch -i without its value", "", {"-o", win("out.txt"), "-i"}, "Option '-i' is given without its value."},
        {"risbatch a word that is no option", "", {"-i", win("s.sql"), "now"}, "Unexpected argument 'now'"},
        // A file the user made read-only is no output; nor is a relative name while the current
        // folder (the test's, a host folder) lies on no drive or share of the environment.
        {"risbatch output onto a read-only file", "", {"-i", win("s.sql"), "-o", win("ro.txt")},
         "is read-only; nothing was done."},
        {"rislod log onto a read-only file", good, {"-i", win("d.dmp"), "-l", win("ro.txt")}, "is read-only"},
        {"risbatch relative names outside the environment", "", {"-i", "s.sql", "-o", "out.txt"},
         "The output file 'out.txt' and the input file 's.sql' name no place: each is relative, and the current "
         "folder '"},
        {"risbatch a relative output outside the environment", "", {"-i", win("s.sql"), "-o", "out.txt"},
         "The output file 'out.txt' names no place: it is relative"},
        {"rislod a relative dump outside the environment", good, {"-i", "d.dmp", "-l", win("load.log")},
         "The dump file 'd.dmp' names no place"},
    };
    WriteHostFile(host("ro.txt"), "kept");
    std::filesystem::permissions(host("ro.txt"), std::filesystem::perms::owner_read);
    for (const auto& c : cases) {
        WriteHostFile(host("d.dmp"), c.dump);
        std::vector<std::string> args = c.args;
        if (!c.dump.empty())
            args.insert(args.end(), {"-s", "pd_d", "clear", "table", "with", "data", "all"});
        ClientRun r = run(c.dump.empty() ? "risbatch.exe" : "rislod.exe", args);
        expectRisFailure(r, c.what);
        EXPECT_NE(messageOf(r.console).find(c.says), std::string::npos) << c.what << "\n" << r.console;
        EXPECT_EQ(unloadAll("pd_d").find("create table"), std::string::npos) << c.what;
        EXPECT_EQ(unloadAll("pd_c"), good) << c.what;
    }
    EXPECT_EQ(ReadHostFile(host("ro.txt")), "kept");
    EXPECT_FALSE(std::filesystem::exists("out.txt"));
}

// An answer lost after its statement ran is said with the statement and what of its work stands.
// /dev/full fails every write; the platform's test disk fills once it holds the answer before.
TEST_F(RisClientsTest, RisbatchSaysWhichStatementRanWhenItsAnswerIsLost)
{
    std::filesystem::create_directories(host("disk"));
    const std::string processed = "Statement processed.\r\n"; // the answer of "set transaction ..."
    const struct {
        std::string script; // after the default schema
        std::string output;
        const char* says;
        bool stands; // the row of 8 is in t2 afterwards
    } cases[] = {
        {"insert into t2 values (8);\r\ninsert into t2 values (9);", "/dev/full",
         "'insert into t2 values (8)' ran, and all work up to it is committed; its answer is lost.", true},
        {"set transaction autocommit off;\r\ninsert into t2 values (8);", win("disk") + "\\out.txt",
         "its work, which was not committed yet, was rolled back", false},
        {"insert into nosuch values (8);\r\ninsert into t2 values (8);", "/dev/full",
         "The statement 'insert into nosuch values (8)' ran and failed", false},
    };
    const std::string saved = GetEnvVar(kTestFullDiskVariable);
    SetEnvVar(kTestFullDiskVariable, host("disk") + "=" + std::to_string(processed.size()));
    for (const auto& c : cases) {
        WriteHostFile(host("s.sql"), "default schema pd_c;\r\n" + c.script + "\r\n");
        std::filesystem::remove(host("disk/out.txt"));
        ClientRun r = run("risbatch.exe", {"-i", win("s.sql"), "-o", c.output});
        expectRisFailure(r, c.says);
        EXPECT_NE(messageOf(r.console).find(c.says), std::string::npos) << r.console;
        EXPECT_NE(messageOf(r.console).find("no later statement was run"), std::string::npos) << r.console;
        EXPECT_EQ(unloadAll("pd_c") != good, c.stands) << c.says;
        EXPECT_TRUE(c.output == "/dev/full" || ReadHostFile(host("disk/out.txt")) == processed); // the earlier answers
        EXPECT_EQ(t.Batch("default schema pd_c;\nselect k from t2 where k = 9;\n").find("k: 9"), std::string::npos);
        t.Batch("default schema pd_c;\ndelete from t2 where k = 8;\n");
    }
    saved.empty() ? ::unsetenv(kTestFullDiskVariable) : ::setenv(kTestFullDiskVariable, saved.c_str(), 1);
}

TEST_F(RisClientsTest, MicroStationRefusesAResultFileThatIsAFifoRatherThanWaitForAReader)
{
    ASSERT_EQ(::mkfifo(host("result").c_str(), 0644), 0);
    std::filesystem::create_directories(host("mdl"));
    WriteHostFile(host("mdl/read_linkage.ma"), "MDL-APPLICATION read_linkage\r\n");
    const std::string saved = GetEnvVar("MS_MDL");
    SetEnvVar("MS_MDL", win("mdl"));
    ClientRun r = run("ustation.exe", {"-waread_linkage", win("a.dgn"), win("result")});
    SetEnvVar("MS_MDL", saved);
    EXPECT_EQ(r.exitCode, 1) << r.console;
    EXPECT_NE(r.console.find("The result file '" + win("result") + "' is a FIFO (named pipe)"), std::string::npos)
        << r.console;
    EXPECT_TRUE(std::filesystem::is_fifo(host("result")));
}

TEST_F(RisClientsTest, RisbatchWritesEachAnswerAsItsStatementEndsSoAKilledRunLeavesThem)
{
    std::string script = "default schema pd_c;\r\ncreate table many (n int);\r\n";
    for (int i = 0; i < 100000; ++i)
        script += "insert into many values (" + std::to_string(i) + ");\r\n";
    WriteHostFile(host("many.sql"), script);
    const std::string saved = GetEnvVar("RIS_PARAMETERS");
    SetEnvVar("RIS_PARAMETERS", win("ris.parms"));
    const long pid = Process::Start(testsupport::BinDir() + "/risbatch.exe",
                                    {"-i", win("many.sql"), "-o", win("many.txt")}, 0, {-1, -1, -1, true});
    SetEnvVar("RIS_PARAMETERS", saved);
    RisSession session(t.Server());
    auto rows = [&]() { return std::stoll(*session.Database("pd_c").QueryText("SELECT count(*) FROM many")); };
    long code = -1; // the table stands once its answer is written
    while ((ReadHostFile(host("many.txt")).empty() || rows() < 500) && !Process::Poll(pid, code))
        ::usleep(1000);
    ASSERT_EQ(code, -1) << "risbatch ended before the test could stop it";
    ::kill(static_cast<pid_t>(pid), SIGKILL);
    Process::Wait(pid);
    // Every committed insert has its answer, but for one that may have ended right at the kill.
    const auto answered = static_cast<long long>(Split(ReadHostFile(host("many.txt")), "1 row inserted.").size()) - 1;
    const long long committed = rows();
    EXPECT_GE(committed, 500);
    EXPECT_TRUE(committed == answered || committed == answered + 1) << committed << " rows, " << answered << " answers";
}

TEST_F(RisClientsTest, TheServerManagerRefusesAnUnknownOptionAndEndsALineAtACarriageReturn)
{
    const std::string create = "create user pd_new identified by pd_new default tablespace USER_DATA;";
    const struct {
        std::vector<std::string> args;
        std::string lineEnd;
        long exitCode;
        const char* says;
    } cases[] = {{{"-zz", "@" + win("u.sql")}, "\r\n", 1, "Unknown option '-zz'"},
                 {{"@" + win("u.sql")}, "\r", 0, "Statement processed"},
                 {{"command=@" + win("u.sql")}, "\n", 0, "Statement processed"}};
    for (const auto& c : cases) {
        WriteHostFile(host("u.sql"), "connect system/manager" + c.lineEnd + create + c.lineEnd + "exit;" + c.lineEnd);
        ClientRun r = run("svrmgr30.exe", c.args);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.args[0] << "\n" << r.console;
        EXPECT_NE(r.console.find(c.says), std::string::npos) << c.args[0] << "\n" << r.console;
        EXPECT_EQ(t.Server().FindUser("PD_NEW").has_value(), c.exitCode == 0) << c.args[0];
        if (t.Server().FindUser("PD_NEW"))
            t.Server().DropUser("PD_NEW");
    }
}

// "@<script>" runs that script's commands in its place and ends at its line's end, so the next
// line is a command of its own; a script that cannot be run is named and the run goes on.
// "spool <file>" writes what follows into the file, up to "spool off".
TEST_F(RisClientsTest, TheServerManagerRunsANestedScriptInItsPlaceAndSpoolsIntoItsFile)
{
    const std::string create = "create user pd_new identified by pd_new default tablespace USER_DATA";
    WriteHostFile(host("user.sql"), create + ";\r\n");
    WriteHostFile(host("self.sql"), "@" + win("self.sql") + "\r\n");
    std::filesystem::create_directories(host("afolder"));
    const struct {
        const char* what;
        std::string lines; // between connect and exit
        long exitCode;
        std::string says;
        std::string spooled; // the spool file's content; empty: no file
    } cases[] = {
        {"a nested script that is missing", "@" + win("nosuch.sql") + "\r\n" + create + ";", 1,
         "SVRMGR> @" + win("nosuch.sql") + "\r\nMGR-00001: Cannot open file '" + win("nosuch.sql") + "'.\r\nSVRMGR> " +
             create + "\r\nStatement processed.", ""},
        {"a nested script", "@" + win("user.sql") + "\r\ngrant connect to pd_new;", 0,
         "SVRMGR> " + create + "\r\nStatement processed.\r\nSVRMGR> grant connect to pd_new\r\n", ""},
        {"a script that calls itself", "@" + win("self.sql") + "\r\n" + create + ";", 1,
         "MGR-00001: Scripts may call scripts only 20 deep; '" + win("self.sql") + "' was not run.", ""},
        {"a spool", "spool " + win("out.lst") + "\r\n" + create + ";\r\nspool off\r\nselect username from dba_users;",
         0, "rows selected.", "SVRMGR> " + create + "\r\nStatement processed.\r\nSVRMGR> spool off\r\n"},
        {"a spool onto a folder", "spool " + win("afolder") + "\r\n" + create + ";", 1,
         "MGR-00001: The spool file '" + win("afolder") + "' is a folder", ""},
        {"a spool onto a read-only file", "spool " + win("ro.lst") + "\r\n" + create + ";", 1,
         "MGR-00001: The spool file '" + win("ro.lst") + "' is read-only; nothing was done.", ""},
        {"a spool under a relative name outside the environment", "spool out.lst\r\n" + create + ";", 1,
         "MGR-00001: The spool file 'out.lst' names no place: it is relative, and the current folder '", ""},
    };
    WriteHostFile(host("ro.lst"), "kept");
    std::filesystem::permissions(host("ro.lst"), std::filesystem::perms::owner_read);
    for (const auto& c : cases) {
        WriteHostFile(host("u.sql"), "connect system/manager\r\n" + c.lines + "\r\nexit;\r\n");
        std::filesystem::remove(host("out.lst"));
        ClientRun r = run("svrmgr30.exe", {"@" + win("u.sql")});
        EXPECT_EQ(r.exitCode, c.exitCode) << c.what << "\n" << r.console;
        EXPECT_NE(r.console.find(c.says), std::string::npos) << c.what << "\n" << r.console;
        EXPECT_EQ(r.console.find("ORA-00900"), std::string::npos) << c.what << "\n" << r.console;
        EXPECT_TRUE(t.Server().FindUser("PD_NEW")) << c.what; // the statement after the command ran
        EXPECT_EQ(std::filesystem::exists(host("out.lst")) ? ReadHostFile(host("out.lst")) : "", c.spooled) << c.what;
        if (t.Server().FindUser("PD_NEW"))
            t.Server().DropUser("PD_NEW");
    }
    EXPECT_EQ(ReadHostFile(host("ro.lst")), "kept");
    EXPECT_FALSE(std::filesystem::exists("out.lst"));
}

TEST_F(RisClientsTest, AnOverflowingNumberIsNeitherLoadedNorUnloaded)
{
    t.Batch("default schema pd_c;\ncreate table nums (k int, x double);\ninsert into nums values (1, 2.5);\n");
    const std::string nums = ReplaceAll(unloadAll("pd_c"), "1 2.5 \r\n", "1 2.5 \r\n2 1e400 \r\n");
    WriteHostFile(host("c.dmp"), nums);
    ClientRun r = load("c.dmp", "pd_d");
    expectRisFailure(r, "a row holding 1e400");
    EXPECT_NE(messageOf(r.console).find("ORA-01426: numeric overflow"), std::string::npos) << r.console;
    EXPECT_EQ(ReadHostFile(host("load.bad")), "2 1e400 \r\n");
    EXPECT_EQ(body(unloadAll("pd_d")), body(ReplaceAll(nums, "2 1e400 \r\n", "")));
    // An infinity kept by a table made before the server refused them is not unloaded: "inf" loads nowhere.
    RisSession session(t.Server());
    session.Database("pd_d").Exec("PRAGMA ignore_check_constraints = 1; INSERT INTO nums VALUES (2, 9e999)");
    WriteHostFile(host("all.dmp"), "previous dump");
    r = run("risunlod.exe", {"-m", "w", "-o", win("all.dmp"), "-s", "pd_d", "table", "with", "var", "data", "all"});
    expectRisFailure(r, "an unload of an infinity");
    EXPECT_NE(messageOf(r.console).find("Table 'nums', column 'x', row 2 (k 2): the stored value inf cannot be"),
              std::string::npos) << r.console;
    EXPECT_EQ(ReadHostFile(host("all.dmp")), "previous dump");
}
