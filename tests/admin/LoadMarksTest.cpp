// A load seen by other programs: the program killed with its client in the middle of a load, then
// started again and "/risunloadall" run; a load or an unload while another program changes the
// same schema.
#include "Form1Fixture.h"

#include "admin/Families.h"
#include "admin/PipingModelRestore.h"
#include "dbaccess/CRIS.h"
#include "dbaccess/DumpSchemaLine.h"
#include "dbaccess/LoadMarks.h"
#include "platform/RunMark.h"
#include "platform/WinPath.h"
#include "services/AppGlobals.h"
#include "services/MessageService.h"
#include "support/OtherProcesses.h"
#include "support/Raised.h"
#include "support/TestFiles.h"
#include "support/WrapperClients.h"

#include <QCheckBox>
#include <QLineEdit>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <gmock/gmock.h>
#include <filesystem>
#include <memory>

using testsupport::ClientRule;
using testsupport::ForkedProgram;
using ::testing::HasSubstr;

namespace {

enum class Road { Script, AllDumps, ProjectDumps, ChosenFile, PipingRestore, Unload, UnloadAll, FamilyCreate, FamilyDelete,
                  FamilyDeleteBoth, ScriptUserDrop, ScriptUserDropBoth, SchemaDropOperation };

class LoadMarksTest : public Form1Fixture {
protected:
    // The program with the project's dumps unloaded and a script that loads pd_demo's.
    void SetUp() override
    {
        Form1Fixture::SetUp();
        // The dumps lie on a drive, so that a path relative to a folder there names them.
        dumpDir = kDriveDumps;
        std::filesystem::create_directories(HostPath(dumpDir));
        std::filesystem::create_directories(HostPath(kOtherFolder));
        WriteIniValue(WinPathFromHost(programDir.host()) + "\\tarnwick.ini", "TARNWICK", "risdmpdir", dumpDir);
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
        std::filesystem::remove_all(HostPath(dumpDir));
        std::filesystem::remove_all(HostPath(kOtherFolder));
    }

    // "tarnwick /risunloadall" run without a display from a folder of its own on the drive: its
    // exit code, with what it wrote in out.
    int runUnloadAll(std::string& out)
    {
        const std::string file = programDir.host() + "/out.txt";
        const int code =
            testsupport::RunHeadless(programDir.host() + "/tarnwick", {"/risunloadall"}, file, HostPath(kOtherFolder));
        out = testsupport::ReadHostFile(file);
        return code;
    }

    // Runs a load road of the window, answering its question or its file dialog.
    void runRoad(Road road)
    {
        // The folder loads find the project's two dumps only, whatever schemas earlier tests made
        // (and "/risunloadall" unloaded since).
        for (const std::string& name : testsupport::FilesIn(HostPath(dumpDir)))
            if (EndsWithNoCase(name, ".dmp") && name != "pd_demo.dmp" && name != "dd_demo.dmp" && name != kOlderCopy)
                std::filesystem::remove(HostPath(dumpDir) + "/" + name);
        if (road == Road::ChosenFile)
            dialogs.Answer(pdDump);
        else if (road != Road::PipingRestore)
            messages.Answer(MsgAnswer::Yes); // "Are you sure?"
        switch (road) {
        case Road::Script: form->SCRstart_Click(); break;
        case Road::AllDumps: form->Load_all_dmp_files_Click(); break;
        case Road::ProjectDumps: form->Load_proj_schemen_Click(); break;
        case Road::PipingRestore:
            try {
                PipingModelRestore::Restore(ddDump, "demo", {"P1001", "1"});
            } catch (const AppError&) {
            }
            break;
        default: form->Load_auswahl_Click(); break;
        }
    }

    static constexpr const char* kDriveDumps = "C:\\lmdumps";
    static constexpr const char* kOtherFolder = "C:\\scr";
    static constexpr const char* kOlderCopy = "pd_demo_mon.dmp"; // an older whole dump beside

