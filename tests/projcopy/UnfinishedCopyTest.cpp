// A project copy whose program is killed at a step (a row, the files, a design table, the undo
// itself) leaves its journal where the next copy into the target finds it: the next run takes out
// what the dead one made, says so, and ends with the model whole. Two copies at once: a second
// one into the same target is refused by name, one into another target with the same TMP runs
// beside the first, and neither loses anything.
#include "projcopy/CopyChild.h"
#include "projcopy/ModelCopyFixture.h"

#include "platform/RunMark.h"
#include "projcopy/CopyJournalFile.h"
#include "projcopy/CopyWorkFiles.h"
#include "projcopy/UnfinishedCopies.h"
#include "services/AppGlobals.h"
#include "standins/dbserver/StandInEnvironment.h"
#include "support/TestFiles.h"

#include <fstream>
#include <optional>
#include <sstream>

using namespace projcopytest;
using testsupport::ClientRule;

namespace {

using UnfinishedCopyTest = ModelCopyFixture;

const std::string kCheckingLine = "P1001: checking if partition_no";

std::string readHost(const std::string& host)
{
    std::ifstream in(host, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

RunPoint journalSave(const std::string& line, int count, bool after)
{
    return RunPoint{line, JournalSave, count, after};
}

} // namespace

// Each row kills a copy at its point; the next row's copy (and at the end a copy that runs
// through) first takes out what the killed one made, naming it and the dead program, and the
// target is as before when its own copy of the model begins.
TEST_F(UnfinishedCopyTest, ACopyKilledAtAnyStepIsTakenOutByTheNextRun)
{
    struct Row {
        const char* name;
        RunPoint point;
        bool loadOf50Fails; // rislod dies before its work on pdtable_50_1: the copy undoes itself
        std::optional<std::string> takenOut; // what the next run takes out; nullopt: it is killed first
    };
    const std::string area = "area 'A1' (pdtable_112), discipline 'Piping' (pdtable_111)";
    const std::string t34and12 = "design table pdtable_34_1 of dd_demo, design table pdtable_12_1 of dd_demo, ";
    const std::vector<Row> rows = {
        {"area row inserted, not yet seen", journalSave("P1001: adding area 'A1'", 2, false), false, area},
        {"model row recorded, not yet inserted", journalSave("P1001: adding model 'P1001'", 1, true), false, area},
        {"files recorded, xcopy not yet run", journalSave("P1001: copying models files", 1, true), false,
         kRowsOfTheModel},
        {"files copied, not yet seen", journalSave("P1001: copying models files", 2, false), false, filesAndRows("")},
        {"pdtable_12_1 recorded, not yet loaded", journalSave("Loading table 'pdtable_12_1'", 1, true), false,
         filesAndRows("")},
        {"pdtable_34_1 loaded, not yet seen", journalSave("Loading table 'pdtable_34_1'", 2, false), false,
         filesAndRows(t34and12)},
        {"every step done, the model not yet kept", journalSave("Loading table 'pdtable_80_1'", 3, false), false,
         std::nullopt},
        {"the next run's undo, after its first take-out", journalSave("did not finish; what it made there", 1, true),
         false, filesAndRows("design table pdtable_67_1 of dd_demo, design table pdtable_50_1 of dd_demo, " + t34and12)},
        {"the copy's own undo, after its first take-out", journalSave("Table 'pdtable_50_1' not copied", 1, true), true,
         filesAndRows("design table pdtable_12_1 of dd_demo, ")},
        {"the copy's own undo, its first take-out not yet recorded",
         journalSave("Table 'pdtable_50_1' not copied", 1, false), true,
         filesAndRows("design table pdtable_12_1 of dd_demo, ")},
    };
    testsupport::ScopedDir dir("killed");
    const std::string snapshot = dir.host() + "/target";
    pid_t previous = 0;
    std::optional<std::string> expected;
    std::vector<pid_t> killed;
    // What a run says of the copy the previous row killed.
    auto expectTakenOut = [&](const std::string& text) {
        if (previous) {
            EXPECT_NE(text.find("P1001: the copy of model 'P1001' into project 'demo' by process " +
                                std::to_string(previous) + " ("),
                      std::string::npos)
                << text;
        }
        if (expected) {
            EXPECT_EQ(text.find("P1001: taken out of project 'demo' again: " + *expected + "\r\n") != std::string::npos,
                      !expected->empty())
                << text;
        }
        EXPECT_EQ(text.find("left in project"), std::string::npos) << text;
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        clients.Set("rislod", row.loadOf50Fails ? ClientRule::DieBefore(139, "Loading").When("pdtable_50_1")
                                                : ClientRule::PassThrough());
        fs::remove(snapshot);
        CopyChild child(log, row.point, CopyChild::Act::Kill, [this] { return copyP1001(); },
                        [&](const std::string& line) {
                            if (line.rfind(kCheckingLine, 0) == 0)
                                std::ofstream(snapshot, std::ios::binary) << TargetState(targetRoot);
                        });
        EXPECT_EQ(child.Wait(), -SIGKILL);
        expectTakenOut(CopyLogText());
        if (fs::exists(snapshot)) {
            EXPECT_EQ(readHost(snapshot), before);
        }
        previous = child.pid();
        expected = row.takenOut;
        killed.push_back(child.pid());
    }
    clients.Set("rislod", ClientRule::PassThrough());
    // A start names what the last killed copy may have left, and leaves it to the next copy.
    {
        const std::string savedLog = gLogFile;
        gLogFile = WinPathFromHost(dir.host()) + "\\start.log";
        LookAfterUnfinishedCopies();
        const std::string started = ReadFile2String(gLogFile);
        gLogFile = savedLog;
        EXPECT_NE(started.find("The copy of model 'P1001' into project 'demo' by process " + std::to_string(previous) +
                               " ("),
                  std::string::npos)
            << started;
        // The last row was killed before its undo recorded that pdtable_34_1 went.
        EXPECT_NE(started.find(" did not finish: discipline 'Piping' (pdtable_111), area 'A1' (pdtable_112), model "
                               "'P1001' (pdtable_113), folder '\\\\PDSSRV1\\D$\\pds\\copy', folder '" + kFolder +
                               "', file '" + kFolder + "\\p1001.dgn', design table pdtable_12_1 of dd_demo, design table "
                               "pdtable_34_1 of dd_demo may stand there, half made; the next copy into project 'demo' "
                               "takes it out\r\n"),
                  std::string::npos)
            << started;
    }
    // A row the next run cannot take out leaves the model named as half copied, never taken for
    // one the target holds already; the run after it takes out the rest.
    clients.Set("risbatch", ClientRule::RefuseStatement("DELETE FROM pdtable_113"));
    EXPECT_EQ(copyP1001(), 1);
    clients.Set("risbatch", ClientRule::PassThrough());
    const std::string refused = CopyLogText();
    const std::string files = "file '" + kFolder + "\\p1001.dgn', folder '" + kFolder + "', folder '\\\\PDSSRV1\\D$\\pds\\copy'";
    EXPECT_NE(refused.find("P1001: taken out of project 'demo' again: design table pdtable_12_1 of dd_demo, " + files +
                           "\r\n"),
              std::string::npos)
        << refused;
    EXPECT_NE(refused.find("P1001: left in project 'demo': model 'P1001' (pdtable_113): it stands (RIS Error: "
                           "RIS_E_NO_PRIVILEGE"),
              std::string::npos)
        << refused;
    EXPECT_NE(lastMessage().find("\r\n'P1001' left half copied in project 'demo' by process " +
                                 std::to_string(previous) + " ("),
              std::string::npos)
        << lastMessage();
    EXPECT_NE(refused.find("P1001: left half copied in project 'demo' by a copy that did not finish, model 'P1001' "
                           "not copied\r\n"),
              std::string::npos)
        << refused;
    EXPECT_EQ(refused.find("is already in project"), std::string::npos) << refused;
    previous = ::getpid();
    expected = kRowsOfTheModel;
    EXPECT_EQ(copyP1001(), 0) << lastMessage();
    const std::string text = CopyLogText();
    expectTakenOut(text);
    EXPECT_NE(text.find("\tprocessing successfully complete\r\n"), std::string::npos) << text;
    expectP1001Whole();
    EXPECT_EQ(RunMark::Look("project demo").state, RunMark::State::Free);
    EXPECT_FALSE(HostFileExists(CopyJournalFile("demo").Path()));
    // What the killed programs left in TMP went with the next run.
    for (pid_t pid : killed)
        for (const char* stem : {kCopyStatements, kCopyAnswer, kCopyConsole, kCopyEditedDump})
            EXPECT_FALSE(HostFileExists(TmpFile(std::string(stem) + "." + std::to_string(pid) + ".txt")))
                << stem << " of " << pid;
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
    // P1002 in demo2: its area, its row, its files and the design tables of partition 2.
    auto otherState = [&] {
        std::string state = "model rows " + std::to_string(Rows(otherRoot, "pd_demo2", "SELECT * FROM pdtable_113").size());
        state += ", areas " + std::to_string(Rows(otherRoot, "pd_demo2", "SELECT * FROM pdtable_112").size());
        DbServer server(otherRoot);
        RisSession session(server);
        const std::vector<std::string> tables = SchemaTables(session.Database("dd_demo2")).Tables();
        for (int t : {12, 34, 50, 67, 80}) {
            const std::string table = "pdtable_" + std::to_string(t) + "_2";
            if (std::find(tables.begin(), tables.end(), table) == tables.end())
                continue;
            const auto copied = Rows(otherRoot, "dd_demo2", "SELECT * FROM " + table);
            state += ", " + table + (copied == Rows(StandInRoot(), "dd_demo", "SELECT * FROM " + table) ? " whole" : "");
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
        {"same target, the first adding its model row", true, journalSave("P1001: adding model 'P1001'", 1, true)},
        {"another target, the first's statement written, its client not yet run", false,
         RunPoint{"P1001: adding model 'P1001'", WorkFileOp("flush", kCopyStatements), 1, true}},
        {"another target, the first's dump of pdtable_34_1 not yet edited", false,
         RunPoint{"Loading table 'pdtable_34_1'", WorkFileOp("create", kCopyEditedDump), 1, false}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        CopyChild first(log, row.point, CopyChild::Act::Hold, [this] { return copyP1001(); });
        ASSERT_TRUE(first.WaitHeld());
        const int secondResult = row.sameTarget ? copyModels(sides, {"P1002"}) : copyModels(intoOther, {"P1002"});
        const std::string secondMessage = lastMessage();
        first.Release();
        EXPECT_EQ(first.Wait(), 0);
        const std::string text = CopyLogText();
        // The first's lines from before the second started are still in the copy log.
        EXPECT_NE(text.find(kCheckingLine), std::string::npos) << text;
        expectP1001Whole();
        if (row.sameTarget) {
            EXPECT_EQ(secondResult, 1);
            const std::string refusal = "The copy into project 'demo' was not started: another copy runs into that "
                                        "project: the copy of models from project 'demo' into project 'demo' (process " +
                                        std::to_string(first.pid()) + " (";
            EXPECT_EQ(secondMessage.rfind(refusal, 0), 0u) << secondMessage;
            EXPECT_NE(secondMessage.find(". Nothing was changed."), std::string::npos) << secondMessage;
            EXPECT_EQ(Rows(targetRoot, "pd_demo", "SELECT * FROM pdtable_113 WHERE model_no = 'P1002'").size(), 0u);
        } else {
            EXPECT_EQ(secondResult, 0) << secondMessage;
            EXPECT_EQ(otherState(), "model rows 2, areas 2, pdtable_12_2 whole, pdtable_34_2 whole, pdtable_50_2 "
                                    "whole, pdtable_67_2 whole, pdtable_80_2 whole, p1002.dgn");
            emptyOther();
        }
        EXPECT_EQ(otherState(), otherBefore);
        EmptyTargetPiping();
        fs::remove_all(HostPath(kCopyFolder));
        EXPECT_EQ(BothProjects(), bothBefore);
    }
}
