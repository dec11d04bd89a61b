// The check and restore runs on the sample project: missing model, drawing, library and area
// marker files found with their candidates, the report rows, and the restore of the files.
#include "filecheck/UpgradeCheckRuns.h"

#include "FileCheckFixtures.h"
#include "SampleProjectFixture.h"
#include "filecheck/FileRestore.h"
#include "filecheck/UpgradeTreeRules.h"
#include "dbaccess/CRIS.h"
#include "platform/DesktopOpener.h"
#include "platform/HostFiles.h"
#include "platform/TextUtil.h"
#include "platform/excel/ExcelApplication.h"
#include "services/MessageService.h"
#include "services/FakeForm.h"
#include "standins/SmallDisk.h"
#include "support/WrapperClients.h"

#include <cerrno>
#include <optional>
#include <set>

using filechecktest::Row;
using Strings = std::vector<std::string>;

// The wrapped clients, with the access object's reads going through them too while it lives; the
// client folder it had is put back at its end.
struct WrappedRIS {
    testsupport::WrapperClients clients;
    std::string risPath = gCRIS->GetRISPath();
    WrappedRIS() { gCRIS->SetUseRIS(clients.WinFolder()); }
    ~WrappedRIS() { gCRIS->SetUseRIS(risPath); }
    WrappedRIS(const WrappedRIS&) = delete;
    WrappedRIS& operator=(const WrappedRIS&) = delete;
};

class UpgradeCheckRunsTest : public SampleProjectFixture {
protected:
    Strings keysUnder(const std::string& root) const
    {
        Strings keys;
        for (const CheckTreeNode* n : ctx.tree.Nodes()) {
            const CheckTreeNode* top = n;
            while (top->parent)
                top = top->parent;
            if (top->key == root)
                keys.push_back(n->key);
        }
        return keys;
    }
    // The first report row whose column has the text, or an empty list.
    static Strings rowWith(const Worksheet& sheet, int column, const std::string& text, int columns)
    {
        for (int r = 1; r <= 100; ++r)
            if (sheet.CellValueAt(r, column).Text() == text)
                return Row(sheet, r, columns);
        return {};
    }
    // The user's click on a node's check box.
    void click(const std::string& key)
    {
        CheckTreeNode* node = ctx.tree.Find(key);
        ASSERT_NE(node, nullptr) << key;
        node->checked = !node->checked;
        UserChangedCheck(*node);
    }
    void check()
    {
        boxes.Answer(MsgAnswer::No); // Show report now?
        RunCheck(ctx);
    }
};

