// The main window's unloads on the sample environment when a client or the old dump misbehaves:
// a new dump replaces the old one only when it is whole and can be put in place, the old dump
// stays byte for byte otherwise, and the other schemas are still unloaded.
#include "Form1Fixture.h"

#include "admin/AdminGlobals.h"
#include "dbaccess/CRIS.h"
#include "dbaccess/DumpSchemaLine.h"
#include "platform/FileAttributes.h"
#include "platform/HostFiles.h"
#include "platform/RunMark.h"
#include "services/AppGlobals.h"
#include "support/OtherProcesses.h"
#include "support/Raised.h"
#include "support/TestFiles.h"
#include "support/WrapperClients.h"

#include <QCheckBox>
#include <QComboBox>

#include <cerrno>
#include <filesystem>
#include <optional>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class UnloadGuardTest : public Form1Fixture {
protected:
    std::vector<std::string> dumpFolder() { return testsupport::FilesIn(dumps.host()); }
};

TEST_F(UnloadGuardTest, ANewDumpThatIsNotWholeNeverReplacesTheOldOne)
{
    using testsupport::ClientRule;
    struct Case {
        const char* what;
        ClientRule rule;      // how the wrapped risunlod misbehaves
        const char* reported; // in the closing message
    };
    std::vector<Case> cases = {
        {"the first two tables only, exit 0", ClientRule::CutAnswer(14),
         "risunlod pd_demo: the new dump is not whole (the end-of-schema line is missing (the file ends at line 14))"},
        {"an empty file, exit 0", ClientRule::CutAnswer(0), "risunlod pd_demo: the new dump is not whole (it is empty)"},
        {"no file, exit 0", ClientRule::DieBefore(0), "risunlod pd_demo: wrote no dump"},
        {"a whole dump, then exit 3", ClientRule::DieAfter(3), "risunlod pd_demo: ended with exit code 3"},
        {"a RIS error", ClientRule::DieBefore(1, testsupport::WrapperClients::ErrorBlock("RIS_E_DATABASE_ERROR", "x")),
         "risunlod pd_demo: RIS Error: RIS_E_DATABASE_ERROR - x"},
    };
    testsupport::WrapperClients clients;
    const std::string dump = dumpDir + "\\pd_demo.dmp";
    // Whole in form, so only the schema's own list of tables shows what is missing.
    cases.push_back({"a whole dump without one table, exit 0", ClientRule::FailTable("pdtable_113", "", 0).When(".tw.tmp"),
                     "risunlod pd_demo: the new dump lacks table pdtable_113 of the schema"});
    // Blocks closed right after their layout line: only the server's counts show the rows missing.
    cases.push_back({"a whole dump without the rows of one table, exit 0",
                     ClientRule::ThinRows("pdtable_113", 0).When(".tw.tmp"),
                     "risunlod pd_demo: the new dump does not hold the schema's rows (table 'pdtable_113' holds 0 rows "
                     "in the dump, 3 on the server)"});
    const std::string old = "default schema pd_demo\r\nold content\r\n";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        clients.Set("risunlod", c.rule);
        auto form = startedForm();
        writeFile(dump, old);
        form->familyBoxes[0]->setChecked(true);
        const size_t asked = messages.asked().size();
        form->Unload_Auswahl_Click();
        ASSERT_EQ(messages.asked().size(), asked + 1);
        EXPECT_EQ(clients.Runs("risunlod"), 1);
        const std::string& closing = messages.asked().back().prompt;
        EXPECT_NE(closing.find("ended with errors (1), the first: " + std::string(c.reported) + ", the dump '" + dump +
                               "' stays as it was"),
                  std::string::npos)
            << closing;
        EXPECT_EQ(BinaryFile::ReadAll(dump), old);
        EXPECT_EQ(dumpFolder(), std::vector<std::string>{"pd_demo.dmp"});
        // The script command stops the script with the same words and keeps the dump as well.
        clients.Set("risunlod", c.rule);
        const AppError e = testsupport::Raised([&] { form->RISUnload("risunload 'pd_demo', '" + dump + "'"); });
        EXPECT_NE(e.description().find(std::string(c.reported) + ", the dump '" + dump + "' stays as it was"),
                  std::string::npos)
            << e.description();
        EXPECT_EQ(BinaryFile::ReadAll(dump), old);
    }
}

