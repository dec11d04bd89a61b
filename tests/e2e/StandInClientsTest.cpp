// Whole-system runs of the stand-in outside programs: command lines as the program writes
// them, run through the batch launcher and batchcmd, on a freshly built environment.
#include "dbaccess/CRIS.h"
#include "dbaccess/RISErrorReader.h"
#include "dbaccess/RISListing.h"
#include "platform/TextUtil.h"
#include "platform/WinPath.h"
#include "platform/ado/Recordset.h"
#include "services/BatchLauncher.h"
#include "services/FileContents.h"
#include "services/FileOperation.h"
#include "standins/dbserver/StandInEnvironment.h"
#include "support/SampleEnvironment.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

const std::string kBin = std::string(StandInEnvironment::kRisDir) + "\\BIN\\";

std::vector<std::string> lines(const std::string& text)
{
    return Split(ReplaceAll(text, "\r", ""), "\n");
}

// The dump without its schema line, which names the schema it came from.
std::string body(const std::string& dump) { return dump.substr(dump.find("\r\n") + 2); }

} // namespace

class StandInClientsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { testsupport::BuildSampleEnvironment(); }

    void SetUp() override
    {
        work = WinPathFromHost(dir.host()) + "\\";
        log = work + "log.txt";
    }

    // Runs the command lines through a generated batch file, output appended to the log;
    // returns what this run added to the log.
    std::string run(const std::string& command, const std::string& logFile = "use log")
    {
        const std::string target = logFile == "use log" ? log : logFile;
        const std::string before = IsFileExists(log) ? ReadFile2String(log) : std::string();
        long pid = 0;
        ExecA(command, target, 0, work, pid, true);
        const std::string after = IsFileExists(log) ? ReadFile2String(log) : std::string();
        return after.substr(std::min(before.size(), after.size()));
    }

    void write(const std::string& winPath, const std::string& text)
    {
        std::ofstream(HostPath(winPath), std::ios::binary) << text;
    }

    // The database user and RIS schema of a new schema, as the main window makes them.
    void createUserAndSchema(const std::string& s)
    {
        const std::string script = work + "tarnwick.sql";
        write(script, "connect dboper/wq4ztk9\r\ngrant connect to " + s + " identified by " + s + ";\r\n"
                      "grant create database link, create sequence, alter session, create synonym, create table, "
                      "create view to " + s + ";\r\nalter user " + s + " default tablespace USER_DATA;\r\n"
                      "alter user " + s + " temporary tablespace TEMPORARY_DATA;\r\nalter user " + s +
                      " quota unlimited on USER_DATA;\r\nGRANT CONNECT, RESOURCE TO " + s + ";\r\nexit;\r\n\r\n");
        run(std::string("echo ") + StandInEnvironment::kServerManager + " @" + script);
        std::string out = run(std::string(StandInEnvironment::kServerManager) + " @" + script);
        ASSERT_EQ(out.find("ORA-"), std::string::npos) << out;
        write(script, "create schema " + s + " on database (oracle, dbname ORCL, osuser svcacct.k4t2p , dir "
                      "d:\\orant, ostype nt, remote (tcp 127.0.0.1)) user " + s + "." + s + "@ORCL;\r\n");
        out = run("risbatch -i " + script);
        ASSERT_NE(out.find("Schema " + s + " created."), std::string::npos) << out;
    }

    testsupport::AddedSchemasCleanup cleanup;
    testsupport::ScopedDir dir{"e2e"};
    std::string work;
    std::string log;
};

TEST_F(StandInClientsTest, LoadedDumpsUnloadToTheSameRowsForEveryColumnType)
{
    for (const std::string family : {"pd_", "dd_"}) {
        const std::string schema = family + "e2e";
        createUserAndSchema(schema);
        const std::string source = WinPathFromHost(testsupport::SourceDir() + "/tests/data/standins/" + family + "demo.dmp");
        const std::string loadLog = work + schema + ".log", bad = work + schema + ".bad";
        std::string out = run(QuoteString(kBin + "rislod.exe") + " -m w -i " + QuoteString(source) + " -l " +
                              QuoteString(loadLog) + " -b " + QuoteString(bad) + " -c 25 -s " + schema +
                              " clear table with data all view all index all grant all");
        EXPECT_EQ(RISErrorText(out), "") << out;
        EXPECT_TRUE(IsFileExists(bad));
        EXPECT_EQ(GetFileSize(bad), 0);
        EXPECT_GT(GetFileSize(loadLog), 0);
        const std::string dump = work + schema + ".dmp";
        out = run("risunlod -m w -o " + dump + " -s " + schema + " table with var data all index all grant all view all");
        EXPECT_EQ(RISErrorText(out), "") << out;
        const std::string unloaded = ReadFile2String(dump);
        EXPECT_EQ(unloaded.rfind("create schema " + schema + " ", 0), 0u);
        EXPECT_EQ(body(unloaded), body(ReadFile2String(source))) << schema;
    }
}