TEST_F(UpgradeCheckRunsTest, CheckFindsMissingFilesWithCandidatesNewestFirst)
{
    check();
    ASSERT_EQ(boxes.asked().size(), 1u);
    EXPECT_EQ(boxes.asked()[0].prompt, "Show report now?");

    const std::string newCopy = std::string(kBackup) + "\\new\\p1002.dgn";
    const std::string oldCopy = std::string(kBackup) + "\\old\\p1002.dgn";
    EXPECT_EQ(keysUnder("Models"),
              (Strings{"Models", "Discipline1", "Discipline1Area2", "Discipline1ModelP1002",
                       "Discipline1ModelP1002File" + newCopy, "Discipline1ModelP1002File" + oldCopy, "Discipline2",
                       "Discipline2Area3", "Discipline2ModelE2001", "Discipline2ModelE2001FileFILE_NOT_FOUNDe2001.dgn"}));
    EXPECT_EQ(ctx.tree.Find("Discipline1ModelP1002")->text, "P1002 - Pump area - Bob's lines");
    EXPECT_EQ(keysUnder("Drawings"), (Strings{"Drawings", "DrawingType1", "DrawingType1DrawingD-101",
                                              "DrawingType1DrawingD-101File" + std::string(kBackup) + "\\dwg\\D101.DWG"}));
    EXPECT_TRUE(ctx.tree.Contains("ApprovalStatus1Library2FileFILE_NOT_FOUNDstdnote.l"));
    const std::string marker = std::string(kProjectDir) + "A1.1";
    EXPECT_EQ(ctx.tree.Find("AreasDiscipline1AreaA1" + marker)->text, "Area marker file: '" + marker + "' not exists");
    EXPECT_FALSE(ctx.tree.Contains("Project"));

    const Worksheet* sheet = ctx.report.LastSheet();
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(Row(*sheet, 1, 1), (Strings{"Missing model files"}));
    EXPECT_TRUE(*sheet->EffectiveFormat(1, 1).Resolved().bold);
    const Strings p1002 = Row(*sheet, 3);
    EXPECT_EQ(Strings(p1002.begin(), p1002.begin() + 4),
              (Strings{"Piping", "A2 - Piping area south", "P1002 - Pump area - Bob's lines", "File not found"}));
    EXPECT_EQ(p1002[4].rfind("File: " + newCopy + "; Last Modified Date: 03.03.2003 10:00:00; Size: 17", 0), 0u);
    EXPECT_EQ(Row(*sheet, 5), (Strings{"Equipment", "E1 - Equipment area", "E2001 - Vessels",
                                       "File not found (network_address: 'PDSSRV1'; path_name: 'D:\\pds\\demo\\model'; "
                                       "model_file_spec: 'e2001.dgn')",
                                       ""}));
    EXPECT_EQ(Row(*sheet, 6, 1), (Strings{"Missing drawing files"}));
    EXPECT_EQ(Row(*sheet, 8, 3), (Strings{"1", "DrawingD-101 - Piping plan north", "File not found"}));
    EXPECT_EQ(rowWith(*sheet, 1, "Unapproved", 3),
              (Strings{"Unapproved", "2",
                       "File not found (network_address: 'PDSSRV1'; path_name: 'D:\\pds\\demo\\lib'; rdb_file_spec: "
                       "'stdnote.l')"}));
    EXPECT_EQ(rowWith(*sheet, 3, "Area marker file: '" + marker + "' not exists", 2), (Strings{"Piping", "A1"}));
    EXPECT_TRUE(exists(CheckReportName("demo")));
}

TEST_F(UpgradeCheckRunsTest, RestoreRecreatesCheckedFilesFromCandidateAndSeedNeverOverwriting)
{
    check();
    click("Models");
    click("DrawingType1");
    EXPECT_FALSE(ctx.tree.Find("Discipline1ModelP1002File" + std::string(kBackup) + "\\old\\p1002.dgn")->checked);

    boxes.Answer(MsgAnswer::Yes); // Are you sure?
    boxes.Answer(MsgAnswer::No);  // Show report now?
    EXPECT_TRUE(RunRestore(ctx));
    EXPECT_EQ(content(std::string(kModelDir) + "p1002.dgn"), "new copy of P1002");
    EXPECT_EQ(content(std::string(kModelDir) + "e2001.dgn"), content(std::string(kProjectDir) + "eqpsdz.dgn"));
    EXPECT_EQ(content(std::string(kDrawingDir) + "d101.dwg"), "copy of D-101");

    const Worksheet* sheet = ctx.report.LastSheet();
    EXPECT_EQ(Row(*sheet, 1, 1), (Strings{"Restore model files"}));
    EXPECT_EQ(Row(*sheet, 3, 4),
              (Strings{"Piping", "A2 - Piping area south", "P1002 - Pump area - Bob's lines",
                       "Creating model file: '" + std::string(kModelDir) + "p1002.dgn' from seed file: '" +
                           std::string(kBackup) + "\\new\\p1002.dgn'"}));
    EXPECT_EQ(Row(*sheet, 4, 4).at(3), "Creating model file: '" + std::string(kModelDir) + "e2001.dgn' from seed file: '" +
                                           std::string(kProjectDir) + "eqpsdz.dgn'");
    EXPECT_EQ(Row(*sheet, 5, 1), (Strings{"Restore drawing files"}));
    EXPECT_EQ(Row(*sheet, 7, 2), (Strings{"1", "DrawingD-101 - Piping plan north"}));

    // A second restore finds the files present and leaves them as they are.
    testsupport::WriteHostFile(HostPath(std::string(kModelDir) + "p1002.dgn"), "edited since");
    testsupport::WriteHostFile(HostPath(std::string(kDrawingDir) + "d101.dwg"), "drawn since");
    boxes.Answer(MsgAnswer::Yes);
    boxes.Answer(MsgAnswer::No);
    RunRestore(ctx);
    EXPECT_EQ(content(std::string(kModelDir) + "p1002.dgn"), "edited since");
    EXPECT_EQ(content(std::string(kDrawingDir) + "d101.dwg"), "drawn since");
    EXPECT_EQ(Row(*ctx.report.LastSheet(), 3, 4).at(3),
              "Model file: '" + std::string(kModelDir) + "p1002.dgn' already exists");
    EXPECT_EQ(rowWith(*ctx.report.LastSheet(), 2, "DrawingD-101 - Piping plan north", 3).at(2),
              "Drawing file: '" + std::string(kDrawingDir) + "d101.dwg' already exists");
}