// A listing cut short with exit 0 is no list of the schema's tables to check a new dump by.
TEST_F(UnloadGuardTest, AListingCutShortKeepsTheOldDumpAndSaysWhereItEnds)
{
    testsupport::WrapperClients clients;
    auto form = startedForm();
    const std::string registered = gCRIS->GetRISPath();
    gCRIS->SetUseRIS(clients.WinFolder());
    clients.Set("risunlod", testsupport::ClientRule::CutAnswer(3).When(" table all"));
    const std::string dump = dumpDir + "\\pd_demo.dmp";
    const std::string old = "default schema pd_demo\r\nold content\r\n";
    writeFile(dump, old);
    const AppError e = testsupport::Raised([&] { form->RISUnload("risunload 'pd_demo', '" + dump + "'"); });
    gCRIS->SetUseRIS(registered);
    EXPECT_NE(e.description().find("risunlod pd_demo: the tables of the schema could not be listed to check the new "
                                   "dump (The listing risunlod wrote of schema 'pd_demo' is not whole: the "
                                   "end-of-schema line is missing (the listing ends at line 3, after table "
                                   "'pdtable_103')), the dump '" + dump + "' stays as it was"),
              std::string::npos)
        << e.description();
    EXPECT_EQ(BinaryFile::ReadAll(dump), old);
    EXPECT_EQ(dumpFolder(), std::vector<std::string>{"pd_demo.dmp"});
}

