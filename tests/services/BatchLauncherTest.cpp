// The batch launcher through the real interpreter, and the waits on a fake clock.
#include "services/BatchLauncher.h"

#include "platform/AppError.h"
#include "platform/Clock.h"
#include "platform/Environment.h"
#include "platform/FileAttributes.h"
#include "platform/Process.h"
#include "platform/WinPath.h"
#include "services/AppGlobals.h"
#include "services/FileOperation.h"
#include "support/Raised.h"
#include "support/TestEnvironment.h"
#include "support/TestFiles.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace fs = std::filesystem;

namespace {

std::string readAll(const std::string& p) { return testsupport::ReadHostFile(p); }

std::vector<std::string> batFiles(const std::string& hostDir)
{
    std::vector<std::string> out;
    for (const auto& e : fs::directory_iterator(hostDir))
        if (e.path().extension() == ".bat")
            out.push_back(e.path().string());
    return out;
}

// Advances its time only when asked to sleep or by a step per reading.
class FakeClock : public Clock {
public:
    uint64_t tick = 1000;
    LocalTime now;
    int nowStepMs = 0;
    int sleeps = 0;
    uint64_t TickMs() override { return tick; }
    LocalTime Now() override
    {
        LocalTime t = now;
        advance(nowStepMs);
        return t;
    }
    void SleepMs(int ms) override
    {
        ++sleeps;
        tick += static_cast<uint64_t>(ms);
        advance(ms);
    }
    void advance(int ms)
    {
        now.millisecond += ms;
        while (now.millisecond >= 1000) {
            now.millisecond -= 1000;
            if (++now.second == 60) {
                now.second = 0;
                if (++now.minute == 60) {
                    now.minute = 0;
                    if (++now.hour == 24) {
                        now.hour = 0;
                        ++now.day; // tests stay inside one month
                    }
                }
            }
        }
    }
};

class BatchLauncherTest : public ::testing::Test {
protected:
    testsupport::ScopedDir dir{"launch"};
    fs::path workingFolder;
    // The launched batch files run in the current folder, and several name their log without a
    // folder ("app.log"): the tests run in their own folder so that nothing lands in the
    // folder the test program was started from.
    void SetUp() override
    {
        gTempDir = AddBackslash(dir.host());
        workingFolder = fs::current_path();
        fs::current_path(dir.host());
    }
    void TearDown() override
    {
        fs::current_path(workingFolder);
        gTempDir.clear();
        SetClock(nullptr);
        SetEventPump(nullptr);
        SetDesktopOpener(nullptr);
    }
};

TEST_F(BatchLauncherTest, ExitCodeOfAnExternalProgramIsTheBatchsExitCode)
{
    const std::string tool = dir.host() + "/tool.exe";
    std::ofstream(tool) << "#!/bin/sh\necho tool says $1\nexit 3\n";
    fs::permissions(tool, fs::perms::owner_all);
    long pid = 0;
    const std::string log = dir.host() + "/app.log";
    EXPECT_EQ(ExecA(QuoteString(tool) + " -x", log, 0, "", pid, true), 3);
    EXPECT_GT(pid, 0);
    EXPECT_EQ(gFileOpErrNumber, 0);
    EXPECT_EQ(readAll(log), "tool says -x\n");
    EXPECT_TRUE(batFiles(dir.host()).empty()); // a waited run removes its batch file
}

TEST_F(BatchLauncherTest, AppendsOutputToALogWhosePathHasABlank)
{
    fs::create_directories(dir.host() + "/my logs (old)");
    const std::string log = dir.host() + "/my logs (old)/app & more.log";
    std::ofstream(log, std::ios::binary) << "first\r\n";
    long pid = 0;
    EXPECT_EQ(ExecA("echo second", log, 0, "", pid, true), 0);
    EXPECT_EQ(ExecA("nosuchtool -x", log, 0, "", pid, true), 9009 % 256);
    // As in cmd, the blank before the redirection stays part of the echoed text.
    EXPECT_EQ(readAll(log), "first\r\nsecond \r\n'nosuchtool' is not recognized as an internal or external command,\r\n"
                            "operable program or batch file.\r\n");
}

TEST_F(BatchLauncherTest, WithoutWaitingTheBatchFileStaysAndTheResultIsMinusOne)
{
    long pid = 0;
    EXPECT_EQ(ExecA("exit 0", "app.log", 0, dir.host(), pid, false), -1);
    ASSERT_GT(pid, 0);
    Process::Wait(pid);
    std::vector<std::string> bats = batFiles(dir.host());
    ASSERT_EQ(bats.size(), 1u);
    const std::string name = fs::path(bats[0]).filename().string();
    EXPECT_EQ(name.rfind(std::to_string(Process::CurrentId()), 0), 0u) << name;
    EXPECT_EQ(readAll(bats[0]), "exit 0 >> app.log 2>&1\r\n");
}

// A log path that would end its quoting runs nothing.
TEST_F(BatchLauncherTest, ALogPathThatWouldEndItsQuotingRunsNothing)
{
    testsupport::ScopedDir folder("inject");
    const std::string victim = folder.host() + "/victim.txt";
    testsupport::WriteHostFile(victim, "keep");
    long pid = 0;
    EXPECT_EQ(ExecA("echo x", "\"C:\\a.log\" & del \"" + victim + "\" & rem \"", 0, folder.host(), pid, true), -1);
    EXPECT_NE(gFileOpErrDescription.find("cannot be put on a command line"), std::string::npos) << gFileOpErrDescription;
    EXPECT_EQ(testsupport::ReadHostFile(victim), "keep");
}

TEST_F(BatchLauncherTest, WritesTheLinesAsTheSystemDefinesThem)
{
    struct Case {
        std::string command, log, expected;
    };
    const std::vector<Case> cases{
        {"tool.exe -x", "", "tool.exe -x\r\n"},
        {"tool.exe -x", "\"C:\\x y\\app.log\"", "tool.exe -x >> \"C:\\x y\\app.log\" 2>&1\r\n"},
        {"tool.exe -x", "C:\\%TEMP%\\app.log", "tool.exe -x >> \"C:\\%%TEMP%%\\app.log\" 2>&1\r\n"},
        {"set RIS_PARAMETERS=x\r\ntool.exe", "app.log", "set RIS_PARAMETERS=x\r\ntool.exe >> app.log 2>&1\r\n"},
    };
    for (const Case& c : cases) {
        testsupport::ScopedDir folder("lines");
        long pid = 0;
        ExecA(c.command, c.log, 0, folder.host(), pid, false);
        Process::Wait(pid);
        std::vector<std::string> bats = batFiles(folder.host());
        ASSERT_EQ(bats.size(), 1u);
        EXPECT_EQ(readAll(bats[0]), c.expected) << c.log;
    }
}

TEST_F(BatchLauncherTest, BlankFolderFallsBackToTempWhenTheTempDirIsMissing)
{
    gTempDir = "C:\\no\\such\\folder\\";
    long pid = 0;
    ExecA("exit 0", "", 0, "  ", pid, false);
    ASSERT_GT(pid, 0);
    Process::Wait(pid);
    const std::vector<std::string> bats = batFiles(GetEnvVar("TEMP"));
    EXPECT_EQ(bats.size(), 1u);
    for (const std::string& b : bats)
        fs::remove(b);
}

TEST_F(BatchLauncherTest, AMissingBatchFolderFails)
{
    long pid = 0;
    EXPECT_EQ(ExecA("exit 0", "", 0, dir.host() + "/none", pid, true), -1);
    EXPECT_EQ(pid, -1);
    EXPECT_NE(gFileOpErrNumber, 0);
    EXPECT_EQ(gFileOpErrSource, "ExecA");
}

TEST_F(BatchLauncherTest, FileWaitTimesOutAfter120000Ms)
{
    FakeClock clock;
    SetClock(&clock);
    EXPECT_FALSE(IsFileExistsA(dir.host() + "/never.txt"));
    EXPECT_EQ(gFileOpErrNumber, 1);
    EXPECT_EQ(gFileOpErrSource, "IsFileExistsA");
    EXPECT_EQ(gFileOpErrDescription, "Checking if file exists failed (timeout 120000 milliseconds is reached)");
    EXPECT_EQ(clock.tick, 1000u + 120000u);
    EXPECT_EQ(clock.sleeps, 120000 / 50);
}

TEST_F(BatchLauncherTest, FileWaitEndsWhenTheWriterLetsGo)
{
    FakeClock clock;
    SetClock(&clock);
    const std::string out = dir.host() + "/out.lis";
    auto lock = std::make_unique<FileLock>(out);
    int polls = 0;
    // The "writer" lets the file go after a few polls.
    SetEventPump([&] {
        if (++polls == 5)
            lock.reset();
    });
    EXPECT_TRUE(IsFileExistsA(out));
    EXPECT_EQ(polls, 5);
    EXPECT_EQ(gFileOpErrNumber, 0);
}

TEST_F(BatchLauncherTest, PauseAcrossMidnightEndsOnTheNextDay)
{
    FakeClock clock;
    clock.now = LocalTime{2026, 3, 14, 23, 59, 59, 0};
    clock.nowStepMs = 10;
    SetClock(&clock);
    int pumped = 0;
    SetEventPump([&] { ++pumped; });
    Pause(2);
    EXPECT_GT(pumped, 0); // the windows stay alive while it waits
    const LocalTime end = clock.Now();
    EXPECT_EQ(end.day, 15);
    EXPECT_EQ(end.hour, 0);
    EXPECT_EQ(end.second, 1);
}

TEST_F(BatchLauncherTest, ShellExecMapsTheOpenersFailures)
{
    struct Case {
        long value;
        std::string text;
    };
    const std::vector<Case> cases{{2, "File: 'C:\\r.xlsx' not found"},
                                  {31, "No association for file extension"},
                                  {32, "DLL not found"}};
    for (const Case& c : cases) {
        SetDesktopOpener([&](const std::string&, const std::string&, const std::string&, const std::string&) { return c.value; });
        long result = -7;
        const AppError e = testsupport::Raised([&] { ShellExec("open", "C:\\r.xlsx", "", "C:\\dir", result); });
        EXPECT_EQ(e.number(), 1);
        EXPECT_EQ(e.description(), c.text);
        EXPECT_EQ(result, c.value);
    }
    SetDesktopOpener([](const std::string&, const std::string&, const std::string&, const std::string&) { return 42L; });
    long result = 0;
    EXPECT_EQ(ShellExec("open", "C:\\r.xlsx", "", "", result), 0);
    EXPECT_EQ(result, 42);
}

TEST_F(BatchLauncherTest, TheDesktopOpenerReportsAMissingFile)
{
    long result = 0;
    EXPECT_EQ(testsupport::Raised([&] { ShellExec("open", "C:\\none\\report.xlsx", "", "", result); }).description(),
              "File: 'C:\\none\\report.xlsx' not found");
    EXPECT_EQ(result, 2);
}

} // namespace