// The copies of a restore are whole or not there: a disk that fills up in the middle of a copy
// leaves no part of the file (nor a temporary one), and a file that another program made after
// the restore looked for it is kept.
TEST_F(UpgradeCheckRunsTest, FailedCopyLeavesNoFileAndAFileMadeMeanwhileStays)
{
    place("big\\p1002.dgn", std::string(300000, 'x'), 2005);
    check();
    click("Models"); // the newest candidate of p1002.dgn and the missing-file node of e2001.dgn
    auto names = [](const std::string& winDir) {
        std::set<std::string> found;
        for (const auto& entry : std::filesystem::directory_iterator(HostPath(winDir)))
            found.insert(entry.path().filename().string());
        return found;
    };
    std::set<std::string> expected = names(kModelDir);
    expected.insert("e2001.dgn");
    int writes = 0;
    SetHostFileFault([&](const std::string& op, const std::string& host) {
        if (op == "write" && EndsWithNoCase(host, "/p1002.dgn") && ++writes == 2)
            return ENOSPC;
        if (op == "copy" && EndsWithNoCase(host, "/e2001.dgn"))
            testsupport::WriteHostFile(host, "made meanwhile");
        return 0;
    });
    boxes.Answer(MsgAnswer::Yes); // Are you sure?
    boxes.Answer(MsgAnswer::No);  // Show report now?
    RunRestore(ctx);
    SetHostFileFault(nullptr);

    EXPECT_EQ(writes, 2);
    EXPECT_EQ(names(kModelDir), expected);
    EXPECT_EQ(content(std::string(kModelDir) + "e2001.dgn"), "made meanwhile");
    const Worksheet& sheet = *ctx.report.LastSheet();
    EXPECT_EQ(Row(sheet, 3, 4).at(3), "Disk full: '" + std::string(kModelDir) + "p1002.dgn'");
    EXPECT_EQ(Row(sheet, 4, 4).at(3), "File already exists: '" + std::string(kModelDir) + "e2001.dgn'");
    // The end of the model restore says that it was not whole.
    EXPECT_EQ(log().find("Restoring model files successfully"), std::string::npos);
    EXPECT_NE(log().find("Restoring model files ended with 2 file(s) not restored - see the report"),
              std::string::npos);
}

// Another program saves D101.DWG while the restore copies d101.dwg: the copy is not put beside
// it, since for Windows both are one name.
TEST_F(UpgradeCheckRunsTest, FileOfOtherLetterCaseSavedDuringTheCopyIsKept)
{
    check();
    click("DrawingType1");
    const std::string saved = HostPath(kDrawingDir) + "/D101.DWG";
    SetHostFileFault([&](const std::string& op, const std::string& host) {
        if (op == "flush" && host.size() > 9 && host.compare(host.size() - 9, 9, "/d101.dwg") == 0)
            testsupport::WriteHostFile(saved, "saved meanwhile");
        return 0;
    });
    auto expected = projectFiles();
    expected["dwg/D101.DWG"] = "saved meanwhile";
    boxes.Answer(MsgAnswer::Yes); // Are you sure?
    boxes.Answer(MsgAnswer::No);  // Show report now?
    RunRestore(ctx);
    SetHostFileFault(nullptr);

    EXPECT_EQ(projectFiles(), expected); // no d101.dwg, and no temporary file left
    EXPECT_EQ(rowWith(*ctx.report.LastSheet(), 2, "DrawingD-101 - Piping plan north", 3),
              (Strings{"1", "DrawingD-101 - Piping plan north",
                       "File already exists: '" + std::string(kDrawingDir) + "d101.dwg'"}));
    EXPECT_NE(log().find("Restoring drawing files ended with 1 file(s) not restored - see the report"),
              std::string::npos);
}