TEST_F(UnloadGuardTest, AnOldDumpThatCannotBeReplacedIsNamedAndTheOtherSchemasGoOn)
{
    const std::string pdDump = dumps.host() + "/pd_demo.dmp", pdWin = dumpDir + "\\pd_demo.dmp";
    std::unique_ptr<FileLock> writer;
    // A whole dump of the schema and the same with a table the server never listed.
    {
        auto form = startedForm();
        form->familyBoxes[0]->setChecked(true);
        form->Unload_Auswahl_Click();
    }
    const std::string good = testsupport::ReadHostFile(pdDump);
    const std::string withGone = good.substr(0, good.find("create unique")) +
                                 "create table pdtable_999 (a int)\r\ninsert into pdtable_999 (a) values (?)\r\n"
                                 "***variable*** a \r\n7 \r\n***RIS*** End of Table ***RIS***\r\n" +
                                 good.substr(good.find("create unique"));
    struct Case {
        const char* what;
        std::function<void()> prepare;
        std::string reported; // the first failure of the closing message
    };
    const std::vector<Case> cases = {
        // Refused before the client runs, in words that name the dump and what stands.
        {"a read-only old dump",
         [&] {
             testsupport::WriteHostFile(pdDump, "default schema pd_demo\r\nold\r\n");
             fs::permissions(pdDump, fs::perms::owner_read);
         },
         "risunlod pd_demo: the dump '" + pdWin + "' is read-only: it stays as it was, and no new dump takes its "
         "place (clear its read-only attribute to unload pd_demo there)"},
        {"an old dump another program is writing",
         [&] {
             testsupport::WriteHostFile(pdDump, "default schema pd_demo\r\nbeing written\r\n");
             writer = std::make_unique<FileLock>(pdWin);
         },
         "risunlod pd_demo: the new dump cannot take the place of '" + pdWin + "' (it is in use by another program), "
         "the dump '" + pdWin + "' stays as it was"},
        {"a folder in the dump's place", [&] { fs::create_directory(pdDump); },
         "risunlod pd_demo: the new dump cannot take the place of '" + pdWin + "' (a folder of that name stands "
         "there), no dump '"},
        // A table only the old dump holds keeps it beside the new one: when that copy cannot be
        // made, the new dump does not take its place.
        {"an old dump with a dropped table whose copy beside fails",
         [&] {
             testsupport::WriteHostFile(pdDump, withGone);
             SetHostFileFault([](const std::string& op, const std::string& host) {
                 return op == "copy" && host.find(".before-drop_") != std::string::npos ? ENOSPC : 0;
             });
         },
         "risunlod pd_demo: the old dump holds table pdtable_999, which the server lists no more, and could not be "
         "kept whole beside the new one as '" + pdWin + ".before-drop_"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(dumps.host());
        fs::create_directory(dumps.host());
        c.prepare();
        const std::string before = fs::is_directory(pdDump) ? "" : testsupport::ReadHostFile(pdDump);
        auto form = startedForm();
        form->familyBoxes[0]->setChecked(true); // pd_demo
        form->familyBoxes[1]->setChecked(true); // dd_demo, after it
        const size_t asked = messages.asked().size();
        form->Unload_Auswahl_Click();
        SetHostFileFault(nullptr);
        ASSERT_EQ(messages.asked().size(), asked + 1);
        const std::string& closing = messages.asked().back().prompt;
        EXPECT_NE(closing.find("ended with errors (1), the first: " + c.reported), std::string::npos) << closing;
        EXPECT_EQ(fs::is_directory(pdDump) ? "" : testsupport::ReadHostFile(pdDump), before);
        EXPECT_EQ(DumpSchemaLine::ReadFirstLine(dumpDir + "\\dd_demo.dmp").rfind("default schema dd_demo", 0), 0u);
        EXPECT_EQ(dumpFolder(), (std::vector<std::string>{"dd_demo.dmp", "pd_demo.dmp"}));
        fs::permissions(pdDump, fs::perms::owner_all);
        writer.reset();
    }
}

TEST_F(UnloadGuardTest, ADumpThatIsALinkStaysALinkAndItsTargetGetsTheNewDumpByteForByte)
{
    const std::string plain = dumps.host() + "/pd_demo.dmp";
    const auto unload = [&] {
        auto form = startedForm();
        form->familyBoxes[0]->setChecked(true);
        form->Unload_Auswahl_Click();
        EXPECT_EQ(messages.asked().back().prompt, " Tarnwick is ready  -  See Logfile ");
    };
    unload();
    const std::string expected = testsupport::ReadHostFile(plain);
    ASSERT_EQ(expected.rfind("default schema pd_demo", 0), 0u);
    ASSERT_NE(expected.find("***RIS*** End of Schema ***RIS***"), std::string::npos);

    testsupport::ScopedDir elsewhere{"linked"};
    struct Case {
        const char* what;
        std::string folder; // where the link's target lies
    };
    // The new dump is renamed onto a target on the dump folder's file system and copied onto
    // one on another (shared memory is a file system of its own where it is mounted).
    std::vector<Case> cases = {{"a target in another folder", elsewhere.host()}};
    struct stat dumpFs {}, shmFs {};
    if (::stat(dumps.host().c_str(), &dumpFs) == 0 && ::stat("/dev/shm", &shmFs) == 0 && dumpFs.st_dev != shmFs.st_dev)
        cases.push_back({"a target on another file system", "/dev/shm/tarnwick-unload-" + std::to_string(::getpid())});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::create_directories(c.folder);
        const std::string target = c.folder + "/pd_demo.dmp";
        testsupport::WriteHostFile(target, "default schema pd_demo\r\nold\r\n");
        fs::remove(plain);
        fs::create_symlink(target, plain);
        unload();
        ASSERT_TRUE(fs::is_symlink(plain));
        EXPECT_EQ(testsupport::ReadHostFile(target), expected);
        EXPECT_EQ(dumpFolder(), std::vector<std::string>{"pd_demo.dmp"});
        EXPECT_EQ(std::distance(fs::directory_iterator(c.folder), {}), 1);
        if (c.folder != elsewhere.host())
            fs::remove_all(c.folder);
    }
}

