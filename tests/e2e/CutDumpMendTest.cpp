// "tarnwick /risunloadall" after a run was killed in the in-place rewrite of a hard-linked dump,
// its process id now another live program's: the old dump is written back and said, or, where
// it cannot be, named with the dump it belongs to.
#include "platform/FileAttributes.h"
#include "platform/WinPath.h"
#include "support/OtherProcesses.h"
#include "support/SampleEnvironment.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <sys/wait.h>

namespace fs = std::filesystem;

namespace {

class CutDumpMendTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { testsupport::BuildSampleEnvironment(); }

    void SetUp() override
    {
        fs::copy_file(testsupport::BinDir() + "/tarnwick", program.host() + "/tarnwick");
        testsupport::WriteHostFile(program.host() + "/tarnwick.ini",
                                   "[TARNWICK]\r\nrisdmpdir=" + WinPathFromHost(dumps.host()) + "\r\n");
    }

    int unloadAll()
    {
        const std::string cmd = "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM '" + program.host() +
                                "/tarnwick' /risunloadall 2>'" + program.host() + "/err.txt'";
        const int status = std::system(cmd.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    // Whether a program log in TMP holds the text.
    static bool logged(const std::string& text)
    {
        for (const auto& e : fs::directory_iterator(std::getenv("TMP")))
            if (e.path().extension() == ".log" &&
                testsupport::ReadHostFile(e.path().string()).find(text) != std::string::npos)
                return true;
        return false;
    }

    testsupport::ScopedDir program{"prog"};
    testsupport::ScopedDir dumps{"dumps"};
};

TEST_F(CutDumpMendTest, TheOldDumpOfAReusedIdIsWrittenBackOrNamed)
{
    const std::string dump = dumps.host() + "/pd_demo.dmp", link = program.host() + "/pd_demo_link.dmp";
    const std::string old = "default schema pd_demo\r\nthe old dump\r\n";
    testsupport::WriteHostFile(dump, "default schema pd_demo\r\nthe old dump cut by the ne");
    fs::create_hard_link(dump, link);
    // The killed run's id is now a sleeping program's, started after the run wrote the backup.
    testsupport::LiveProcess sleeper(testsupport::LiveProcess::Program::Foreign);
    const std::string former = dumps.host() + "/.pd_demo.dmp.~" + sleeper.id() + ".0a1b2c.former";
    testsupport::WriteHostFile(former, old);
    testsupport::AgeHostFile(former);
    const std::string named = "'" + WinPathFromHost(dump) + "' was cut in its rewrite by process " + sleeper.id() +
                              ", which has ended: its former content ";

    // In use by another program: nothing can be written back, and the run says where the old dump waits.
    {
        FileLock inUse(WinPathFromHost(dump), false);
        EXPECT_EQ(unloadAll(), 1);
        const std::string err = testsupport::ReadHostFile(program.host() + "/err.txt");
        EXPECT_NE(err.find(named + "waits in '" + WinPathFromHost(former) + "'"), std::string::npos) << err;
        EXPECT_TRUE(fs::exists(former));
    }
    // Free again: the old dump is written back and said, then replaced by the new one.
    EXPECT_EQ(unloadAll(), 0) << testsupport::ReadHostFile(program.host() + "/err.txt");
    EXPECT_TRUE(logged(named + "was written back from '" + WinPathFromHost(former) + "'"));
    EXPECT_FALSE(fs::exists(former));
    const std::string fresh = testsupport::ReadHostFile(link);
    EXPECT_EQ(fresh.rfind("default schema pd_demo", 0), 0u);
    EXPECT_NE(fresh.find("End of Schema"), std::string::npos);
    EXPECT_NE(fresh, old);
    EXPECT_EQ(testsupport::ReadHostFile(dump), fresh);
}

} // namespace