TEST_F(StandInClientsTest, InsertAndSelectThroughRisbatch)
{
    const std::string in = work + "in.sql", out = work + "out.txt";
    write(in, "default schema pd_demo;\r\n"
              "insert into pdtable_111 (discipline_indx_no, discipline_name) values (3, 'FrameWorks');\r\n"
              "commit;\r\nquit;\r\n");
    run(QuoteString(kBin + "risbatch.exe") + " -i " + QuoteString(in) + " -o " + QuoteString(out), "");
    EXPECT_EQ(RISErrorText(ReadFile2String(out)), "");
    write(in, "default schema pd_demo;\r\nselect discipline_indx_no, discipline_name from pdtable_111 "
              "where discipline_indx_no = 3;\r\nquit;\r\n");
    run(QuoteString(kBin + "risbatch.exe") + " -i " + QuoteString(in) + " -o " + QuoteString(out), "");
    auto l = lines(ReadFile2String(out));
    ASSERT_GE(l.size(), 9u);
    EXPECT_EQ(l[4], "");
    EXPECT_EQ(l[5], "discipline_indx_no: 3");
    EXPECT_EQ(l[6], "discipline_name: 'FrameWorks'");
    EXPECT_EQ(l[7], "");
    EXPECT_EQ(l[8], "End of Data Found");
}

TEST_F(StandInClientsTest, FailingStatementGivesAFramedBlock)
{
    const std::string in = work + "in.sql", out = work + "out.txt";
    write(in, "default schema pd_demo;\r\nupdate pdtable_999 set x = 1;\r\ncommit;\r\nquit;\r\n");
    std::string console = run(QuoteString(kBin + "risbatch.exe") + " -i " + QuoteString(in) + " -o " + QuoteString(out));
    EXPECT_FALSE(TrimWhite(console).empty());
    const std::string text = ReadFile2String(out);
    const std::string block = RISErrorText(text);
    ASSERT_NE(block, "");
    EXPECT_NE(block.find("RIS Error: RIS_E_UNKNOWN_RELATION"), std::string::npos);
    for (const std::string& line : lines(block)) {
        EXPECT_EQ(line[0], '*');
        EXPECT_EQ(line.find_last_of('*'), 78u) << line;
    }
}

TEST_F(StandInClientsTest, RisclnsrReportsSuccess)
{
    std::string out = run("risclnsr.exe pd_demo");
    EXPECT_NE(ToLower(out).find("success"), std::string::npos) << out;
    EXPECT_EQ(RISErrorText(out), "");
    out = run("risclnsr.exe nosuch");
    EXPECT_NE(RISErrorText(out).find("RIS_E_UNKNOWN_SCHEMA"), std::string::npos) << out;
}

TEST_F(StandInClientsTest, SampleProjectTablesAreListed)
{
    const std::string listing = work + "listing.txt";
    std::string out = run(QuoteString(kBin + "risunlod.exe") + " -m w -o " + QuoteString(listing) + " -s pd_demo table all");
    EXPECT_FALSE(TrimWhite(out).empty());
    EXPECT_EQ(ListedTableNames(ReadFile2String(listing)),
              (std::vector<std::string>{"pdtable_102", "pdtable_103", "pdtable_111", "pdtable_112", "pdtable_113",
                                        "pdtable_114", "pdtable_115", "pdtable_116", "pdtable_121"}));
    out = run("risunlod -mw -o " + listing + " -s dd_demo table pdtable_12_1");
    auto tables = ListedTableColumns(ReadFile2String(listing));
    ASSERT_EQ(tables.size(), 1u);
    EXPECT_EQ(tables[0].columnText, "system_unique_no int, line_number_label char(24), nominal_piping_dia double, "
                                    "fluid_code char(4)");
}

TEST_F(StandInClientsTest, TheDatabaseAccessObjectWorksOnTheStandIns)
{
    CRIS cris;
    cris.SetUseRIS("");
    EXPECT_EQ(HostPath(cris.GetRISPath()), HostPath(kBin));
    auto schemas = cris.RISGetSchemas(false, true);
    EXPECT_NE(std::find(schemas.begin(), schemas.end(), "dd_demo"), schemas.end());
    EXPECT_EQ(cris.RISGetSchemas(true, true), std::vector<std::string>{"demo"});
    EXPECT_TRUE(cris.IsTableExists("pd_demo", "PDTABLE_113", false));
    cris.DBWrite("pd_demo", "UPDATE pdtable_113 SET model_description = 'changed' WHERE model_index_no = 1");
    Recordset rs = cris.DBRead("pd_demo", "SELECT model_no, model_description FROM pdtable_113 WHERE partition_no = 1", 3);
    ASSERT_EQ(rs.RecordCount(), 1);
    EXPECT_EQ(rs.Fields()["model_description"].Value().ToText(), "changed");
    const std::string dump = work + "dd.dmp";
    cris.RISUnload(dump, "dd_demo", std::vector<std::string>{"pdtable_12_1"}, std::nullopt, "", 0, true, true);
    EXPECT_EQ(ReadFile2String(dump).rfind("default schema dd_demo", 0), 0u);
    cris.RISLoad(dump, std::nullopt, 0, "", "", 25);
    cris.RISClean("dd_demo");
    EXPECT_FALSE(HostPath(cris.RISGetSchemaFilePath()).empty());
    EXPECT_TRUE(fs::exists(HostPath(cris.RISGetSchemaFilePath())));
}

