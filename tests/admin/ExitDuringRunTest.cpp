// Exit pressed while a family command or a script runs: the run stops after the step whose
// client runs at that moment, no further box is shown, and the program ends.
#include "Form1Fixture.h"

#include "admin/AdminGlobals.h"
#include "admin/Families.h"
#include "platform/Clock.h"
#include "platform/Environment.h"
#include "platform/HostFiles.h"
#include "services/AppGlobals.h"
#include "support/WrapperClients.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

namespace {

class ExitDuringRunTest : public Form1Fixture {
protected:
    void TearDown() override
    {
        SetEventPump(nullptr);
        dropProject("exitp");
        Form1Fixture::TearDown();
    }

    static bool userExists(const std::string& user) { return DbServer(StandInRoot()).FindUser(user).has_value(); }
    static bool schemaExists(const std::string& schema)
    {
        return DbServer(StandInRoot()).FindSchema(schema).has_value();
    }

    // Takes out whatever a test made of the project, through the window's own delete.
    void dropProject(const std::string& project)
    {
        auto form = startedForm();
        form->quitProgram = [] {};
        form->Projname->setEditText(QString::fromStdString(project));
        form->selall_Click();
        messages.Answer(MsgAnswer::Yes);
        messages.Answer(MsgAnswer::Yes);
        messages.Answer(MsgAnswer::Ok);
        form->Delete_DB_Schema_Click();
    }

    // Clicks Exit at the given call of the event pump, which the waits for clients call.
    void exitAtPumpCall(Form1& form, int call)
    {
        SetEventPump([&form, call, calls = 0]() mutable {
            if (++calls == call)
                form.Exit_Click();
        });
    }