TEST_F(UpgradeCheckRunsTest, ErrorInTheMiddleOfARestoreSavesTheRowsOfWhatWasDone)
{
    check();
    ctx.tree.Find("Discipline2ModelE2001FileFILE_NOT_FOUNDe2001.dgn")->checked = true;
    // A model node whose discipline part is no number ends the model restore with an error.
    ctx.tree.Add("Discipline2Area3", "DisciplineXModelQ", "Q");
    ctx.tree.Add("DisciplineXModelQ", "DisciplineXModelQFileFILE_NOT_FOUNDq.dgn", "q").checked = true;

    boxes.Answer(MsgAnswer::Yes); // Are you sure?
    RunRestore(ctx);
    ASSERT_EQ(boxes.asked().size(), 3u);
    EXPECT_EQ(boxes.asked()[2].prompt, "Type mismatch");
    EXPECT_EQ(boxes.asked()[2].style, MsgStyle::Exclamation);
    const std::string target = std::string(kModelDir) + "e2001.dgn";
    EXPECT_TRUE(exists(target));
    const std::string text = log();
    const size_t copied = text.find("Creating model file: '" + target + "'");
    ASSERT_NE(copied, std::string::npos);
    EXPECT_NE(text.find("Report saved successfully", copied), std::string::npos);
    // The status bar's last text is the error the restore ended with.
    EXPECT_EQ(text.substr(text.rfind('\t') + 1), "Type mismatch\r\n");
    EXPECT_EQ(Row(*ctx.report.LastSheet(), 3, 4).at(3),
              "Creating model file: '" + target + "' from seed file: '" + kProjectDir + "eqpsdz.dgn'");
}

TEST_F(UpgradeCheckRunsTest, MissingProjectFileIsAFinding)
{
    const std::string projectFile = std::string(kProjectDir) + "demo.prj";
    std::filesystem::remove(HostPath(projectFile));
    check();
    const std::string message = "Project file: '" + projectFile + "' not exists";
    ASSERT_TRUE(ctx.tree.Contains("Project" + projectFile));
    EXPECT_EQ(ctx.tree.Find("Project" + projectFile)->text, message);
    EXPECT_EQ(ctx.tree.Find("Project")->text, "Missing project file");
    const Worksheet& sheet = *ctx.report.LastSheet();
    int title = 1;
    while (title < 100 && sheet.CellValueAt(title, 1).Text() != "Missing project file")
        ++title;
    EXPECT_EQ(Row(sheet, title + 1, 1), (Strings{"Description"}));
    EXPECT_EQ(Row(sheet, title + 2, 1), (Strings{message}));
    EXPECT_EQ(Row(sheet, title + 3, 1), (Strings{""}));
    // Restoring it is no choice: its branch never keeps a check.
    click("Project" + projectFile);
    EXPECT_FALSE(ctx.tree.Find("Project" + projectFile)->checked);
}

TEST_F(UpgradeCheckRunsTest, MissingSeedFileAndNoAnswerChangeNothing)
{
    check();
    std::filesystem::remove(HostPath(std::string(kProjectDir) + "eqpsdz.dgn"));
    ctx.tree.Find("Discipline2ModelE2001FileFILE_NOT_FOUNDe2001.dgn")->checked = true;

    boxes.Answer(MsgAnswer::No);
    EXPECT_FALSE(RunRestore(ctx));
    EXPECT_FALSE(exists(RestoreReportName("demo")));

    boxes.Answer(MsgAnswer::Yes);
    boxes.Answer(MsgAnswer::No);
    RunRestore(ctx);
    EXPECT_FALSE(exists(std::string(kModelDir) + "e2001.dgn"));
    EXPECT_EQ(Row(*ctx.report.LastSheet(), 3, 4).at(3), "Seed file: '" + std::string(kProjectDir) + "eqpsdz.dgn' not exists");
}

