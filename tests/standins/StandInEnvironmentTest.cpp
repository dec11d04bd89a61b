// The environment builder: registry, programs, server and the sample project.
#include "standins/dbserver/StandInEnvironment.h"

#include "SmallDisk.h"
#include "platform/Environment.h"
#include "platform/Process.h"
#include "platform/RegistryStore.h"
#include "platform/WinPath.h"
#include "standins/dbserver/DbServer.h"
#include "standins/dbserver/RisSession.h"
#include "standins/dbserver/SchemaTables.h"
#include "standins/dbserver/SqliteDb.h"
#include "platform/TextUtil.h"
#include "support/TestEnvironment.h"
#include "support/TestFiles.h"

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <cstdlib>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <map>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

class StandInEnvironmentTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        options.binDir = testsupport::BinDir();
        options.dataDir = testsupport::SourceDir() + "/tests/data/standins";
        StandInEnvironment::Build(StandInRoot(), options, report);
    }
    StandInEnvironmentOptions options;
    std::string report;
};

TEST_F(StandInEnvironmentTest, RegistryNamesTheRisClientWhoseProgramsExist)
{
    RegistryStore reg;
    ASSERT_EQ(reg.Load(), RegistryStore::LoadResult::Loaded);
    auto subkeys = reg.SubKeyNames("HKEY_LOCAL_MACHINE\\SOFTWARE\\Intergraph\\RIS");
    ASSERT_EQ(subkeys.size(), 1u);
    const RegistryData* path = reg.Value("HKEY_LOCAL_MACHINE\\SOFTWARE\\Intergraph\\RIS\\" + subkeys[0], "PathName");
    ASSERT_TRUE(path);
    std::string dir(path->bytes.begin(), path->bytes.end() - 1);
    for (const char* prog : {"risbatch.exe", "risunlod.exe", "rislod.exe", "risclnsr.exe"})
        EXPECT_TRUE(fs::exists(HostPath(dir + "\\BIN\\" + prog))) << prog;
    EXPECT_TRUE(fs::exists(HostPath(StandInEnvironment::kServerManager)));
    EXPECT_TRUE(fs::exists(HostPath(std::string(StandInEnvironment::kPds2dDir) + "\\mscode.bat")));
    RegistryStore server(StandInEnvironment::kFileServer);
    ASSERT_EQ(server.Load(), RegistryStore::LoadResult::Loaded);
    EXPECT_TRUE(server.Value("HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\lanmanserver\\Shares", "pds"));
}

TEST_F(StandInEnvironmentTest, SampleProjectIsLoadedWithItsTablesAndFiles)
{
    DbServer server(StandInRoot());
    RisSession session(server);
    SchemaTables project(session.Database("pd_demo"));
    for (const char* t : {"pdtable_102", "pdtable_103", "pdtable_111", "pdtable_112", "pdtable_113", "pdtable_114",
                          "pdtable_115", "pdtable_116", "pdtable_121"})
        EXPECT_TRUE(project.HasTable(t)) << t;
    SchemaTables design(session.Database("dd_demo"));
    for (const char* t : {"pdtable_12_1", "pdtable_34_1", "pdtable_50_1", "pdtable_67_1", "pdtable_80_1"})
        EXPECT_GT(design.RowCount(t), 0) << t;
    for (auto& r : session.Database("pd_demo").QueryRows("SELECT model_file_spec FROM pdtable_113"))
        EXPECT_TRUE(fs::exists(HostPath("\\\\PDSSRV1\\pds\\demo\\model\\" + *r[0]))) << *r[0];
    EXPECT_TRUE(fs::exists(HostPath("\\\\PDSSRV1\\pds\\demo\\proj\\mdlsdz.dgn")));
}

TEST_F(StandInEnvironmentTest, BuildingAgainKeepsWhatIsThere)
{
    DbServer server(StandInRoot());
    {
        RisSession session(server);
        std::string out;
        session.Execute("default schema pd_demo", out);
        session.Execute("delete from pdtable_121", out);
    }
    std::string again;
    StandInEnvironment::Build(StandInRoot(), options, again);
    EXPECT_NE(again.find("loaded already"), std::string::npos);
    RisSession session(server);
    EXPECT_EQ(SchemaTables(session.Database("pd_demo")).RowCount("pdtable_121"), 0);
}

TEST(StandInEnvironmentSecond, SecondEnvironmentHoldsItsOwnProjectOnTheSameFileServer)
{
    StandInEnvironmentOptions options{testsupport::BinDir(), testsupport::SourceDir() + "/tests/data/standins"};
    options.secondEnvironment = true;
    std::string report;
    StandInEnvironment::Build(StandInRoot(), options, report);
    DbServer main(StandInRoot());
    DbServer second(StandInRoot() + "/env2");
    EXPECT_TRUE(main.FindSchema("pd_demo"));
    EXPECT_FALSE(main.FindSchema("pd_demo2"));
    EXPECT_TRUE(second.FindSchema("pd_demo2"));
    EXPECT_TRUE(second.FindSchema("dd_demo2"));
    EXPECT_FALSE(second.FindSchema("pd_demo"));
    EXPECT_TRUE(fs::exists(HostPath("\\\\PDSSRV1\\pds\\demo2\\model\\p9001.dgn")));
    SetEnvVar("RIS_PARAMETERS", StandInEnvironment::kSecondParamsFile);
    EXPECT_EQ(DbServer::EnvironmentRoot(), StandInRoot() + "/env2");
    ::unsetenv("RIS_PARAMETERS");
}

