// The family commands of the main window on the sample environment: database users through the
// server manager and RIS schemas through risbatch land in the stand-in server and leave it
// again; Esc ends the loop between families; bad project names never reach a tool.
#include "e2e/SampleForm1Test.h"

#include "admin/AdminGlobals.h"
#include "dbaccess/CRIS.h"
#include "admin/Families.h"
#include "admin/SchemaNames.h"
#include "admin/TextLines.h"
#include "admin/ToolRun.h"
#include "platform/EscKey.h"
#include "platform/TextUtil.h"
#include "platform/WinPath.h"
#include "ui/qt/EscKeyFilter.h"
#include "services/IniFile.h"
#include "services/MessageService.h"
#include "support/WrapperClients.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

using admintest::HostExists;
using admintest::ReadHostFile;
using testsupport::ClientRule;

const std::string kReady = " Tarnwick is ready  -  See Logfile ";

class FamilyCommandsTest : public SampleForm1Test {
protected:
    void Check(std::initializer_list<const char*> boxes)
    {
        for (const char* name : boxes)
            form.findChild<QCheckBox*>(name)->setChecked(true);
    }

    // The names of the server's schema file as the program reads them at start-up.
    static std::vector<std::string> SchemaFileNames()
    {
        return SchemaNamesOfLines(TextLines(ReadHostFile(Server().SchemaFileHostPath())));
    }
    static bool InSchemaFile(const std::string& schema)
    {
        const auto names = SchemaFileNames();
        return std::any_of(names.begin(), names.end(), [&](const std::string& n) { return EqualsNoCase(n, schema); });
    }
    void ExpectAllButtonsEnabled()
    {
        for (auto* b : {form.Create_DB_Schema, form.Delete_DB_Schema, form.selall})
            EXPECT_TRUE(b->isEnabled());
    }
};

TEST_F(FamilyCommandsTest, CreateAndDeleteUsersAndSchemasOfThreeFamilies)
{
    form.Projname->setEditText("newproj");
    Check({"TDT_PROJNAME", "PIDM_PROJNAME", "PD_PROJNAME"});
    form.Create_DB_Schema->click();

    ASSERT_EQ(messages.asked().size(), 1u);
    EXPECT_EQ(messages.asked()[0].prompt, kReady) << folder.log();
    EXPECT_EQ(gCurrentSchema, "tdt_newproj");
    for (const char* schema : {"pd_newproj", "pipm_newproj", "tdt_newproj"}) {
        auto user = Server().FindUser(schema);
        ASSERT_TRUE(user) << schema;
        EXPECT_TRUE(EqualsNoCase(user->password, schema)) << user->password;
        EXPECT_TRUE(EqualsNoCase(user->defaultTablespace, "USER_DATA"));
        auto entry = Server().FindSchema(schema);
        ASSERT_TRUE(entry) << schema;
        EXPECT_TRUE(EqualsNoCase(entry->dbUser, schema));
        EXPECT_TRUE(InSchemaFile(schema)) << schema;
    }
    for (const char* other : {"dd_newproj", "ra_newproj", "m_newproj"}) {
        EXPECT_FALSE(Server().FindUser(other)) << other;
        EXPECT_FALSE(InSchemaFile(other)) << other;
    }
    EXPECT_FALSE(HostExists(HostPath(ToolRun::ScratchFilePath())));
    EXPECT_NE(folder.log().find("svrmgr30.exe\" @\""), std::string::npos) << "the echo line is logged";
    ExpectAllButtonsEnabled();

    messages.Answer(MsgAnswer::Yes);
    messages.Answer(MsgAnswer::Yes);
    form.Delete_DB_Schema->click();
    ASSERT_EQ(messages.asked().size(), 4u);
    EXPECT_EQ(messages.asked()[1].prompt,
              "Database-User and RIS-Schema of the PDS-Project:  newproj  will be deleted.  OK?");
    EXPECT_EQ(messages.asked()[3].prompt, kReady) << folder.log();
    for (const char* schema : {"pd_newproj", "pipm_newproj", "tdt_newproj"}) {
        EXPECT_FALSE(Server().FindUser(schema)) << schema;
        EXPECT_FALSE(Server().FindSchema(schema)) << schema;
        EXPECT_FALSE(InSchemaFile(schema)) << schema;
    }
    // The sample project is untouched.
    EXPECT_TRUE(Server().FindUser("pd_demo"));
    EXPECT_TRUE(InSchemaFile("pd_demo"));
    ExpectAllButtonsEnabled();
}

