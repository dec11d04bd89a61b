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

    // Runs the program with the command line, without any display; returns its exit code.
    int run(const std::string& commandLine)
    {
        std::string cmd = "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM '" + program.host() + "/tarnwick' " +
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

TEST_F(RisUnloadAllTest, UnloadsEverySchemaButMtoWithoutWindowAndExitsZero)
{
    ASSERT_EQ(run("/risunloadall"), 0) << text(program.host() + "/err.txt");
    for (const char* schema : {"pd_demo", "dd_demo"}) {
        ASSERT_TRUE(dumpExists(schema)) << schema;
        std::string first = DumpSchemaLine::ReadFirstLine(dumpDir + "\\" + schema + ".dmp");
        EXPECT_EQ(first.rfind(std::string("default schema ") + schema, 0), 0u) << first;
    }
    EXPECT_FALSE(dumpExists("mto_demo"));
    EXPECT_EQ(text(program.host() + "/err.txt"), "");
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
    int rc = run("/risunloadall");
    {
        std::ofstream restore(userDb, std::ios::binary | std::ios::trunc);
        restore << saved;
    }
    EXPECT_NE(rc, 0);
    std::string log = lastLog();
    EXPECT_NE(log.find("RIS Error:"), std::string::npos) << log;
    EXPECT_NE(log.find("ended with errors"), std::string::npos) << log;
    EXPECT_NE(text(program.host() + "/err.txt").find("ended with errors"), std::string::npos);
}

} // namespace
