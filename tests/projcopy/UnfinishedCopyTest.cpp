// A project copy whose program is killed at a step (a row, the files, a design table, the undo
// itself) leaves its journal where the next copy into the target finds it: the next run takes out
// what the dead one made, says so, and ends with the model whole. Two copies at once: a second
// one into the same target is refused by name, one into another target with the same TMP runs
// beside the first, and neither loses anything.
#include "projcopy/ModelCopyFixture.h"

#include "platform/HostFiles.h"
#include "platform/RunMark.h"
#include "projcopy/CopyJournalFile.h"
#include "projcopy/CopyWorkFiles.h"
#include "projcopy/UnfinishedCopies.h"
#include "services/AppGlobals.h"
#include "standins/dbserver/StandInEnvironment.h"
#include "support/OtherProcesses.h"
#include "support/TestFiles.h"

#include <gmock/gmock.h>

#include <csignal>
#include <fstream>
#include <memory>
#include <optional>

using namespace projcopytest;
using testsupport::ClientRule;
using testsupport::FileOpMatch;
using testsupport::ForkedProgram;
using ::testing::HasSubstr;
using ::testing::Not;

namespace {

const std::string kCheckingLine = "P1001: checking if partition_no";

// Every write of the copy's journal file: its rewrite, or its removal when nothing is left.
bool JournalSave(const std::string& op, const std::string& host)
{
    return (op == "write" || op == "delete") && host.find("/marks/") != std::string::npos &&
           host.size() > 8 && host.compare(host.size() - 8, 8, ".journal") == 0;
}

// The flush of a batch file the launcher writes: the next client has not started.
bool BatchFlush(const std::string& op, const std::string& host)
{
    return op == "flush" && host.size() > 4 && host.compare(host.size() - 4, 4, ".bat") == 0;
}

// The delete of a file the undo moved aside ("<file>.<process id>.undo").
bool AsideDelete(const std::string& op, const std::string& host)
{
    return op == "delete" && host.size() > 5 && host.compare(host.size() - 5, 5, ".undo") == 0;
}

// An operation on one of the copy's work files in TMP ("sql", "_temp", ...).
FileOpMatch WorkFileOp(const std::string& op, const std::string& stem)
{
    return [op, stem](const std::string& o, const std::string& host) {
        return o == op && host.find("/" + stem + ".") != std::string::npos;
    };
}

// The count-th operation `matches` picks after the copy log's line holding `line`; landed: the
// next operation on another file after it, once the picked one has landed.
struct RunPoint {
    std::string line;
    int count = 1;
    bool landed = false;
    FileOpMatch matches = JournalSave;
};

class UnfinishedCopyTest : public ModelCopyFixture {
protected:
    // P1001's copy as another program, held or killed at its point; onLine sees each line it logs.
    std::unique_ptr<ForkedProgram> copyAt(const RunPoint& point, ForkedProgram::AtStop at,
                                          const std::function<void(const std::string&)>& onLine = {})
    {
        struct Seen { bool armed = false; int count = 0; std::string landed; };
        auto seen = std::make_shared<Seen>();
        return std::make_unique<ForkedProgram>(
            [this, seen, point, onLine] {
                log.SetLabel([=](const std::string& text) {
                    seen->armed = seen->armed || text.find(point.line) != std::string::npos;
                    if (onLine)
                        onLine(text);
                });
                return copyP1001();
            },
            [seen, point](const std::string& op, const std::string& host) {
                if (!seen->landed.empty())
                    return host != seen->landed;
                if (!seen->armed || !point.matches(op, host) || ++seen->count != point.count)
                    return false;
                if (point.landed)
                    seen->landed = host;
                return !point.landed;
            },
            at);
    }
};

} // namespace