TEST_F(FamilyCommandsTest, EscStopsTheLoopAfterTheFamilyInHand)
{
    EscKeyFilter::Install();
    form.Projname->setEditText("escproj");
    form.selall->click();
    // A press made before the command is forgotten as it starts; a key still held down while
    // the first family's tools run is seen at the first question.
    QTest::keyClick(form.Projname, Qt::Key_Escape);
    QTest::keyPress(form.Projname, Qt::Key_Escape);
    form.Create_DB_Schema->click();
    QTest::keyRelease(form.Projname, Qt::Key_Escape);

    EXPECT_TRUE(messages.asked().empty()) << "no ready box after Esc";
    EXPECT_TRUE(Server().FindUser("pd_escproj"));
    EXPECT_TRUE(Server().FindSchema("pd_escproj")) << "both operations of the first family ran";
    EXPECT_FALSE(Server().FindUser("dd_escproj"));
    EXPECT_FALSE(Server().FindSchema("dd_escproj"));
    ExpectAllButtonsEnabled();

    form.deselall->click();
    Check({"PD_PROJNAME"});
    messages.Answer(MsgAnswer::Yes);
    messages.Answer(MsgAnswer::Yes);
    form.Delete_DB_Schema->click();
    EXPECT_FALSE(Server().FindUser("pd_escproj"));
    EscKey::Reset();
}

class FamilyCommandsRefusalTest : public FamilyCommandsTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(FamilyCommandsRefusalTest, ProjectWithAQuoteOrABlankIsRefusedBeforeAnythingRuns)
{
    const std::string project = GetParam();
    size_t usersBefore = Server().Users().size();
    std::vector<std::string> schemasBefore = SchemaFileNames();
    form.Projname->setEditText(QString::fromStdString(project));
    form.selall->click();
    for (auto* button : {form.Create_DB_Schema, form.Delete_DB_Schema, form.Create_Schema, form.Delete_DBUser})
        button->click();

    ASSERT_EQ(messages.asked().size(), 4u) << "one refusal per command, no confirmation";
    for (const auto& asked : messages.asked())
        EXPECT_EQ(asked.prompt, "Project '" + project + "' is not a valid name (letters, digits and '_' only)");
    EXPECT_EQ(Server().Users().size(), usersBefore);
    EXPECT_EQ(SchemaFileNames(), schemasBefore);
    EXPECT_EQ(folder.log().find("svrmgr"), std::string::npos);
    EXPECT_EQ(folder.log().find("risbatch"), std::string::npos);
    ExpectAllButtonsEnabled();
}

INSTANTIATE_TEST_SUITE_P(Projects, FamilyCommandsRefusalTest,
                         ::testing::Values("new proj", "new'proj", "demo' or 'x", "demo ", "", "new\"proj", "new;proj"));

// A tool's failure counts by what stands afterwards: drops of what is not there leave what the
// command was to leave (ready, the log says why the tools complained); a schema that could not
// be made is not done, and the closing box says so and points to the log.
TEST_F(FamilyCommandsTest, ToolErrorsCountByWhatStandsAfterwards)
{
    form.Projname->setEditText("ghostproj");
    Check({"DD_PROJNAME"});
    messages.Answer(MsgAnswer::Yes);
    messages.Answer(MsgAnswer::Yes);
    form.Delete_DB_Schema->click();
    ASSERT_EQ(messages.asked().size(), 3u);
    EXPECT_EQ(messages.asked()[2].prompt, kReady);
    const std::string log = folder.log();
    EXPECT_NE(log.find("The RIS schema dd_ghostproj was not there: risbatch drop schema dd_ghostproj: "
                       "RIS Error: RIS_E_UNKNOWN_SCHEMA"), std::string::npos) << log;
    EXPECT_NE(log.find("The database user dd_ghostproj was not there: svrmgr drop user dd_ghostproj: "
                       "ORA-01918"), std::string::npos) << log;
    EXPECT_EQ(log.find("was done although"), std::string::npos) << log;
    EXPECT_NE(log.find("the database user dd_ghostproj does not exist."), std::string::npos) << log;

    // A schema whose user does not exist: risbatch refuses, the run says it is not done.
    form.Create_Schema->click();
    ASSERT_EQ(messages.asked().size(), 4u);
    const std::string& closing = messages.asked()[3].prompt;
    EXPECT_NE(closing.find("ended with errors"), std::string::npos) << closing;
    EXPECT_NE(closing.find("The creation of RIS schema dd_ghostproj was not done: risbatch create schema "
                           "dd_ghostproj: ORA-01017: invalid username/password; logon denied (user DD_GHOSTPROJ); "
                           "the RIS schema dd_ghostproj does not exist."), std::string::npos) << closing;
    EXPECT_NE(closing.find(gLogFile), std::string::npos) << closing;
    EXPECT_FALSE(Server().FindSchema("dd_ghostproj"));
}