    static void expectEndAnnounced(Form1& form)
    {
        EXPECT_NE(form.windowTitle().toStdString().find("Tarnwick ends when the running client has finished"),
                  std::string::npos)
            << form.windowTitle().toStdString();
        EXPECT_NE(BinaryFile::ReadAll(gLogFile).find("Exit: Tarnwick ends when the running client has finished"),
                  std::string::npos);
    }
};

TEST_F(ExitDuringRunTest, FamilyDeleteStopsAfterTheRunningStepAndEndsWithoutABox)
{
    {
        auto form = startedForm();
        form->quitProgram = [] {};
        form->Projname->setEditText("exitp");
        form->familyBoxes[0]->setChecked(true);
        form->familyBoxes[1]->setChecked(true);
        messages.Answer(MsgAnswer::Ok);
        form->Create_DB_Schema_Click();
        ASSERT_TRUE(schemaExists("pd_exitp") && schemaExists("dd_exitp") && userExists("dd_exitp"));
    }
    auto form = startedForm();
    int quits = 0;
    form->quitProgram = [&] { ++quits; };
    form->Projname->setEditText("exitp");
    form->selall_Click();
    messages.Answer(MsgAnswer::Yes);
    messages.Answer(MsgAnswer::Yes);
    const size_t asked = messages.asked().size();
    // The first pump call comes from the wait for the drop of pd_exitp's schema, slowed so that it
    // still runs when the wait first looks: the marks of all twelve families, held from the start,
    // are each told of the client before the wait begins.
    testsupport::WrapperClients clients;
    clients.Set("risbatch", testsupport::ClientRule::PassThrough().When("drop schema pd_exitp").Slowed(300));
    exitAtPumpCall(*form, 1);
    form->Delete_DB_Schema_Click();

    EXPECT_EQ(messages.asked().size(), asked + 2); // the two questions, no ready box
    EXPECT_EQ(quits, 1);
    EXPECT_FALSE(schemaExists("pd_exitp"));                            // the running step ended
    EXPECT_TRUE(userExists("pd_exitp"));                               // its next step never ran
    EXPECT_TRUE(schemaExists("dd_exitp") && userExists("dd_exitp")); // nor the next family
    expectEndAnnounced(*form);
    EXPECT_NE(BinaryFile::ReadAll(gLogFile).find("Exit: stopped after Del_Schema of pd_exitp"), std::string::npos);
    EXPECT_TRUE(form->Delete_DB_Schema->isEnabled()); // unlocked
}

TEST_F(ExitDuringRunTest, ScriptStopsAfterTheRunningLineAndEndsWithoutABox)
{
    const std::string script = dumpDir + "\\exit.scr";
    writeFile(script, "cre_dbuser 'pd_exitp'\r\ncre_dbuser 'dd_exitp'\r\nmessage 'not shown'\r\n");
    auto form = startedForm();
    int quits = 0;
    form->quitProgram = [&] { ++quits; };
    form->scriptfile->setText(QString::fromStdString(script));
    messages.Answer(MsgAnswer::Yes);
    const size_t asked = messages.asked().size();
    // The runner pumps once before each line; the second call waits for line 1's client.
    exitAtPumpCall(*form, 2);
    form->SCRstart_Click();

    EXPECT_EQ(messages.asked().size(), asked + 1); // the question only; the message line never ran
    EXPECT_EQ(quits, 1);
    EXPECT_TRUE(userExists("pd_exitp"));
    EXPECT_FALSE(userExists("dd_exitp"));
    EXPECT_EQ(form->aktuellescrzeile->text().toStdString().rfind("Actual Script Line: 1", 0), 0u);
    expectEndAnnounced(*form);
    EXPECT_NE(BinaryFile::ReadAll(gLogFile).find("Exit: script stopped after line 1"), std::string::npos);
}

TEST_F(ExitDuringRunTest, MaintenanceRunStopsAfterTheRunningClientAndEndsWithoutABox)
{
    const std::string statements = GetEnvVar("TMP") + "\\sql.txt";
    const struct {
        QPushButton* Form1::*button;
        bool atGrantClient; // Exit while risbatch grants, else at the first wait
        const char *stopped, *neverRun; // in the log; in neither the log nor risbatch's arguments
    } cases[] = {
        {&Form1::btnRISClean, false, "Exit: RIS clean stopped after schema pd_demo", "'dd_demo'"},
        {&Form1::btnGrantAll, false, "Exit: grant run stopped after the table list of pd_demo; no grant", "sql.txt"},
        {&Form1::btnGrantAll, true, "Exit: grant run stopped after its risbatch run", "after the table list"},
        {&Form1::btnMscode, false, "Exit: mscode run stopped after project p1", "project p2"},
    };
    const std::vector<std::string> savedNames = gSchemaNames;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stopped);
        using testsupport::ClientRule; // slowed; the grants answered, not made: the sample keeps its own
        testsupport::WrapperClients clients;
        clients.Set("risclnsr", ClientRule::PassThrough().Slowed(300));
        clients.Set("risbatch", ClientRule::Scripted(std::nullopt, std::string("done\r\n")).When("sql").Slowed(300));
        auto form = startedForm();
        int quits = 0;
        form->quitProgram = [&] { ++quits; };
        gSchemaNames = {"pd_demo", "dd_demo", "pid_p1", "pid_p2"};
        const size_t asked = messages.asked().size();
        SetEventPump([&, f = form.get(), done = false]() mutable {
            if (!done && (!c.atGrantClient || HostFileExists(statements)))
                done = true, f->Exit_Click();
        });
        ((*form).*(c.button))->click();
        SetEventPump(nullptr);
        EXPECT_EQ(messages.asked().size(), asked); // no box
        EXPECT_EQ(quits, 1);
        const std::string log = BinaryFile::ReadAll(gLogFile);
        EXPECT_NE(log.find(c.stopped), std::string::npos) << log;
        EXPECT_EQ((log + clients.Arguments("risbatch")).find(c.neverRun), std::string::npos);
        expectEndAnnounced(*form);
    }
    gSchemaNames = savedNames;
}

} // namespace
