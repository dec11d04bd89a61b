// A load seen by other programs: the program killed with its client in the middle of a load, then
// started again and "/risunloadall" run; a load or an unload while another program changes the
// same schema.
#include "Form1Fixture.h"

#include "admin/PipingModelRestore.h"
#include "dbaccess/CRIS.h"
#include "dbaccess/DumpSchemaLine.h"
#include "dbaccess/LoadMarks.h"
#include "platform/RunMark.h"
#include "services/AppGlobals.h"
#include "services/MessageService.h"
#include "support/OtherProcesses.h"
#include "support/Raised.h"
#include "support/TestFiles.h"
#include "support/WrapperClients.h"

#include <QCheckBox>
#include <QLineEdit>

#include <csignal>
#include <gmock/gmock.h>
#include <filesystem>

using testsupport::ClientRule;
using testsupport::ForkedProgram;
using ::testing::HasSubstr;

namespace {

enum class Road { Script, AllDumps, ProjectDumps, ChosenFile, PipingRestore, Unload, UnloadAll, FamilyCreate, FamilyDelete,
                  ScriptUserDrop, SchemaDropOperation };

class LoadMarksTest : public Form1Fixture {
protected:
    // The program with the project's dumps unloaded and a script that loads pd_demo's.
    void SetUp() override
    {
        Form1Fixture::SetUp();
        std::filesystem::copy_file(testsupport::BinDir() + "/tarnwick", programDir.host() + "/tarnwick");
        form = startedForm();
        form->UnLoad_proj_schemen_Click();
        pdDump = dumpDir + "\\pd_demo.dmp";
        ddDump = dumpDir + "\\dd_demo.dmp";
        pdText = BinaryFile::ReadAll(pdDump);
        ddText = BinaryFile::ReadAll(ddDump);
        writeFile(dumpDir + "\\load.scr", "risload '" + pdDump + "'\r\n");
        form->scriptfile->setText(QString::fromStdString(dumpDir + "\\load.scr"));
    }
    void TearDown() override
    {
        form.reset();
        Form1Fixture::TearDown();
    }

    // "tarnwick /risunloadall" run from the test's program folder without a display: its exit
    // code, with what it wrote in out.
    int runUnloadAll(std::string& out)
    {
        const std::string file = programDir.host() + "/out.txt";
        const int code = testsupport::RunHeadless(programDir.host() + "/tarnwick", {"/risunloadall"}, file);
        out = testsupport::ReadHostFile(file);
        return code;
    }

    // Runs a load road of the window, answering its question or its file dialog.
    void runRoad(Road road)
    {
        if (road == Road::ChosenFile)
            dialogs.Answer(pdDump);
        else
            messages.Answer(MsgAnswer::Yes); // "Are you sure?"
        switch (road) {
        case Road::Script: form->SCRstart_Click(); break;
        case Road::AllDumps: form->Load_all_dmp_files_Click(); break;
        case Road::ProjectDumps: form->Load_proj_schemen_Click(); break;
        default: form->Load_auswahl_Click(); break;
        }
    }

