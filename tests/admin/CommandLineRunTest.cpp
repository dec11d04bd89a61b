// The command-line run in the process, on the sample environment, when its surroundings are
// not as they should be: the log folder missing, the settings file a folder, an empty
// dump folder setting, two runs in one second. Each is said once, in words, and the run does
// what it still can.
#include "Form1Fixture.h"

#include "admin/CommandLineRun.h"
#include "platform/Environment.h"
#include "platform/TextUtil.h"
#include "platform/WinPath.h"
#include "services/AppGlobals.h"
#include "services/FileOperation.h"
#include "support/TestFiles.h"

#include <algorithm>
#include <filesystem>
#include <set>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// The system's clock with the time of day held, so that runs start "in the same second".
class HeldSecondClock : public Clock {
public:
    explicit HeldSecondClock(Clock& system) : system_(system), now_(system.Now()) {}
    uint64_t TickMs() override { return system_.TickMs(); }
    LocalTime Now() override { return now_; }
    void SleepMs(int ms) override { system_.SleepMs(ms); }

private:
    Clock& system_;
    LocalTime now_;
};

class CommandLineRunTest : public Form1Fixture {
protected:
    void SetUp() override
    {
        Form1Fixture::SetUp();
        savedTmp_ = GetEnvVar("TMP");
        ::setenv("TMP", logs.host().c_str(), 1);
    }
    void TearDown() override
    {
        SetClock(nullptr);
        ::setenv("TMP", savedTmp_.c_str(), 1);
        Form1Fixture::TearDown();
    }
    // The prompts of the message boxes from the `from`th on, a line each.
    std::string said(size_t from = 0) const
    {
        std::string all;
        for (size_t i = from; i < messages.asked().size(); ++i)
            all += messages.asked()[i].prompt + "\n";
        return all;
    }
    std::string ini() const { return programDir.host() + "/tarnwick.ini"; }

    testsupport::ScopedDir logs{"logs"};
    std::string savedTmp_;
};

TEST_F(CommandLineRunTest, ALogInAMissingFolderIsSaidOnceAndTheDumpsAreStillWritten)
{
    ::setenv("TMP", (logs.host() + "/gone").c_str(), 1);
    EXPECT_EQ(RunCommandLine("/risunloadall"), 0) << said();
    // Said once, in words, and never pointed at as the place to look.
    ASSERT_EQ(messages.asked().size(), 1u) << said();
    const std::string text = messages.asked().back().prompt;
    EXPECT_EQ(text.rfind("The program log '", 0), 0u) << text;
    EXPECT_NE(text.find("', named by TMP, does not exist); Tarnwick goes on without a log"), std::string::npos) << text;
    for (const char* schema : {"pd_demo", "dd_demo"})
        EXPECT_NE(testsupport::ReadHostFile(dumps.host() + "/" + schema + ".dmp").find("End of Schema"),
                  std::string::npos)
            << schema;
}