TEST_F(UnloadGuardTest, AnUnloadRemovesOnlyTheNewDumpsThatEndedProcessesLeftBeside)
{
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    ASSERT_GT(child, 0);
    ::waitpid(child, nullptr, 0); // its id now names no process
    const std::string dead = "pd_demo.dmp." + std::to_string(child) + ".tw.tmp";
    // A program of this system still at work: another executable's process holding an id is
    // not the one that wrote the file.
    const testsupport::LiveProcess running(testsupport::LiveProcess::Program::Own);
    const std::string living = "pd_demo.dmp." + running.id() + ".tw.tmp";
    // The part of an old dump's copy beside it, hidden, that a run killed while copying left.
    const std::string copyPart = ".pd_demo.dmp.before-drop_2026-01-02_03-04-05.bak.~";
    const std::vector<std::string> others = {"pd_demo.dmp.old.tw.tmp", "dd_demo.dmp." + std::to_string(child) + ".tw.tmp",
                                             "pd_demo.dmp.bak", copyPart + running.id() + ".a1b2c3",
                                             ".dd_demo.dmp.before-drop_2026-01-02_03-04-05.bak.~" +
                                                 std::to_string(child) + ".a1b2c3"};
    testsupport::WriteHostFile(dumps.host() + "/" + copyPart + std::to_string(child) + ".a1b2c3", "default schema");
    for (const std::string& name : others)
        testsupport::WriteHostFile(dumps.host() + "/" + name, "x");
    // A leftover whose first line was already rewritten: no load of the dump folder takes it.
    testsupport::WriteHostFile(dumps.host() + "/" + dead, "default schema pd_demo\r\n");
    testsupport::WriteHostFile(dumps.host() + "/" + living, "default schema pd_demo\r\n");
    auto form = startedForm();
    form->familyBoxes[0]->setChecked(true);
    form->Unload_Auswahl_Click();
    std::vector<std::string> expected = others;
    expected.insert(expected.end(), {living, "pd_demo.dmp"});
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(dumpFolder(), expected);
    // A FIFO in the dump folder is passed over, never opened: an open would wait for a writer.
    ASSERT_EQ(::mkfifo((dumps.host() + "/pd_fifo.dmp").c_str(), 0644), 0);
    DumpCommands& commands = form->dumpCommands();
    commands.report().Clear();
    EXPECT_TRUE(commands.LoadDumpDirectory("", false));
    EXPECT_EQ(commands.report().ErrorCount(), 0) << commands.report().LastError();
}