    testsupport::WrapperClients clients;
    std::unique_ptr<Form1> form;
    std::string pdDump, ddDump, pdText, ddText;
};

TEST_F(LoadMarksTest, ALoadCutOffOrNotWholeIsNamedAtTheNextStartAndItsDumpOutlivesEveryUnload)
{
    const std::string registered = gCRIS->GetRISPath();
    gCRIS->SetUseRIS(clients.WinFolder()); // the look's listings go through the wrappers too
    const auto pdBefore = tablesOf("pd_demo");
    const struct {
        const char* what;
        Road road;
        std::string client;
        ClientRule rule;
        bool killed;
        std::string named;  // by the next start, after the load's words
        std::string before = {}; // run on pd_demo before the load
    } cases[] = {
        {"killed as rislod starts", Road::Script, "rislod", ClientRule::KillProgram(false).When("-s pd_demo"), true,
         "; schema pd_demo may hold part of it, and no unload replaces the dump '" + pdDump + "'"},
        {"killed after rislod loaded everything", Road::AllDumps, "rislod",
         ClientRule::KillProgram(true).When("-s pd_demo"), true, " while the load client rislod ran; schema pd_demo"},
        {"killed while the look reads the definitions", Road::ProjectDumps, "risunlod",
         ClientRule::KillProgram(false).When("-s pd_demo table all view all"), true,
         " while the schema was read after the load; schema pd_demo may hold part of it"},
        {"a load that ends well and leaves a table short", Road::ChosenFile, "rislod",
         ClientRule::DieBefore(0).When("-s pd_demo"), false,
         "is not whole: schema pd_demo: pdtable_113 holds 1 row of the dump's 3",
         "delete from pdtable_113 where model_index_no <> 1"},
    };
    const std::string load = "he load of '" + pdDump + "' into pd_demo";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        writeFile(pdDump, pdText);
        writeFile(ddDump, ddText);
        if (!c.before.empty())
            execute("pd_demo", c.before);
        clients.Set(c.client, c.rule);
        ForkedProgram run([&] {
            runRoad(c.road);
            return 0;
        });
        EXPECT_EQ(run.Wait() == -SIGKILL, c.killed);
        clients.Set(c.client, ClientRule::PassThrough());
        // A change of another kind on the schema since takes over the schema's mark, and ends.
        RunMark("schema pd_demo", {{"what", "the change of character column lengths of pd_demo to 40"}}).Release();

        std::string err;
        EXPECT_EQ(runUnloadAll(err), 1) << err;
        EXPECT_EQ(BinaryFile::ReadAll(pdDump), pdText);
        EXPECT_EQ(DumpSchemaLine::ReadFirstLine(ddDump).rfind("default schema dd_demo", 0), 0u);
        const std::string who = " (process " + std::to_string(run.pid());
        EXPECT_THAT(err,
                    HasSubstr("Warning: T" + load + (c.killed ? " was cut off by the end of the program" + who : "")));
        EXPECT_THAT(err, HasSubstr(c.named));
        EXPECT_THAT(err, HasSubstr("risunlod pd_demo: not unloaded, the dump '" + pdDump + "' stays as it was: t" +
                                   load + who));

        // The window's start names it as well; a load found whole ends the record.
        const size_t asked = messages.asked().size();
        auto started = startedForm();
        ASSERT_GT(messages.asked().size(), asked);
        EXPECT_THAT(messages.asked()[asked].prompt, HasSubstr(c.named));
        started->dumpCommands().RISLoad("'" + pdDump + "'");
        EXPECT_EQ(tablesOf("pd_demo"), pdBefore);
        EXPECT_TRUE(LoadMarks::LeftTexts().empty());
        EXPECT_EQ(runUnloadAll(err), 0) << err;
    }
    gCRIS->SetUseRIS(registered);
}

