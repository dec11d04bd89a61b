// Dumps whose definition lines are spelled as SQL allows, loaded by the program's own load on the
// sample environment: what the load client made whole, the look after the load finds whole, the
// load's record goes, and "tarnwick /risunloadall" writes the schema over that dump with exit 0.
#include "admin/AdminTestSupport.h"
#include "admin/DumpCommands.h"
#include "platform/RunMark.h"
#include "platform/TextUtil.h"
#include "standins/dbserver/RisSession.h"
#include "support/DumpSpellingCases.h"
#include "support/OtherProcesses.h"
#include "support/SampleEnvironment.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

class DumpSpellingsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { testsupport::BuildSampleEnvironment(); }

    void SetUp() override
    {
        // The program keeps its settings beside itself: a copy of it gets settings of its own.
        std::filesystem::copy_file(testsupport::BinDir() + "/tarnwick", program.host() + "/tarnwick");
        dumpDir = WinPathFromHost(dumps.host());
        testsupport::WriteHostFile(program.host() + "/tarnwick.ini", "[TARNWICK]\r\nrisdmpdir=" + dumpDir + "\r\n");
        server.SetUserPassword("PD_READER", "pd_reader");
    }
    // The sample environment as the other tests know it.
    void TearDown() override
    {
        std::string out;
        RisSession(server).Execute("drop table dd_demo.spelled_t", out);
        server.DropUser("PD_READER");
        for (const auto& [object, seen] : RunMark::List("load "))
            RunMark::RemoveLeft(object);
    }

    DbServer server{StandInRoot()};
    testsupport::ScopedDir program{"prog"};
    testsupport::ScopedDir dumps{"dumps"};
    std::string dumpDir;
};

TEST_F(DumpSpellingsTest, WhatTheLoadMadeWholeIsFoundWholeAndTheNightlyUnloadEndsZero)
{
    for (const testsupport::DumpSpellingCase& c : testsupport::DumpSpellingCases()) {
        SCOPED_TRACE(c.what);
        testsupport::WriteHostFile(dumps.host() + "/dd_demo.dmp", c.dump);
        {
            admintest::AdminFolder folder{"spelled_load"};
            DumpCommands commands;
            EXPECT_NO_THROW(commands.RISLoad("'" + dumpDir + "\\dd_demo.dmp'"));
            EXPECT_FALSE(commands.report().HasErrors()) << commands.report().FirstError();
            EXPECT_NE(folder.log().find("into dd_demo was done."), std::string::npos) << folder.log();
        }
        const std::string out = program.host() + "/out.txt";
        EXPECT_EQ(testsupport::RunHeadless(program.host() + "/tarnwick", {"/risunloadall"}, out), 0)
            << testsupport::ReadHostFile(out);
        // The dump now holds the table as the server keeps it, each grant on its own line.
        const std::string unloaded = testsupport::ReadHostFile(dumps.host() + "/dd_demo.dmp");
        EXPECT_NE(unloaded.find("\r\ncreate table spelled_t (" + Join(c.columns, ", ") + ")\r\n"), std::string::npos);
        for (const std::string& grantee : c.grantees)
            EXPECT_NE(unloaded.find(" on spelled_t to " + grantee + "\r\n"), std::string::npos) << grantee;
    }
}

} // namespace