TEST(StandInEnvironmentFailure, AFailedBuildLeavesNothingOfItsOwnAndTheNextBuildIsWhole)
{
    testsupport::ScopedDir dir("twenv");
    auto twenv = [&](const std::vector<std::string>& args) {
        const int quiet = ::open("/dev/null", O_WRONLY);
        const long pid = Process::Start(testsupport::BinDir() + "/twenv", args, 0, {-1, quiet, quiet});
        ::close(quiet);
        return Process::Wait(pid);
    };
    const std::string root = dir.host() + "/root";
    EXPECT_EQ(twenv({"--root", root, "--data", dir.host() + "/nosuch"}), 1);
    EXPECT_FALSE(fs::exists(root));

    // A root that was there keeps what it held, and loses only what the failed run made.
    fs::create_directories(root + "/mine");
    testsupport::WriteHostFile(root + "/mine/note.txt", "kept");
    EXPECT_EQ(twenv({"--root", root, "--data", dir.host() + "/nosuch"}), 1);
    std::vector<std::string> left;
    for (const auto& e : fs::recursive_directory_iterator(root))
        left.push_back(e.path().lexically_relative(root).string());
    EXPECT_EQ(left, (std::vector<std::string>{"mine", "mine/note.txt"}));

    // A disk that fills part way.
    {
        const std::string small = dir.host() + "/small";
        SmallDisk disk(small, "64k");
        EXPECT_EQ(twenv({"--root", small + "/root", "--no-second"}), 1);
        EXPECT_FALSE(fs::exists(small + "/root"));
    }

    // A relative root is a host folder below the current one, however the build goes on.
    const int built = std::system(("cd '" + dir.host() + "' && '" + testsupport::BinDir() +
                                   "/twenv' --root root --no-second >/dev/null 2>&1")
                                      .c_str());
    ASSERT_TRUE(WIFEXITED(built) && WEXITSTATUS(built) == 0);
    EXPECT_TRUE(fs::exists(root + "/" + StandInEnvironment::kBuiltMark));
    DbServer server(root);
    EXPECT_TRUE(server.FindSchema("pd_demo"));
    EXPECT_TRUE(server.FindSchema("dd_demo"));
}

namespace {

// What a root holds, as later builds and the program see it: every path below it, a link's
// target, a file's bytes (the root's own path written as "<root>"), and of a database file its
// tables with their row counts.
std::map<std::string, std::string> rootContent(const std::string& root)
{
    std::map<std::string, std::string> content;
    for (const auto& e : fs::recursive_directory_iterator(root)) {
        const std::string rel = e.path().lexically_relative(root).string();
        if (e.is_symlink()) {
            content[rel] = "link to " + fs::read_symlink(e.path()).string();
        } else if (e.is_directory()) {
            content[rel] = "folder";
        } else if (e.path().extension() == ".db") {
            SqliteDb db(e.path().string());
            std::string tables;
            for (auto& r : db.QueryRows("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name"))
                tables += *r[0] + " " + db.QueryText("SELECT count(*) FROM \"" + *r[0] + "\"").value_or("") + "\n";
            content[rel] = tables;
        } else if (rel.find(".lock") == std::string::npos) {
            content[rel] = ReplaceAll(testsupport::ReadHostFile(e.path().string()), root, "<root>");
        }
    }
    return content;
}

} // namespace

TEST(StandInEnvironmentFailure, ABuildKilledAtAnyMomentIsMadeWholeByTheNextBuild)
{
    testsupport::ScopedDir dir("twenv-kill");
    auto start = [&](const std::string& root) {
        const int quiet = ::open("/dev/null", O_WRONLY);
        const long pid = Process::Start(testsupport::BinDir() + "/twenv", {"--root", root}, 0, {-1, quiet, quiet});
        ::close(quiet);
        return pid;
    };
    const std::string whole = dir.host() + "/whole";
    const auto began = std::chrono::steady_clock::now();
    ASSERT_EQ(Process::Wait(start(whole)), 0);
    const auto took = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - began);
    const std::map<std::string, std::string> expected = rootContent(whole);
    ASSERT_TRUE(expected.count(StandInEnvironment::kBuiltMark));

    // Kills spread over the whole run, from its first moments to its last.
    int killedPartWay = 0;
    for (int step = 1; step <= 16; ++step) {
        const std::string root = dir.host() + "/root" + std::to_string(step);
        const long pid = start(root);
        std::this_thread::sleep_for(took * step / 16);
        ::kill(static_cast<pid_t>(pid), SIGKILL);
        Process::Wait(pid);
        killedPartWay += fs::exists(root) && !fs::exists(root + "/" + StandInEnvironment::kBuiltMark);
        ASSERT_EQ(Process::Wait(start(root)), 0) << "step " << step;
        std::map<std::string, std::string> got = rootContent(root);
        for (auto& [path, text] : expected)
            EXPECT_EQ(got[path], text) << "step " << step << ": " << path;
        for (auto& [path, text] : got)
            EXPECT_TRUE(expected.count(path)) << "step " << step << ": left over " << path;
    }
    EXPECT_GT(killedPartWay, 0) << "no kill met the build part way";
}
