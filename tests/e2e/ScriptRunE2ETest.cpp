// A script of every command word run by the script runner against the sample environment, with
// the main window's command objects as its host: dumps, schemas, users and files as expected;
// a line with a missing argument stops the run and changes nothing.
#include "admin/CommandScriptHost.h"
#include "admin/DbUsers.h"
#include "admin/DumpCommands.h"
#include "admin/RisSchemas.h"
#include "admin/ScriptRunner.h"
#include "dbaccess/CRIS.h"
#include "platform/WinPath.h"
#include "platform/ado/Recordset.h"
#include "services/AppGlobals.h"
#include "services/FileOperation.h"
#include "services/IniFile.h"
#include "services/ScriptedMessageService.h"
#include "standins/dbserver/DbServer.h"
#include "standins/dbserver/StandInEnvironment.h"
#include "support/TestEnvironment.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace {

const std::string kDumpDir = StandInEnvironment::kDumpDir;

std::string readFile(const std::string& winPath)
{
    std::ifstream in(HostPath(winPath), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string firstLine(const std::string& winPath)
{
    const std::string text = readFile(winPath);
    return text.substr(0, text.find("\r\n"));
}

class ScriptRunE2ETest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string report;
        StandInEnvironment::Build(StandInRoot(), {testsupport::BinDir(), testsupport::SourceDir() + "/tests/data/standins"},
                                  report);
        savedIni_ = gIniFile;
        savedLog_ = gLogFile;
        gIniFile = win("tarnwick.ini");
        gLogFile = win("tarnwick.log");
        std::ofstream(dir_.host() + "/tarnwick.log");
        WriteIniValue(gIniFile, "TARNWICK", "projname", "demo");
        WriteIniValue(gIniFile, "TARNWICK", "uservar1", kDumpDir);
        dump_.rewriteDelayMs = 0;
        runner_.escPressed = [] { return false; };
        runner_.showLine = [this](const std::string& s) { shown_ = s; };
    }
    void TearDown() override
    {
        // The copied schema goes again, so later runs in the same environment see the sample only.
        if (schemaExists("pd_scr"))
            schemas_.Del_Schema("'pd_scr'");
        if (userExists("pd_scr"))
            users_.Del_DBUser("'pd_scr'");
        gIniFile = savedIni_;
        gLogFile = savedLog_;
    }

    std::string win(const std::string& name) const { return WinPathFromHost(dir_.host() + "/" + name); }
    ScriptRunner::Outcome run(const std::string& script)
    {
        std::ofstream(dir_.host() + "/tarnwick.scr", std::ios::binary) << script;
        return runner_.Run(win("tarnwick.scr"));
    }
    static bool userExists(const std::string& user) { return DbServer(DbServer::EnvironmentRoot()).FindUser(user).has_value(); }
    static bool schemaExists(const std::string& schema)
    {
        return DbServer(DbServer::EnvironmentRoot()).FindSchema(schema).has_value();
    }
    static long models(const std::string& schema)
    {
        CRIS cris;
        cris.SetUseRIS("");
        return cris.DBRead(schema, "SELECT model_no FROM pdtable_113", 3).RecordCount();
    }

    testsupport::ScopedDir dir_{"scriptrun"};
    std::string savedIni_, savedLog_;
    ScriptedMessageService boxes_;
    DumpCommands dump_;
    DbUsers users_;
    RisSchemas schemas_;
    CommandScriptHost host_{dump_,
                            {[this](const std::string& p) { users_.Cre_DBUser(p); },
                             [this](const std::string& p) { users_.Del_DBUser(p); },
                             [this](const std::string& p) { schemas_.cre_schema(p); },
                             [this](const std::string& p) { schemas_.Del_Schema(p); }}};
    ScriptRunner runner_{host_};
    std::string shown_;
};