TEST_F(LoadMarksTest, AChangeOfASchemaWhileAnotherProgramChangesItIsRefusedByName)
{
    const auto pdBefore = tablesOf("pd_demo"), ddBefore = tablesOf("dd_demo");
    const std::string pdLoad = "the load of '" + pdDump + "' into pd_demo";
    const std::string ddLoad = "the load of '" + ddDump + "' into dd_demo";
    const std::string columns = "the change of character column lengths of pd_demo to 40";
    const struct {
        Road road;
        std::string running; // the other program's change
        int rislod;          // runs of this one's load client
        std::string said = {}; // what this one says before the running change, when no load or unload
    } cases[] = {
        {Road::Script, pdLoad, 0},
        {Road::AllDumps, columns, 1},
        {Road::ChosenFile, pdLoad, 0}, // a raw dump, refused before its first line is rewritten
        {Road::PipingRestore, ddLoad, 0},
        {Road::Unload, pdLoad, 0},
        {Road::UnloadAll, columns, 0},
        // The user and schema families change the schema under its mark like every other change.
        {Road::FamilyCreate, pdLoad, 0, "The creation of database user and RIS schema pd_demo was not started: "},
        {Road::FamilyDelete, columns, 0, "The removal of RIS schema and database user pd_demo was not started: "},
        {Road::ScriptUserDrop, pdLoad, 0, "The removal of database user pd_demo was not started: "},
        {Road::SchemaDropOperation, columns, 0, "The removal of RIS schema pd_demo was not started: "},
    };
    for (const auto& c : cases) {
        const bool unload = c.road == Road::Unload || c.road == Road::UnloadAll;
        const bool restore = c.road == Road::PipingRestore;
        // What this one says, before the running change and its "(process ...".
        const std::string said =
            !c.said.empty() ? c.said
            : unload        ? "risunlod pd_demo: not unloaded, the dump '" + pdDump + "' stays as it was: "
            : restore       ? "The restore of piping model P1001 into dd_demo from '" + ddDump + "' was not started: "
                            : "T" + pdLoad.substr(1) + " was not started: ";
        SCOPED_TRACE(said + c.running);
        writeFile(ddDump, ddText);
        if (unload)
            writeFile(pdDump, "default schema pd_demo\r\nan older dump\r\n");
        else if (c.road == Road::ChosenFile)
            writeFile(pdDump, "create schema pd_demo on database (ORACLE, dbname orcl) user pd_demo" +
                                  pdText.substr(pdText.find("\r\n")));
        else
            writeFile(pdDump, pdText);
        const std::string pdFile = BinaryFile::ReadAll(pdDump);
        ForkedProgram other(
            [&] {
                RunMark mark(restore ? "schema dd_demo" : "schema pd_demo",
                             {{"what", c.running}, {"dump", restore ? ddDump : pdDump}});
                return mark.held() ? 0 : 1;
            },
            testsupport::MarkWritten());
        ASSERT_TRUE(other.Reached());
        clients.Set("rislod", ClientRule::PassThrough());
        std::string text;
        const size_t asked = messages.asked().size();
        switch (c.road) {
        case Road::PipingRestore:
            text = testsupport::Raised([&] { PipingModelRestore::Restore(ddDump, "demo", {"P1001", "1"}); })
                       .description();
            break;
        case Road::Unload:
            form->familyBoxes[0]->setChecked(true);
            form->Unload_Auswahl_Click();
            form->familyBoxes[0]->setChecked(false);
            break;
        case Road::UnloadAll: EXPECT_EQ(runUnloadAll(text), 1); break;
        case Road::FamilyCreate:
        case Road::FamilyDelete:
            form->familyBoxes[0]->setChecked(true);
            if (c.road == Road::FamilyDelete) {
                messages.Answer(MsgAnswer::Yes); // asked twice
                messages.Answer(MsgAnswer::Yes);
                form->Delete_DB_Schema_Click();
            } else {
                form->Create_DB_Schema_Click();
            }
            form->familyBoxes[0]->setChecked(false);
            break;
        case Road::SchemaDropOperation:
            text = testsupport::Raised([&] { form->Del_Schema("'pd_demo'"); }).description();
            break;
        case Road::ScriptUserDrop:
            writeFile(dumpDir + "\\users.scr", "del_dbuser 'pd_demo'\r\n");
            form->scriptfile->setText(QString::fromStdString(dumpDir + "\\users.scr"));
            runRoad(Road::Script);
            form->scriptfile->setText(QString::fromStdString(dumpDir + "\\load.scr"));
            break;
        default: runRoad(c.road); break;
        }
        if (text.empty() && messages.asked().size() > asked)
            text = messages.asked().back().prompt;
        EXPECT_THAT(text, HasSubstr(said + c.running + " (process " + std::to_string(other.pid())));
        EXPECT_THAT(text, HasSubstr(c.said.empty() ? ") is under way on that schema"
                                                   : ") is under way on schema pd_demo. Nothing was changed."));
        EXPECT_EQ(clients.Runs("rislod"), c.rislod);
        EXPECT_EQ(BinaryFile::ReadAll(pdDump), pdFile);
        EXPECT_EQ(tablesOf("pd_demo"), pdBefore);
        EXPECT_EQ(tablesOf("dd_demo"), ddBefore);
        other.Release();
        EXPECT_EQ(other.Wait(), 0);
    }
    // Nothing of the refused changes is left behind.
    EXPECT_TRUE(RunMark::List("").empty());
}

} // namespace