// Only a dump of the same schema that no load names is written over: any other file at the
// target stays byte for byte and is named, by the window's commands and by the access object.
TEST_F(UnloadGuardTest, AFileThatIsNoDumpOfTheSchemaOrThatALoadNamesIsNeverReplaced)
{
    const std::string ddText = "default schema dd_demo\r\nthe only copy of dd_demo\r\n",
                      old = "default schema pd_demo\r\nold\r\n";
    const struct {
        std::string target, content; // the file written over, in the dump folder, and what it holds
        std::string recordOf;        // the dump a load record left behind names, if any
        std::string said;            // empty: replaced
        bool byAccessObject = false; // else by a script's unload
        bool readOnly = false;       // the target made read-only by the user
        std::string file = "";       // the identity an older record gave the file it was made for
        int heldHere = 0; // this program holds the record (written ahead of its own load); 2: over a dead run's
    } cases[] = {
        {"dd_demo.dmp", ddText, "", "' is a dump of schema dd_demo: it stays as it was, and no dump of pd_demo takes "
                                    "its place (move it aside to unload pd_demo there)"},
        {"pd_demo.dmp", "minutes\r\n", "",
         "' is no RIS dump (its first line names no schema): it stays as it was, and no new dump takes its place"},
        {"dd_demo.dmp", ddText, "", "' is a dump of schema dd_demo: it stays as it was", true},
        {"pd_demo.dmp", old, "pd_demo.dmp", "' stays as it was: the load of '%' into pd_demo (process #"},
        {"pd_demo.dmp", old, "", "' is read-only: it stays as it was, and no new dump takes its place (clear its "
                                 "read-only attribute to unload pd_demo there)", false, true},
        {"pd_demo.dmp", old, "", "' is read-only: it stays as it was", true, true},
        {"pd_demo.dmp", old, "pd_demo_old.dmp", ""}, // a load of another dump
        {"pd_demo.dmp", "", "", ""},
        // A record names a place, however spelled; it keeps whatever file stands there.
        {"pd_demo.dmp", old, "PD_DEMO.DMP", "' stays as it was: the load of '%' into pd_demo (process #"},
        {"pd_demo.dmp", old, ".\\sub\\..\\\\pd_demo.dmp", "' stays as it was: the load of '%' into pd_demo (process #"},
        {"pd_demo.dmp", old, "pd_demo.dmp", "' stays as it was: the load of '%' into pd_demo (process #", false, false,
         "2049:131:8:1700000000.0"},
        // This program's own record of a load still to come is no load under way.
        {"pd_demo.dmp", old, "pd_demo.dmp", "", false, false, "", 1},
        {"pd_demo.dmp", old, "pd_demo.dmp", "' stays as it was: the load of '%' into pd_demo (process #", false, false,
         "", 2},
    };
    testsupport::WrapperClients clients;
    auto form = startedForm();
    const std::string registered = gCRIS->GetRISPath();
    gCRIS->SetUseRIS(clients.WinFolder());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.target + " " + c.content + " " + c.recordOf);
        fs::remove_all(dumps.host());
        fs::create_directory(dumps.host());
        clients.Set("risunlod", testsupport::ClientRule::PassThrough());
        const std::string target = dumpDir + "\\" + c.target, recorded = dumpDir + "\\" + c.recordOf;
        std::optional<RunMark> held;
        if (!c.recordOf.empty()) {
            writeFile(recorded, "default schema pd_demo\r\n");
            // As a program cut off in the load's client leaves it.
            RunMark::Fields fields{{"what", "the load of '" + recorded + "' into pd_demo"},
                                   {"schema", "pd_demo"}, {"dump", recorded}, {"step", "rislod"}};
            if (!c.file.empty())
                fields.emplace_back("file", c.file);
            held.emplace("load pd_demo " + recorded, fields);
            if (c.heldHere != 1)
                held->Keep();
            if (c.heldHere == 2)
                held.emplace("load pd_demo " + recorded, fields); // takes the dead run's over
        }
        writeFile(target, c.content);
        SetReadOnlyFile(target, c.readOnly);
        std::string text;
        try {
            if (c.byAccessObject)
                gCRIS->RISUnload(target, "pd_demo", std::nullopt, std::nullopt, "", 0, true,
                                 UnloadExtras::ViewsIndexesGrants);
            else
                form->RISUnload("risunload 'pd_demo', '" + target + "'");
        } catch (const AppError& e) {
            text = e.description();
        }
        held.reset();
        RunMark::RemoveLeft("load pd_demo " + recorded);
        SetReadOnlyFile(target, false);
        if (c.said.empty()) {
            EXPECT_NE(BinaryFile::ReadAll(target).find("End of Schema"), std::string::npos) << text;
            continue;
        }
        const std::string said = ReplaceAll(ReplaceAll(c.said, "%", recorded), "#", std::to_string(::getpid()));
        EXPECT_NE(text.find("'" + target + said), std::string::npos) << text;
        EXPECT_EQ(text.find(") was cut off by the end of its program, so the dump may hold the only copy") !=
                      std::string::npos, !c.recordOf.empty()) << text;
        EXPECT_EQ(BinaryFile::ReadAll(target), c.content);
        EXPECT_EQ(clients.Runs("risunlod"), 0); // refused before the client ran
    }
    gCRIS->SetUseRIS(registered);
}

TEST_F(UnloadGuardTest, ExitDuringUnloadAllEndsAfterTheRunningClientWithoutABox)
{
    auto form = startedForm();
    int polls = 0;
    // Esc is polled before each schema: the second poll comes after pd_demo's client ended.
    form->dumpCommands().escPressed = [&] {
        if (++polls == 2)
            form->Exit_Click();
        return false;
    };
    const size_t asked = messages.asked().size();
    form->UnLoad_all_Schemen_Click();
    EXPECT_EQ(messages.asked().size(), asked);
    EXPECT_EQ(polls, 2);
    EXPECT_EQ(dumpFolder(), std::vector<std::string>{gSchemaNames[0] + ".dmp"});
    EXPECT_NE(BinaryFile::ReadAll(gLogFile).find("Exit: Tarnwick ends when the running client has finished"),
              std::string::npos);
}

} // namespace