// Tools that do their work and then die, and tools that die before it: the closing box, the
// status line and the log follow the user and schema that stand afterwards, not the exit code.
TEST_F(FamilyCommandsTest, ToolsThatDieAreJudgedByTheUserAndSchemaThatStand)
{
    testsupport::WrapperClients clients;
    WriteIniValue(gIniFile, "TARNWICK", "svrmgr_path", clients.WinFolder() + "svrmgr30.exe");
    form.Projname->setEditText("dieproj");
    Check({"PD_PROJNAME"});
    struct Case {
        const char* name;
        FamilyCommand command;
        ClientRule svrmgr, risbatch; // for the run's own create or drop, not for the looks
        bool exists;                 // user and schema afterwards
        std::vector<std::string> said; // in the closing box (errors) or the log (done)
    };
    const std::vector<Case> cases = {
        {"create, both die after their work", FamilyCommand::CreateDBSchema,
         ClientRule::DieAfter(139).When("grant connect"), ClientRule::DieAfter(139).When("create schema"), true,
         {"The creation of database user pd_dieproj was done although svrmgr create user pd_dieproj: ended with exit "
          "code 139; the database user pd_dieproj exists.",
          "The creation of RIS schema pd_dieproj was done although risbatch create schema pd_dieproj: ended with exit "
          "code 139; the RIS schema pd_dieproj exists."}},
        {"delete, both die before their work", FamilyCommand::DeleteDBSchema,
         ClientRule::DieBefore(139).When("drop user"), ClientRule::DieBefore(139).When("drop schema"), true,
         {"Tarnwick ended with errors (2)",
          "The removal of RIS schema pd_dieproj was not done: risbatch drop schema pd_dieproj: ended with exit code "
          "139; the RIS schema pd_dieproj exists."}},
        {"delete, both die after their work", FamilyCommand::DeleteDBSchema,
         ClientRule::DieAfter(139).When("drop user"), ClientRule::DieAfter(139).When("drop schema"), false,
         {"The removal of RIS schema pd_dieproj was done although", "the RIS schema pd_dieproj does not exist.",
          "The removal of database user pd_dieproj was done although", "the database user pd_dieproj does not exist."}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        clients.Set("svrmgr30", c.svrmgr);
        clients.Set("risbatch", c.risbatch);
        const size_t asked = messages.asked().size();
        if (c.command == FamilyCommand::DeleteDBSchema) {
            messages.Answer(MsgAnswer::Yes);
            messages.Answer(MsgAnswer::Yes);
        }
        (c.command == FamilyCommand::CreateDBSchema ? form.Create_DB_Schema : form.Delete_DB_Schema)->click();
        ASSERT_FALSE(messages.asked().empty());
        const std::string closing = messages.asked().back().prompt;
        const bool errors = c.said.front().rfind("Tarnwick ended with errors", 0) == 0;
        EXPECT_EQ(closing == kReady, !errors) << closing;
        const std::string where = errors ? closing : folder.log();
        for (const std::string& text : c.said)
            EXPECT_NE(where.find(text), std::string::npos) << text << "\n" << where;
        EXPECT_EQ(messages.asked().size(), asked + (c.command == FamilyCommand::CreateDBSchema ? 1u : 3u));
        EXPECT_EQ(Server().FindUser("pd_dieproj").has_value(), c.exists);
        EXPECT_EQ(Server().FindSchema("pd_dieproj").has_value(), c.exists);
        ExpectAllButtonsEnabled();
    }
}

// After a failed schema drop the schema is asked for directly, never read from the schema list
// (no end line); its user is dropped only when it is known gone. A script stops at the drop.
TEST_F(FamilyCommandsTest, AFailedSchemaDropNeverLetsTheUserBeDropped)
{
    testsupport::WrapperClients clients;
    WriteIniValue(gIniFile, "TARNWICK", "svrmgr_path", clients.WinFolder() + "svrmgr30.exe");
    const std::string registered = gCRIS->GetRISPath();
    gCRIS->SetUseRIS(clients.WinFolder()); // the looks ask through the access object
    form.Projname->setEditText("cutproj");
    Check({"PD_PROJNAME"});
    messages.Answer(MsgAnswer::Ok);
    form.Create_DB_Schema->click();
    form.scriptfile->setText(QString::fromStdString(folder.win("del.scr")));
    admintest::WriteHostFile(folder.host("del.scr"), "del_schema 'pd_cutproj'\r\ndel_dbuser 'pd_cutproj'\r\n");
    const ClientRule refused = ClientRule::RefuseStatement("drop schema").When("drop schema");
    const ClientRule listCut = ClientRule::CutAnswer(0).When("show schema");
    const ClientRule entryCut = ClientRule::CutAnswer(3).When("ris5");
    const struct {
        bool script; // the script's two lines, else the family delete
        std::vector<ClientRule> risbatch;
        bool stands;      // user and schema afterwards
        std::string said; // in the last box or the log
    } cases[] = {
        {false, {refused, listCut}, true, "user pd_cutproj was not run: its RIS schema pd_cutproj still stands"},
        {false, {refused, entryCut}, true, "whether its RIS schema pd_cutproj is gone is not known"},
        {true, {refused, listCut}, true, "schema pd_cutproj was not done: risbatch drop schema pd_cutproj: RIS Error"},
        {true, {refused, entryCut}, true, "Whether the removal of RIS schema pd_cutproj was done is not known"},
        {false, {ClientRule::DieAfter(139).When("drop schema"), listCut}, false, kReady},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.said);
        clients.Set("risbatch", c.risbatch);
        const size_t asked = messages.asked().size();
        for (int yes = c.script ? 1 : 2; yes > 0; --yes)
            messages.Answer(MsgAnswer::Yes);
        (c.script ? form.SCRstart : form.Delete_DB_Schema)->click();
        EXPECT_EQ(messages.asked().size(), asked + (c.script ? 2u : 3u));
        EXPECT_NE((messages.asked().back().prompt + folder.log()).find(c.said), std::string::npos) << folder.log();
        EXPECT_EQ(Server().FindUser("pd_cutproj").has_value(), c.stands);
        EXPECT_EQ(Server().FindSchema("pd_cutproj").has_value(), c.stands);
    }
    gCRIS->SetUseRIS(registered);
}

// The tablespace setting names a folder, with or without its closing backslash.
TEST_F(FamilyCommandsTest, OwnTablespaceInADirectory)
{
    for (const auto& [folderSetting, user] : {std::pair{"d:\\oradata", "ts_proj1"}, {"d:\\oradata\\", "ts_proj2"}}) {
        WriteIniValue(gIniFile, "TARNWICK", "user_tablespace", folderSetting);
        form.Cre_DBUser(std::string("'") + user + "'");
        auto created = Server().FindUser(user);
        ASSERT_TRUE(created) << folder.log();
        EXPECT_TRUE(EqualsNoCase(created->defaultTablespace, user));
        auto ts = Server().FindTablespace(user);
        ASSERT_TRUE(ts);
        EXPECT_TRUE(EqualsNoCase(ts->datafile, std::string("d:\\oradata\\") + user + "pds.ora")) << ts->datafile;
        form.Del_DBUser(std::string("'") + user + "'");
        EXPECT_FALSE(Server().FindUser(user));
    }
}

} // namespace