// Each row kills a copy at its point; the next row's copy (and at the end a copy that runs
// through) first takes out what the killed one made, naming it and the dead program, and the
// target is as before when its own copy of the model begins.
TEST_F(UnfinishedCopyTest, ACopyKilledAtAnyStepIsTakenOutByTheNextRun)
{
    const std::string area = "area 'A1' (pdtable_112), discipline 'Piping' (pdtable_111)";
    const std::string t12 = "design table pdtable_12_1 of dd_demo, ";
    const std::string t34and12 = "design table pdtable_34_1 of dd_demo, " + t12;
    // What the model's copy will make is recorded before its first step, each step's outcome
    // after its look; the undo writes after each look (the three tables the copy's own undo
    // looks at first: 80 and 67 never loaded, then 34 taken out).
    const struct {
        const char* name;
        RunPoint point;
        bool loadOf50Fails; // rislod dies before its work on pdtable_50_1: the copy undoes itself
        std::optional<std::string> takenOut; // what the next run takes out ("": nothing); nullopt: it is killed first
    } rows[] = {
        {"everything recorded, nothing made yet", {"P1001: preparing to copy model", 1, true}, false, ""},
        {"area row inserted, not yet seen", {"P1001: adding area 'A1'", 1}, false, area},
        {"model row inserted, not yet seen", {"P1001: adding model 'P1001'", 1}, false, kRowsOfTheModel},
        {"files recorded, xcopy not yet run", {"P1001: copying models files", 1, false, BatchFlush}, false,
         kRowsOfTheModel},
        {"files copied, not yet seen", {"P1001: copying models files", 1}, false, filesAndRows("")},
        {"pdtable_12_1 unloaded, not yet loaded",
         {"Loading table 'pdtable_12_1'", 1, false, WorkFileOp("create", kCopyEditedDump)}, false, filesAndRows("")},
        {"pdtable_34_1 loaded, not yet seen", {"Loading table 'pdtable_34_1'", 1}, false, filesAndRows(t34and12)},
        {"every step done, the model not yet kept", {"Loading table 'pdtable_80_1'", 2}, false, std::nullopt},
        {"the next run's undo, after its first take-out", {"did not finish; what it made there", 1, true}, false,
         filesAndRows("design table pdtable_67_1 of dd_demo, design table pdtable_50_1 of dd_demo, " + t34and12)},
        // The model file is moved aside under a name of the run before it is deleted: the next
        // run finds it there, and takes it out.
        {"the copy's own undo, its file moved aside, not yet deleted",
         {"Table 'pdtable_50_1' not copied", 1, false, AsideDelete}, true, filesAndRows("")},
        {"the copy's own undo, after its first take-out", {"Table 'pdtable_50_1' not copied", 3, true}, true,
         filesAndRows(t12)},
        {"the copy's own undo, its first take-out not yet recorded", {"Table 'pdtable_50_1' not copied", 3}, true,
         filesAndRows(t12)},
    };
    testsupport::ScopedDir dir("killed");
    const std::string snapshot = dir.host() + "/target";
    std::optional<std::string> expected;
    std::vector<long> killed;
    // What a run says of the copy the previous row killed.
    auto expectTakenOut = [&](const std::string& text, long previous) {
        EXPECT_THAT(text, HasSubstr("P1001: the copy of model 'P1001' into project 'demo' by process " +
                                    std::to_string(previous) + " ("));
        if (expected && expected->empty()) {
            EXPECT_THAT(text, Not(HasSubstr("taken out of project")));
        } else if (expected) {
            EXPECT_THAT(text, HasSubstr("P1001: taken out of project 'demo' again: " + *expected + "\r\n"));
        }
        EXPECT_THAT(text, Not(HasSubstr("left in project")));
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        clients.Set("rislod", row.loadOf50Fails ? ClientRule::DieBefore(139, "Loading").When("pdtable_50_1")
                                                : ClientRule::PassThrough());
        fs::remove(snapshot);
        const auto child = copyAt(row.point, ForkedProgram::AtStop::Kill, [&](const std::string& line) {
            if (line.rfind(kCheckingLine, 0) == 0)
                testsupport::WriteHostFile(snapshot, TargetState(targetRoot));
        });
        EXPECT_EQ(child->Wait(), -SIGKILL);
        if (!killed.empty())
            expectTakenOut(CopyLogText(), killed.back());
        if (fs::exists(snapshot)) {
            EXPECT_EQ(testsupport::ReadHostFile(snapshot), before);
        }
        expected = row.takenOut;
        killed.push_back(child->pid());
    }
    clients.Set("rislod", ClientRule::PassThrough());
    // A start names what the last killed copy may have left, and leaves it to the next copy.
    {
        const std::string savedLog = gLogFile;
        gLogFile = WinPathFromHost(dir.host()) + "\\start.log";
        LookAfterUnfinishedCopies();
        const std::string started = ReadFile2String(gLogFile);
        gLogFile = savedLog;
        EXPECT_THAT(started, HasSubstr("The copy of model 'P1001' into project 'demo' by process " +
                                       std::to_string(killed.back()) + " ("));
        // The last row was killed before its undo recorded that pdtable_34_1 went.
        EXPECT_THAT(started, HasSubstr(t12 + "design table pdtable_34_1 of dd_demo may stand there, half made; the "
                                             "next copy into project 'demo' takes out what is still as it was made and names the rest\r\n"));
    }
    // A row the next run cannot take out leaves the model named as half copied, never taken for
    // one the target holds already; the run after it takes out the rest.
    clients.Set("risbatch", ClientRule::RefuseStatement("DELETE FROM pdtable_113"));
    EXPECT_EQ(copyP1001(), 1);
    clients.Set("risbatch", ClientRule::PassThrough());
    const std::string refused = CopyLogText();
    const std::string made = filesAndRows(t12); // all but the rows, which stand
    EXPECT_THAT(refused, HasSubstr("P1001: taken out of project 'demo' again: " +
                                   made.substr(0, made.size() - kRowsOfTheModel.size() - 2) + "\r\n"));
    EXPECT_THAT(refused, HasSubstr("P1001: left in project 'demo': model 'P1001' (pdtable_113): it stands (RIS Error: "
                                   "RIS_E_NO_PRIVILEGE"));
    EXPECT_THAT(lastMessage(), HasSubstr("\r\n'P1001' left half copied in project 'demo' by process " +
                                         std::to_string(killed.back()) + " ("));
    EXPECT_THAT(refused, HasSubstr("P1001: left half copied in project 'demo' by a copy that did not finish, model "
                                   "'P1001' not copied\r\n"));
    EXPECT_THAT(refused, Not(HasSubstr("is already in project")));
    expected = kRowsOfTheModel;
    EXPECT_EQ(copyP1001(), 0) << lastMessage();
    const std::string text = CopyLogText();
    expectTakenOut(text, ::getpid());
    EXPECT_THAT(text, HasSubstr("\tprocessing successfully complete\r\n"));
    expectP1001Whole();
    EXPECT_EQ(RunMark::Look("project demo").state, RunMark::State::Free);
    EXPECT_FALSE(HostFileExists(CopyJournalFile("demo").Path()));
    // What the killed programs left in TMP went with the next run.
    for (long pid : killed)
        for (const char* stem : {kCopyStatements, kCopyAnswer, kCopyConsole, kCopyEditedDump})
            EXPECT_FALSE(HostFileExists(TmpFile(std::string(stem) + "." + std::to_string(pid) + ".txt")))
                << stem << " of " << pid;
}