TEST_F(UpgradeCheckRunsTest, ShowReportOpensTheSavedCheckReport)
{
    std::string opened;
    SetDesktopOpener([&](const std::string& op, const std::string& file, const std::string&, const std::string&) {
        opened = op + " " + file;
        return 42L;
    });
    boxes.Answer(MsgAnswer::Yes);
    RunCheck(ctx);
    SetDesktopOpener(nullptr);
    EXPECT_EQ(opened, "Open " + CheckReportName("demo"));
}

// A table read that fails, or holds fewer rows than the server counts, ends the check or the
// restore: the box shows the error's own text, not the client's frame of stars, and the status bar
// and the log end on it.
TEST_F(UpgradeCheckRunsTest, FailingQueryEndsTheCheckWithItsMessage)
{
    WrappedRIS wrapped;
    testsupport::WrapperClients& clients = wrapped.clients;
    const auto thin = [](const char* table, int keep) {
        return testsupport::ClientRule::ThinRows(table, keep).When(table);
    };
    const auto notWhole = [](const std::string& table) {
        return "CRIS::DBRead: The read of " + table + " of schema pd_demo is not whole";
    };
    const struct {
        const char* project;
        testsupport::ClientRule rule; // of risunlod
        std::string said;
        bool restore = false;  // the rule meets the restore after a whole check
        bool tempFull = false; // TEMP has room for the report, not for the listing of the search directory
    } cases[] = {
        {"nosuchproject", testsupport::ClientRule::PassThrough(), "CRIS::DBRead"},
        {"demo", testsupport::ClientRule::RefuseStatement("pdtable_113", "RIS_E_TABLE_NOT_FOUND"),
         "RIS Error: RIS_E_TABLE_NOT_FOUND - Statement refused: pdtable_113"},
        {"demo", testsupport::ClientRule::RefuseStatement("pdtable_121"),
         "RIS Error: RIS_E_NO_PRIVILEGE - Statement refused: pdtable_121"},
        // Each read of the check and the restore: models, areas, drawings and libraries.
        {"demo", thin("pdtable_113", 2), notWhole("pdtable_113") + ": table 'pdtable_113' holds 1 rows in the dump, 3"},
        {"demo", thin("pdtable_112", 0), notWhole("pdtable_112")},
        {"demo", thin("pdtable_121", 2), notWhole("pdtable_121")},
        {"demo", thin("pdtable_113", 2), notWhole("pdtable_113"), true},
        {"demo", thin("pdtable_121", 2), notWhole("pdtable_121"), true},
        {"demo", testsupport::ClientRule::PassThrough(), "The listing of 'C:\\backup' is not whole: it lacks ", false,
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.said);
        ctx.projectName = c.project;
        clients.Set("risunlod", c.restore ? testsupport::ClientRule::PassThrough() : c.rule);
        if (c.restore) { // the files of the cut table only
            check();
            click(c.said.find("pdtable_121") != std::string::npos ? "Drawings" : "Models");
            clients.Set("risunlod", c.rule);
            boxes.Answer(MsgAnswer::Yes); // Are you sure?
        }
        const auto before = projectFiles();
        const size_t asked = boxes.asked().size();
        testsupport::ScopedDir small("smalltemp");
        std::optional<SmallDisk> disk;
        const std::string temp = GetEnvVar("TEMP");
        if (c.tempFull) {
            for (int i = 0; i < 600; ++i)
                place("many\\candidate_with_a_long_name_" + std::to_string(i) + ".dgn", "x", 2000);
            // Only a mounted small disk refuses the command interpreter's listing: the platform's
            // stand-in for one fails this program's own writes alone.
            disk.emplace(small.host(), "32k");
            if (!disk->Mounted())
                continue;
            ::setenv("TEMP", WinPathFromHost(small.host()).c_str(), 1);
        }
        if (c.restore)
            RunRestore(ctx);
        else
            RunCheck(ctx);
        ::setenv("TEMP", temp.c_str(), 1);
        disk.reset();
        ASSERT_EQ(boxes.asked().size(), asked + (c.restore ? 2 : 1));
        const std::string shown = boxes.asked().back().prompt;
        EXPECT_EQ(boxes.asked().back().style, MsgStyle::Exclamation);
        EXPECT_NE(shown.find(c.said), std::string::npos) << shown;
        EXPECT_EQ(shown.find("*****"), std::string::npos) << shown;
        EXPECT_TRUE(TrimWhite(log()).ends_with(shown)) << log();
        EXPECT_EQ(projectFiles(), before); // nothing restored from a read that is not whole
    }
}

