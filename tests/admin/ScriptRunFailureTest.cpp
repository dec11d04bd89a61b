// Scripts on the sample environment whose user, schema or load steps fail: a failure the
// script expects (a create of what is there, a drop of what is not) is logged and passed over,
// every other failure stops the run at its line before the lines after it (which may drop
// what the failed step was to replace) run. A failure of a user or schema tool is passed over only
// when its every error line says that a create's object is there already or a drop's is not.
#include "Form1Fixture.h"

#include "admin/AdminGlobals.h"
#include "admin/ScriptUserSteps.h"
#include "platform/TextUtil.h"
#include "support/WrapperClients.h"
#include "services/AppGlobals.h"
#include "services/IniFile.h"

#include <QLineEdit>

using testsupport::ClientRule;

namespace {

using ScriptRunFailureTest = Form1Fixture;

TEST_F(ScriptRunFailureTest, ExpectedFailuresArePassedOverAndOthersStopTheRun)
{
    const std::string missingSchemaDump = dumpDir + "\\pd_nosuch.dmp";
    writeFile(missingSchemaDump, "default schema pd_nosuch\r\ncreate table t (a int)\r\n"
                                 "***RIS*** End of Table ***RIS***\r\n***RIS*** End of Schema ***RIS***\r\n");
    const std::string reload = dumpDir + "\\pd_demo.dmp", cutDump = dumpDir + "\\pd_cut.dmp";
    writeFile(cutDump, "default schema pd_demo\r\ncreate table pdtable_113 (a int)\r\n");
    struct Case {
        const char* name;
        std::string lines;
        const char* error; // in the message that ends the run; empty when the run goes through
        std::string logged; // in the program log
    };
    std::vector<Case> cases = {
        {"the usual reload script on an existing schema",
         "risunload 'pd_demo', '" + reload + "'\r\ncre_dbuser 'pd_demo'\r\ncre_schema 'pd_demo'\r\nrisload '" + reload +
             "'",
         "", "risbatch create schema pd_demo: RIS Error: RIS_E_SCHEMA_EXISTS - Schema 'pd_demo' is already defined. - "
             "passed over, the schema exists already"},
        {"drops of a schema and a user that are not there", "del_schema 'pd_nosuch'\r\ndel_dbuser 'pd_nosuch'", "",
         "svrmgr drop user pd_nosuch: ORA-01918: user 'PD_NOSUCH' does not exist - passed over, the database user "
         "does not exist"},
        {"load of a cut dump", "risload '" + cutDump + "'", "the dump is not whole (table 'pdtable_113'", "Failed: "},
        {"load into a schema that is not there", "risload '" + missingSchemaDump + "'", "rislod pd_nosuch",
         "into pd_nosuch was not done: rislod pd_nosuch: RIS Error: RIS_E_UNKNOWN_SCHEMA"},
    };
    // The script's load names the dump its unload writes, spelled otherwise: with "/" and capitals,
    // or through the dump folder's setting ending in "\", which doubles the "\". Each runs three times.
    const std::string spelled = ToUpper(ReplaceAll(reload, "\\", "/"));
    for (int run = 0; run < 3; ++run) {
        cases.push_back({"the reload script, its load spelled with slashes and capitals",
                         "risunload 'pd_demo', '" + reload + "'\r\nrisload '" + spelled + "'", "",
                         "The load of '" + spelled + "' into pd_demo was done"});
        cases.push_back({"the reload script, its load through the dump folder's setting",
                         "risunload 'pd_demo', '" + reload + "'\r\nrisload '\xA7risdmpdir\xA7\\pd_demo.dmp'", "",
                         "The load of '" + dumpDir + "\\\\pd_demo.dmp' into pd_demo was done"});
    }
    auto form = startedForm();
    const auto pdBefore = tablesOf("pd_demo");
    const std::string marker = dumpDir + "\\marker.txt";
    const std::string script = dumpDir + "\\steps.scr";
    WriteIniValue(gIniFile, "TARNWICK", "risdmpdir", dumpDir + "\\");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const size_t logged = BinaryFile::ReadAll(gLogFile).size(); // what this run adds
        writeFile(marker, "before");
        writeFile(script, c.lines + "\r\nappend_text '" + marker + "', 'after'\r\n");
        form->scriptfile->setText(QString::fromStdString(script));
        const size_t asked = messages.asked().size();
        messages.Answer(MsgAnswer::Yes);
        form->SCRstart_Click();
        const std::string log = BinaryFile::ReadAll(gLogFile).substr(logged);
        EXPECT_NE(log.find(c.logged), std::string::npos) << log;
        if (std::string(c.error).empty()) {
            EXPECT_EQ(messages.asked().size(), asked + 1); // only the question
            EXPECT_EQ(form->aktuellescrzeile->text().toStdString(), "Finished, see log file");
            EXPECT_NE(BinaryFile::ReadAll(marker).find("after"), std::string::npos);
            continue;
        }
        ASSERT_EQ(messages.asked().size(), asked + 2);
        EXPECT_NE(messages.asked().back().prompt.find(c.error), std::string::npos) << messages.asked().back().prompt;
        EXPECT_EQ(BinaryFile::ReadAll(marker), "before");
    }
    WriteIniValue(gIniFile, "TARNWICK", "risdmpdir", dumpDir);
    EXPECT_EQ(tablesOf("pd_demo"), pdBefore);
}