    testsupport::WrapperClients clients;
    std::unique_ptr<Form1> form;
    std::string pdDump, ddDump, pdText, ddText;
};

// The change a dead program left on the schema, as the column length change leaves its mark
// when it is cut off after its drops.
std::string columnsChange(const std::string& schema) { return "the change of character column lengths of " + schema + " to 40"; }

// What the user does to a dump a record keeps, before the next unload.
enum class Mend { None, Edited, Touched, PutThere };

// A whole load of another dump of the schema after the one not found whole: by a later script
// line, or as one more dump of the folder load.
enum class Other { None, ScriptLine, InFolder };

// How the user's hand edit of a dump slips, or the load client is not there: the load is refused
// before its client runs, or its client never runs.
enum class Slip { None, TwoBlanks, SchemaLineTwoBlanks, EndOfTableLost, EndOfSchemaLost, ClientMissing };

// The dump as the slip leaves it.
std::string slipped(const std::string& dump, Slip slip)
{
    const std::string table = "create table pdtable_111 (";
    const auto withoutLine = [&](size_t at) { return dump.substr(0, at) + dump.substr(dump.find("\r\n", at) + 2); };
    switch (slip) {
    case Slip::TwoBlanks: return ReplaceAll(dump, table, "create  table pdtable_111 (");
    case Slip::SchemaLineTwoBlanks: return "default  schema" + dump.substr(std::string("default schema").size());
    case Slip::EndOfTableLost: return withoutLine(dump.find("***RIS*** End of Table", dump.find(table)));
    case Slip::EndOfSchemaLost: return withoutLine(dump.find("***RIS*** End of Schema"));
    default: return dump;
    }
}

// The moment the load's schema mark stands.
testsupport::FileOpMatch schemaMarkWritten(const std::string& schema)
{
    return [schema](const std::string& op, const std::string& host) {
        const std::string text = op == "marked" && host.find("/marks/") != std::string::npos
                                     ? testsupport::ReadHostFile(host)
                                     : std::string();
        return text.rfind("object=schema " + schema + "\n", 0) == 0 && text.find("\nwhat=the load of ") != std::string::npos;
    };
}

// The rows of the table that hold the text in a value.
size_t rowsHolding(const Rows& rows, const std::string& text)
{
    return static_cast<size_t>(std::ranges::count_if(rows, [&](const auto& row) {
        return std::ranges::any_of(row, [&](const auto& value) { return value && value->find(text) != std::string::npos; });
    }));
}

TEST_F(LoadMarksTest, ALoadCutOffOrNotWholeIsNamedAtTheNextStartAndItsDumpOutlivesEveryUnload)
{
    const std::string registered = gCRIS->GetRISPath();
    gCRIS->SetUseRIS(clients.WinFolder()); // the look's listings go through the wrappers too
    const auto pdBefore = tablesOf("pd_demo");
    // The check's opening of the dump, once the record says that the check runs.
    const auto inDumpCheck = [&] {
        auto checking = std::make_shared<bool>(false);
        const testsupport::FileOpMatch recorded = testsupport::MarkWritten("its dump was checked whole");
        return testsupport::FileOpMatch([=, host = HostPath(pdDump)](const std::string& op, const std::string& path) {
            if (recorded(op, path))
                *checking = true;
            return *checking && op == "read" && path == host;
        });
    };
    const std::string untouched = "; schema pd_demo was not touched by it, and no unload replaces the dump '" + pdDump + "'";
    // What the command interpreter answers for a client that is not there.
    const std::string noLoadClient = "'rislod' is not recognized as an internal or external command,\r\n"
                                     "operable program or batch file.\r\n";
    const struct {
        const char* what;
        Road road;
        std::string client;
        ClientRule rule;
        bool killed;
        std::string named;  // by the next start, after the load's words
        std::string before = {}; // run on pd_demo before the load
        testsupport::FileOpMatch stop = {}; // the file operation the program is killed at
        bool bothKept = false;   // the dump of dd_demo, not reached, is kept as well
        bool movedAside = false; // the user then moves the dump aside, and three unloads follow
        std::string deadChange = {}; // the schema a dead column change left not whole before the road ran
        bool cutDump = false;    // the dump is cut, so the load is refused before its client runs
        bool twoLoads = false;   // the script loads dd_demo's dump after pd_demo's
        Mend mend = Mend::None;  // then the user mends the kept dump, and three unloads follow
        Other other = Other::None; // pd_demo's dump holds a row too long for its column
        bool relative = false;   // the script names the dump relative to the program's folder "C:\"
        Slip slip = Slip::None;  // the dump the road loads slipped; it is mended before the whole load
        bool unloadsFirst = false; // the script unloads pd_demo into the dump before it loads it
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
        // Every moment of a load's start: its record stands before the check of its dump.
        {"killed before the dump check", Road::Script, "rislod", ClientRule::PassThrough(), true,
         " while its dump was checked whole" + untouched, "", testsupport::MarkWritten("its dump was checked whole")},
        {"killed in the dump check", Road::ChosenFile, "rislod", ClientRule::PassThrough(), true,
         " while its dump was checked whole" + untouched, "", inDumpCheck()},
        {"killed after the dump check", Road::Script, "rislod", ClientRule::PassThrough(), true,
         " while the schema was read before the load" + untouched, "",
         testsupport::MarkWritten("the schema was read before the load")},
        // A folder load writes the record of every dump before its first: the one not reached is kept too.
        {"the folder load killed in its first schema", Road::AllDumps, "rislod", ClientRule::KillProgram(false), true,
         " while it waited for its turn; schema ", "", {}, true},
        {"the project's load killed in its first schema", Road::ProjectDumps, "rislod", ClientRule::KillProgram(false),
         true, " while it waited for its turn; schema ", "", {}, true},
        {"the script's two loads killed in the first", Road::Script, "rislod",
         ClientRule::KillProgram(false).When("-s pd_demo"), true,
         " while it waited for its turn; schema dd_demo was not touched by it", "", {}, true, false, "", false, true},
        {"a cut load's dump moved aside", Road::Script, "rislod", ClientRule::KillProgram(false).When("-s pd_demo"),
         true, "", "", {}, false, true},
        // A dead change's mark goes only with a load found whole over the whole schema.
        {"a dead column change, then a load refused", Road::Script, "rislod", ClientRule::PassThrough(), false, "", "",
         {}, false, false, "pd_demo", true},
        {"a dead column change, then a piping model restore", Road::PipingRestore, "rislod", ClientRule::PassThrough(),
         false, "", "", {}, false, false, "dd_demo"},
        // A record keeps whatever file stands at its path: the user mends the rows the load left
        // out in the dump itself, or only touches it, or puts a mended copy there.
        {"a load left a table short, the dump then edited in place", Road::Script, "rislod",
         ClientRule::DieBefore(0).When("-s pd_demo"), false, "pdtable_113 holds 1 row of the dump's 3",
         "delete from pdtable_113 where model_index_no <> 1", {}, false, false, "", false, false, Mend::Edited},
        {"a load left a table short, the dump then touched", Road::AllDumps, "rislod",
         ClientRule::DieBefore(0).When("-s pd_demo"), false, "pdtable_113 holds 1 row of the dump's 3",
         "delete from pdtable_113 where model_index_no <> 1", {}, false, false, "", false, false, Mend::Touched},
        {"a load left a table short, a mended copy then put in the dump's place", Road::ChosenFile, "rislod",
         ClientRule::DieBefore(0).When("-s pd_demo"), false, "pdtable_113 holds 1 row of the dump's 3",
         "delete from pdtable_113 where model_index_no <> 1", {}, false, false, "", false, false, Mend::PutThere},
        // A whole load of another dump of the schema does not put the rows the kept dump alone
        // holds into the schema.
        {"a load not whole, then a whole load of an older dump by a later script line", Road::Script, "rislod",
         ClientRule::PassThrough(), false, "pdtable_113 holds 2 rows of the dump's 3", "", {}, false, false, "", false,
         false, Mend::Edited, Other::ScriptLine},
        {"a load not whole, then a whole load of an older dump of the folder", Road::AllDumps, "rislod",
         ClientRule::PassThrough(), false, "pdtable_113 holds 2 rows of the dump's 3", "", {}, false, false, "", false,
         false, Mend::Edited, Other::InFolder},
        // A record keeps the place its dump named: a program started in another folder looks at
        // that file.
        {"a load by a relative path left a table short, judged from another folder", Road::Script, "rislod",
         ClientRule::DieBefore(0).When("-s pd_demo"), false, "pdtable_113 holds 1 row of the dump's 3",
         "delete from pdtable_113 where model_index_no <> 1", {}, false, false, "", false, false, Mend::Edited,
         Other::None, true},
        {"a cut load by a relative path, its dump moved aside", Road::Script, "rislod",
         ClientRule::KillProgram(false).When("-s pd_demo"), true, "", "", {}, false, true, "", false, false, Mend::None,
         Other::None, true},
        // The record stands before the schema's mark: no moment holds the mark alone.
        {"killed as the schema's mark is taken", Road::ChosenFile, "rislod", ClientRule::PassThrough(), true,
         " while its schema's mark was taken" + untouched, "", schemaMarkWritten("pd_demo")},
        {"killed as the schema's mark is taken, no record written ahead", Road::Script, "rislod",
         ClientRule::PassThrough(), true, " while its schema's mark was taken" + untouched, "",
         schemaMarkWritten("pd_demo"), false, false, "", false, false, Mend::None, Other::None, false, Slip::None, true},
        // The user lost rows and slipped mending the dump: a load refused before its client runs
        // (or with no client to run) keeps the dump until the mended file is loaded whole.
        {"two blanks in a table line, refused", Road::ChosenFile, "rislod", ClientRule::PassThrough(), false,
         " was not started (process", "delete from pdtable_111", {}, false, false, "", false, false, Mend::None,
         Other::None, false, Slip::TwoBlanks},
        {"two blanks in the schema line, refused", Road::Script, "rislod", ClientRule::PassThrough(), false,
         "does not begin with a 'default schema' line; nothing of it was loaded, schema pd_demo is as it was",
         "delete from pdtable_111", {}, false, false, "", false, false, Mend::None, Other::None, false,
         Slip::SchemaLineTwoBlanks},
        {"an end-of-table line lost, refused", Road::Script, "rislod", ClientRule::PassThrough(), false,
         "): the dump is not whole (", "delete from pdtable_111", {}, false, false, "", false, false, Mend::None,
         Other::None, false, Slip::EndOfTableLost},
        {"the end-of-schema line lost, refused", Road::AllDumps, "rislod", ClientRule::PassThrough(), false,
         "; nothing of it was loaded, schema pd_demo is as it was, and no unload replaces the dump", "delete from "
         "pdtable_111", {}, false, false, "", false, false, Mend::None, Other::None, false, Slip::EndOfSchemaLost},
        {"no load client", Road::ProjectDumps, "rislod", ClientRule::DieBefore(49, noLoadClient).When("-s pd_demo"),
         false, "pdtable_111 holds 0 rows of the dump's 2; the other 8 tables of the dump are there with their rows "
         "(rislod pd_demo: ended with exit code 49)", "delete from pdtable_111", {}, false, false, "",
         false, false, Mend::None, Other::None, false, Slip::ClientMissing},
    };
    const std::string bobs = "'Pump area - Bob''s lines'", mendedValue = "Pump area - mended";
    const std::string clears = "its record goes once a load of the file at that path into pd_demo is found whole (a "
                               "whole load of another dump of the schema does not end it), or once no file stands "
                               "there (moved aside or removed); an edit of the file keeps it";
    const std::string longRow = ReplaceAll(pdText, bobs, "'" + std::string(60, 'x') + "'");
    const std::string olderInFolder = dumpDir + "\\" + kOlderCopy, olderElsewhere = "C:\\old\\week.dmp";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        // The dump as the script names it, and the place a record of it names beside.
        const std::string spelled = c.relative ? "lmdumps\\pd_demo.dmp" : pdDump;
        const std::string place = c.relative ? " (the place '" + pdDump + "')" : "";
        const std::string load = "he load of '" + spelled + "' into pd_demo";
        writeFile(pdDump, c.cutDump                ? pdText.substr(0, pdText.size() / 2)
                          : c.other != Other::None ? longRow
                                                   : slipped(pdText, c.slip));
        if (c.other != Other::None) {
            std::filesystem::create_directories(HostPath("C:\\old"));
            writeFile(c.other == Other::InFolder ? olderInFolder : olderElsewhere, pdText);
        }
        writeFile(ddDump, ddText);
        if (!c.before.empty())
            execute("pd_demo", c.before);
        long dead = 0;
        if (!c.deadChange.empty()) {
            ForkedProgram change([&] {
                RunMark mark("schema " + c.deadChange,
                             {{"what", columnsChange(c.deadChange)}, {"schema", c.deadChange},
                              {"step", "the drop of the changed tables"}, {"whole if cut off", "no"},
                              {"tables", c.deadChange == "pd_demo" ? "pdtable_113" : "pdtable_34_1"}});
                mark.Keep();
                return 0;
            });
            EXPECT_EQ(change.Wait(), 0);
            dead = change.pid();
        }
        const std::string later = c.other == Other::ScriptLine ? "risload '" + olderElsewhere + "'\r\n" : "";
        const std::string unload = c.unloadsFirst ? "risunload 'pd_demo', '" + spelled + "'\r\n" : "";
        writeFile(dumpDir + "\\load.scr", unload + "risload '" + spelled + "'\r\n" +
                                               (c.twoLoads ? "risload '" + ddDump + "'\r\n" : "") + later);
        clients.Set(c.client, c.rule);
        ForkedProgram run(
            [&] {
                if (c.relative)
                    std::filesystem::current_path(HostPath("C:\\"));
                runRoad(c.road);
                return 0;
            },
            c.stop, ForkedProgram::AtStop::Kill);
        EXPECT_EQ(run.Wait() == -SIGKILL, c.killed);
        std::filesystem::remove_all(HostPath("C:\\old"));
        std::filesystem::remove(HostPath(olderInFolder));
        if (c.killed && !c.stop) {
            EXPECT_TRUE(run.WaitGroupGone()); // killed with its client by the client rule
        }
        clients.Set(c.client, ClientRule::PassThrough());
        const std::string who = " (process " + std::to_string(run.pid());
        std::string err;
        if (!c.deadChange.empty()) {
            // The refused load and the restore of a part leave the mark, naming the dead run.
            const std::string schema = c.deadChange, dump = schema == "pd_demo" ? pdDump : ddDump;
            const std::string kept = BinaryFile::ReadAll(dump);
            const std::string deadRun = columnsChange(schema) + " (process " + std::to_string(dead);
            EXPECT_EQ(runUnloadAll(err), 1) << err;
            EXPECT_EQ(BinaryFile::ReadAll(dump), kept);
            // A refused load's record keeps its dump first; the dead change is named beside it.
            EXPECT_THAT(err, HasSubstr("risunlod " + schema + ": not unloaded, the dump '" + dump + "' stays as it was: " +
                                       (c.cutDump ? "the load of '" + dump + "' into " + schema + " (process " +
                                                        std::to_string(run.pid()) + " (test_admin)"
                                                  : deadRun)));
            EXPECT_THAT(err, HasSubstr("Schema " + schema + ": " + deadRun));
            const size_t asked = messages.asked().size();
            auto started = startedForm();
            ASSERT_GT(messages.asked().size(), asked);
            EXPECT_THAT(messages.asked()[asked].prompt, HasSubstr("Schema " + schema + ": " + deadRun));
            // A load of the whole dump ends it, naming the run that left it.
            writeFile(dump, schema == "pd_demo" ? pdText : ddText);
            started->dumpCommands().RISLoad("'" + dump + "'");
            EXPECT_THAT(BinaryFile::ReadAll(gLogFile), HasSubstr("The mark of " + deadRun));
            EXPECT_EQ(RunMark::Look("schema " + schema).state, RunMark::State::Free);
            EXPECT_EQ(runUnloadAll(err), 0) << err;
            continue;
        }
        // A change of another kind on the schema since takes over the schema's mark, and ends.
        RunMark("schema pd_demo", {{"what", columnsChange("pd_demo")}}).Release();
        if (c.movedAside) {
            // Moved aside, the file the record was made for is gone: the record goes, once said.
            std::filesystem::rename(HostPath(pdDump), HostPath(pdDump) + ".aside");
            for (int n = 0; n < 3; ++n) {
                EXPECT_EQ(runUnloadAll(err), 0) << err;
                EXPECT_EQ(BinaryFile::ReadAll(pdDump), pdText);
                EXPECT_EQ(err.find("kept the dump '" + spelled + "'" + place +
                                   " from every unload; no file stands at that path any more (moved aside or "
                                   "removed), so the record goes") !=
                              std::string::npos,
                          n == 0)
                    << err;
            }
            std::filesystem::remove(HostPath(pdDump) + ".aside");
            EXPECT_TRUE(LoadMarks::LeftTexts().empty());
            continue;
        }

        // The user's own changes of the dump since: every unload keeps what stands.
        std::string stands = slipped(pdText, c.slip);
        if (c.mend == Mend::Edited || c.mend == Mend::PutThere) {
            stands = ReplaceAll(pdText, bobs, "'" + mendedValue + "'");
            if (c.mend == Mend::Edited) {
                writeFile(pdDump, stands);
            } else {
                writeFile(pdDump + ".mended", stands);
                std::filesystem::rename(HostPath(pdDump + ".mended"), HostPath(pdDump));
            }
        } else if (c.mend == Mend::Touched) {
            const auto host = HostPath(pdDump);
            std::filesystem::last_write_time(host, std::filesystem::last_write_time(host) + std::chrono::hours(1));
        }
        for (int n = 0; n < (c.mend == Mend::None ? 1 : 3); ++n) {
            EXPECT_EQ(runUnloadAll(err), 1) << err;
            EXPECT_EQ(BinaryFile::ReadAll(pdDump), stands);
            EXPECT_THAT(err, HasSubstr("the dump may hold the only copy of rows the schema lacks (" + clears + ")"));
            // The script's later line that never ran keeps its own dump, elsewhere.
            EXPECT_THAT(err, ::testing::Not(HasSubstr("kept the dump '" + spelled + "'")));
            EXPECT_THAT(err, HasSubstr("no unload replaces the dump '" + spelled + "'" + place));
        }
        // A folder load cut off in pd_demo keeps dd_demo's dump too when it had not reached it.
        const bool folder = c.road == Road::AllDumps || c.road == Road::ProjectDumps;
        if (c.bothKept) {
            EXPECT_EQ(BinaryFile::ReadAll(ddDump), ddText);
        } else if (!folder) {
            EXPECT_EQ(DumpSchemaLine::ReadFirstLine(ddDump).rfind("default schema dd_demo", 0), 0u);
        }
        EXPECT_THAT(err,
                    HasSubstr("Warning: T" + load + (c.killed ? " was cut off by the end of the program" + who : "")));
        EXPECT_THAT(err, HasSubstr(c.named));
        EXPECT_THAT(err, HasSubstr("risunlod pd_demo: not unloaded, the dump '" + pdDump + "' stays as it was: t" +
                                   load + who));
        if (c.bothKept) {
            EXPECT_THAT(err, HasSubstr("risunlod dd_demo: not unloaded, the dump '" + ddDump +
                                       "' stays as it was: the load of '" + ddDump + "' into dd_demo" + who));
        }

        // The window's start names it as well; a load found whole ends the record.
        const size_t asked = messages.asked().size();
        auto started = startedForm();
        ASSERT_GT(messages.asked().size(), asked);
        EXPECT_THAT(messages.asked()[asked].prompt, HasSubstr(c.named));
        if (c.slip != Slip::None) {
            // Mended, the dump is loaded whole: its rows are back and its record goes.
            EXPECT_LT(tablesOf("pd_demo").at("pdtable_111").size(), pdBefore.at("pdtable_111").size());
            writeFile(pdDump, pdText);
            stands = pdText;
        }
        started->dumpCommands().RISLoad("'" + pdDump + "'");
        if (folder || c.bothKept)
            started->dumpCommands().RISLoad("'" + ddDump + "'");
        if (stands != pdText) {
            // The mended row is loaded; the sample's value is put back for the next case.
            EXPECT_EQ(rowsHolding(tablesOf("pd_demo").at("pdtable_113"), mendedValue), 1u);
            EXPECT_EQ(tablesOf("pd_demo").at("pdtable_113").size(), 3u);
            EXPECT_EQ(runUnloadAll(err), 0) << err;
            writeFile(pdDump, pdText);
            started->dumpCommands().RISLoad("'" + pdDump + "'");
        }
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
        std::string record = {}; // the other program holds this load record, not the schema's mark
        std::string said = {};   // what this one says before the running change, when no load or unload
        std::string held = "pd_demo"; // the schema whose mark the other program holds
        bool otherCreatesSchemas = false; // the other program runs "Create schema" over pd_ and dd_, held at its first step
    } cases[] = {
        {Road::Script, pdLoad, 0},
        {Road::AllDumps, columns, 1},
        {Road::ChosenFile, pdLoad, 0}, // a raw dump, refused before its first line is rewritten
        {Road::PipingRestore, ddLoad, 0},
        {Road::Unload, pdLoad, 0},
        {Road::UnloadAll, columns, 0},
        // A folder load writes every record before its first step: nothing is loaded.
        {Road::AllDumps, pdLoad, 0, "load pd_demo " + pdDump},
        // The user and schema families change the schema under its mark like every other change.
        {Road::FamilyCreate, pdLoad, 0, "", "The creation of database user and RIS schema pd_demo was not started: "},
        {Road::FamilyDelete, columns, 0, "", "The removal of RIS schema and database user pd_demo was not started: "},
        {Road::ScriptUserDrop, pdLoad, 0, "", "The script was not started: its line 1, the removal of database user "
                                              "pd_demo, is refused: "},
        {Road::SchemaDropOperation, columns, 0, "", "The removal of RIS schema pd_demo was not started: "},
        // A command over several families takes every family's mark before its first step: one the
        // other program holds refuses it whole, and the family before it is left as it was.
        {Road::FamilyDeleteBoth, ddLoad, 0, "", "The removal of RIS schema and database user pd_demo, dd_demo was not "
                                                "started: ", "dd_demo"},
        {Road::ScriptUserDropBoth, ddLoad, 0, "", "The script was not started: its line 3, the removal of RIS schema "
                                                  "dd_demo, is refused: ", "dd_demo"},
        // Two family commands at once: the first holds both families' marks from its first step.
        {Road::FamilyDeleteBoth, "the creation of RIS schema pd_demo", 0, "",
         "The removal of RIS schema and database user pd_demo, dd_demo was not started: ", "pd_demo", true},
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
                if (c.otherCreatesSchemas) {
                    // Both schemas stand already: its tool refuses each creation and nothing changes.
                    Families families;
                    families.boxValue = [](size_t i) { return i < 2 ? kBoxChecked : kBoxUnchecked; };
                    families.projectText = [] { return std::string("demo"); };
                    families.escPressed = [] { return false; };
                    families.Run(FamilyCommand::CreateSchema);
                    return 0;
                }
                RunMark mark(!c.record.empty() ? c.record : restore ? "schema dd_demo" : "schema " + c.held,
                             {{"what", c.running}, {"dump", restore ? ddDump : pdDump}});
                return mark.held() ? 0 : 1;
            },
            testsupport::MarkWritten(c.otherCreatesSchemas ? "cre_schema" : ""));
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
        case Road::FamilyDeleteBoth:
            form->familyBoxes[0]->setChecked(true);
            form->familyBoxes[1]->setChecked(c.road == Road::FamilyDeleteBoth);
            if (c.road != Road::FamilyCreate) {
                messages.Answer(MsgAnswer::Yes); // asked twice
                messages.Answer(MsgAnswer::Yes);
                form->Delete_DB_Schema_Click();
            } else {
                form->Create_DB_Schema_Click();
            }
            form->familyBoxes[0]->setChecked(false);
            form->familyBoxes[1]->setChecked(false);
            break;
        case Road::SchemaDropOperation:
            text = testsupport::Raised([&] { form->Del_Schema("'pd_demo'"); }).description();
            break;
        case Road::ScriptUserDrop:
        case Road::ScriptUserDropBoth:
            writeFile(dumpDir + "\\users.scr", c.road == Road::ScriptUserDrop
                                                   ? "del_dbuser 'pd_demo'\r\n"
                                                   : "del_schema 'pd_demo'\r\ndel_dbuser 'pd_demo'\r\n"
                                                     "del_schema 'dd_demo'\r\n");
            form->scriptfile->setText(QString::fromStdString(dumpDir + "\\users.scr"));
            runRoad(Road::Script);
            form->scriptfile->setText(QString::fromStdString(dumpDir + "\\load.scr"));
            break;
        default: runRoad(c.road); break;
        }
        if (text.empty() && messages.asked().size() > asked)
            text = messages.asked().back().prompt;
        EXPECT_THAT(text, HasSubstr(said + c.running + " (process " + std::to_string(other.pid())));
        EXPECT_THAT(text, HasSubstr(!c.said.empty()     ? ") is under way on schema " + c.held + ". Nothing was changed."
                                    : c.record.empty() ? ") is under way on that schema"
                                                       : ") is under way from that dump"));
        EXPECT_EQ(clients.Runs("rislod"), c.rislod);
        EXPECT_EQ(BinaryFile::ReadAll(pdDump), pdFile);
        EXPECT_EQ(tablesOf("pd_demo"), pdBefore);
        EXPECT_EQ(tablesOf("dd_demo"), ddBefore);
        other.Release();
        EXPECT_EQ(other.Wait(), 0);
    }
    // Nothing of the refused changes is left behind but the records of the refused loads, which
    // keep the dumps the user asked to load.
    for (const auto& [object, seen] : RunMark::List("")) {
        EXPECT_EQ(object.rfind("load ", 0), 0u) << object;
        EXPECT_EQ(seen.state, RunMark::State::Left) << object;
        EXPECT_THAT(RunMark::Field(seen.fields, "refused") + RunMark::Field(seen.fields, "then refused"),
                    HasSubstr("is under way on that schema"));
        RunMark::RemoveLeft(object);
    }
}

} // namespace
