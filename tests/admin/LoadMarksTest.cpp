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
#include "support/Raised.h"
#include "support/TestFiles.h"
#include "support/WrapperClients.h"

#include <QCheckBox>
#include <QLineEdit>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <sys/wait.h>
#include <unistd.h>

using testsupport::ClientRule;

namespace {

namespace fs = std::filesystem;

enum class Road { Script, AllDumps, ProjectDumps, ChosenFile, PipingRestore, Unload, UnloadAll };

class LoadMarksTest : public Form1Fixture {
protected:
    void SetUp() override
    {
        Form1Fixture::SetUp();
        fs::copy_file(testsupport::BinDir() + "/tarnwick", programDir.host() + "/tarnwick");
    }

    // "tarnwick /risunloadall" run from the test's program folder without a display: its exit
    // code, with what it wrote on stderr in err.
    int runUnloadAll(std::string& err)
    {
        const std::string errFile = programDir.host() + "/err.txt";
        const std::string cmd = "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM '" + programDir.host() +
                                "/tarnwick' /risunloadall >/dev/null 2>'" + errFile + "'";
        const int status = std::system(cmd.c_str());
        err = testsupport::ReadHostFile(errFile);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    // Runs a load road of the window, answering its question or its file dialog.
    void runRoad(Form1& form, Road road, const std::string& dump)
    {
        if (road == Road::ChosenFile)
            dialogs.Answer(dump);
        else
            messages.Answer(MsgAnswer::Yes); // "Are you sure?"
        switch (road) {
        case Road::Script: form.SCRstart_Click(); break;
        case Road::AllDumps: form.Load_all_dmp_files_Click(); break;
        case Road::ProjectDumps: form.Load_proj_schemen_Click(); break;
        default: form.Load_auswahl_Click(); break;
        }
    }

    // The load road as a program of its own, a process group the wrapper clients may kill.
    pid_t startRoad(Form1& form, Road road, const std::string& dump)
    {
        const pid_t child = ::fork();
        if (child == 0) {
            ::setpgid(0, 0);
            ::setenv("TW_KILLABLE_GROUP", std::to_string(::getpid()).c_str(), 1);
            runRoad(form, road, dump);
            ::_exit(0);
        }
        return child;
    }
};

TEST_F(LoadMarksTest, ALoadCutOffOrNotWholeIsNamedAtTheNextStartAndItsDumpOutlivesEveryUnload)
{
    testsupport::WrapperClients clients;
    auto form = startedForm();
    const std::string registered = gCRIS->GetRISPath();
    gCRIS->SetUseRIS(clients.WinFolder()); // the look's listings go through the wrappers too
    form->UnLoad_proj_schemen_Click();
    const std::string pdDump = dumpDir + "\\pd_demo.dmp", ddDump = dumpDir + "\\dd_demo.dmp";
    const std::string pdText = BinaryFile::ReadAll(pdDump), ddText = BinaryFile::ReadAll(ddDump);
    const auto pdBefore = tablesOf("pd_demo");
    writeFile(dumpDir + "\\load.scr", "risload '" + pdDump + "'\r\n");
    form->scriptfile->setText(QString::fromStdString(dumpDir + "\\load.scr"));
    struct Case {
        const char* what;
        Road road;
        std::string client;
        ClientRule rule;
        bool killed;
        std::string named;  // by the next start, after the load's words
        std::string before; // run on pd_demo before the load
    };
    const std::string cutOff = " was cut off by the end of the program (process ";
    const std::vector<Case> cases = {
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
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        writeFile(pdDump, pdText);
        writeFile(ddDump, ddText);
        if (!c.before.empty())
            execute("pd_demo", c.before);
        clients.Set(c.client, c.rule);
        const pid_t child = startRoad(*form, c.road, pdDump);
        ASSERT_GT(child, 0);
        int status = 0;
        ::waitpid(child, &status, 0);
        clients.Set(c.client, ClientRule::PassThrough());
        EXPECT_EQ(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL, c.killed);
        const std::string who = "(process " + std::to_string(child);
        // A change of another kind on the schema since takes over the schema's mark, and ends.
        RunMark("schema pd_demo", {{"what", "the change of character column lengths of pd_demo to 40"}}).Release();

        std::string err;
        EXPECT_EQ(runUnloadAll(err), 1) << err;
        EXPECT_EQ(BinaryFile::ReadAll(pdDump), pdText);
        EXPECT_EQ(DumpSchemaLine::ReadFirstLine(ddDump).rfind("default schema dd_demo", 0), 0u);
        const std::string load = "he load of '" + pdDump + "' into pd_demo";
        EXPECT_NE(err.find("Warning: T" + load + (c.killed ? cutOff + std::to_string(child) : "")), std::string::npos)
            << err;
        EXPECT_NE(err.find(c.named), std::string::npos) << err;
        EXPECT_NE(err.find("risunlod pd_demo: not unloaded, the dump '" + pdDump + "' stays as it was: t" + load + " " +
                           who),
                  std::string::npos)
            << err;

        // The window's start names it as well; a load found whole ends the record.
        const size_t asked = messages.asked().size();
        auto started = startedForm();
        ASSERT_GT(messages.asked().size(), asked);
        EXPECT_NE(messages.asked()[asked].prompt.find(c.named), std::string::npos) << messages.asked()[asked].prompt;
        started->dumpCommands().RISLoad("'" + pdDump + "'");
        EXPECT_EQ(tablesOf("pd_demo"), pdBefore);
        EXPECT_TRUE(LoadMarks::LeftTexts().empty());
        EXPECT_EQ(runUnloadAll(err), 0) << err;
    }
    gCRIS->SetUseRIS(registered);
}

// Holds a mark as another program does until the object goes.
class OtherProgram {
public:
    OtherProgram(const std::string& object, const RunMark::Fields& fields)
    {
        int ready[2], release[2];
        EXPECT_EQ(::pipe(ready), 0);
        EXPECT_EQ(::pipe(release), 0);
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(ready[0]);
            ::close(release[1]);
            RunMark mark(object, fields);
            char c = mark.held() ? '1' : '0';
            (void)!::write(ready[1], &c, 1);
            (void)!::read(release[0], &c, 1); // until the test closes its end
            mark.Release();
            ::_exit(0);
        }
        ::close(ready[1]);
        ::close(release[0]);
        char c = 0;
        EXPECT_EQ(::read(ready[0], &c, 1), 1);
        EXPECT_EQ(c, '1');
        ::close(ready[0]);
        release_ = release[1];
    }
    ~OtherProgram()
    {
        ::close(release_);
        ::waitpid(pid_, nullptr, 0);
    }
    pid_t pid() const { return pid_; }

private:
    pid_t pid_ = -1;
    int release_ = -1;
};

TEST_F(LoadMarksTest, AChangeOfASchemaWhileAnotherProgramChangesItIsRefusedByName)
{
    testsupport::WrapperClients clients;
    auto form = startedForm();
    form->UnLoad_proj_schemen_Click();
    const std::string pdDump = dumpDir + "\\pd_demo.dmp", ddDump = dumpDir + "\\dd_demo.dmp";
    const std::string pdText = BinaryFile::ReadAll(pdDump), ddText = BinaryFile::ReadAll(ddDump);
    const auto pdBefore = tablesOf("pd_demo"), ddBefore = tablesOf("dd_demo");
    writeFile(dumpDir + "\\load.scr", "risload '" + pdDump + "'\r\n");
    form->scriptfile->setText(QString::fromStdString(dumpDir + "\\load.scr"));
    const std::string pdLoad = "the load of '" + pdDump + "' into pd_demo";
    const std::string columns = "the change of character column lengths of pd_demo to 40";
    struct Case {
        Road road;
        std::string schema;  // the other program's
        std::string running; // its change
        std::string said;    // by this one, before the running change's "(process ..."
        int rislod;          // runs of this one's load client
    };
    const std::vector<Case> cases = {
        {Road::Script, "pd_demo", pdLoad, "T" + pdLoad.substr(1) + " was not started: " + pdLoad, 0},
        {Road::AllDumps, "pd_demo", columns, "T" + pdLoad.substr(1) + " was not started: " + columns, 1},
        // A raw dump is refused before its first line is rewritten.
        {Road::ChosenFile, "pd_demo", pdLoad, "T" + pdLoad.substr(1) + " was not started: " + pdLoad, 0},
        {Road::PipingRestore, "dd_demo", "the load of '" + ddDump + "' into dd_demo",
         "The restore of piping model P1001 into dd_demo from '" + ddDump + "' was not started: the load of '" + ddDump +
             "' into dd_demo",
         0},
        {Road::Unload, "pd_demo", pdLoad, "risunlod pd_demo: not unloaded, the dump '" + pdDump +
                                              "' stays as it was: " + pdLoad, 0},
        {Road::UnloadAll, "pd_demo", columns, "risunlod pd_demo: not unloaded, the dump '" + pdDump +
                                                  "' stays as it was: " + columns, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.said);
        writeFile(pdDump, "default schema pd_demo\r\nan older dump\r\n");
        writeFile(ddDump, ddText);
        if (c.road != Road::Unload && c.road != Road::UnloadAll)
            writeFile(pdDump, pdText);
        if (c.road == Road::ChosenFile)
            writeFile(pdDump, "create schema pd_demo on database (ORACLE, dbname orcl) user pd_demo" +
                                  pdText.substr(pdText.find("\r\n")));
        const std::string pdFile = BinaryFile::ReadAll(pdDump);
        OtherProgram other("schema " + c.schema, {{"what", c.running}, {"dump", c.schema == "dd_demo" ? ddDump : pdDump}});
        const std::string said = c.said + " (process " + std::to_string(other.pid());
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
        default: runRoad(*form, c.road, pdDump); break;
        }
        if (text.empty() && messages.asked().size() > asked)
            text = messages.asked().back().prompt;
        EXPECT_NE(text.find(said), std::string::npos) << text;
        EXPECT_NE(text.find(") is under way on that schema"), std::string::npos) << text;
        EXPECT_EQ(clients.Runs("rislod"), c.rislod);
        EXPECT_EQ(BinaryFile::ReadAll(pdDump), pdFile);
        EXPECT_EQ(tablesOf("pd_demo"), pdBefore);
        EXPECT_EQ(tablesOf("dd_demo"), ddBefore);
    }
    // Nothing of the refused changes is left behind.
    EXPECT_TRUE(RunMark::List("").empty());
}

} // namespace