// A copy killed with every step done, then what the user does before the next copy: only what
// is still as the dead copy made it is taken out; what the user changed or added stays, is named
// in the copy log and in the next run's message, and is left to the user; a model left so, half
// made, fails that run (unless the run copies it whole), and the run after it is not held up by
// it. A parameters file that is gone is reached through the text the journal keeps of it; one
// whose text an earlier version did not keep leaves the whole model, named at every start and
// by every copy until the file stands again.
TEST_F(UnfinishedCopyTest, WhatADeadCopyLeftIsTakenOutOnlyWhereUntouched)
{
    const std::string modelFile = std::string(kCopyFolder) + "\\model\\p1001.dgn";
    const std::string userRow = "SELECT * FROM pdtable_12_1 WHERE system_unique_no = 999";
    const std::string otherParams = "C:\\parms\\new2.prm";
    const std::string savedParams = newParams;
    const std::string tables = "design table pdtable_80_1 of dd_demo, design table pdtable_67_1 of dd_demo, "
                               "design table pdtable_50_1 of dd_demo, design table pdtable_34_1 of dd_demo";
    const std::string allOfIt = tables + ", design table pdtable_12_1 of dd_demo, file '" + kFolder +
                                "\\p1001.dgn', folder '" + kFolder + "', folder '\\\\PDSSRV1\\D$\\pds\\copy', " +
                                kRowsOfTheModel;
    const std::string halfMade = "A copy that did not finish left models half made; what stands of them is left to "
                                 "the user as it is.";
    // The user takes the target's parameters file away and copies through another naming the same
    // environment; putting it back settles what could not be reached.
    auto paramsGone = [&] {
        WriteParams("new2.prm", targetRoot);
        fs::remove(HostPath(savedParams));
        newParams = otherParams;
    };
    auto paramsBack = [&] {
        WriteParams("new.prm", targetRoot);
        fs::remove(HostPath(otherParams));
        newParams = savedParams;
    };
    // The journal as the earlier version wrote it: without the lines of a kind.
    auto withoutLines = [](const std::string& prefix) {
        const std::string journal = HostPath(CopyJournalFile("demo").Path());
        std::string text;
        for (const std::string& line : Split(testsupport::ReadHostFile(journal), "\n"))
            if (line.rfind(prefix, 0) != 0)
                text += line + "\n";
        testsupport::WriteHostFile(journal, text.substr(0, text.size() - 1));
    };
    const struct {
        const char* name;
        std::function<void()> after; // what the user does after the kill
        std::vector<std::string> models; // the next run's
        int result;                      // of the next run
        std::string box;                 // how its message begins; empty: none
        std::vector<std::string> named;  // in the next run's message and copy log
        std::string takenOut;            // by the next run; empty: nothing
        std::function<void()> stands;    // what stands after the next run
        std::function<void()> settle = {}; // what settles it; none: it is settled by the next run
    } rows[] = {
        {"the user edited its file and added a row to its design table",
         [&] {
             std::ofstream(HostPath(modelFile), std::ios::app | std::ios::binary) << "the user's edit";
             RunSql(targetRoot, "default schema dd_demo;\r\ninsert into pdtable_12_1 (system_unique_no) values (999);\r\n");
         },
         {"P1002"}, 1, halfMade,
         {"file '" + kFolder + "\\p1001.dgn': it changed since the copy made it (",
          "design table pdtable_12_1 of dd_demo: its rows changed since the copy made them (",
          "folder '" + kFolder + "': it holds what the copy did not take out: 'p1001.dgn'; it is left to the user"},
         tables + ", " + kRowsOfTheModel,
         [&] {
             EXPECT_EQ(Rows(targetRoot, "dd_demo", userRow).size(), 1u);
             EXPECT_THAT(ReadFile2String(modelFile), HasSubstr("the user's edit"));
             EXPECT_EQ(Rows(targetRoot, "pd_demo", "SELECT * FROM pdtable_113 WHERE model_no = 'P1002'").size(), 1u);
         }},
        // The model goes in whole by that run: what was left beside it is named, the run ends well.
        {"its folder gained a user's file",
         [&] { testsupport::WriteHostFile(HostPath(std::string(kCopyFolder) + "\\model\\notes.txt"), "mine"); },
         {"P1001"}, 0, halfMade,
         {"folder '" + kFolder + "': it holds what the copy did not take out: 'notes.txt'; it is left to the user"},
         "design table pdtable_80_1 of dd_demo, design table pdtable_67_1 of dd_demo, design table pdtable_50_1 of "
         "dd_demo, design table pdtable_34_1 of dd_demo, design table pdtable_12_1 of dd_demo, file '" +
             kFolder + "\\p1001.dgn', " + kRowsOfTheModel,
         [&] {
             expectP1001Whole();
             EXPECT_EQ(ReadFile2String(std::string(kCopyFolder) + "\\model\\notes.txt"), "mine");
         }},
        // Reached through the text the journal keeps: all of it goes.
        {"its parameters file is gone", paramsGone, {"P1002"}, 0, "", {}, allOfIt,
         [&] {
             EXPECT_EQ(Rows(targetRoot, "pd_demo", "SELECT * FROM pdtable_113 WHERE model_no = 'P1001'").size(), 0u);
             EXPECT_EQ(Rows(targetRoot, "pd_demo", "SELECT * FROM pdtable_113 WHERE model_no = 'P1002'").size(), 1u);
             paramsBack();
         }},
        {"its parameters file is gone, and the journal of the earlier version holds no text of it",
         [&] {
             withoutLines("paramstext=");
             paramsGone();
         },
         {}, 1, "Models not copied: 'P1001'.",
         {": nothing of it is taken out: the RIS parameters file '" + savedParams +
              "' its rows and design tables were made through is gone, and the journal (of an earlier version) does "
              "not hold its text (discipline 'Piping' (pdtable_111), area 'A1' (pdtable_112), model 'P1001' "
              "(pdtable_113), folder '\\\\PDSSRV1\\D$\\pds\\copy', folder '" + kFolder + "', file '" + kFolder +
              "\\p1001.dgn', design table pdtable_12_1 of dd_demo, "},
         "",
         [&] {
             // Nothing of the model went: its rows, its file and its tables stand as the copy made them.
             expectP1001Whole();
             const std::vector<std::string> start = UnfinishedCopies();
             ASSERT_EQ(start.size(), 1u);
             EXPECT_THAT(start[0], HasSubstr("nothing of it is taken out while the RIS parameters file '" +
                                             savedParams + "' its rows and design tables were made through is gone"));
             EXPECT_THAT(start[0], HasSubstr("removing '" + CopyJournalFile("demo").Path() + "' settles it"));
         },
         paramsBack},
        {"its journal was written by the earlier version, without images", [&] { withoutLines("image="); },
         {"P1002"}, 1, halfMade,
         {"design table pdtable_12_1 of dd_demo: it is not shown to be as the copy made it: the journal of an earlier "
          "version holds no record of its rows; it is left to the user"},
         "file '" + kFolder + "\\p1001.dgn', folder '" + kFolder + "', folder '\\\\PDSSRV1\\D$\\pds\\copy', " +
             kRowsOfTheModel,
         [&] {
             EXPECT_EQ(Rows(targetRoot, "dd_demo", "SELECT * FROM pdtable_12_1").size(),
                       Rows(StandInRoot(), "dd_demo", "SELECT * FROM pdtable_12_1").size());
         }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const auto child = copyAt({"Loading table 'pdtable_80_1'", 2}, ForkedProgram::AtStop::Kill);
        EXPECT_EQ(child->Wait(), -SIGKILL);
        row.after();
        size_t asked = messages.asked().size();
        EXPECT_EQ(copyModels(sides, row.models), row.result) << lastMessage();
        const std::string message = messages.asked().size() > asked ? lastMessage() : std::string();
        const std::string text = CopyLogText();
        EXPECT_EQ(message.rfind(row.box, 0), 0u) << message;
        EXPECT_EQ(message.empty(), row.box.empty()) << message;
        if (!row.box.empty()) {
            EXPECT_THAT(message, HasSubstr("\r\n'P1001' left half " + std::string(row.settle ? "copied" : "made") +
                                           " in project 'demo' by process " + std::to_string(child->pid()) + " ("));
        }
        for (const std::string& named : row.named) {
            EXPECT_THAT(message, HasSubstr(named));
            EXPECT_THAT(text, HasSubstr(named));
        }
        if (row.takenOut.empty()) {
            EXPECT_THAT(text, Not(HasSubstr("taken out of project")));
        } else {
            EXPECT_THAT(text, HasSubstr("P1001: taken out of project 'demo' again: " + row.takenOut + "\r\n"));
        }
        EXPECT_THAT(text, HasSubstr(row.result == 0 ? "\tprocessing successfully complete\r\n" : "\tprocessing failed\r\n"));
        row.stands();
        if (row.settle) {
            // Named by every copy until it is settled, never passed over as a run that ended well.
            asked = messages.asked().size();
            EXPECT_EQ(copyModels(sides, row.models), 1);
            ASSERT_EQ(messages.asked().size(), asked + 1);
            EXPECT_THAT(lastMessage(), HasSubstr("'P1001' left half copied in project 'demo' by process " +
                                                 std::to_string(child->pid()) + " ("));
            EXPECT_THAT(lastMessage(), HasSubstr("removing '" + CopyJournalFile("demo").Path() + "' settles it"));
            EXPECT_THAT(CopyLogText(), Not(HasSubstr("processing successfully complete")));
            expectP1001Whole();
            row.settle();
            asked = messages.asked().size();
            EXPECT_EQ(copyModels(sides, row.models), 0) << lastMessage();
            EXPECT_EQ(messages.asked().size(), asked);
            EXPECT_THAT(CopyLogText(), HasSubstr("P1001: taken out of project 'demo' again: " + allOfIt + "\r\n"));
        }
        // Named once and left to the user (or settled): the next run neither names it again nor
        // fails on it.
        asked = messages.asked().size();
        EXPECT_EQ(copyModels(sides, {"P1002"}), 0) << lastMessage();
        EXPECT_EQ(messages.asked().size(), asked);
        EXPECT_THAT(CopyLogText(), Not(HasSubstr("did not finish")));
        EXPECT_FALSE(HostFileExists(CopyJournalFile("demo").Path()));
        EXPECT_EQ(RunMark::Look("project demo").state, RunMark::State::Free);
        EmptyTargetPiping();
        fs::remove_all(HostPath(kCopyFolder));
        EXPECT_EQ(BothProjects(), bothBefore);
    }
}

// A journal that cannot be read holds copies into its project back: the refusal names the file
// and what lets copies run again, and once the user has removed it, they do.
TEST_F(UnfinishedCopyTest, AJournalThatCannotBeReadIsNamedWithWhatClearsIt)
{
    const std::string journal = CopyJournalFile("demo").Path();
    testsupport::WriteHostFile(HostPath(journal), "not a journal\n");
    EXPECT_EQ(copyP1001(), 1);
    EXPECT_THAT(lastMessage(), HasSubstr("The copy into project 'demo' was not started: The journal of a project copy '" +
                                         journal + "' cannot be read: it does not begin as a journal does."));
    EXPECT_THAT(lastMessage(), HasSubstr("removing '" + journal + "' lets copies into it run again"));
    EXPECT_EQ(TargetState(targetRoot), before);
    fs::remove(HostPath(journal));
    EXPECT_EQ(copyP1001(), 0) << lastMessage();
    expectP1001Whole();
}

// The first copy stands at its point while a second runs to its end; then the first goes on.
// Into the same target the second is refused, naming the first; into another target with the
// same TMP both copy their model whole.
TEST_F(UnfinishedCopyTest, TwoCopiesAtOnceLoseNothing)
{
    testsupport::ScopedDir second("second");
    StandInEnvironmentOptions options = testsupport::SampleEnvironmentOptions();
    options.secondEnvironment = true;
    std::string report;
    StandInEnvironment::Build(second.host() + "/root", options, report);
    const std::string otherRoot = second.host() + "/root/env2";
    const std::string otherParams = WriteParams("other.prm", otherRoot);
    const ProjectSides intoOther{[] { return std::string("demo"); }, [] { return std::string("demo2"); },
                                 [this] { return oldParams; }, [otherParams] { return otherParams; }};
    // P1002 in demo2: its rows, its file and the design tables of partition 2 with the source's rows.
    auto otherState = [&] {
        std::string state = std::to_string(Rows(otherRoot, "pd_demo2", "SELECT * FROM pdtable_113").size()) +
                            " models, " +
                            std::to_string(Rows(otherRoot, "pd_demo2", "SELECT * FROM pdtable_112").size()) + " areas";
        DbServer server(otherRoot);
        RisSession session(server);
        const std::vector<std::string> tables = SchemaTables(session.Database("dd_demo2")).Tables();
        for (int t : {12, 34, 50, 67, 80}) {
            const std::string table = "pdtable_" + std::to_string(t) + "_2", select = "SELECT * FROM " + table;
            if (std::count(tables.begin(), tables.end(), table) &&
                Rows(otherRoot, "dd_demo2", select) == Rows(StandInRoot(), "dd_demo", select))
                state += ", " + table;
        }
        return state + (fs::exists(HostPath("\\\\PDSSRV1\\pds\\demo2\\model\\p1002.dgn")) ? ", p1002.dgn" : "");
    };
    auto emptyOther = [&] {
        std::string sql = "default schema pd_demo2;\r\ndelete from pdtable_113 where model_no = 'P1002';\r\n"
                          "delete from pdtable_112 where area_index_no = 2;\r\ndefault schema dd_demo2;\r\n";
        for (int t : {12, 34, 50, 67, 80})
            sql += "drop table pdtable_" + std::to_string(t) + "_2;\r\n";
        RunSql(otherRoot, sql);
        fs::remove_all(HostPath("\\\\PDSSRV1\\pds\\demo2"));
    };
    emptyOther();
    const std::string otherBefore = otherState();

    const struct {
        const char* name;
        bool sameTarget;
        RunPoint point; // where the first copy stands while the second runs
    } rows[] = {
        {"same target, the first adding its model row", true, {"P1001: adding model 'P1001'", 1, true}},
        {"another target, the first's statement written, its client not yet run", false,
         {"P1001: adding model 'P1001'", 1, true, WorkFileOp("flush", kCopyStatements)}},
        {"another target, the first's dump of pdtable_34_1 not yet edited", false,
         {"Loading table 'pdtable_34_1'", 1, false, WorkFileOp("create", kCopyEditedDump)}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const auto first = copyAt(row.point, ForkedProgram::AtStop::Hold);
        ASSERT_TRUE(first->Reached());
        const int secondResult = row.sameTarget ? copyModels(sides, {"P1002"}) : copyModels(intoOther, {"P1002"});
        const std::string secondMessage = lastMessage();
        first->Release();
        EXPECT_EQ(first->Wait(), 0);
        const std::string text = CopyLogText();
        // The first's lines from before the second started are still in the copy log.
        EXPECT_THAT(text, HasSubstr(kCheckingLine));
        expectP1001Whole();
        if (row.sameTarget) {
            EXPECT_EQ(secondResult, 1);
            const std::string refusal = "The copy into project 'demo' was not started: another copy runs into that "
                                        "project: the copy of models from project 'demo' into project 'demo' (process " +
                                        std::to_string(first->pid()) + " (";
            EXPECT_EQ(secondMessage.rfind(refusal, 0), 0u) << secondMessage;
            EXPECT_THAT(secondMessage, HasSubstr(". Nothing was changed."));
            EXPECT_EQ(Rows(targetRoot, "pd_demo", "SELECT * FROM pdtable_113 WHERE model_no = 'P1002'").size(), 0u);
        } else {
            EXPECT_EQ(secondResult, 0) << secondMessage;
            EXPECT_EQ(otherState(), "2 models, 2 areas, pdtable_12_2, pdtable_34_2, pdtable_50_2, pdtable_67_2, "
                                    "pdtable_80_2, p1002.dgn");
            emptyOther();
        }
        EXPECT_EQ(otherState(), otherBefore);
        EmptyTargetPiping();
        fs::remove_all(HostPath(kCopyFolder));
        EXPECT_EQ(BothProjects(), bothBefore);
    }
}
