// The stand-in RIS clients run as programs against a test server: what they do with faulty
// dumps, requests and outputs. A failure ends with exit code 1 and a RIS error block on the
// console, and leaves the tables and the files as they were.
#include "StandInTestServer.h"
#include "dbaccess/RISErrorReader.h"
#include "platform/Environment.h"
#include "platform/Process.h"
#include "platform/TextUtil.h"
#include "platform/WinPath.h"
#include "standins/dbserver/SchemaTables.h"
#include "support/TestFiles.h"

#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <unistd.h>

using testsupport::ReadHostFile;
using testsupport::WriteHostFile;

namespace {

struct ClientRun {
    long exitCode = -1;
    std::string console;
};

// The dump without its schema line, which names the schema.
std::string body(const std::string& dump) { return dump.substr(dump.find("\r\n")); }

std::string cut(const std::string& text, const std::string& from)
{
    const size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return text.substr(0, at);
}

} // namespace

class RisClientsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        t.AddSchema("pd_c");
        t.AddSchema("pd_d");
        int failed = 0;
        t.Batch("default schema pd_c;\n"
                "create table t (id int, name char(10), note char(10));\n"
                "insert into t values (1, 'one', 'a');\n"
                "insert into t values (2, 'two''s', null);\n"
                "insert into t values (3, 'three', 'c');\n"
                "insert into t values (4, 'four', 'd');\n"
                "create unique index ut on t (id);\n"
                "create index it_name on t (name);\n"
                "create table t2 (k smallint);\n"
                "insert into t2 values (7);\n"
                "grant all on t to public;\n",
                &failed);
        ASSERT_EQ(failed, 0);
        WriteHostFile(host("ris.parms"), "ROOT=" + WinPathFromHost(t.Root()) + "\r\n");
        good = unloadAll("pd_c");
    }

    std::string host(const std::string& name) const { return dir.host() + "/" + name; }
    std::string win(const std::string& name) const { return WinPathFromHost(host(name)); }

    // Runs the stand-in program with RIS_PARAMETERS naming the test server.
    ClientRun run(const std::string& program, const std::vector<std::string>& args)
    {
        const std::string consoleFile = host("console.txt");
        const int fd = ::open(consoleFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const std::string saved = GetEnvVar("RIS_PARAMETERS");
        SetEnvVar("RIS_PARAMETERS", win("ris.parms"));
        long pid = -1;
        try {
            pid = Process::Start(testsupport::BinDir() + "/" + program, args, 0, {-1, fd, fd});
        } catch (...) {
        }
        SetEnvVar("RIS_PARAMETERS", saved);
        ::close(fd);
        ClientRun r;
        if (pid > 0)
            r.exitCode = Process::Wait(pid);
        r.console = ReadHostFile(consoleFile);
        return r;
    }

    ClientRun load(const std::string& dumpName, const std::string& schema, const std::string& mode = "clear")
    {
        return run("rislod.exe", {"-m", "w", "-i", win(dumpName), "-l", win("load.log"), "-b", win("load.bad"), "-c",
                                  "25", "-s", schema, mode, "table", "with", "data", "all", "view", "all", "index",
                                  "all", "grant", "all"});
    }

    // The whole schema as the unload client writes it.
    std::string unloadAll(const std::string& schema)
    {
        ClientRun r = run("risunlod.exe", {"-m", "w", "-o", win("all.dmp"), "-s", schema, "table", "with", "var",
                                           "data", "all", "view", "all", "index", "all", "grant", "all"});
        EXPECT_EQ(r.exitCode, 0) << r.console;
        return ReadHostFile(host("all.dmp"));
    }

    // The failure every faulty run must end in.
    void expectRisFailure(const ClientRun& r, const std::string& what)
    {
        EXPECT_EQ(r.exitCode, 1) << what << "\n" << r.console;
        EXPECT_NE(RISErrorText(r.console), "") << what << "\n" << r.console;
    }

    StandInTestServer t;
    testsupport::ScopedDir dir{"clients"};
    std::string good; // the dump of pd_c before each test changes anything
};

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

TEST_F(RisClientsTest, ACutOrForeignDumpLeavesEveryTableAsItWas)
{
    const std::string firstRows = cut(good, "4 'four'");
    const struct {
        const char* what;
        std::string dump;
    } cases[] = {
        {"cut after a row", firstRows},
        {"cut inside a quoted value", firstRows + "4 'fo"},
        {"only a create-table line", "create table t (id int)\r\n"},
        {"schema and create-table line", cut(good, "insert into t ")},
        {"empty", ""},
        {"carriage returns only", "\r\r\r\r"},
        {"random bytes", std::string("\x8f\x01z\x00\xff ***RIS*** End of Schema ***RIS***\x13", 40)},
        {"no end-of-schema line", cut(good, "***RIS*** End of Schema")},
        {"a table block without its end line",
         ReplaceAll(good, "4 'four' 'd' \r\n***RIS*** End of Table ***RIS***\r\n", "4 'four' 'd' \r\n")},
        {"a line after the end-of-schema line", good + "create table t (id int)\r\n"},
        {"a table block of its create-table line only",
         cut(good, "insert into t ") + good.substr(good.find("create table t2"))},
        {"an end-of-table line outside a block",
         ReplaceAll(good, "create unique index", "***RIS*** End of Table ***RIS***\r\ncreate unique index")},
    };
    for (const auto& c : cases) {
        WriteHostFile(host("c.dmp"), c.dump);
        ClientRun r = load("c.dmp", "pd_c");
        expectRisFailure(r, c.what);
        EXPECT_EQ(r.console.find("Load complete."), std::string::npos) << c.what;
        EXPECT_EQ(unloadAll("pd_c"), good) << c.what;
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