// A check reads each of its tables once, however many of its checks ask it: one unload of all of
// them and one count by the server, the project directory answered from the same dump.
TEST_F(UpgradeCheckRunsTest, ACheckUnloadsItsTablesOnceAndHasThemCountedOnce)
{
    WrappedRIS wrapped;
    testsupport::WrapperClients& clients = wrapped.clients;
    check();
    EXPECT_EQ(boxes.asked().back().prompt, "Show report now?");
    EXPECT_TRUE(ctx.tree.Contains("Discipline2ModelE2001FileFILE_NOT_FOUNDe2001.dgn"));
    EXPECT_EQ(clients.Runs("risunlod"), 1);
    EXPECT_EQ(clients.Runs("risbatch"), 1);
    for (const char* table : {"pdtable_111", "pdtable_112", "pdtable_113", "pdtable_121", "pdtable_102"}) {
        EXPECT_NE(clients.Parameters("risunlod").find(table), std::string::npos) << table;
        EXPECT_NE(clients.Input("risbatch").find("select count(*) from " + std::string(table)), std::string::npos)
            << table;
    }
}

TEST_F(UpgradeCheckRunsTest, ExcelThatCannotStartEndsTheCheckBeforeAnyFinding)
{
    ExcelApplication::SetExcelMissing(true);
    RunCheck(ctx);
    ExcelApplication::SetExcelMissing(false);
    ASSERT_EQ(boxes.asked().size(), 1u);
    EXPECT_EQ(boxes.asked()[0].prompt, "ActiveX component can't create object");
    EXPECT_EQ(ctx.tree.Count(), 0u);
}

// While a check runs it pumps events, and code of other windows runs there. Another program
// renames a design file the check has already listed to another letter case; then another
// window's code tests, replaces and deletes that file by its old name: each acts on the file as
// it is on disk, never on what the check's run remembers of the folder.
TEST_F(UpgradeCheckRunsTest, OtherWindowsCodeDuringACheckSeesTheFilesAsTheyAre)
{
    namespace fs = std::filesystem;
    const std::string name = std::string(kModelDir) + "p1002.dgn";
    const std::string hostFolder = HostPath(kModelDir);
    testsupport::WriteHostFile(hostFolder + "/p1002.dgn", "P1002 before the rename");
    const std::string replacement = std::string(kBackup) + "\\replacement.dgn";
    testsupport::WriteHostFile(HostPath(replacement), "P1002 replaced");
    const auto p1002Files = [&] {
        std::map<std::string, std::string> found;
        for (const auto& entry : fs::directory_iterator(hostFolder))
            if (EqualsNoCase(entry.path().filename().string(), "p1002.dgn"))
                found[entry.path().filename().string()] = testsupport::ReadHostFile(entry.path().string());
        return found;
    };

    testforms::FakeForm window("frmUpgradeCheck");
    bool done = false, existsAfterRename = false, moved = false, deleted = false;
    std::map<std::string, std::string> afterMove, afterDelete;
    SetEventPump([&] {
        // Once the check has tested the models' folder (its listing is read by then).
        if (done || window.status.find("p1001.dgn' found") == std::string::npos)
            return;
        done = true;
        fs::rename(hostFolder + "/p1002.dgn", hostFolder + "/P1002.DGN");
        existsAfterRename = IsFileExists(name, 0);
        moved = MoveFileA(replacement, name);
        afterMove = p1002Files();
        deleted = DeleteFileA(name);
        afterDelete = p1002Files();
    });
    check();
    SetEventPump({});

    ASSERT_TRUE(done);
    EXPECT_TRUE(existsAfterRename);
    EXPECT_TRUE(moved);
    EXPECT_EQ(afterMove, (std::map<std::string, std::string>{{"P1002.DGN", "P1002 replaced"}}));
    EXPECT_TRUE(deleted);
    EXPECT_TRUE(afterDelete.empty());
    EXPECT_FALSE(exists(replacement));
}

