// "tarnwick /risunloadall" run as a process on the sample environment: every schema but the
// "mto_" ones unloaded, no window, exit code and program log telling how it went.
#include "admin/AdminTestSupport.h"
#include "admin/DumpCommands.h"
#include "dbaccess/DumpSchemaLine.h"
#include "dbtools/DdlCheck.h"
#include "dbtools/DdlCheckContext.h"
#include "dbtools/DdlDatabase.h"
#include "dbtools/DdlRepair.h"
#include "platform/TextUtil.h"
#include "services/AppGlobals.h"
#include "services/CheckTree.h"
#include "services/ScriptedMessageService.h"
#include "platform/AppError.h"
#include "platform/BinaryFile.h"
#include "platform/FileAttributes.h"
#include "platform/HostFiles.h"
#include "platform/ReplacementFile.h"
#include "platform/WinPath.h"
#include "standins/dbserver/DbServer.h"
#include "standins/dbserver/RisSession.h"
#include "standins/dbserver/RisTransferRequest.h"
#include "standins/dbserver/SchemaLoader.h"
#include "standins/dbserver/SchemaTables.h"
#include "standins/dbserver/StandInEnvironment.h"
#include "standins/SmallDisk.h"
#include "standins/StandInTestServer.h"
#include "platform/Environment.h"
#include "platform/RunMark.h"
#include "support/SampleEnvironment.h"
#include "support/TestFiles.h"
#include "support/ExactNumberCases.h"
#include "support/WrapperClients.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <chrono>
#include <csignal>
#include <set>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace std::string_literals;