TEST_F(ScriptRunE2ETest, EveryCommandWordLeavesItsDumpsSchemasAndFiles)
{
    std::ofstream(HostPath(kDumpDir + "\\notes.txt"), std::ios::binary) << "run notes\r\n";
    const std::string script =
        "! Copy of the sample project schema into pd_scr, with a scratch schema made and removed\r\n"
        "message 'Start of the run for \xA7projname\xA7'\r\n"
        "risunload 'pd_demo', '\xA7uservar1\xA7\\pd_demo.dmp'\r\n"
        "edrisdmp '\xA7uservar1\xA7\\pd_demo.dmp'\r\n"
        "doscmd 'copy \"\xA7uservar1\xA7\\pd_demo.dmp\" \"\xA7uservar1\xA7\\pd_scr.dmp\"'\r\n"
        "change '\xA7uservar1\xA7\\pd_scr.dmp', 'default schema pd_demo', 'default schema pd_scr'\r\n"
        "cre_dbuser 'pd_scr'\r\n"
        "cre_schema 'pd_scr'\r\n"
        "risload '\xA7uservar1\xA7\\pd_scr.dmp'\r\n"
        "cre_dbuser 'pd_tmp'\r\n"
        "cre_schema 'pd_tmp'\r\n"
        "del_schema 'pd_tmp'\r\n"
        "del_dbuser 'pd_tmp'\r\n"
        "append_text '\xA7uservar1\xA7\\notes.txt', 'pd_scr loaded from pd_demo'\r\n";
    ASSERT_EQ(run(script), ScriptRunner::Outcome::Finished) << runner_.lastError();
    EXPECT_EQ(shown_, "Finished, see log file");
    ASSERT_EQ(boxes_.asked().size(), 1u);
    EXPECT_EQ(boxes_.asked()[0].prompt, "Start of the run for demo");

    EXPECT_EQ(firstLine(kDumpDir + "\\pd_demo.dmp").rfind("default schema pd_demo", 0), 0u);
    EXPECT_EQ(firstLine(kDumpDir + "\\pd_scr.dmp").rfind("default schema pd_scr ", 0), 0u);
    EXPECT_EQ(firstLine(kDumpDir + "\\pd_scr.dmp.bak"), firstLine(kDumpDir + "\\pd_demo.dmp"));
    // Only the schema line changed: the rest of the copy is the unloaded dump byte for byte.
    const std::string original = readFile(kDumpDir + "\\pd_demo.dmp");
    const std::string copy = readFile(kDumpDir + "\\pd_scr.dmp");
    EXPECT_EQ(copy.substr(copy.find("\r\n")), original.substr(original.find("\r\n")));

    EXPECT_TRUE(userExists("pd_scr"));
    EXPECT_TRUE(schemaExists("pd_scr"));
    EXPECT_EQ(models("pd_scr"), models("pd_demo"));
    EXPECT_FALSE(userExists("pd_tmp"));
    EXPECT_FALSE(schemaExists("pd_tmp"));
    EXPECT_EQ(readFile(kDumpDir + "\\notes.txt"), "run notes\r\npd_scr loaded from pd_demo\r\n");
    EXPECT_EQ(readFile(kDumpDir + "\\notes.txt.bak"), "run notes\r\n");
    EXPECT_FALSE(dump_.report().HasErrors()) << dump_.report().FirstError();
}

TEST_F(ScriptRunE2ETest, ALineWithAMissingArgumentStopsAndChangesNothing)
{
    DeleteFileA(kDumpDir + "\\pd_demo.dmp");
    const std::string script = "risunload 'pd_demo'\r\n"
                               "cre_dbuser 'pd_never'\r\n";
    EXPECT_EQ(run(script), ScriptRunner::Outcome::Failed);
    EXPECT_EQ(runner_.lineNumber(), 1);
    ASSERT_EQ(boxes_.asked().size(), 1u);
    EXPECT_NE(boxes_.asked()[0].prompt.find("risunload"), std::string::npos);
    EXPECT_FALSE(IsFileExists(kDumpDir + "\\pd_demo.dmp"));
    EXPECT_FALSE(userExists("pd_never"));
}

} // namespace