// A copy is judged by the bytes that stand at its target against the seed's: a seed saved anew
// while it was copied, with its size or another, leaves a file that is not the seed, named in the
// node's row, and the restore does not end "successfully".
TEST_F(UpgradeCheckRunsTest, ACopyIsJudgedByTheBytesThatStandAtItsTarget)
{
    const std::string seed = std::string(kProjectDir) + "eqpsdz.dgn", target = std::string(kModelDir) + "e2001.dgn";
    const std::string was = content(seed);
    const struct {
        const char* name;
        std::string savedSeed; // the seed as another program saves it while the copy runs
        std::string stands;
    } cases[] = {
        {"SavedAnewWithItsSize", std::string(was.size(), 'z'), "'" + target + "' differs from '" + seed + "' at byte 1"},
        {"SavedAnewLonger", was + " and more",
         "'" + target + "' holds " + std::to_string(was.size()) + " bytes, '" + seed + "' " +
             std::to_string(was.size() + 9)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        testsupport::WriteHostFile(HostPath(seed), was);
        std::filesystem::remove(HostPath(target));
        check();
        click("Discipline2ModelE2001FileFILE_NOT_FOUNDe2001.dgn");
        SetHostFileFault([&](const std::string& op, const std::string& host) {
            if (op == "flush" && EndsWithNoCase(host, "/e2001.dgn"))
                testsupport::WriteHostFile(HostPath(seed), c.savedSeed);
            return 0;
        });
        boxes.Answer(MsgAnswer::Yes); // Are you sure?
        boxes.Answer(MsgAnswer::No);  // Show report now?
        RunRestore(ctx);
        SetHostFileFault(nullptr);
        EXPECT_EQ(content(target), was); // the seed as the copy read it, which is not the seed that stands
        EXPECT_EQ(rowWith(*ctx.report.LastSheet(), 3, "E2001 - Vessels", 4).at(3),
                  "The copy to '" + target + "' ended without an error, but it is not whole: " + c.stands + ".");
        EXPECT_NE(log().find("Restoring model files ended with 1 file(s) not restored - see the report"),
                  std::string::npos);
    }
    testsupport::WriteHostFile(HostPath(seed), was);
    std::filesystem::remove(HostPath(target));
}

// A restore that cannot write a model folder names the folder once, with the cause.
TEST_F(UpgradeCheckRunsTest, RestoreMessagesPointTheRightWay)
{
    const std::string model = kModelDir, modelHost = HostPath(model);
    for (const auto& [error, said] : {std::pair{EACCES, "write permission denied"},
                                      std::pair{ENOSPC, "no file can be created in it: Disk full"}}) {
        check();
        click("Models");
        SetHostFileFault([&](const std::string& op, const std::string& host) {
            return op == "create" && host.starts_with(modelHost) ? error : 0;
        });
        const auto before = projectFiles();
        boxes.Answer(MsgAnswer::Yes); // Are you sure?
        boxes.Answer(MsgAnswer::No);  // Show report now?
        RunRestore(ctx);
        SetHostFileFault(nullptr);
        EXPECT_EQ(projectFiles(), before);
        EXPECT_EQ(Row(*ctx.report.LastSheet(), 3, 4).at(3), "Directory '" + model + "': " + said);
    }
}