TEST_F(CommandLineRunTest, SettingsThatNameNoDumpFolderAreSaidAsTheyAre)
{
    struct Case {
        const char* what;
        std::function<void()> prepare;
        int exitCode;
        const char* said;
        const char* notSaid;
        bool dumpsInTmp;
    };
    const std::vector<Case> cases = {
        {"an empty risdmpdir", [&] { testsupport::WriteHostFile(ini(), "[TARNWICK]\r\nrisdmpdir=\r\n"); }, 1,
         "gives an empty dump folder (risdmpdir=) in [TARNWICK]: nothing unloaded", "does not exist", false},
        // The script file's default the start writes back is not stored: a warning, since every
        // reader gets that default anyway.
        {"the settings file is a folder", [&] { fs::create_directory(ini()); }, 0,
         "' is a folder, not a file: no setting can be read or kept, the defaults are used", "has no section", true},
        {"no settings", [&] { testsupport::WriteHostFile(ini(), ""); }, 0, "has no section [TARNWICK]: the dumps go to '",
         "is a folder", true},
        {"no dump folder setting", [&] { testsupport::WriteHostFile(ini(), "[TARNWICK]\r\nprojname=demo\r\n"); }, 0,
         "has no dump folder (risdmpdir) in [TARNWICK]: the dumps go to '", "is a folder", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(ini());
        c.prepare();
        const size_t asked = messages.asked().size();
        EXPECT_EQ(RunCommandLine("/risunloadall"), c.exitCode);
        const std::string text = said(asked);
        EXPECT_NE(text.find(c.said), std::string::npos) << text;
        EXPECT_EQ(text.find(c.notSaid), std::string::npos) << text;
        EXPECT_EQ(text.find("the dumps go to ''"), std::string::npos) << text;
        EXPECT_EQ(fs::exists(logs.host() + "/pd_demo.dmp"), c.dumpsInTmp);
        fs::remove(logs.host() + "/pd_demo.dmp");
        fs::remove_all(ini());
    }
}

// A path that names a file where a folder is wanted is said to be a file, not a missing folder.
TEST_F(CommandLineRunTest, AFileWhereAFolderIsWantedIsSaidToBeAFile)
{
    const std::string file = logs.host() + "/plain.txt";
    testsupport::WriteHostFile(file, "x");
    ::setenv("TMP", file.c_str(), 1);
    EXPECT_EQ(RunCommandLine("/risunloadall"), 0) << said();
    EXPECT_NE(said().find("', named by TMP, is a file, not a folder); Tarnwick goes on without a log"),
              std::string::npos)
        << said();
    ::setenv("TMP", logs.host().c_str(), 1);

    const std::string dumpFile = dumpDir + "\\pd_demo.dmp";
    testsupport::WriteHostFile(dumps.host() + "/pd_demo.dmp", "default schema pd_demo\r\n");
    testsupport::WriteHostFile(ini(), "[TARNWICK]\r\nrisdmpdir=" + dumpFile + "\r\n");
    const size_t asked = messages.asked().size();
    EXPECT_EQ(RunCommandLine("/risunloadall"), 1);
    EXPECT_NE(said(asked).find("The dump folder '" + dumpFile + "' is a file, not a folder: nothing unloaded"),
              std::string::npos)
        << said(asked);
    EXPECT_EQ(testsupport::ReadHostFile(dumps.host() + "/pd_demo.dmp"), "default schema pd_demo\r\n");
}

// The access object's work folder, which a plain unload leaves empty, does not stay behind.
TEST_F(CommandLineRunTest, AnUnloadLeavesNoEmptyWorkFolder)
{
    const std::string temp = HostPath(AddBackslash(GetEnvVar("TEMP")));
    auto emptyWorkFolders = [&] {
        std::set<std::string> names;
        for (const auto& e : fs::directory_iterator(temp))
            if (e.is_directory() && e.path().filename().string().find("rad") != std::string::npos &&
                fs::is_empty(e.path()))
                names.insert(e.path().filename().string());
        return names;
    };
    const std::set<std::string> before = emptyWorkFolders();
    EXPECT_EQ(RunCommandLine("/risunloadall"), 0) << said();
    EXPECT_TRUE(fs::exists(dumps.host() + "/pd_demo.dmp"));
    const std::set<std::string> after = emptyWorkFolders();
    EXPECT_TRUE(std::includes(before.begin(), before.end(), after.begin(), after.end()));
}

// The work folders and batch files of runs killed before their clean-up go at the next start;
// those of a running process and every other name stay.
TEST_F(CommandLineRunTest, AStartRemovesTheWorkFilesOfEndedRunsOnly)
{
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    ::waitpid(child, nullptr, 0);
    const std::string gone = std::to_string(child), running = std::to_string(::getpid());
    testsupport::ScopedDir elsewhere{"linked"};
    const std::string temp = HostPath(AddBackslash(GetEnvVar("TEMP")));
    struct Case {
        std::string name;
        char kind;   // 'd' a folder holding a file, 'f' a file, 'l' a link to a folder
        bool stays;
    };
    const std::vector<Case> cases = {
        {gone + "radA1B2C", 'd', false},   {gone + "rad0F3E1.bat", 'f', false},    {"radA1B2E", 'd', true},
        {running + "radA1B2D", 'd', true}, {running + "radA1B2D.bat", 'f', true}, {gone + "radA1B2F.txt", 'f', true},
        {gone + "radA1B2A", 'l', true},    {gone + "radXYZ12", 'd', true},        {gone + "rad1234", 'd', true},
        {gone + "radA1B2B", 'f', true},
    };
    for (const Case& c : cases) {
        const std::string path = temp + "/" + c.name;
        if (c.kind == 'd')
            fs::create_directory(path);
        if (c.kind == 'l')
            fs::create_directory_symlink(elsewhere.host(), path);
        else
            testsupport::WriteHostFile(c.kind == 'd' ? path + "/work.tmp" : path, "x");
    }
    testsupport::WriteHostFile(elsewhere.host() + "/kept.txt", "x");
    EXPECT_EQ(RunCommandLine("/risunloadall"), 0) << said();
    for (const Case& c : cases) {
        EXPECT_EQ(fs::exists(fs::symlink_status(temp + "/" + c.name)), c.stays) << c.name;
        fs::remove_all(temp + "/" + c.name); // a link goes, not what it names
    }
    EXPECT_TRUE(fs::exists(elsewhere.host() + "/kept.txt"));
}

TEST_F(CommandLineRunTest, RunsStartedInOneSecondKeepLogsOfTheirOwn)
{
    HeldSecondClock clock(GetClock());
    SetClock(&clock);
    ASSERT_EQ(RunCommandLine("/risunloadall"), 0);
    const std::string first = gLogFile;
    ASSERT_EQ(RunCommandLine("/risunloadall"), 0);
    const std::string second = gLogFile;
    ASSERT_NE(first, second);
    EXPECT_EQ(second, first.substr(0, first.size() - 4) + "_2.log");
    for (const std::string& log : {first, second}) {
        const std::string text = BinaryFile::ReadAll(log);
        EXPECT_EQ(text.rfind(std::string(50, '*'), 0), 0u) << log;
        EXPECT_NE(text.find("LogFile = " + log), std::string::npos) << text;
        EXPECT_NE(text.find("risunloadall ended without errors"), std::string::npos) << text;
    }
}

} // namespace