namespace {

class RisUnloadAllTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        testsupport::BuildSampleEnvironment();
        DbServer server(StandInRoot());
        if (!server.FindSchema("mto_demo")) {
            server.SetUserPassword("MTO_DEMO", "mto_demo");
            RisSession session(server);
            std::string out;
            session.Execute("create schema mto_demo on database (oracle, dbname ORCL) user mto_demo.mto_demo@ORCL", out);
        }
    }
    // The other tests of the process see the sample project only.
    static void TearDownTestSuite()
    {
        DbServer server(StandInRoot());
        server.DropSchema("mto_demo");
        server.DropUser("mto_demo");
    }

    void SetUp() override
    {
        // The program keeps its settings beside itself: a copy of it gets settings of its own.
        fs::copy_file(testsupport::BinDir() + "/tarnwick", program.host() + "/tarnwick");
        dumpDir = WinPathFromHost(dumps.host());
        std::ofstream ini(program.host() + "/tarnwick.ini", std::ios::binary);
        ini << "[TARNWICK]\r\nrisdmpdir=" << dumpDir << "\r\n";
    }

    // Runs the program with the command line, without any display (and with the environment
    // settings given), started in the host folder given (else in the test's own); returns its
    // exit code.
    int run(const std::string& commandLine, const std::string& environment = "", const std::string& folder = "")
    {
        std::string cmd = (folder.empty() ? std::string() : "cd '" + folder + "' && ") +
                          "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM " + environment + " '" + program.host() + "/tarnwick' " +
                          commandLine + " >'" + program.host() + "/out.txt' 2>'" + program.host() + "/err.txt'";
        int status = std::system(cmd.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    static std::string text(const std::string& hostFile) { return testsupport::ReadHostFile(hostFile); }
    static std::string schemaFile() { return DbServer(StandInRoot()).SchemaFileHostPath(); }

    // The program log of the last run: the newest tarnwick_*.log in TMP.
    std::string lastLog()
    {
        fs::path newest;
        for (const auto& e : fs::directory_iterator(std::getenv("TMP"))) {
            std::string name = e.path().filename().string();
            if (name.rfind("tarnwick_", 0) == 0 && e.path().extension() == ".log" &&
                (newest.empty() || e.last_write_time() > fs::last_write_time(newest)))
                newest = e.path();
        }
        return newest.empty() ? std::string() : text(newest.string());
    }

    bool dumpExists(const std::string& schema) { return fs::exists(dumps.host() + "/" + schema + ".dmp"); }

    testsupport::ScopedDir program{"prog"};
    testsupport::ScopedDir dumps{"dumps"};
    std::string dumpDir;
};

TEST_F(RisUnloadAllTest, UnloadsEverySchemaButMtoSilentlyAndExitsZero)
{
    // Numbers loaded from a dump that holds every digit (a decimal padded to its scale, as an
    // unload writes it) are selected and unloaded with every digit and load back whole, through
    // the load client and the program's own load: numbers of more digits than a double holds,
    // and numbers a double holds whose binary digits at their column's scale would be other ones
    // (a table of many scales, a number at every scale, the round numbers 10^16 to 10^37), each
    // with its negative. Each row is found by its numbers, and by no other near them.
    DbServer server(StandInRoot());
    struct Table {
        std::string name;
        std::vector<DumpColumn> columns;
        std::vector<std::vector<std::string>> rows; // as the dump and a select write them
    };
    std::vector<Table> tables = {
        {"wide_n", {{"n", "decimal(20,0)"}, {"m", "decimal(38,2)"}},
         {{"12345678901234567891", "-123456789012345678901234567890123456.78"}}},
        {"scales_n", {}, {{}, {}}}, {"every_n", {}, {{}, {}}}, {"round_n", {{"n", "decimal(38,0)"}}, {}},
        // What the table declares of NULL goes the same ways as its values.
        {"nn_t", {{"k", "int", true}, {"m", "smallint", true}, {"note", "int"}}, {{"1", "-2", "3"}}}};
    const auto addColumns = [](Table& t, const std::vector<testsupport::ExactNumberCase>& numbers) {
        for (const testsupport::ExactNumberCase& n : numbers) {
            t.columns.push_back({std::string(1, static_cast<char>('a' + t.columns.size() % 26)) +
                                     std::to_string(t.columns.size()),
                                 n.type});
            t.rows[0].push_back(n.written);
            t.rows[1].push_back(testsupport::Negated(n).written);
        }
    };
    addColumns(tables[1], testsupport::TableOfScalesRow());
    addColumns(tables[2], testsupport::NumbersAtEveryScale());
    for (const testsupport::ExactNumberCase& n : testsupport::RoundNumbers())
        tables[3].rows.insert(tables[3].rows.end(), {{n.written}, {testsupport::Negated(n).written}});
    std::string dump = "default schema dd_demo\r\n";
    std::string names;
    for (const Table& t : tables) {
        names += " " + t.name;
        dump += DumpFormat::CreateTableLine(t.name, t.columns) + "\r\n" + DumpFormat::InsertLine(t.name, t.columns) +
                "\r\n" + DumpFormat::VariableLayoutLine(t.columns) + "\r\n";
        for (const auto& row : t.rows)
            dump += Join(row, " ") + " \r\n";
        dump += "***RIS*** End of Table ***RIS***\r\n";
    }
    testsupport::WriteHostFile(dumps.host() + "/wide.dmp", dump + "***RIS*** End of Schema ***RIS***\r\n");
    const auto risbatch = [&](const std::string& statement) {
        std::string out;
        RisSession session(server);
        session.Execute("default schema dd_demo", out);
        session.Execute(statement, out);
        return out;
    };
    // Every value of every row as the dump holds it, in a select and in the unload.
    const auto holdsEveryDigit = [&](const std::string& unloaded) {
        for (const Table& t : tables) {
            SCOPED_TRACE(t.name);
            const std::string selected = risbatch("select * from " + t.name);
            for (const auto& row : t.rows) {
                EXPECT_NE(unloaded.find("\r\n" + Join(row, " ") + " \r\n"), std::string::npos) << Join(row, " ");
                for (size_t c = 0; c < row.size(); ++c)
                    EXPECT_NE(selected.find("\r\n" + t.columns[c].name + ": " + row[c] + "\r\n"), std::string::npos)
                        << row[c];
            }
        }
    };
    const auto load = [&](const std::string& dump) {
        RisSession session(server);
        std::string console;
        SchemaLoader(session, nullptr, nullptr)
            .Load(RisTransferRequest::Parse(RisTransferRequest::SplitWords("dd_demo clear table with data" + names)),
                  dumpDir + "\\" + dump, console);
    };
    load("wide.dmp");
    holdsEveryDigit(dump);
    for (const Table& t : tables)
        for (const auto& row : t.rows)
            for (size_t c = 0; c < row.size(); ++c)
                EXPECT_NE(risbatch("select count(*) k from " + t.name + " where " + t.columns[c].name + " = " + row[c])
                              .find("\r\nk: 1\r\n"),
                          std::string::npos)
                    << row[c];
    // The binary digits of a double at the scale are other numbers.
    for (const char* near : {"a0 = 98765.432100000005", "b1 = 999999999999999983222784",
                             "c2 = 0.10000000000000000555111512312578270212", "d3 = 2.67499999999999982",
                             "e4 = 1.1000000000000001", "f5 = 1234567.88999999989755",
                             "g6 = -11999999999999999112715591221248"})
        EXPECT_NE(risbatch(std::string("select count(*) k from scales_n where ") + near).find("\r\nk: 0\r\n"),
                  std::string::npos)
            << near;
    {
        // Loaded again by the program into tables of as many rows: the look compares every value.
        admintest::AdminFolder folder{"numbers_load"};
        DumpCommands commands;
        EXPECT_NO_THROW(commands.RISLoad("'" + dumpDir + "\\wide.dmp'"));
        EXPECT_FALSE(commands.report().HasErrors()) << commands.report().FirstError();
        EXPECT_NE(folder.log().find("into dd_demo was done."), std::string::npos) << folder.log();
    }
    ASSERT_EQ(run("/risunloadall"), 0) << text(program.host() + "/err.txt");
    EXPECT_NE(text(dumps.host() + "/dd_demo.dmp").find("\r\ncreate table nn_t (k int not null, m smallint not null, "
                                                       "note int)\r\n"),
              std::string::npos);
    {
        // The restore into a fresh environment, by the program's own load of that dump.
        StandInTestServer fresh;
        fresh.AddSchema("dd_demo");
        testsupport::WriteHostFile(program.host() + "/fresh.prm", "ROOT=" + WinPathFromHost(fresh.Root()) + "\r\n");
        admintest::AdminFolder folder{"fresh_not_null"};
        const std::string saved = GetEnvVar("RIS_PARAMETERS");
        SetEnvVar("RIS_PARAMETERS", WinPathFromHost(program.host() + "/fresh.prm"));
        DumpCommands commands;
        EXPECT_NO_THROW(commands.RISLoad("'" + dumpDir + "\\dd_demo.dmp'"));
        SetEnvVar("RIS_PARAMETERS", saved);
        EXPECT_FALSE(commands.report().HasErrors()) << commands.report().FirstError();
        RisSession session(fresh.Server());
        std::vector<bool> declared;
        for (const RisColumn& c : SchemaTables(session.Database("dd_demo")).Columns("nn_t"))
            declared.push_back(c.notNull);
        EXPECT_EQ(declared, (std::vector<bool>{true, true, false}));
        int failed = 0;
        fresh.Batch("default schema dd_demo;\ninsert into nn_t values (null, 1, 2);\n", &failed);
        EXPECT_EQ(failed, 1);
    }
    load("dd_demo.dmp");
    holdsEveryDigit(text(dumps.host() + "/dd_demo.dmp"));
    EXPECT_THROW(risbatch("insert into nn_t values (null, 1, 2)"), AppError);
    EXPECT_THROW(risbatch("insert into nn_t values (4, null, 2)"), AppError);
    EXPECT_NE(risbatch("insert into nn_t values (4, 1, null)"), "");
    for (const Table& t : tables)
        RisSession(server).Database("dd_demo").Exec("DROP TABLE " + t.name);
    for (const char* schema : {"pd_demo", "dd_demo"}) {
        ASSERT_TRUE(dumpExists(schema)) << schema;
        std::string first = DumpSchemaLine::ReadFirstLine(dumpDir + "\\" + schema + ".dmp");
        EXPECT_EQ(first.rfind(std::string("default schema ") + schema, 0), 0u) << first;
    }
    EXPECT_FALSE(dumpExists("mto_demo"));
    EXPECT_EQ(text(program.host() + "/out.txt"), "");
    EXPECT_EQ(text(program.host() + "/err.txt"), "");
}

TEST_F(RisUnloadAllTest, NothingToUnloadIsSaidAndExitsNonZero)
{
    const std::string saved = text(schemaFile());
    struct Case {
        const char* content;
        const char* why;
    };
    for (const Case& c : {Case{"", "names no schema"}, Case{"\r\r\r", "names no schema"},
                          Case{"\x01\xff garbled", "names no schema"},
                          Case{"SCHNAME=mto_demo\r\n", "names only \"mto_\" schemas"}}) {
        std::ofstream(schemaFile(), std::ios::binary | std::ios::trunc) << c.content;
        EXPECT_EQ(run("/risunloadall"), 1) << c.content;
        const std::string err = text(program.host() + "/err.txt");
        EXPECT_NE(err.find(c.why), std::string::npos) << err;
        EXPECT_NE(err.find("nothing unloaded\n"), std::string::npos) << err;
    }
    std::ofstream(schemaFile(), std::ios::binary | std::ios::trunc) << saved;
    EXPECT_FALSE(dumpExists("pd_demo"));
}

TEST_F(RisUnloadAllTest, AFullLogFolderIsSaidOnceInWordsAndTheDumpsAreWritten)
{
    testsupport::ScopedDir tmp{"fulltmp"};
    SmallDisk disk(tmp.host() + "/small", "64k");
    {
        std::ofstream fill(tmp.host() + "/small/fill", std::ios::binary);
        const std::string block(4096, 'x');
        for (int i = 0; i < 64 && fill.write(block.data(), block.size()); ++i)
            fill.flush();
    }
    EXPECT_EQ(run("/risunloadall", "TMP='" + tmp.host() + "/small'"), 0);
    const std::string err = text(program.host() + "/err.txt");
    EXPECT_EQ(err.find("Tarnwick: The program log '"), 0u) << err;
    EXPECT_NE(err.find("' cannot be written (Disk full); Tarnwick goes on without a log\n"), std::string::npos) << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    EXPECT_TRUE(dumpExists("pd_demo"));
    EXPECT_TRUE(dumpExists("dd_demo"));

    // A full TEMP as well: no batch file can be written, so no client can run.
    fs::remove(dumps.host() + "/pd_demo.dmp");
    const std::string full = "'" + tmp.host() + "/small'";
    EXPECT_EQ(run("/risunloadall", "TMP=" + full + " TEMP=" + full), 1);
    const std::string err2 = text(program.host() + "/err.txt");
    EXPECT_NE(err2.find("Tarnwick: The temporary folder (TEMP) cannot be used, the folder '"), std::string::npos) << err2;
    EXPECT_NE(err2.find("' cannot be written: Disk full: no outside program can be started\nTarnwick: Nothing unloaded\n"),
              std::string::npos)
        << err2;
    EXPECT_EQ(err2.find("CreateFolderA"), std::string::npos) << err2;
    EXPECT_FALSE(dumpExists("pd_demo"));
}

TEST_F(RisUnloadAllTest, OtherCommandLinesUnloadNothing)
{
    EXPECT_NE(run("/RISUNLOADALL"), 0);
    EXPECT_NE(run("/risunloadall now"), 0);
    EXPECT_FALSE(dumpExists("pd_demo"));
    EXPECT_NE(text(program.host() + "/err.txt").find("nothing done"), std::string::npos);
}

TEST_F(RisUnloadAllTest, AFailedUnloadKeepsItsOldDumpNamesTheSchemaAndTheOthersGoOn)
{
    using testsupport::ClientRule;
    const std::string pdDump = dumps.host() + "/pd_demo.dmp";
    const std::string oldDd = "default schema dd_demo\r\nearlier\r\n";
    struct Case {
        const char* what;
        std::vector<ClientRule> rules;  // of risunlod for pd_demo
        std::function<void()> prepare;  // of the old pd_demo dump
        const char* said;               // on stderr
        std::vector<ClientRule> batch = {ClientRule::PassThrough()};  // of risbatch
    };
    const auto oldDump = [&] { std::ofstream(pdDump, std::ios::binary) << "default schema pd_demo\r\nearlier\r\n"; };
    // A good dump of the schema, the only backup of its tables.
    ASSERT_EQ(run("/risunloadall"), 0) << text(program.host() + "/err.txt");
    const std::string good = text(pdDump);
    const auto goodDump = [&] { std::ofstream(pdDump, std::ios::binary) << good; };
    const std::string userFile = DbServer(StandInRoot()).UserDatabasePath("PD_DEMO");
    const std::string userData = text(userFile);
    const std::string dropped = "create table pdtable_999 (a int)\r\ninsert into pdtable_999 (a) values (?)\r\n"
                                "***variable*** a \r\n7 \r\n***RIS*** End of Table ***RIS***\r\n";
    // One failed run and one failed replacement; the window's unload test goes through every other kind.
    const std::vector<Case> cases = {
        {"a dump cut after two tables, exit 0", {ClientRule::CutAnswer(14).When("pd_demo")}, oldDump,
         "Tarnwick: risunlod pd_demo: the new dump is not whole (the end-of-schema line is missing (the file ends at "
         "line 14)), the dump '"},
        // The listing of the schema's tables is whole; the dump lacks a table's block.
        {"a dump without one table, exit 0", {ClientRule::FailTable("pdtable_121", "", 0).When(".dmp")}, oldDump,
         "Tarnwick: risunlod pd_demo: the new dump lacks table pdtable_121 of the schema, the dump '"},
        // The listing ends after its first nine lines, before pdtable_121 and the end-of-schema
        // line, and the dump lacks the same table: the one dump cannot vouch for the other.
        {"a cut listing and a dump without the table it lost, exit 0",
         {ClientRule::CutAnswer(9).When("-s pd_demo table all"),
          ClientRule::FailTable("pdtable_121", "", 0).When(".dmp")},
         oldDump,
         "Tarnwick: risunlod pd_demo: the tables of the schema could not be listed to check the new dump (The "
         "listing risunlod wrote of schema 'pd_demo' is not whole: the end-of-schema line is missing (the listing "
         "ends at line 9, after table 'pdtable_116')), the dump '"},
        // The blocks stay closed, but the rows of a table are cut from inside its block.
        {"rows cut inside a closed block, exit 0", {ClientRule::ThinRows("pdtable_113", 0).When("pd_demo")}, oldDump,
         "Tarnwick: risunlod pd_demo: the new dump does not hold the schema's rows (table 'pdtable_113' holds 0 rows "
         "in the dump, 3 on the server), the dump '"},
        {"a folder in the dump's place", {ClientRule::PassThrough()}, [&] { fs::create_directory(pdDump); },
         "(a folder of that name stands there), no dump '"},
        // The listing whole in form, and the dump, leave out the same table: the dictionary names it.
        {"a listing and a dump without one table, exit 0", {ClientRule::FailTable("pdtable_121", "", 0)}, goodDump,
         "Tarnwick: risunlod pd_demo: the new dump lacks table pdtable_121 of the schema (the dictionary lists table "
         "pdtable_121, the unload client's listing of the schema leaves it out), the dump '"},
        {"a dictionary answer cut short, exit 0", {ClientRule::PassThrough()}, goodDump,
         "Tarnwick: risunlod pd_demo: the dictionary could not be asked for the schema's tables to check the new dump "
         "(The dictionary's list of the schema's tables is incomplete: the answer has no \"End of Data Found\" line",
         {ClientRule::CutAnswer(8).When("ris5tables").Times(1)}},
        {"the schema's database file gone", {ClientRule::PassThrough()}, [&] { goodDump(); fs::remove(userFile); },
         "Tarnwick: risunlod pd_demo: RIS Error: RIS_E_DATABASE_ERROR - Schema 'pd_demo': ORA-01157"},
        // A table of the old dump that the server lists no more keeps the old dump beside the new
        // one; one the server lists still, missing from the new dump, is refused as before.
        {"a table the old dump holds and the server lists, the new dump lacks",
         {ClientRule::FailTable("pdtable_121", "", 0).When(".dmp")},
         [&] { std::ofstream(pdDump, std::ios::binary) << good.substr(0, good.find("create unique")) + dropped +
                                                                 good.substr(good.find("create unique")); },
         "Tarnwick: risunlod pd_demo: the new dump lacks table pdtable_121 of the schema, the dump '"},
    };
    testsupport::WrapperClients clients;
    // The program finds the client that lists a schema's tables through the registry.
    clients.Register();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(dumps.host());
        fs::create_directory(dumps.host());
        c.prepare();
        std::ofstream(dumps.host() + "/dd_demo.dmp", std::ios::binary) << oldDd;
        const std::string pdBefore = fs::is_directory(pdDump) ? "" : text(pdDump);
        clients.Set("risunlod", c.rules);
        clients.Set("risbatch", c.batch);
        EXPECT_EQ(run("/risunloadall"), 1);
        if (!fs::exists(userFile))
            std::ofstream(userFile, std::ios::binary) << userData;
        EXPECT_EQ(fs::is_directory(pdDump) ? "" : text(pdDump), pdBefore);
        // Nothing is kept beside a dump that stays.
        EXPECT_EQ(std::distance(fs::directory_iterator(dumps.host()), {}), 2);
        // The other schema is unloaded all the same.
        EXPECT_NE(text(dumps.host() + "/dd_demo.dmp").find("End of Schema"), std::string::npos);
        const std::string err = text(program.host() + "/err.txt");
        EXPECT_NE(err.find(c.said), std::string::npos) << err;
        EXPECT_NE(err.find("ended with errors (1), 1 dump(s) written"), std::string::npos) << err;
        EXPECT_EQ(err.find('\r'), std::string::npos) << err;
        EXPECT_EQ(text(program.host() + "/out.txt"), "");
        const std::string log = lastLog();
        EXPECT_NE(log.find("Failed: risunlod pd_demo: "), std::string::npos) << log;
        EXPECT_NE(log.find("ended with errors"), std::string::npos) << log;
    }
}

