// "tarnwick /risunloadall" run as a process on the sample environment: every schema but the
// "mto_" ones unloaded, no window, exit code and program log telling how it went.
#include "dbaccess/DumpSchemaLine.h"
#include "platform/AppError.h"
#include "platform/BinaryFile.h"
#include "platform/WinPath.h"
#include "standins/dbserver/DbServer.h"
#include "standins/dbserver/RisSession.h"
#include "standins/dbserver/StandInEnvironment.h"
#include "support/SampleEnvironment.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/wait.h>

namespace fs = std::filesystem;

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
    // settings given); returns its exit code.
    int run(const std::string& commandLine, const std::string& environment = "")
    {
        std::string cmd = "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM " + environment + " '" + program.host() + "/tarnwick' " +
                          commandLine + " >'" + program.host() + "/out.txt' 2>'" + program.host() + "/err.txt'";
        int status = std::system(cmd.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    std::string text(const std::string& hostFile)
    {
        std::ifstream in(hostFile, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

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
    ASSERT_EQ(run("/risunloadall"), 0) << text(program.host() + "/err.txt");
    for (const char* schema : {"pd_demo", "dd_demo"}) {
        ASSERT_TRUE(dumpExists(schema)) << schema;
        std::string first = DumpSchemaLine::ReadFirstLine(dumpDir + "\\" + schema + ".dmp");
        EXPECT_EQ(first.rfind(std::string("default schema ") + schema, 0), 0u) << first;
    }
    EXPECT_FALSE(dumpExists("mto_demo"));
    EXPECT_EQ(text(program.host() + "/out.txt"), "");
    EXPECT_EQ(text(program.host() + "/err.txt"), "");
}

TEST_F(RisUnloadAllTest, WithoutTheDumpFolderSettingItSaysWhereTheDumpsWent)
{
    testsupport::ScopedDir tmp{"tmp"};
    const std::string tmpWin = WinPathFromHost(tmp.host());
    for (const std::string ini : {"", "[TARNWICK]\r\nprojname=demo\r\n"}) {
        std::ofstream(program.host() + "/tarnwick.ini", std::ios::binary | std::ios::trunc) << ini;
        EXPECT_EQ(run("/risunloadall", "TMP='" + tmp.host() + "' TEMP='" + tmp.host() + "'"), 0);
        const std::string err = text(program.host() + "/err.txt");
        EXPECT_NE(err.find("Warning: "), std::string::npos) << err;
        EXPECT_NE(err.find("the dumps go to '" + tmpWin + "'"), std::string::npos) << err;
        EXPECT_EQ(err.back(), '\n');
        EXPECT_TRUE(fs::exists(tmp.host() + "/pd_demo.dmp"));
        EXPECT_EQ(text(program.host() + "/out.txt"), "");
    }
}

TEST_F(RisUnloadAllTest, NothingToUnloadIsSaidAndExitsNonZero)
{
    std::string schemaFile;
    {
        DbServer server(StandInRoot());
        schemaFile = server.SchemaFileHostPath();
    }
    const std::string saved = text(schemaFile);
    struct Case {
        const char* content;
        const char* why;
    };
    for (const Case& c : {Case{"", "names no schema"}, Case{"\r\r\r", "names no schema"},
                          Case{"\x01\xff garbled", "names no schema"},
                          Case{"SCHNAME=mto_demo\r\n", "names only \"mto_\" schemas"}}) {
        std::ofstream(schemaFile, std::ios::binary | std::ios::trunc) << c.content;
        EXPECT_EQ(run("/risunloadall"), 1) << c.content;
        const std::string err = text(program.host() + "/err.txt");
        EXPECT_NE(err.find(c.why), std::string::npos) << err;
        EXPECT_NE(err.find("nothing unloaded\n"), std::string::npos) << err;
    }
    std::ofstream(schemaFile, std::ios::binary | std::ios::trunc) << saved;
    EXPECT_FALSE(dumpExists("pd_demo"));
}

TEST_F(RisUnloadAllTest, OtherCommandLinesUnloadNothing)
{
    EXPECT_NE(run("/RISUNLOADALL"), 0);
    EXPECT_NE(run("/risunloadall now"), 0);
    EXPECT_FALSE(dumpExists("pd_demo"));
    EXPECT_NE(text(program.host() + "/err.txt").find("nothing done"), std::string::npos);
}

TEST_F(RisUnloadAllTest, FailingServerExitsNonZeroWithTheReasonInTheLog)
{
    // The database user's tables become unreadable to the server.
    std::string userDb;
    {
        DbServer server(StandInRoot());
        userDb = server.UserDatabasePath(server.FindSchema("pd_demo")->dbUser);
    }
    std::string saved = text(userDb);
    {
        std::ofstream broken(userDb, std::ios::binary | std::ios::trunc);
        broken << std::string(4096, 'x');
    }
    // A dump of an earlier run is kept as it was.
    const std::string oldDump = "default schema pd_demo\r\nearlier\r\n";
    std::ofstream(dumps.host() + "/pd_demo.dmp", std::ios::binary) << oldDump;
    int rc = run("/risunloadall");
    {
        std::ofstream restore(userDb, std::ios::binary | std::ios::trunc);
        restore << saved;
    }
    EXPECT_EQ(rc, 1);
    EXPECT_EQ(text(dumps.host() + "/pd_demo.dmp"), oldDump);
    EXPECT_TRUE(dumpExists("dd_demo"));
    std::string log = lastLog();
    EXPECT_NE(log.find("RIS Error:"), std::string::npos) << log;
    EXPECT_NE(log.find("ended with errors"), std::string::npos) << log;
    // One whole line per error, naming the client's error rather than the step after it.
    const std::string err = text(program.host() + "/err.txt");
    ASSERT_FALSE(err.empty());
    EXPECT_EQ(err.back(), '\n');
    EXPECT_EQ(err.find('\r'), std::string::npos) << err;
    EXPECT_NE(err.find("Tarnwick: risunlod pd_demo: RIS Error: "), std::string::npos) << err;
    EXPECT_EQ(err.find("Edrisdmp"), std::string::npos) << err;
    EXPECT_NE(err.find("ended with errors"), std::string::npos) << err;
    EXPECT_EQ(text(program.host() + "/out.txt"), "");
}

} // namespace