// A load whose client dies: the schema is read again. Loaded whole, the run goes on and the log
// says the load was done although the client died; short of rows, the run stops at the line
// with a message naming the table and its rows, and the lines after it never run.
TEST_F(ScriptRunFailureTest, ALoadWhoseClientDiesIsJudgedByTheSchemasRows)
{
    testsupport::WrapperClients clients;
    auto form = startedForm();
    const std::string dump = dumpDir + "\\pd_demo.dmp";
    form->dumpCommands().RISUnload("'pd_demo', '" + dump + "'");
    const auto before = tablesOf("pd_demo");
    ASSERT_GE(before.at("pdtable_113").size(), 2u);
    const std::string marker = dumpDir + "\\marker.txt";
    const std::string script = dumpDir + "\\load.scr";
    writeFile(script, "risload '" + dump + "'\r\nappend_text '" + marker + "', 'after'\r\n");
    form->scriptfile->setText(QString::fromStdString(script));
    struct Case {
        const char* name;
        bool shortenFirst;  // pdtable_113 loses all rows but one before the load
        ClientRule rislod;
        std::string said;   // in the log (run goes on) or the message (run stops)
        bool goesOn;
    };
    const std::string rows = std::to_string(before.at("pdtable_113").size());
    const std::vector<Case> cases = {
        {"loaded, then died", true, ClientRule::DieAfter(139),
         "The load of '" + dump + "' into pd_demo was done although rislod pd_demo: ended with exit code 139; schema "
         "pd_demo: every table of the dump is there with its rows", true},
        {"died before loading", true, ClientRule::DieBefore(139),
         "The load of '" + dump + "' into pd_demo is not whole: schema pd_demo: pdtable_113 holds 1 row of the dump's " +
         rows, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        clients.Set("rislod", c.rislod);
        writeFile(marker, "before");
        if (c.shortenFirst)
            execute("pd_demo", "delete from pdtable_113 where model_index_no <> 1");
        const size_t asked = messages.asked().size();
        messages.Answer(MsgAnswer::Yes);
        form->SCRstart_Click();
        EXPECT_EQ(clients.Runs("rislod"), 1);
        if (c.goesOn) {
            EXPECT_EQ(messages.asked().size(), asked + 1);
            EXPECT_NE(BinaryFile::ReadAll(gLogFile).find(c.said), std::string::npos) << BinaryFile::ReadAll(gLogFile);
            EXPECT_NE(BinaryFile::ReadAll(marker).find("after"), std::string::npos);
            EXPECT_EQ(tablesOf("pd_demo"), before);
            continue;
        }
        ASSERT_EQ(messages.asked().size(), asked + 2) << BinaryFile::ReadAll(gLogFile);
        EXPECT_NE(messages.asked().back().prompt.find(c.said), std::string::npos) << messages.asked().back().prompt;
        EXPECT_EQ(BinaryFile::ReadAll(marker), "before");
        EXPECT_EQ(tablesOf("pd_demo").at("pdtable_113").size(), 1u);
    }
    clients.Set("rislod", ClientRule::PassThrough());
    messages.Answer(MsgAnswer::Yes);
    form->SCRstart_Click();
    EXPECT_EQ(tablesOf("pd_demo"), before);
}

TEST(ScriptUserStepsTest, OnlyAnExpectedFailureAloneIsPassedOver)
{
    using S = ScriptUserStep;
    const std::string exists = testsupport::WrapperClients::ErrorBlock("RIS_E_SCHEMA_EXISTS", "there");
    const std::string unknown = testsupport::WrapperClients::ErrorBlock("RIS_E_UNKNOWN_SCHEMA", "not there");
    const struct {
        S step;
        long exitCode;
        std::string output;
        const char* passed; // "" = the failure stops the script
    } cases[] = {
        {S::DropUser, 0, "ORA-01918: user 'PD_X' does not exist\r\n", "the database user does not exist"},
        {S::DropUser, 0, "ORA-01017: invalid username/password; logon denied\r\nORA-01918: user 'PD_X' does not exist\r\n",
         ""},
        {S::CreateUser, 0, "ORA-01543: tablespace 'PD_X' already exists\r\n", "the database user exists already"},
        {S::CreateUser, 0, "ORA-01918: user 'PD_X' does not exist\r\n", ""},
        {S::CreateSchema, 1, exists, "the schema exists already"},
        {S::CreateSchema, 1, unknown, ""},
        {S::DropSchema, 1, unknown, "the schema does not exist"},
        {S::DropSchema, 1, unknown + exists, ""},
        {S::DropSchema, 1, "", ""},
        {S::DropSchema, -1, unknown, ""},
    };
    for (const auto& c : cases) {
        ToolOutcome outcome;
        outcome.what = "tool";
        outcome.exitCode = c.exitCode;
        outcome.output = c.output;
        outcome.error = c.output.empty() ? "ended with exit code 1" : ToolRun::FirstErrorLine(c.output);
        EXPECT_EQ(ExpectedStepFailure(c.step, outcome), c.passed) << c.output;
    }
}

} // namespace
