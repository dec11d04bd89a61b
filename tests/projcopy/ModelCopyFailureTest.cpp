// The project copy with RIS clients that fail (before their work, or after it), reads that fail
// between two steps, undo steps that fail themselves, a held lock, a full target folder and a
// full TMP, a foreign file or table of the model's name: the target ends as it was before (or,
// when the model went in after all, with the model whole), and the message and the copy log
// say what stands afterwards.
#include "projcopy/ModelCopyFixture.h"

#include "platform/FileAttributes.h"
#include "platform/HostFiles.h"
#include "projcopy/CopyJournal.h"
#include "standins/SmallDisk.h"
#include "support/TestFiles.h"

#include <fstream>
#include <functional>

using namespace projcopytest;
using testsupport::ClientRule;
using ModelCopyFailureTest = ModelCopyFixture;

// A step that fails takes out exactly what the model's copy made, the discipline and area rows
// included; the target is as it was, and the log says so after the fact.
TEST_F(ModelCopyFailureTest, AFailedStepTakesOutWhatTheModelsCopyMade)
{
    struct Case {
        const char* name;
        const char* client;
        ClientRule rule;
        const char* failure;  // the copy log's line of the failed step
        std::string takenOut; // what the log names as taken out again
        const char* looked = ""; // what the log says stood after the failed step
    };
    const std::string tables12and34 = "design table pdtable_34_1 of dd_demo, design table pdtable_12_1 of dd_demo, ";
    const std::string tables12to50 = "design table pdtable_50_1 of dd_demo, " + tables12and34;
    const std::vector<Case> cases = {
        {"row insert that crashed before its work", "risbatch",
         ClientRule::DieBefore(134, "RIS batch\r\n").When("INSERT INTO pdtable_113"),
         "P1001: model 'P1001' not added to project 'demo': risbatch ended with exit code 134",
         "area 'A1' (pdtable_112), discipline 'Piping' (pdtable_111)"},
        {"row insert refused", "risbatch", ClientRule::RefuseStatement("INSERT INTO pdtable_113"),
         "P1001: model 'P1001' not added to project 'demo': RIS Error: RIS_E_NO_PRIVILEGE",
         "area 'A1' (pdtable_112), discipline 'Piping' (pdtable_111)"},
        {"row insert committed, then a RIS error with exit 0", "risbatch",
         ClientRule::DieAfter(0, "RIS_E_NET_READ_ERROR").When("INSERT INTO pdtable_113"),
         "P1001: model 'P1001' stands in project 'demo' although risbatch refused it: RIS Error: RIS_E_NET_READ_ERROR "
         "- Statement failed; it is taken out with what the copy made\r\n",
         kRowsOfTheModel},
        // The table it never made is not named as taken out.
        {"load that crashed", "rislod", ClientRule::DieBefore(139, "Loading pdtable_34_1").When("pdtable_34_1"),
         "Table 'pdtable_34_1' not copied into dd_demo: rislod ended with exit code 139",
         filesAndRows("design table pdtable_12_1 of dd_demo, "),
         "The load of pdtable_34_1 into dd_demo was not done: rislod ended with exit code 139; pdtable_34_1 is not "
         "in dd_demo.\r\n"},
        {"load short with exit 0", "rislod", ClientRule::DropLines("GATE1").When("pdtable_34_1"),
         "Table 'pdtable_34_1' not copied into dd_demo: pdtable_34_1 stands in dd_demo with 2 of 3 rows\r\n",
         filesAndRows(tables12and34),
         "The load of pdtable_34_1 into dd_demo ended without an error, but it is not whole: pdtable_34_1 stands in "
         "dd_demo with 2 of 3 rows.\r\n"},
        // Whole by count, with exit 0: the look over every object names what is missing.
        {"load that left out the index, exit 0", "rislod", ClientRule::DropLines("create unique index").When("pdtable_34_1"),
         "Table 'pdtable_34_1' not copied into dd_demo: pdtable_34_1 stands in dd_demo with 3 of 3 rows, but not as the "
         "dump has it: lacks index updtable_34_1\r\n",
         filesAndRows(tables12and34),
         "The load of pdtable_34_1 into dd_demo ended without an error, but it is not whole: pdtable_34_1 stands in "
         "dd_demo with 3 of 3 rows, but not as the dump has it: lacks index updtable_34_1.\r\n"},
        {"load that left out the grant, exit 0", "rislod", ClientRule::DropLines("grant select").When("pdtable_34_1"),
         "Table 'pdtable_34_1' not copied into dd_demo: pdtable_34_1 stands in dd_demo with 3 of 3 rows, but not as the "
         "dump has it: lacks grant to public\r\n",
         filesAndRows(tables12and34)},
        {"load that changed a value, exit 0", "rislod", ClientRule::EditLines("GATE1", "GATE9").When("pdtable_34_1"),
         "Table 'pdtable_34_1' not copied into dd_demo: pdtable_34_1 stands in dd_demo with 3 of 3 rows, but not as the "
         "dump has it: 1 row differs in its values\r\n",
         filesAndRows(tables12and34)},
        {"load whole by count but refused with exit 0", "rislod",
         ClientRule::DieAfter(0, "RIS_E_TABLE_EXISTS").When("pdtable_34_1"),
         "Table 'pdtable_34_1' not copied into dd_demo: RIS Error: RIS_E_TABLE_EXISTS - Statement failed\r\n",
         filesAndRows(tables12and34),
         "Whether the load of pdtable_34_1 into dd_demo was done is not known: RIS Error: RIS_E_TABLE_EXISTS - "
         "Statement failed. What stands: pdtable_34_1 stands in dd_demo with 3 of 3 rows, its values, columns, index "
         "and grant as the dump has them.\r\n"},
        {"unload whose dump was cut", "risunlod", ClientRule::CutAnswer(4).When("pdtable_34_1"),
         "Table 'pdtable_34_1' not copied into dd_demo: the dump is not whole: ",
         filesAndRows("design table pdtable_12_1 of dd_demo, ")},
        // The blocks are closed and the client ends with 0, but the rows are gone from one.
        {"unload whose rows were cut inside a closed block", "risunlod", ClientRule::ThinRows("pdtable_34_1", 0).When("pdtable_34_1"),
         "Table 'pdtable_34_1' not copied into dd_demo: table 'pdtable_34_1' holds 0 rows in the dump, ",
         filesAndRows("design table pdtable_12_1 of dd_demo, ")},
        {"unload that crashed", "risunlod", ClientRule::DieBefore(134, "unloading").When("pdtable_67_1"),
         "Table 'pdtable_67_1' not copied into dd_demo: risunlod ended with exit code 134", filesAndRows(tables12to50)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        clients.Set(c.client, c.rule);
        EXPECT_EQ(copyP1001(), 1);
        clients.Set(c.client, ClientRule::PassThrough());
        EXPECT_EQ(lastMessage(), notCopied());
        EXPECT_EQ(BothProjects(), bothBefore);
        const std::string text = CopyLogText();
        EXPECT_NE(text.find(c.failure), std::string::npos) << text;
        EXPECT_NE(text.find(c.looked), std::string::npos) << text;
        EXPECT_NE(text.find("P1001: taken out of project 'demo' again: " + c.takenOut + "\r\n"), std::string::npos)
            << text;
        EXPECT_EQ(text.find("left in project"), std::string::npos) << text;
        EXPECT_NE(text.find("\tprocessing failed\r\n"), std::string::npos) << text;
    }
}

// A step whose client did its work and then died is looked at: the row or the design table
// found whole is a step done, and the copy finishes the model.
TEST_F(ModelCopyFailureTest, AStepWhoseClientDiedAfterItsWorkIsLookedAt)
{
    const struct {
        const char *name, *client;
        ClientRule rule;
        const char* logged;
    } cases[] = {
        {"row insert", "risbatch", ClientRule::DieAfter(139).When("INSERT INTO pdtable_113"),
         "P1001: model 'P1001' stands in project 'demo' although risbatch failed: risbatch ended with exit code "
         "139\r\n"},
        {"design table load", "rislod", ClientRule::DieAfter(139).When("pdtable_50_1"),
         "The load of pdtable_50_1 into dd_demo was done although rislod ended with exit code 139; pdtable_50_1 "
         "stands in dd_demo with 3 of 3 rows, its values, columns, index and grant as the dump has them.\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        clients.Set(c.client, c.rule);
        EXPECT_EQ(copyP1001(), 0) << lastMessage();
        clients.Set(c.client, ClientRule::PassThrough());
        expectP1001Whole();
        EXPECT_NE(CopyLogText().find(c.logged), std::string::npos) << CopyLogText();
        EmptyTargetPiping();
        fs::remove_all(HostPath(kCopyFolder));
        EXPECT_EQ(BothProjects(), bothBefore);
    }
}

// Two rows of the source under one model number: both go into the model's folder of the
// target, both rows go in with the design tables of their partitions; the file and the tables
// the first row's copy made are the copy's own, not another's. A table the first row's copy made
// that is gone before the second row is loaded again. A second row in another source folder
// whose file has the first's name replaces the first's copy, and the log says so.
TEST_F(ModelCopyFailureTest, TwoRowsOfOneModelNumberAreCopiedWhole)
{
    const struct {
        std::string partition;
        bool goneBeforeSecondRow;
        std::string folder; // the second row's folder in D:\pds\demo
    } cases[] = {{"2", false, "model2"}, {"1", false, "model"}, {"1", true, "model"}};
    for (const auto& c : cases) {
        const std::string& partition = c.partition;
        SCOPED_TRACE("second row in partition " + partition + (c.goneBeforeSecondRow ? ", pdtable_12_1 gone" : "") +
                     " in folder " + c.folder);
        const std::string secondFolder = "\\\\PDSSRV1\\pds\\demo\\" + c.folder;
        if (c.folder != "model")
            testsupport::WriteHostFile(HostPath(secondFolder) + "/p1001.dgn", "the second row's model");
        int rowsStarted = 0;
        if (c.goneBeforeSecondRow)
            log.SetLabel([&](const std::string& line) {
                // The first row's last table is loading: the second row comes next.
                if (line == "Loading table 'pdtable_80_1' ..." && ++rowsStarted == 1)
                    projcopytest::RunSql(targetRoot, "default schema dd_demo;\r\ndrop table pdtable_12_1;\r\n");
            });
        projcopytest::RunSql(StandInRoot(), "default schema pd_demo;\r\ninsert into pdtable_113 values (9, 1, 1, "
                                            "'P1001', 'Second row', 'PDSSRV1', 'D:\\pds\\demo\\" + c.folder + "', "
                                            "'p1001.dgn', 0, " + partition + ");\r\n");
        EXPECT_EQ(copyP1001(), 0) << lastMessage();
        const std::string text = CopyLogText();
        const size_t replaces = text.find("p1001.dgn' replaces '" + kFolder + "\\p1001.dgn', the copy of '");
        EXPECT_EQ(replaces != std::string::npos, c.folder != "model") << text;
        if (c.folder != "model") {
            EXPECT_NE(text.find("\\demo\\model\\p1001.dgn' made for an earlier row of model 'P1001'\r\n", replaces),
                      std::string::npos)
                << text;
            EXPECT_EQ(ReadFile2String(kFolder + "\\p1001.dgn"), "the second row's model");
            fs::remove_all(HostPath(secondFolder));
        }
        projcopytest::RunSql(StandInRoot(), "default schema pd_demo;\r\ndelete from pdtable_113 where model_index_no = 9;");
        const std::string path = "D:\\pds\\copy\\model\\";
        EXPECT_EQ(Rows(targetRoot, "pd_demo", "SELECT model_index_no, path_name, partition_no FROM pdtable_113 WHERE "
                                              "model_no = 'P1001' ORDER BY model_index_no"),
                  (projcopytest::Table{{"1", path, "1"}, {"9", path, partition}}));
        expectP1001Whole(2, partition);
        log.SetLabel({});
        EXPECT_EQ(CopyLogText().find("P1001: pdtable_12_1 was copied for an earlier row") != std::string::npos,
                  partition == "1" && !c.goneBeforeSecondRow);
        EmptyTargetPiping();
        fs::remove_all(HostPath(kCopyFolder));
        EXPECT_EQ(BothProjects(), bothBefore);
    }
}

// When the row cannot be read at that moment, the copy cannot go on; its undo looks again and
// takes the row out.
TEST_F(ModelCopyFailureTest, AnInsertWhoseRowCannotBeReadAfterItsClientDiedIsTakenOut)
{
    // From the INSERT on, the next two runs of risbatch on pdtable_113 (the INSERT and the read
    // after it) do their work and then die.
    log.SetLabel([&](const std::string& line) {
        if (line == "P1001: adding model 'P1001' to project 'demo' ...")
            clients.Set("risbatch", ClientRule::DieAfter(139).When("pdtable_113").Times(2));
    });
    EXPECT_EQ(copyP1001(), 1);
    EXPECT_EQ(lastMessage(), notCopied());
    EXPECT_EQ(TargetState(targetRoot), before);
    const std::string text = CopyLogText();
    EXPECT_NE(text.find("P1001: model 'P1001' perhaps added to project 'demo': risbatch ended with exit code 139; it "
                        "could not be read again: risbatch ended with exit code 139"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("P1001: taken out of project 'demo' again: " + kRowsOfTheModel + "\r\n"), std::string::npos)
        << text;
}

// A model row that cannot be taken out keeps the area and discipline it uses: the target never
// holds a model in an area it lacks. The log and the message name what is left, and why.
TEST_F(ModelCopyFailureTest, AFailedRowRemovalKeepsTheRowsItUses)
{
    clients.Set("rislod", ClientRule::DieBefore(139).When("pdtable_34_1"));
    clients.Set("risbatch", ClientRule::RefuseStatement("DELETE FROM pdtable_113"));
    EXPECT_EQ(copyP1001(), 1);
    const std::string left = "model 'P1001' (pdtable_113): it stands (RIS Error: RIS_E_NO_PRIVILEGE - Statement "
                             "refused: DELETE FROM pdtable_113), area 'A1' (pdtable_112): it stays: still used by "
                             "model 'P1001', discipline 'Piping' (pdtable_111): it stays: still used by area 'A1', "
                             "model 'P1001'";
    EXPECT_EQ(lastMessage(), notCopied(" left in project 'demo': " + left));
    const std::string text = CopyLogText();
    EXPECT_NE(text.find("P1001: left in project 'demo': " + left + "\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("P1001: taken out of project 'demo' again: design table pdtable_12_1 of dd_demo, file '" +
                        kFolder + "\\p1001.dgn', folder '" + kFolder + "', folder '\\\\PDSSRV1\\D$\\pds\\copy'\r\n"),
              std::string::npos)
        << text;
    // Everything else of the copy is gone; the three rows stand, as said, in the target only.
    for (const char* table : {"pdtable_111", "pdtable_112", "pdtable_113"})
        EXPECT_EQ(Rows(targetRoot, "pd_demo", std::string("SELECT * FROM ") + table + " WHERE discipline_indx_no = 1")
                      .size(),
                  1u)
            << table;
    projcopytest::RunSql(targetRoot, "default schema pd_demo;\r\ndelete from pdtable_113 where model_index_no = 1;\r\n"
                                     "delete from pdtable_112 where area_index_no = 1;\r\n"
                                     "delete from pdtable_111 where discipline_indx_no = 1;\r\n");
    EXPECT_EQ(BothProjects(), bothBefore);
}

// The undo's steps are looked after too. A DROP whose client did its work and then died counts
// as taken out, one the server refused is named as left. A table the user added a row to while
// the copy ran is no longer as the copy made it: it is not dropped, and is named as left to the
// user. A file is moved aside before it is looked at and deleted: one that changed between the
// undo's look and its take-out is put back under its name, named, and left to the user.
TEST_F(ModelCopyFailureTest, AnUndoStepIsLookedAfter)
{
    const std::string modelFile = kFolder + "\\p1001.dgn";
    const struct {
        const char* name;
        ClientRule rule; // of risbatch
        std::string left; // how what is left is named; empty: all of it went
        bool userAddsRow = false;
        bool userEditsFile = false; // as the undo takes it out
    } cases[] = {
        {"did its work and then died", ClientRule::DieAfter(139).When("DROP TABLE pdtable_12_1"), ""},
        {"refused", ClientRule::RefuseStatement("DROP TABLE pdtable_12_1"),
         "design table pdtable_12_1 of dd_demo: it stands (RIS Error: RIS_E_NO_PRIVILEGE - Statement refused: DROP "
         "TABLE pdtable_12_1)"},
        {"the user added a row", ClientRule::PassThrough(),
         "design table pdtable_12_1 of dd_demo: its rows changed since the copy made them (4 rows, the copy made 3); "
         "it is left to the user",
         true},
        {"the model file changed between the look and its take-out", ClientRule::PassThrough(),
         "file '" + modelFile + "': it changed since the copy made it (", false, true},
    };
    clients.Set("rislod", ClientRule::DieBefore(139).When("pdtable_34_1"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        clients.Set("risbatch", c.rule);
        log.SetLabel([&](const std::string& line) {
            if (c.userAddsRow && line == "Loading table 'pdtable_34_1' ...")
                projcopytest::RunSql(targetRoot, "default schema dd_demo;\r\ninsert into pdtable_12_1 "
                                                 "(system_unique_no) values (999);\r\n");
        });
        // The user's edit lands as the undo moves the file aside, after its look found it as made.
        const std::string host = HostPath(modelFile);
        if (c.userEditsFile)
            SetHostFileFault([host](const std::string& op, const std::string& at) {
                if (op == "move" && at == host)
                    std::ofstream(at, std::ios::app | std::ios::binary) << "the user's edit";
                return 0;
            });
        EXPECT_EQ(copyP1001(), 1);
        SetHostFileFault(nullptr);
        log.SetLabel({});
        const std::string text = CopyLogText();
        if (!c.left.empty()) {
            EXPECT_EQ(lastMessage().rfind(notCopied(" left in project 'demo': " + c.left), 0), 0u) << lastMessage();
            EXPECT_NE(text.find("P1001: left in project 'demo': " + c.left), std::string::npos) << text;
        }
        if (c.userEditsFile) {
            // Put back, with the user's edit, under its own name; nothing of it is left aside.
            EXPECT_EQ(testsupport::ReadHostFile(host).find("the user's edit") != std::string::npos, true);
            EXPECT_EQ(testsupport::FilesIn(fs::path(host).parent_path().string()), std::vector<std::string>{"p1001.dgn"});
            EXPECT_NE(text.find("P1001: taken out of project 'demo' again: design table pdtable_12_1 of dd_demo, " +
                                kRowsOfTheModel + "\r\n"),
                      std::string::npos)
                << text;
            fs::remove_all(HostPath(kCopyFolder));
        } else if (!c.left.empty()) {
            EXPECT_EQ(Rows(targetRoot, "dd_demo", "SELECT * FROM pdtable_12_1").size(),
                      Rows(StandInRoot(), "dd_demo", "SELECT * FROM pdtable_12_1").size() + (c.userAddsRow ? 1 : 0));
            projcopytest::RunSql(targetRoot, "default schema dd_demo;\r\ndrop table pdtable_12_1;\r\n");
        } else {
            EXPECT_EQ(lastMessage(), notCopied());
            EXPECT_NE(text.find("P1001: taken out of project 'demo' again: " +
                                filesAndRows("design table pdtable_12_1 of dd_demo, ") + "\r\n"),
                      std::string::npos)
                << text;
        }
        EXPECT_EQ(BothProjects(), bothBefore);
    }
    // What was left to the user is no longer recorded: it holds no later copy back.
    clients.Set("rislod", ClientRule::PassThrough());
    EXPECT_EQ(copyP1001(), 0) << lastMessage();
    expectP1001Whole();
}

// The undo's DELETE names the copy's row by its key and every value as the server stores it,
// decimals and doubles too: a row of the same key that differs in a number only is another's,
// and stays.
TEST_F(ModelCopyFailureTest, TheUndoFindsItsRowByEveryValueAsStored)
{
    const struct {
        const char* name;
        const char* column; // the type of n
        const char* copied; // the copy's value of n, as its INSERT writes it
        const char* other;  // another row's, of the same key
    } cases[] = {
        {"a decimal stored with its scale", "decimal(10,2)", "2.5", "2.75"},
        {"a decimal rounded to its scale", "decimal(10,2)", "1.505", "1.5"},
        {"a double of seventeen digits", "double", "0.30000000000000004", "0.3"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        projcopytest::RunSql(targetRoot, std::string("default schema pd_demo;\r\ncreate table tnum (k int, n ") + c.column +
                                             ", t char(8));\r\n");
        CopyJournal journal(CopyTarget{"demo", newParams, ParamsText(newParams)}, ris, log);
        journal.Begin("M1");
        const RowImage row = {{"k", "1", false, {}}, {"n", c.copied, false, {}}, {"t", "ab", true, {}}};
        ASSERT_TRUE(journal.InsertRow("M1", "tnum", std::string("INSERT INTO tnum (k, n, t) VALUES (1, ") + c.copied +
                                                        ", 'ab');",
                                      "k = 1", row, "row 1"))
            << CopyLogText();
        projcopytest::RunSql(targetRoot, std::string("default schema pd_demo;\r\ninsert into tnum values (1, ") +
                                             c.other + ", 'ab');\r\n");
        EXPECT_EQ(journal.Undo("M1"), std::vector<std::string>{}) << CopyLogText();
        const auto left = Rows(targetRoot, "pd_demo", "SELECT n FROM tnum");
        ASSERT_EQ(left.size(), 1u);
        EXPECT_EQ(std::stod(left[0][0].value_or("0")), std::stod(c.other));
        projcopytest::RunSql(targetRoot, "default schema pd_demo;\r\ndrop table tnum;\r\n");
    }
}

// Another project picked in the window while a copy waits for its clients (here the source
// itself, through its parameters file): the failing copy is undone in the target it started
// with, and the source keeps every row and file.
TEST_F(ModelCopyFailureTest, ATargetSwitchedDuringAFailingCopyIsNotTouched)
{
    log.SetLabel([&](const std::string& line) {
        if (line.rfind("P1001: loading data from", 0) == 0)
            newParams = oldParams;
    });
    clients.Set("rislod", ClientRule::DieBefore(139).When("pdtable_34_1"));
    EXPECT_EQ(copyP1001(), 1);
    EXPECT_EQ(newParams, oldParams); // the switch happened
    EXPECT_EQ(lastMessage(), notCopied());
    EXPECT_EQ(BothProjects(), bothBefore);
    const std::string text = CopyLogText();
    EXPECT_NE(text.find("P1001: taken out of project 'demo' again: " +
                        filesAndRows("design table pdtable_12_1 of dd_demo, ") + "\r\n"),
              std::string::npos)
        << text;
    EXPECT_EQ(text.find("left in project"), std::string::npos) << text;
}

// A row of the model's key that another program put into the target after the clash test: the
// INSERT the server refuses, or whose client dies, never takes it for the copy's own. No file
// and no design table follow; the foreign row stays as it is.
TEST_F(ModelCopyFailureTest, AKeyAnotherModelHoldsIsNotTakenForTheCopys)
{
    const std::string foreign = "insert into pdtable_113 (model_index_no, discipline_indx_no, area_index_no, model_no, "
                                "model_description, network_address, path_name, model_file_spec, model_type, "
                                "partition_no) values (1, 2, 3, 'E9001', 'Put in by another program', 'PDSSRV1', "
                                "'D:\\pds\\other\\', 'e9001.dgn', 0, 9);";
    const struct {
        const char* name;
        ClientRule rule; // of risbatch
        const char* logged;
    } cases[] = {
        {"refused by the unique index", ClientRule::PassThrough(),
         "P1001: model 'P1001' not added to project 'demo': RIS Error: RIS_E_DUP_KEY"},
        {"client died without a word", ClientRule::DieBefore(134, "RIS batch\r\n").When("INSERT INTO pdtable_113"),
         "P1001: model 'P1001' not added to project 'demo': risbatch ended with exit code 134; the row of "
         "model_index_no = 1 in pdtable_113 is another's (discipline_indx_no '2', not '1'; area_index_no '3', not '1'; "
         "model_no 'E9001', not 'P1001')\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        clients.Set("risbatch", c.rule);
        log.SetLabel([&](const std::string& line) {
            if (line == "P1001: adding model 'P1001' to project 'demo' ...")
                projcopytest::RunSql(targetRoot, "default schema pd_demo;\r\n" + foreign + "\r\n");
        });
        EXPECT_EQ(copyP1001(), 1);
        log.SetLabel({});
        EXPECT_EQ(lastMessage(), notCopied());
        const std::string text = CopyLogText();
        EXPECT_NE(text.find(c.logged), std::string::npos) << text;
        EXPECT_EQ(text.find("Loading table"), std::string::npos) << text;
        EXPECT_NE(text.find("P1001: taken out of project 'demo' again: area 'A1' (pdtable_112), discipline 'Piping' "
                            "(pdtable_111)\r\n"),
                  std::string::npos)
            << text;
        const auto rows = Rows(targetRoot, "pd_demo", "SELECT model_no, partition_no FROM pdtable_113 WHERE "
                                                      "model_index_no = 1");
        ASSERT_EQ(rows.size(), 1u);
        EXPECT_EQ(rows[0][0].value_or(""), "E9001");
        EXPECT_EQ(rows[0][1].value_or(""), "9");
        projcopytest::RunSql(targetRoot,
                             "default schema pd_demo;\r\ndelete from pdtable_113 where model_index_no = 1;\r\n");
        EXPECT_EQ(BothProjects(), bothBefore);
    }
}

// A list of the target, or a row of the source, that cannot be read is no empty one: the model
// it was needed for is not copied, what its copy made so far goes, and the run ends failed
// naming what it could not read.
TEST_F(ModelCopyFailureTest, AFailedReadStopsTheRun)
{
    struct Case {
        const char* name;
        ClientRule rule;     // of risbatch
        const char* prompt;  // the message's beginning
        const char* error;   // in the message and the copy log
    };
    const std::vector<Case> cases = {
        {"model list, answer cut", ClientRule::CutAnswer(5).When("SELECT partition_no, model_index_no FROM pdtable_113"),
         "Cannot read the model list (pdtable_113) of project 'demo': ", "risbatch gave no rows and no end of data"},
        {"partition list, refused",
         ClientRule::RefuseStatement("SELECT partition_no FROM pdtable_114", "RIS_E_UNKNOWN_SCHEMA"),
         "Cannot read the partition list (pdtable_114) of project 'demo': ", "RIS Error: RIS_E_UNKNOWN_SCHEMA"},
        {"discipline list, no answer", ClientRule::DieBefore(1).When("SELECT discipline_indx_no FROM pdtable_111"),
         "Cannot read the discipline list (pdtable_111) of project 'demo': ", "risbatch gave no answer"},
        {"source model row, no answer", ClientRule::DieBefore(1).When("SELECT * FROM pdtable_113 WHERE model_no"),
         "Cannot read the model row (pdtable_113) of project 'demo': ", "risbatch gave no answer"},
        {"source area row, no answer (after the discipline went in)",
         ClientRule::DieBefore(1).When("SELECT * FROM pdtable_112 WHERE"),
         "Cannot read the area row (pdtable_112) of project 'demo': ", "risbatch gave no answer"},
        {"design table of the target, no answer", ClientRule::DieBefore(1).When("SELECT * FROM pdtable_12_1 WHERE 1 = 0"),
         "Cannot read the design table pdtable_12_1 of project 'demo': ", "risbatch gave no answer"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        clients.Set("risbatch", c.rule);
        EXPECT_EQ(copyP1001(), 1);
        const std::string prompt = lastMessage();
        EXPECT_EQ(prompt.rfind(c.prompt, 0), 0u) << prompt;
        EXPECT_NE(prompt.find(c.error), std::string::npos) << prompt;
        EXPECT_EQ(TargetState(targetRoot), before);
        const std::string text = CopyLogText();
        EXPECT_NE(text.find(std::string("P1001: ") + c.prompt), std::string::npos) << text;
        EXPECT_NE(text.find("\tprocessing failed\r\n"), std::string::npos) << text;
    }
    // Read whole, an empty list of the target is still empty: the model goes in.
    clients.Set("risbatch", ClientRule::PassThrough());
    projcopytest::RunSql(targetRoot, "default schema pd_demo;\r\ndelete from pdtable_113;\r\ndelete from pdtable_114;\r\n");
    EXPECT_EQ(copyP1001(), 0);
    expectP1001Whole();
}

// A companion file that another program holds in use, or a target folder that fills up: xcopy
// copies the model file before it and then fails. The files it copied go with the row; the next
// run, with the lock gone or room on the disk, copies the model whole.
TEST_F(ModelCopyFailureTest, AnXcopyThatFailsPartWayLeavesNoFileBehind)
{
    std::string folder;
    for (const char* share : {"\\\\PDSSRV1\\D\\pds\\demo\\model\\", "\\\\PDSSRV1\\D$\\pds\\demo\\model\\"})
        if (fs::exists(HostPath(std::string(share) + "p1001.dgn")))
            folder = share;
    ASSERT_FALSE(folder.empty());
    const std::string companion = folder + "p1001.zzz"; // listed after p1001.dgn
    testsupport::WriteHostFile(HostPath(companion), std::string(64 * 1024, 'c'));
    struct RemoveAfter {
        std::string host;
        ~RemoveAfter() { fs::remove(host); }
    } removeCompanion{HostPath(companion)};
    const std::string copied = filesAndRows("");
    {
        FileLock inUse(companion, false);
        ASSERT_TRUE(inUse.held());
        EXPECT_EQ(copyP1001(), 1);
    }
    EXPECT_EQ(lastMessage(), notCopied());
    EXPECT_EQ(TargetState(targetRoot), before);
    std::string text = CopyLogText();
    EXPECT_NE(text.find("P1001: xcopy of the model files ended with exit code 4, model 'P1001' not copied\r\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("P1001: Whether the copy of the model files was done is not known: xcopy ended with exit "
                        "code 4. What stands: 1 of 2 files stand in '" + kFolder + "\\', missing: p1001.zzz.\r\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("P1001: taken out of project 'demo' again: " + copied + "\r\n"), std::string::npos) << text;

    {
        SmallDisk disk(HostPath(kFolder), "32k");
        EXPECT_EQ(copyP1001(), 1);
        EXPECT_EQ(lastMessage(), notCopied());
        text = CopyLogText();
        EXPECT_NE(text.find("Insufficient disk space"), std::string::npos) << text;
        EXPECT_NE(text.find("P1001: xcopy of the model files ended with exit code 4, model 'P1001' not copied\r\n"),
                  std::string::npos)
            << text;
        // The mounted folder itself stays: it was there before the copy.
        EXPECT_NE(text.find("P1001: taken out of project 'demo' again: file '" + kFolder + "\\p1001.dgn', " +
                            kRowsOfTheModel + "\r\n"),
                  std::string::npos)
            << text;
        EXPECT_TRUE(fs::is_empty(HostPath(kFolder)));
    }
    fs::remove_all(HostPath(kCopyFolder));
    EXPECT_EQ(TargetState(targetRoot), before);
    EXPECT_EQ(copyP1001(), 0) << lastMessage();
    expectP1001Whole();
    EXPECT_EQ(fs::file_size(HostPath(kFolder + "\\p1001.zzz")), 64u * 1024);
}

// A TMP that fills while the design tables are copied (the dump of a grown pdtable_67_1 does not
// fit): the tables loaded before it, the files and the rows go; the next run with room copies
// the model whole.
TEST_F(ModelCopyFailureTest, ADesignTableCopyOnAFullTmpLeavesNothingBehind)
{
    std::string grow = "default schema dd_demo;\r\n";
    for (int i = 1000; i < 1300; ++i)
        grow += "insert into pdtable_67_1 (system_unique_no, note_text) values (" + std::to_string(i) + ", '" +
                std::string(40, 'n') + "');\r\n";
    projcopytest::RunSql(StandInRoot(), grow);
    struct Shrink {
        ~Shrink()
        {
            projcopytest::RunSql(StandInRoot(), "default schema dd_demo;\r\n"
                                                "delete from pdtable_67_1 where system_unique_no >= 1000;\r\n");
        }
    } shrink;
    const std::string savedTmp = GetEnvVar("TMP");
    const std::string full = testsupport::MakeTempHostDir("fulltmp");
    {
        SmallDisk disk(full, "12k");
        ::setenv("TMP", full.c_str(), 1);
        const int result = copyP1001();
        ::setenv("TMP", savedTmp.c_str(), 1);
        EXPECT_EQ(result, 1);
        EXPECT_EQ(lastMessage(), notCopied());
        EXPECT_EQ(TargetState(targetRoot), before);
        const std::string text = CopyLogText();
        EXPECT_NE(text.find("Table 'pdtable_67_1' not copied into dd_demo: "), std::string::npos) << text;
        EXPECT_NE(text.find("P1001: taken out of project 'demo' again: " +
                            filesAndRows("design table pdtable_50_1 of dd_demo, design table pdtable_34_1 of dd_demo, "
                                         "design table pdtable_12_1 of dd_demo, ") +
                            "\r\n"),
                  std::string::npos)
            << text;
    }
    fs::remove_all(full);
    EXPECT_EQ(copyP1001(), 0) << lastMessage();
    expectP1001Whole();
}

// A file or a design table of the model's name that the target holds already belongs to
// something else: the model is not copied, and the file or table stays as it was. It is found
// before anything of the model is made.
TEST_F(ModelCopyFailureTest, AForeignFileOrDesignTableOfTheModelsNameStays)
{
    const struct {
        const char* name;
        std::function<void()> arrange;
        const char* logged;
    } cases[] = {
        {"file",
         [] { testsupport::WriteHostFile(HostPath(std::string(kCopyFolder) + "\\model\\p1001.dgn"), "another model"); },
         "exist already in project 'demo', model 'P1001' not copied"},
        {"design table",
         [this] {
             projcopytest::RunSql(targetRoot, "default schema dd_demo; create table pdtable_34_1 (system_unique_no int);"
                                              "insert into pdtable_34_1 values (77);");
         },
         "P1001: design table pdtable_34_1 exists already in dd_demo of project 'demo', model 'P1001' not copied\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(HostPath(kCopyFolder));
        c.arrange();
        const std::string foreign = TargetState(targetRoot);
        EXPECT_EQ(copyP1001(), 1);
        EXPECT_EQ(lastMessage(), notCopied(": nothing of it was made in project 'demo'"));
        EXPECT_EQ(TargetState(targetRoot), foreign);
        EXPECT_NE(CopyLogText().find(c.logged), std::string::npos) << CopyLogText();
        EXPECT_EQ(CopyLogText().find("processing successfully complete"), std::string::npos);
    }
}