// A table the server lists no more, dropped by the program's repair of tables without model or by
// hand through the client: each of three runs ends 0; the first keeps the old dump whole beside
// the new one under a name no load takes and says both, the later ones keep nothing more. The
// view that read the table stands on: the repair and every run name it and the table it lacks.
TEST_F(RisUnloadAllTest, ATableTheServerListsNoMoreKeepsTheOldDumpBesideOnceAndEveryRunEndsZero)
{
    const std::string ddDump = dumps.host() + "/dd_demo.dmp";
    std::string repairStatus;
    // dd_demo without the views, as each case and the other tests know it, whatever happens here.
    const auto dropViews = [] {
        DbServer server(StandInRoot());
        RisSession session(server);
        std::string out;
        session.Execute("default schema dd_demo", out);
        for (const char* view : {"zv_pdtable_12_9", "zv_pdtable_12_8"})
            if (SchemaTables(session.Database("dd_demo")).HasView(view))
                session.Execute(std::string("drop view ") + view, out);
    };
    struct Undo {
        std::function<void()> undo;
        ~Undo() { undo(); }
    } undo{dropViews};
    const struct {
        const char* what;
        const char* table;
        std::function<void(const char*)> drop;
    } cases[] = {
        {"dropped by the repair of tables without model", "pdtable_12_9",
         [&](const char* table) {
             const std::string savedLog = gLogFile;
             gLogFile = WinPathFromHost(program.host()) + "\\ddl.log";
             ScriptedMessageService boxes;
             CheckTree tree;
             DdlCheckContext context{tree, DdlDatabase::Program(), [] { return std::string("demo"); },
                                     [&](const std::string& status) { repairStatus = status; }, {}, 0};
             boxes.Answer(MsgAnswer::No); // no report
             RunDdlCheck(context);
             ASSERT_NE(tree.Find(std::string("Table") + table), nullptr);
             tree.Find(std::string("Table") + table)->checked = true;
             boxes.Answer(MsgAnswer::Yes);
             RunRepairAction(context, DdlRepairAction::DropTables);
             gLogFile = savedLog;
         }},
        {"dropped by hand through the client", "pdtable_12_8",
         [&](const char* table) {
             const std::string sql = program.host() + "/drop.sql";
             testsupport::WriteHostFile(sql, "default schema dd_demo;\r\ndrop table " + std::string(table) + ";\r\n");
             EXPECT_EQ(std::system(("'" + testsupport::BinDir() + "/risbatch.exe' -i '" + WinPathFromHost(sql) +
                                    "' >/dev/null").c_str()), 0);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        dropViews();
        fs::remove_all(dumps.host());
        fs::create_directory(dumps.host());
        {
            DbServer server(StandInRoot());
            RisSession session(server);
            std::string out;
            const std::string table = c.table;
            for (const std::string& sql : {"default schema dd_demo"s, "create table " + table + " (a int, note char(10))",
                                           "insert into " + table + " values (1, 'kept')",
                                           "create view zv_" + table + " as select note from " + table})
                session.Execute(sql, out);
        }
        const std::string viewLeft = "view 'zv_" + std::string(c.table) + "' reads table '" + c.table +
                                     "', which no longer stands: a dump of the schema cannot make the view until the "
                                     "table stands again or the view is dropped.";
        ASSERT_EQ(run("/risunloadall"), 0) << text(program.host() + "/err.txt");
        const std::string old = text(ddDump);
        ASSERT_NE(old.find("create table " + std::string(c.table) + " "), std::string::npos);
        c.drop(c.table);
        ASSERT_EQ(DbServer(StandInRoot()).OpenUserDatabase("DD_DEMO")->QueryText(
                      "SELECT name FROM sqlite_master WHERE name = ?1", {c.table}), std::nullopt);
        if (std::string(c.table) == "pdtable_12_9")
            EXPECT_EQ(repairStatus, "The checked tables were dropped from dd_demo. Warning: " + viewLeft);
        std::string kept;
        for (int night = 1; night <= 3; ++night) {
            SCOPED_TRACE("run " + std::to_string(night));
            ASSERT_EQ(run("/risunloadall"), 0) << text(program.host() + "/err.txt");
            const std::vector<std::string> names = testsupport::FilesIn(dumps.host());
            ASSERT_EQ(names.size(), 3u) << Join(names, " ");
            if (night == 1) {
                kept = names[1];
                EXPECT_NE(lastLog().find("Warning: risunlod dd_demo: the server lists table"), std::string::npos);
            }
            // The old dump whole, byte for byte, under a name no load takes, never written over.
            EXPECT_EQ(names, (std::vector<std::string>{"dd_demo.dmp", kept, "pd_demo.dmp"}));
            EXPECT_EQ(kept.rfind("dd_demo.dmp.before-drop_", 0), 0u) << kept;
            EXPECT_EQ(kept.substr(kept.size() - 3), "bak");
            EXPECT_EQ(text(dumps.host() + "/" + kept), old);
            EXPECT_EQ(text(ddDump).find("create table " + std::string(c.table) + " "), std::string::npos);
            EXPECT_NE(text(ddDump).find("End of Schema"), std::string::npos);
            EXPECT_NE(text(ddDump).find("\r\ncreate view zv_" + std::string(c.table) + " as "), std::string::npos);
            EXPECT_EQ(text(program.host() + "/err.txt"),
                      (night > 1 ? std::string()
                                 : "Tarnwick: Warning: risunlod dd_demo: the server lists table " + std::string(c.table) +
                                       " no more, which the old dump holds: the old dump is kept whole as '" + dumpDir +
                                       "\\" + kept + "', and the new dump, without it, takes its place as '" + dumpDir +
                                       "\\dd_demo.dmp'\n") +
                          "Tarnwick: Warning: risunlod dd_demo: " + viewLeft + "\n");
        }
    }
}

// "/risunloadall" killed with every process of its group (its clients too, as a closed terminal
// does) at moments spread over a run, over a dump that has a second (hard) link: the dump and
// its link are then the old dump or the new one, and after the next run the new one, with no
// file left beside them. Every other kill's old dump holds a table the server lists no more: every
// copy of it kept beside is whole, and no part of one stays.
TEST_F(RisUnloadAllTest, KilledWithItsClientsLeavesTheOldOrTheNewDumpAndTheNextRunNoLeftover)
{
    const std::string pdDump = dumps.host() + "/pd_demo.dmp", link = program.host() + "/pd_demo_link.dmp";
    const auto started = std::chrono::steady_clock::now();
    ASSERT_EQ(run("/risunloadall"), 0) << text(program.host() + "/err.txt");
    const auto runTime = std::chrono::steady_clock::now() - started;
    const std::string fresh = text(pdDump);
    std::set<std::string> dumpNames;
    for (const auto& e : fs::directory_iterator(dumps.host()))
        dumpNames.insert(e.path().filename().string());
    // Large enough that its backup takes a while.
    const std::string plain = "default schema pd_demo\r\n" + std::string(8 << 20, 'o') + "\r\n";
    std::string rows;
    for (int i = 0; i < (1 << 20); ++i)
        rows += std::to_string(i % 1000) + " \r\n";
    const std::string withGone = fresh.substr(0, fresh.find("create unique")) +
                                 "create table pdtable_999 (a int)\r\ninsert into pdtable_999 (a) values (?)\r\n"
                                 "***variable*** a \r\n" + rows + "***RIS*** End of Table ***RIS***\r\n" +
                                 fresh.substr(fresh.find("create unique"));
    const auto keptCopies = [&] {
        std::vector<std::string> copies;
        for (const auto& e : fs::directory_iterator(dumps.host()))
            if (const std::string name = e.path().filename().string();
                name[0] != '.' && name.find(".before-drop_") != std::string::npos)
                copies.push_back(text(e.path().string()));
        return copies;
    };
    const int kills = 10;
    for (int k = 0; k < kills; ++k) {
        SCOPED_TRACE("kill " + std::to_string(k));
        const std::string& old = k % 2 ? withGone : plain;
        for (const auto& e : fs::directory_iterator(dumps.host()))
            if (e.path().filename().string().find(".before-drop_") != std::string::npos)
                fs::remove(e.path());
        fs::remove(pdDump);
        fs::remove(link);
        std::ofstream(pdDump, std::ios::binary) << old;
        fs::create_hard_link(pdDump, link);
        const pid_t child = ::fork();
        if (child == 0) {
            ::setpgid(0, 0);
            for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
                ::unsetenv(name);
            std::freopen("/dev/null", "w", stdout);
            std::freopen("/dev/null", "w", stderr);
            const std::string program_ = program.host() + "/tarnwick";
            ::execl(program_.c_str(), program_.c_str(), "/risunloadall", static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::setpgid(child, child);
        std::this_thread::sleep_for(runTime * (k + 1) / (kills + 1));
        ::kill(-child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        // What the next run does first for the dump it replaces.
        MendInterruptedReplacement(dumpDir + "\\pd_demo.dmp");
        const std::string now = text(pdDump);
        EXPECT_TRUE(now == old || now == fresh) << now.size() << " bytes, neither the old nor the new dump";
        EXPECT_EQ(fs::hard_link_count(pdDump), 2u);
        for (const std::string& copy : keptCopies())
            EXPECT_TRUE(copy == old) << "a kept copy of " << copy.size() << " bytes is no whole old dump";

        ASSERT_EQ(run("/risunloadall"), 0) << text(program.host() + "/err.txt");
        EXPECT_EQ(text(pdDump), fresh);
        EXPECT_EQ(text(link), fresh);
        const std::vector<std::string> copies = keptCopies();
        EXPECT_EQ(copies.empty(), &old == &plain);
        for (const std::string& copy : copies)
            EXPECT_TRUE(copy == old) << "a kept copy of " << copy.size() << " bytes is no whole old dump";
        std::set<std::string> names;
        for (const auto& e : fs::directory_iterator(dumps.host()))
            if (const std::string name = e.path().filename().string();
                name[0] == '.' || name.find(".before-drop_") == std::string::npos)
                names.insert(name);
        EXPECT_EQ(names, dumpNames);
    }
}

// The script file's default, written back at the start where the key is missing, that cannot be
// stored (its folder full, its lock held by another program past the writer's wait or the file
// read-only) changes nothing any reader gets: said once on stderr and in the log as a warning,
// naming the file, why and what stands, and a run whose dumps are written ends 0. The value that
// stands already is no write: nothing is said.
TEST_F(RisUnloadAllTest, ADefaultNotWrittenBackIsSaidOnceAndTheRunEndsWell)
{
    const std::string iniHost = program.host() + "/tarnwick.ini", ini = WinPathFromHost(iniHost);
    const std::string standing = "scriptfile=" + WinPathFromHost(program.host()) + "\\tarnwick.scr\r\n";
    enum class Fault { FullDisk, LockHeld, ReadOnly };
    const struct {
        const char* name;
        Fault fault;
        bool valueStands; // the file holds the value the start writes back
        const char* why;  // empty: no write, nothing said
    } cases[] = {
        {"folder full", Fault::FullDisk, false, "could not be written (Disk full); it holds no scriptfile"},
        {"lock held", Fault::LockHeld, false, "is in use by another program"},
        {"read-only", Fault::ReadOnly, false, "is read-only; it holds no scriptfile in [TARNWICK]"},
        {"read-only, the value standing", Fault::ReadOnly, true, ""},
        {"lock held, the value standing", Fault::LockHeld, true, ""},
    };
    const std::string plain = text(iniHost);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        testsupport::WriteHostFile(iniHost, c.valueStands ? plain + standing : plain);
        const std::string iniBefore = text(iniHost);
        const auto modified = fs::last_write_time(iniHost);
        std::optional<FileLock> other;
        if (c.fault == Fault::LockHeld)
            other.emplace(WinPathFromHost(program.host() + "/.tarnwick.ini.lock"));
        if (c.fault == Fault::ReadOnly)
            fs::permissions(iniHost, fs::perms::owner_read);
        const std::string full =
            c.fault == Fault::FullDisk ? std::string(kTestFullDiskVariable) + "='" + program.host() + "=1'" : "";
        const int exitCode = run("/risunloadall", full);
        other.reset();
        fs::permissions(iniHost, fs::perms::owner_read | fs::perms::owner_write);
        const std::string err = text(program.host() + "/err.txt");
        EXPECT_EQ(text(iniHost), iniBefore);
        EXPECT_TRUE(dumpExists("pd_demo") && dumpExists("dd_demo"));
        EXPECT_EQ(exitCode, 0) << err;
        if (!*c.why) {
            EXPECT_EQ(err, "");
            EXPECT_EQ(fs::last_write_time(iniHost), modified);
            continue;
        }
        const std::string said = "Warning: The setting scriptfile=";
        const size_t at = err.find(said);
        EXPECT_NE(at, std::string::npos) << err;
        EXPECT_EQ(err.find(said, at + 1), std::string::npos) << err; // once
        EXPECT_NE(err.find("was not stored in '" + ini + "': ", at), std::string::npos) << err;
        EXPECT_NE(err.find(c.why, at), std::string::npos) << err;
        EXPECT_NE(err.find("every reader of the missing key gets that value all the same", at), std::string::npos)
            << err;
        EXPECT_EQ(err.find("ended with errors"), std::string::npos) << err;
        EXPECT_NE(lastLog().find("The setting scriptfile="), std::string::npos);
    }
    testsupport::WriteHostFile(iniHost, plain);
    EXPECT_EQ(run("/risunloadall"), 0) << text(program.host() + "/err.txt");
}

// A relative dump folder goes on from the program's current folder, and only from one on a drive
// or share of the environment, ".." never above the drive: from any other the run is refused
// naming the folder, and nothing is written outside the root.
TEST_F(RisUnloadAllTest, ARelativeDumpFolderStaysInTheEnvironmentOrIsRefusedByName)
{
    const std::string drive = StandInRoot() + "/drives/c", outside = program.host() + "/a/b/c";
    fs::create_directories(drive + "/tw_unload/a");
    fs::create_directories(outside);
    struct Case {
        const char* folder;      // risdmpdir
        std::string startedIn;   // the program's current folder (host)
        std::string dumpsIn;     // where the dumps go (host), or empty: refused
    };
    for (const Case& c : {Case{".", drive + "/tw_unload/a", drive + "/tw_unload/a"},
                          Case{"..\\..\\..", drive + "/tw_unload/a", drive},
                          Case{".", outside, ""}, Case{"..\\..\\..", outside, ""}}) {
        SCOPED_TRACE(std::string(c.folder) + " from " + c.startedIn);
        std::ofstream(program.host() + "/tarnwick.ini", std::ios::binary | std::ios::trunc)
            << "[TARNWICK]\r\nrisdmpdir=" << c.folder << "\r\n";
        const int code = run("/risunloadall", "", c.startedIn);
        const std::string err = text(program.host() + "/err.txt");
        for (const auto& e : fs::recursive_directory_iterator(program.host()))
            EXPECT_NE(e.path().extension(), ".dmp") << e.path();
        if (c.dumpsIn.empty()) {
            EXPECT_EQ(code, 1);
            EXPECT_NE(err.find("The dump folder '" + std::string(c.folder) + "' is relative, and the current folder '" +
                               WinPathFromHost(c.startedIn) +
                               "' lies on no drive or share of the environment: nothing unloaded"),
                      std::string::npos)
                << err;
            continue;
        }
        EXPECT_EQ(code, 0) << err;
        for (const char* schema : {"pd_demo", "dd_demo"}) {
            const std::string dump = c.dumpsIn + "/" + schema + ".dmp";
            EXPECT_EQ(DumpSchemaLine::ReadFirstLine(WinPathFromHost(dump)).rfind(std::string("default schema ") + schema, 0),
                      0u);
            fs::remove(dump);
        }
    }
    fs::remove_all(drive + "/tw_unload");
}

// Views made again under the views that read them, and grants on views: the dump of
// "/risunloadall" is loaded by the program's own load into a fresh environment (a restore after
// a loss), found whole, with every view and grant the schema held.
TEST_F(RisUnloadAllTest, ViewsMadeAgainAndGrantsOnViewsLoadWholeIntoAFreshEnvironment)
{
    DbServer server(StandInRoot());
    const auto execute = [&](const std::string& statements) {
        RisSession session(server);
        std::string out;
        session.Execute("default schema pd_demo", out);
        for (const std::string& statement : Split(statements, ";"))
            session.Execute(statement, out);
    };
    // pd_demo as the other tests know it, whatever happens here.
    struct Undo {
        std::function<void()> undo;
        ~Undo() { undo(); }
    } undo{[&] {
        for (const char* view : {"zboth", "ztop", "zmid", "zbase"})
            if (ViewsWithGrants(server, "pd_demo").count(view))
                execute(std::string("drop view ") + view);
        server.DropUser("PD_READER");
        for (const auto& [object, seen] : RunMark::List("load "))
            RunMark::RemoveLeft(object);
    }};
    server.SetUserPassword("PD_READER", "pd_reader");
    execute("create view zbase as select model_index_no, model_no from pdtable_113;"
            "create view zmid as select model_index_no from zbase;create view ztop as select count(*) n from zmid;"
            "create view zboth as select zbase.model_no from zbase, zmid where zbase.model_index_no = "
            "zmid.model_index_no;drop view zbase;"
            "create view zbase as select model_index_no, model_no from pdtable_113 where model_type > 0;"
            "grant select on zbase to pd_reader;grant select, insert, update on zboth to pd_reader, public;"
            "grant all on zmid to public");
    ASSERT_EQ(run("/risunloadall"), 0) << text(program.host() + "/err.txt");

    StandInTestServer fresh;
    fresh.AddSchema("pd_demo");
    fresh.Server().SetUserPassword("PD_READER", "pd_reader");
    testsupport::WriteHostFile(program.host() + "/fresh.prm", "ROOT=" + WinPathFromHost(fresh.Root()) + "\r\n");
    admintest::AdminFolder folder{"fresh_load"};
    const std::string saved = GetEnvVar("RIS_PARAMETERS");
    SetEnvVar("RIS_PARAMETERS", WinPathFromHost(program.host() + "/fresh.prm"));
    DumpCommands commands;
    EXPECT_NO_THROW(commands.RISLoad("'" + dumpDir + "\\pd_demo.dmp'"));
    SetEnvVar("RIS_PARAMETERS", saved);
    EXPECT_FALSE(commands.report().HasErrors()) << commands.report().FirstError();
    EXPECT_EQ(ViewsWithGrants(fresh.Server(), "pd_demo"), ViewsWithGrants(server, "pd_demo"));
}

// A FIFO where the old dump stands: the run neither hangs nor touches it, names it, and goes on.
TEST_F(RisUnloadAllTest, AFifoInTheDumpsPlaceIsRefusedByName)
{
    const std::string pdDump = dumps.host() + "/pd_demo.dmp";
    ASSERT_EQ(::mkfifo(pdDump.c_str(), 0644), 0);
    EXPECT_EQ(run("/risunloadall"), 1);
    EXPECT_TRUE(fs::is_fifo(pdDump));
    const std::string err = text(program.host() + "/err.txt");
    EXPECT_NE(err.find("risunlod pd_demo: '" + dumpDir + "\\pd_demo.dmp' is not a regular file"), std::string::npos)
        << err;
    EXPECT_NE(text(dumps.host() + "/dd_demo.dmp").find("End of Schema"), std::string::npos);
}

} // namespace
