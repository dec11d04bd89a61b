// Every road that loads a dump, with a load client that ends well having done part of its work
// or names its refusal: what the program says must match the rows, indexes and grants that stand.
#include "Form1Fixture.h"

#include "admin/AdminGlobals.h"
#include "admin/PipingModelRestore.h"
#include "dbaccess/CRIS.h"
#include "dbaccess/LoadMarks.h"
#include "platform/HostFiles.h"
#include "platform/RunMark.h"
#include "platform/WinPath.h"
#include "services/AppGlobals.h"
#include "services/MessageService.h"
#include "support/Raised.h"
#include "support/TestFiles.h"
#include "support/WrapperClients.h"

#include <QLineEdit>

#include <cerrno>
#include <filesystem>

using testsupport::ClientRule;

namespace {

using LoadRoadsTest = Form1Fixture;

enum class Road { AllDumps, ProjectDumps, ChosenFile, Script, PipingRestore };

// What keeps the load's record from being written: nothing, a file in the marks folder's place,
// or a full disk under the records.
enum class RecordFault { None, MarksFolderIsAFile, DiskFull, SchemaMarkFull };

// The dump as a hand edit leaves it: each row of the table's block twice (two dumps merged).
std::string withRowsTwice(const std::string& dump, const std::string& table)
{
    const size_t create = dump.find("create table " + table + " ");
    const size_t first = dump.find("\r\n", dump.find("***variable***", create)) + 2;
    const size_t end = dump.find("***RIS*** End of Table", first);
    return dump.substr(0, end) + dump.substr(first, end - first) + dump.substr(end);
}

// The table whose index has the name, empty when no index has it.
std::string tableOfIndex(const std::string& schema, const std::string& index)
{
    DbServer server(StandInRoot());
    RisSession session(server);
    const auto rows = session.Database(schema).QueryRows(
        "SELECT tbl_name FROM sqlite_master WHERE type = 'index' AND name = ?1", {index});
    return rows.empty() ? std::string() : rows.front()[0].value_or("");
}

TEST_F(LoadRoadsTest, ALoadIsJudgedByWhatTheSchemaHoldsOnEveryRoad)
{
    testsupport::WrapperClients clients;
    auto form = startedForm();
    const std::string registered = gCRIS->GetRISPath();
    gCRIS->SetUseRIS(clients.WinFolder()); // the access object's counts, listings and unloads too
    form->UnLoad_proj_schemen_Click();
    const std::string pdDump = dumpDir + "\\pd_demo.dmp", ddDump = dumpDir + "\\dd_demo.dmp";
    const std::string pdText = BinaryFile::ReadAll(pdDump), ddText = BinaryFile::ReadAll(ddDump);
    const auto pdBefore = tablesOf("pd_demo"), ddBefore = tablesOf("dd_demo");
    const std::string short113 = "delete from pdtable_113 where model_index_no <> 1";
    const ClientRule leave113 = ClientRule::FailTable("pdtable_113", "", 0);
    struct Case {
        Road road;
        ClientRule rislod;
        std::string before; // run on the schema before the load
        std::string said;   // in the closing box, the script's box or log, or the restore's message
        bool failed;
        size_t rows;        // of pdtable_113 (pdtable_34_1 for the restore) afterwards
        bool granted;
        ClientRule risunlod = ClientRule::PassThrough();
        bool rowsTwice = false;   // the dump holds the table's rows twice
        std::string indexOn = ""; // the table its unique index stands on afterwards: "" its own, "-" none
        RecordFault fault = RecordFault::None;
        // lines of dd_demo's dump as a user mends them by hand; the script loads that dump instead
        std::vector<std::pair<std::string, std::string>> respelled = {};
    };
    const std::string marks = WinPathFromHost(RunMark::Folder());
    const std::string folderIsAFile = "its record could not be written: the marks folder '" + marks +
                                      "' is a file, not a folder, so no mark can be written in it";
    const std::string recordFull = "its record could not be written: the mark file '" + marks + "\\load_";
    const std::string schemaMarkFull = "was not started: its mark could not be written: the mark file '" + marks +
                                       "\\schema_pd_demo";
    const std::string lacksIndex = "pdtable_113 lacks index updtable_113";
    const std::vector<Case> cases = {
        {Road::AllDumps, leave113, short113, "pdtable_113 holds 1 row of the dump's 3", true, 1, true},
        {Road::ProjectDumps, leave113, short113, "pdtable_113 holds 1 row of the dump's 3", true, 1, true},
        {Road::ChosenFile, leave113, short113, "pdtable_113 holds 1 row of the dump's 3", true, 1, true},
        {Road::Script, leave113, short113, "is not whole: schema pd_demo: pdtable_113 holds 1 row of the dump's 3",
         true, 1, true},
        {Road::PipingRestore, ClientRule::FailTable("pdtable_34_1", "", 0), "delete from pdtable_34_1 where "
         "system_unique_no <> 200", "pdtable_34_1 holds 1 row of the dump's 3", true, 1, true},
        {Road::ProjectDumps, ClientRule::DropLines("'P1002'"), "", "pdtable_113 holds 2 rows of the dump's 3", true, 2,
         true},
        {Road::AllDumps, ClientRule::DropLines("update on pdtable_113 to"), "", "pdtable_113 lacks grant to public",
         true, 3, false},
        // Counts alike before and after: the values tell, the refusal stands, or it is not known.
        {Road::AllDumps, leave113, "update pdtable_113 set model_description = 'x' where model_index_no = 2",
         "pdtable_113 1 row differs in its values", true, 3, true},
        // A refusal the client names stands unless the look shows the dump's whole effect: then the
        // load is done, and the sentence names what the client said.
        {Road::Script, ClientRule::RefuseStatement("pdtable_113", "RIS_E_NO_PRIVILEGE"), "",
         "into pd_demo was done although rislod pd_demo: RIS Error: RIS_E_NO_PRIVILEGE", false, 3, true},
        {Road::Script, ClientRule::DieAfter(0, "RIS_E_DATABASE_ERROR"),
         short113, "into pd_demo was done although rislod pd_demo: RIS Error: RIS_E_DATABASE_ERROR - Statement failed; "
         "schema pd_demo: every table of the dump is there", false, 3, true},
        {Road::AllDumps, ClientRule::DieAfter(0, "RIS_E_DATABASE_ERROR"),
         short113, kReadyMessage, false, 3, true},
        {Road::Script, leave113, "", "into pd_demo was done is not known: schema pd_demo: pdtable_102, pdtable_103, "
         "pdtable_111, pdtable_112, pdtable_113, pdtable_114, pdtable_115, pdtable_116, pdtable_121 hold as many rows "
         "as the dump and as before the load, and could not be compared with it value by value (RIS Error: "
         "RIS_E_NO_PRIVILEGE", true, 3, true, ClientRule::RefuseStatement("pdtable_113", "RIS_E_NO_PRIVILEGE")},
        {Road::ChosenFile, ClientRule::PassThrough(), "", kReadyMessage, false, 3, true},
        {Road::Script, ClientRule::PassThrough(), short113, "into pd_demo was done.", false, 3, true},
        // The client refuses the dump's index and ends with 1: whatever the counts, every table's
        // indexes are compared, and the road ends with the failure.
        {Road::Script, ClientRule::PassThrough(), short113, "is not whole: schema pd_demo: " + lacksIndex, true, 6,
         true, ClientRule::PassThrough(), true, "-"},
        // The index's name went to an index on a table the dump does not make since it was written.
        {Road::AllDumps, ClientRule::PassThrough(), "drop index updtable_113;create table pdtable_999 (model_index_no "
         "int);create index updtable_113 on pdtable_999 (model_index_no)",
         lacksIndex + " (the name is an index's on pdtable_999); the other 8 tables", true, 3, true,
         ClientRule::PassThrough(), false, "pdtable_999"},
        // A client that ends well with the index on other columns: said as such.
        {Road::Script, ClientRule::EditLines("pdtable_113 (model_index_no)", "pdtable_113 (model_no)"), "",
         "pdtable_113 has index updtable_113 unique on (model_no) where the dump has it unique on (model_index_no)",
         true, 3, true},
        // No record, no load: the message names the folder or file, what failed, and what stands.
        {Road::AllDumps, ClientRule::PassThrough(), short113,
         "_demo was not started: " + folderIsAFile + "; nothing was loaded, every schema and dump is as it was",
         true, 1, true, ClientRule::PassThrough(), false, "", RecordFault::MarksFolderIsAFile},
        // The record stands before the schema's mark: a mark that cannot be written leaves it, saying so;
        // the next load of the file, found whole, ends it.
        {Road::Script, ClientRule::PassThrough(), short113, schemaMarkFull, true, 1, true, ClientRule::PassThrough(),
         false, "", RecordFault::SchemaMarkFull},
        {Road::ChosenFile, ClientRule::PassThrough(), short113, recordFull, true, 1, true, ClientRule::PassThrough(),
         false, "", RecordFault::DiskFull},
        {Road::Script, ClientRule::PassThrough(), short113, folderIsAFile + "; the script was not started, no line of it ran",
         true, 1, true, ClientRule::PassThrough(), false, "", RecordFault::MarksFolderIsAFile},
        {Road::PipingRestore, ClientRule::PassThrough(), "delete from pdtable_34_1 where system_unique_no <> 200",
         "The restore of piping model P1001 into dd_demo from '" + ddDump + "' was not started: " + recordFull, true, 1,
         true, ClientRule::PassThrough(), false, "", RecordFault::DiskFull},
        // A dump mended by hand: numbers spelled otherwise at their column's scale, a zero as
        // earlier unloads wrote it, a date alone for its first moment. The counts alike before
        // cannot tell; the values the server holds are the dump's, read as their types read them.
        {Road::Script, ClientRule::PassThrough(), "", "into dd_demo was done.", false, 3, true,
         ClientRule::PassThrough(), false, "", RecordFault::None,
         {{"200 'GATE0' 120.50 ", "200 'GATE0' +120.50 "}, {"201 'GATE1' 121.50 ", "201 'GATE1' 121.5 "},
          {"202 'GATE2' 122.50 ", "202 'GATE2' -0.00 "}, {"100 'L-100' 2 'PW' ", "100 'L-100' 2.0 'PW' "},
          {"300 12.5 25 ", "3e2 12.5 025 "}, {"301 25 25 ", "0301 25 25 "},
          {"500 '2024-02-01:12:00:00' 0 ", "500 '2024-02-01' 0 "}}},
    };
    writeFile(dumpDir + "\\load.scr", "risload '" + pdDump + "'\r\n");
    form->scriptfile->setText(QString::fromStdString(dumpDir + "\\load.scr"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.said);
        const bool design = c.road == Road::PipingRestore || !c.respelled.empty();
        const std::string schema = design ? "dd_demo" : "pd_demo", table = design ? "pdtable_34_1" : "pdtable_113";
        clients.Set("rislod", ClientRule::PassThrough());
        writeFile(pdDump, pdText);
        writeFile(ddDump, ddText);
        form->dumpCommands().RISLoad("'" + (design ? ddDump : pdDump) + "'");
        EXPECT_EQ(tablesOf(schema), design ? ddBefore : pdBefore);
        for (const std::string& statement : Split(c.before, ";"))
            if (!statement.empty())
                execute(schema, statement);
        if (c.rowsTwice)
            writeFile(design ? ddDump : pdDump, withRowsTwice(design ? ddText : pdText, table));
        std::string respelled = ddText;
        for (const auto& [line, mended] : c.respelled)
            respelled = ReplaceAll(respelled, line, mended);
        if (!c.respelled.empty()) {
            ASSERT_NE(respelled, ddText);
            writeFile(ddDump, respelled);
            writeFile(dumpDir + "\\load.scr", "risload '" + ddDump + "'\r\n");
        }
        clients.Set("rislod", c.rislod);
        clients.Set("risunlod", c.risunlod);
        const std::string folder = RunMark::Folder();
        if (c.fault == RecordFault::MarksFolderIsAFile) {
            std::filesystem::rename(folder, folder + ".aside");
            testsupport::WriteHostFile(folder, "not a folder");
        } else if (c.fault == RecordFault::DiskFull || c.fault == RecordFault::SchemaMarkFull) {
            const std::string written = c.fault == RecordFault::DiskFull ? "/marks/.load_" : "/marks/.schema_";
            SetHostFileFault([written](const std::string& op, const std::string& host) {
                return op == "write" && host.find(written) != std::string::npos ? ENOSPC : 0;
            });
        }
        std::string said;
        const size_t logged = BinaryFile::ReadAll(gLogFile).size(); // the log of the loads before
        if (c.road != Road::ChosenFile && c.road != Road::PipingRestore) // "Are you sure?"
            messages.Answer(MsgAnswer::Yes);
        switch (c.road) {
        case Road::AllDumps: form->Load_all_dmp_files_Click(); break;
        case Road::ProjectDumps: form->Load_proj_schemen_Click(); break;
        case Road::ChosenFile: dialogs.Answer(pdDump), form->Load_auswahl_Click(); break;
        case Road::Script: form->SCRstart_Click(); break;
        case Road::PipingRestore:
            said = testsupport::Raised([&] { PipingModelRestore::Restore(ddDump, "demo", {"P1001", "1"}); })
                       .description();
        }
        // A script that ran through shows only its question: the log says what it did.
        if (c.road != Road::PipingRestore) {
            const std::string log = BinaryFile::ReadAll(gLogFile);
            said = c.road == Road::Script && !c.failed ? log.substr(std::min(logged, log.size()))
                                                       : messages.asked().back().prompt;
        }
        clients.Set("risunlod", ClientRule::PassThrough());
        SetHostFileFault(nullptr);
        if (c.fault == RecordFault::MarksFolderIsAFile) {
            std::filesystem::remove(folder);
            std::filesystem::rename(folder + ".aside", folder);
        }
        if (c.fault != RecordFault::None) {
            EXPECT_EQ(clients.Runs("rislod"), 0);
            EXPECT_EQ(BinaryFile::ReadAll(pdDump), pdText);
            EXPECT_EQ(BinaryFile::ReadAll(ddDump), ddText);
            // Kept from every unload until a load of it is found whole, however far the load came.
            EXPECT_EQ(LoadMarks::KeptFor(pdDump).find("its mark could not be written") != std::string::npos,
                      c.fault == RecordFault::SchemaMarkFull)
                << LoadMarks::KeptFor(pdDump);
        }
        EXPECT_NE(said.find(c.said), std::string::npos) << said;
        EXPECT_EQ(said.find(kReadyMessage) != std::string::npos, !c.failed && c.road != Road::Script) << said;
        EXPECT_EQ(tablesOf(schema).at(table).size(), c.rows);
        EXPECT_EQ(tableOfIndex(schema, "u" + table), c.indexOn.empty() ? table : c.indexOn == "-" ? "" : c.indexOn);
        if (c.indexOn == "pdtable_999")
            execute(schema, "drop table pdtable_999");
        EXPECT_EQ(c.granted, std::ranges::any_of(gCRIS->RISGetGrants(schema), [&](const ListedGrant& g) {
                      return EqualsNoCase(g.table, table) && EqualsNoCase(g.grantee, "public");
                  }));
        if (!c.respelled.empty()) {
            // Found whole, the load's record ends: no unload is held back by it.
            EXPECT_TRUE(LoadMarks::LeftTexts().empty());
            writeFile(dumpDir + "\\load.scr", "risload '" + pdDump + "'\r\n");
        }
    }
    // Both schemas as they were, for the tests after this one.
    clients.Set("rislod", ClientRule::PassThrough());
    writeFile(pdDump, pdText);
    writeFile(ddDump, ddText);
    form->dumpCommands().RISLoad("'" + pdDump + "'");
    form->dumpCommands().RISLoad("'" + ddDump + "'");
    EXPECT_EQ(tableOfIndex("pd_demo", "updtable_113"), "pdtable_113");
    gCRIS->SetUseRIS(registered);
}

// The loads of the dump folder name a folder that does not exist, is a file, or holds no dump,
// and load nothing.
TEST_F(LoadRoadsTest, ADumpFolderWithoutDumpsToLoadIsAnErrorThatNamesIt)
{
    testsupport::WrapperClients clients;
    auto form = startedForm();
    writeFile(dumpDir + "\\afile", "x");
    HostMakeFolder(dumpDir + "\\notes", true);
    writeFile(dumpDir + "\\notes\\notes.txt", "minutes of the meeting\r\n");
    const std::string typed = gDumpDir;
    const struct {
        const char* folder;
        const char* said;
    } cases[] = {
        {"pdsdumps", "does not exist"},
        {"afile", "is a file, not a folder"},
        {"notes", "holds no RIS dump (a file whose first line is a 'default schema' line)"},
    };
    for (const auto& c : cases) {
        gDumpDir = dumpDir + "\\" + c.folder;
        messages.Answer(MsgAnswer::Yes); // "Are you sure?"
        form->Load_all_dmp_files_Click();
        EXPECT_EQ(messages.asked().back().prompt, "The dump folder '" + gDumpDir + "' " + c.said + ": nothing loaded");
    }
    EXPECT_EQ(clients.Runs("rislod"), 0);
    gDumpDir = typed;
}

} // namespace
