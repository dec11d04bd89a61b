// Whole-system runs of the stand-in outside programs: command lines as the program writes
// them, run through the batch launcher and batchcmd, on a freshly built environment.
#include "admin/DbUsers.h"
#include "admin/RisSchemas.h"
#include "dbaccess/RISErrorReader.h"
#include "platform/TextUtil.h"
#include "platform/WinPath.h"
#include "services/BatchLauncher.h"
#include "services/FileContents.h"
#include "services/FileOperation.h"
#include "standins/dbserver/StandInEnvironment.h"
#include "support/SampleEnvironment.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

namespace {

const std::string kBin = std::string(StandInEnvironment::kRisDir) + "\\BIN\\";

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

    void write(const std::string& winPath, const std::string& text) { testsupport::WriteHostFile(HostPath(winPath), text); }

    // The database user and RIS schema of a new schema, with the scripts the main window writes.
    void createUserAndSchema(const std::string& s)
    {
        const std::string script = work + "tarnwick.sql";
        write(script, DbUsers::CreateUserScript(s, "dboper/wq4ztk9", "USER_DATA", "TEMPORARY_DATA"));
        std::string out = run(std::string(StandInEnvironment::kServerManager) + " @" + script);
        ASSERT_EQ(out.find("ORA-"), std::string::npos) << out;
        write(script, RisSchemas::CreateSchemaStatement(s, {"ORCL", "svcacct.k4t2p", "d:\\orant", "127.0.0.1"}) + "\r\n");
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