TEST_F(StandInClientsTest, MscodeRunsForTheProject)
{
    std::string out = run(std::string("c:\r\ncd ") + StandInEnvironment::kPds2dDir + "\r\nmscode.bat demo");
    EXPECT_NE(out.find("project demo"), std::string::npos) << out;
}

TEST_F(StandInClientsTest, ServerManagerListsUsersIntoARedirectedFile)
{
    const std::string script = work + "tarnwick.sql", output = work + "dummy.txt";
    write(script, "connect dbadmin/tpxw9ka2\r\nselect username from dba_users group by username;\r\nexit;\r\n\r\n");
    run(std::string(StandInEnvironment::kServerManager) + " @" + script + " > " + output, "");
    const std::string text = ReadFile2String(output);
    EXPECT_NE(text.find("\r\nPD_DEMO\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\r\n------------------------------\r\n"), std::string::npos);
}

TEST_F(StandInClientsTest, RisParametersSelectAnotherEnvironment)
{
    testsupport::ScopedDir other("env2");
    StandInEnvironmentOptions options;
    options.binDir = testsupport::BinDir();
    options.sampleProject = false;
    std::string report;
    StandInEnvironment::Build(other.host(), options, report);
    const std::string params = work + "env2.prm", in = work + "sql.txt", out = work + "risout.txt";
    write(params, "ROOT=" + other.host() + "\r\n");
    write(in, "show schema names;\r\n");
    run("set RIS_PARAMETERS=" + params + "\r\nrisbatch -i " + in + " -o " + out);
    EXPECT_EQ(SchemaNamesFromOutput(lines(ReadFile2String(out)), false), std::vector<std::string>{});
    run("risbatch -i " + in + " -o " + out);
    EXPECT_EQ(SchemaNamesFromOutput(lines(ReadFile2String(out)), true), std::vector<std::string>{"demo"});
}

TEST_F(StandInClientsTest, FailingClientsStillCreateTheirFilesAndSaySo)
{
    const std::string dump = work + "x.dmp", loadLog = work + "x.log", bad = work + "x.bad";
    write(dump, "left over from an earlier run\r\n");
    std::string out = run("risunlod -m w -o " + dump + " -s nosuch table with var data all");
    EXPECT_NE(RISErrorText(out).find("RIS_E_UNKNOWN_SCHEMA"), std::string::npos) << out;
    // A refused request leaves the earlier file as it was; only a whole dump replaces it.
    EXPECT_EQ(ReadFile2String(dump), "left over from an earlier run\r\n");
    out = run("rislod -m w -i " + work + "missing.dmp -l " + loadLog + " -b " + bad + " -c 25 -s pd_demo clear table "
              "with data all view all index all grant all");
    EXPECT_NE(RISErrorText(out).find("RIS_E_CANT_OPEN_FILE"), std::string::npos) << out;
    EXPECT_TRUE(IsFileExists(loadLog));
    EXPECT_TRUE(IsFileExists(bad));
    EXPECT_NE(RISErrorText(ReadFile2String(loadLog)), "");
}

TEST_F(StandInClientsTest, ModelTablesMoveBetweenEnvironmentsThroughParameterFiles)
{
    testsupport::BuildSampleEnvironment(true);
    const std::string out = work + "risout.txt", sql = work + "sql.txt";
    const std::string table = "pdtable_34_2";
    std::string console = run(std::string("set RIS_PARAMETERS=") + StandInEnvironment::kParamsFile + "\r\nrisunlod -mw -o " +
                              out + " -s dd_demo table with data " + table + " index " + table + " grant " + table +
                              " view " + table);
    EXPECT_EQ(RISErrorText(console), "") << console;
    std::string dump = ReadFile2String(out);
    ASSERT_EQ(dump.rfind("create schema dd_demo ", 0), 0u);
    dump = "default schema dd_demo2" + dump.substr(dump.find("\r\n"));
    write(out, dump);
    console = run(std::string("set RIS_PARAMETERS=") + StandInEnvironment::kSecondParamsFile + "\r\nrislod -m w -i " + out +
                  " -s dd_demo2 clear table with data all view all index all grant all");
    EXPECT_EQ(RISErrorText(console), "") << console;
    write(sql, "default schema dd_demo2;\r\nselect component_code, design_temp from " + table + ";\r\nquit;\r\n");
    run(std::string("set RIS_PARAMETERS=") + StandInEnvironment::kSecondParamsFile + "\r\nrisbatch -i " + sql + " -o " + out);
    const std::string answer = ReadFile2String(out);
    EXPECT_NE(answer.find("component_code: 'GATE1'"), std::string::npos) << answer;
    EXPECT_NE(answer.find("design_temp: 121.50"), std::string::npos) << answer;
    write(sql, "show schema names;\r\n");
    run("risbatch -i " + sql + " -o " + out); // the inherited environment is the main one
    EXPECT_EQ(SchemaNamesFromOutput(lines(ReadFile2String(out)), true), std::vector<std::string>{"demo"});
}
