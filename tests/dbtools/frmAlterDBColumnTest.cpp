// The column length change on the sample environment: the run through unload, dump edit, drop
// and reload, the kept backup, the restore after failing RIS clients, the status bar, and the
// checks of the input.
#include "dbtools/frmAlterDBColumn.h"

#include "AlterDBColumnFixture.h"
#include "dbtools/DdlDatabase.h"
#include "dbtools/SchemaChangeMark.h"
#include "dbaccess/SchemaDumpSummary.h"
#include "platform/Clock.h"
#include "platform/HostFiles.h"
#include "platform/TextUtil.h"
#include "services/MessageService.h"
#include "standins/SmallDisk.h"
#include "standins/dbserver/RisSession.h"
#include "standins/dbserver/SchemaTables.h"
#include "support/TestFiles.h"
#include "support/WrapperClients.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStatusBar>
#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <map>

namespace fs = std::filesystem;

namespace {

using Strings = std::vector<std::string>;

class frmAlterDBColumnTest : public AlterDBColumnFixture {};

TEST_F(frmAlterDBColumnTest, NewLengthReachesTheCatalogueRowsStayAndEachRunKeepsItsBackup)
{
    const Strings before = query("dd_demo", "SELECT component_code FROM pdtable_34_1");
    ASSERT_FALSE(before.empty());
    auto form = open();
    EXPECT_EQ(form->windowTitle(), "demo - Alter database column length");
    select(*form, "dd_demo");
    form->txtColumn->setText("  COMPONENT_code ");
    form->txtLength->setText("30");
    form->txtBackup->setText(QString::fromStdString(win("backup")));
    const size_t temps = tempFiles();
    boxes_.Answer(MsgAnswer::Yes);
    form->cmdProcess_Click();

    ASSERT_EQ(prompts(), Strings{"Are you sure that you want process the selected schemas (dd_demo) "
                                 "(column: component_code, length=30)?"});
    EXPECT_EQ(form->txtColumn->text(), "COMPONENT_code");
    CRIS cris;
    cris.SetUseRIS("");
    for (const char* table : {"pdtable_34_1", "pdtable_34_2"}) {
        const Strings cols = cris.DBGetCols("dd_demo", table, true, true);
        EXPECT_NE(std::find(cols.begin(), cols.end(), "component_code char(30)"), cols.end()) << table;
    }
    EXPECT_EQ(query("dd_demo", "SELECT component_code FROM pdtable_34_1"), before);
    EXPECT_EQ(backups(), Strings{"dd_demo_2024-03-15_143005.dmp"});
    EXPECT_EQ(tempFiles(), temps);
    EXPECT_EQ(form->StatusBar1->currentMessage(), "Ready.");
    EXPECT_TRUE(form->cmdProcess->isEnabled());

    // A second run finds nothing to change and still keeps its own backup, of the changed schema.
    clock_.now.second = 6;
    boxes_.Answer(MsgAnswer::Yes);
    form->cmdProcess_Click();
    EXPECT_EQ(prompts().size(), 2u) << prompts().back();
    ASSERT_EQ(backups(), (Strings{"dd_demo_2024-03-15_143005.dmp", "dd_demo_2024-03-15_143006.dmp"}));
    const std::string first = testsupport::ReadHostFile(folder_.host("backup/" + backups()[0]));
    const std::string second = testsupport::ReadHostFile(folder_.host("backup/" + backups()[1]));
    EXPECT_NE(first.find("component_code char(12)"), std::string::npos);
    EXPECT_NE(second.find("component_code char(30)"), std::string::npos);
    EXPECT_EQ(second.find("component_code char(12)"), std::string::npos);

    // A third run in the same second keeps the second's backup and names its own apart.
    boxes_.Answer(MsgAnswer::Yes);
    form->cmdProcess_Click();
    EXPECT_EQ(backups(), (Strings{"dd_demo_2024-03-15_143005.dmp", "dd_demo_2024-03-15_143006.dmp",
                                  "dd_demo_2024-03-15_143006_2.dmp"}));
    EXPECT_EQ(testsupport::ReadHostFile(folder_.host("backup/" + backups()[1])), second);
}

TEST_F(frmAlterDBColumnTest, NotNullColumnsStayNotNullThroughTheRebuild)
{
    // pdtable_34_1 made again from the schema's own dump with two columns that refuse NULL.
    std::string dump = testsupport::ReadHostFile(folder_.host("start.dmp"));
    const std::string plain = "create table pdtable_34_1 (system_unique_no int, component_code char(12), ";
    ASSERT_NE(dump.find(plain), std::string::npos);
    dump.replace(dump.find(plain), plain.size(),
                 "create table pdtable_34_1 (system_unique_no int not null, component_code char(12) not null, ");
    testsupport::WriteHostFile(folder_.host("nn.dmp"), dump);
    gCRIS->RISLoad(win("nn.dmp"), std::nullopt, 0, "dd_demo", "", 25);
    std::map<std::string, std::string> before = SchemaState("dd_demo");
    ASSERT_NE(before["pdtable_34_1"].find("system_unique_no int not null, component_code char(12) not null, "),
              std::string::npos)
        << before["pdtable_34_1"];

    auto form = open();
    changeComponentCode(*form);
    EXPECT_EQ(form->StatusBar1->currentMessage(), "Ready.");
    std::map<std::string, std::string> after = SchemaState("dd_demo");
    for (const char* table : {"pdtable_34_1", "pdtable_34_2"})
        after[table] = ReplaceAll(after[table], "component_code char(30)", "component_code char(12)");
    EXPECT_EQ(after, before);
    const std::string backup = testsupport::ReadHostFile(folder_.host("backup/" + backups().at(0)));
    EXPECT_NE(backup.find("(system_unique_no int not null, component_code char(12) not null, "), std::string::npos);

    DbServer server(DbServer::EnvironmentRoot());
    RisSession session(server);
    std::string out;
    EXPECT_EQ(session.RunBatch("default schema dd_demo;\n"
                               "insert into pdtable_34_1 (system_unique_no, component_code) values (9, null);\n",
                               out),
              1)
        << out;
}

TEST_F(frmAlterDBColumnTest, AChangeAfterTheDdlWindowDroppedATableSeesTheSchemaAsItIs)
{
    // The access object holds a listing with the table, as the DDL check leaves it.
    const Strings held = gCRIS->DBGetTables("dd_demo", false);
    ASSERT_NE(std::find(held.begin(), held.end(), "pdtable_22_3"), held.end());
    DdlDatabase::Program().Write("dd_demo", "DROP TABLE pdtable_22_3;");

    auto form = open();
    changeComponentCode(*form);
    ASSERT_EQ(prompts().size(), 1u) << prompts().back();
    const auto state = SchemaState("dd_demo");
    EXPECT_EQ(state.count("pdtable_22_3"), 0u);
    EXPECT_NE(state.at("pdtable_34_2").find("component_code char(30)"), std::string::npos);
}

using testsupport::ClientRule;

struct FailingClientCase {
    std::string name;
    std::string client;
    ClientRule rule;
    std::string cause;   // a part of the message that names the failure (%BACKUP%: the backup dump)
    std::string outcome; // a part of the message after the cause
    std::string lost;    // the tables gone or not as they were afterwards, joined by blanks
    std::vector<ClientRule> later = {}; // rules for the client's runs the first rule leaves
    HostFileFault fault = nullptr;      // a failure of the host put in place for the run
};

// The writes of the schema's mark before the steps fail as on a full disk.
HostFileFault MarkWriteFails(const std::vector<std::string>& steps)
{
    return [steps](const std::string& op, const std::string& host) {
        if (op != "flush" || host.find("/marks/") == std::string::npos)
            return 0;
        const std::string text = testsupport::ReadHostFile(host);
        for (const std::string& step : steps)
            if (text.find("\nstep=" + step + "\n") != std::string::npos)
                return ENOSPC;
        return 0;
    };
}

const char* kNoMarkLeft = "\r\nSchema dd_demo is back as it was before the change, and no mark of it is left: no later "
                          "change of it is refused.";

const char* kNothingDropped = "No whole backup dump could be made, so these schemas were left unchanged:\r\n"
                              "dd_demo: the backup dump '%BACKUP%' does not hold the schema as it is (";
const char* kNoBackup = "No whole backup dump could be made, so these schemas were left unchanged:\r\n"
                        "dd_demo: the dump risunlod wrote of schema 'dd_demo' ";
const char* kBothRestored = "\r\nDropped and restored as they were from '%BACKUP%': pdtable_34_1, pdtable_34_2\r\n"
                            "No other table of schema dd_demo was dropped or loaded.";
const char* kLoadFailed = "The load of the changed tables of schema dd_demo was not done: ";
const std::string kRestoredOtherwise = "\r\nDropped and restored from '%BACKUP%', but NOT as they were (as they "
                                       "were, they are kept in '%BACKUP_DROPPED%' (only these tables) and in "
                                       "'%BACKUP%'): ";
const ClientRule kReloadDies = ClientRule::DieBefore(1, "rislod: out of memory\r\n").Times(1);

std::vector<FailingClientCase> FailingClients()
{
    return {
        // The backup's unload is cut inside a changed table and the client ends with 0 all the
        // same; or the client leaves a changed table out of a dump that is whole by its form.
        {"BackupCutInAChangedTable", "risunlod", ClientRule::CutAnswer(13).When("data all"), kNoBackup,
         "is not whole: table 'pdtable_34_1' (from line 9) ends without its end-of-table line at line 13", ""},
        {"BackupSilentlyLacksAChangedTable", "risunlod", ClientRule::FailTable("pdtable_34_1", "", 0).When("data all"),
         kNoBackup, "lacks the table pdtable_34_1 that the dictionary lists", ""},
        // The blocks are closed, but rows are cut from inside one: the server's count shows it.
        {"BackupRowsThinnedInsideAClosedBlock", "risunlod", ClientRule::ThinRows("pdtable_34_1", 2).When("data all"),
         kNothingDropped, "pdtable_34_1 holds 3 rows on the server, 1 in the dump)", ""},
        {"BackupBlockEndsAfterItsColumnLine", "risunlod", ClientRule::ThinRows("pdtable_34_2", 0).When("data all"),
         kNothingDropped, "pdtable_34_2 holds 2 rows on the server, 0 in the dump)", ""},
        // The read of a table's columns is refused: the box shows the client's error as one line.
        {"ColumnReadRefused", "risunlod", ClientRule::RefuseStatement("pdtable_34_2"),
         "RIS Error: RIS_E_NO_PRIVILEGE", "", ""},
        // The load dies before it does anything, or after it did all.
        {"LoadDiesBefore", "rislod", kReloadDies, kLoadFailed, kBothRestored, ""},
        // The reload ends well but leaves out the grants: the check against the backup dump
        // catches it (it tells any value, type or grant apart) and restores both tables.
        {"ReloadLosesTheGrants", "rislod", ClientRule::DropLines("grant ").Times(1),
         "After the reload the changed tables of schema dd_demo differ from the backup dump: "
         "pdtable_34_1: lacks grant to public; pdtable_34_2: lacks grant to public\r\n",
         kBothRestored, ""},
        // The second drop is refused: the first table is gone, the second one stays.
        {"SecondDropRefused", "risbatch", ClientRule::RefuseStatement("drop table pdtable_34_2"),
         "The drop of table pdtable_34_2 of schema dd_demo was not done: RIS Error: RIS_E_NO_PRIVILEGE",
         "\r\nDropped and restored as they were from '%BACKUP%': pdtable_34_1\r\n"
         "Not dropped, left as they were: pdtable_34_2\r\nNo other table of schema dd_demo was dropped or loaded.",
         ""},
        // The second drop ends well but leaves its table: it is read after every call.
        {"SecondDropLeavesItsTable", "risbatch",
         ClientRule::Scripted("\r\n", std::nullopt).When("drop table pdtable_34_2"),
         "The drop of table pdtable_34_2 of schema dd_demo ended without an error, but nothing of it stands: "
         "pdtable_34_2 is still in schema dd_demo.", "\r\nNot dropped, left as they were: pdtable_34_2\r\n", ""},
        // The load and the restore both fail: the message names exactly the two tables lost.
        {"LoadAndRestoreDie", "rislod", ClientRule::DieBefore(1, "rislod: out of memory\r\n"), kLoadFailed,
         "Dropped and NOT restored, their rows are kept in '%BACKUP_DROPPED%' (only these tables) and in '%BACKUP%': "
         "pdtable_34_1 (missing), pdtable_34_2 (missing)",
         "pdtable_34_1 pdtable_34_2"},
        // The load dies, and the restore ends well but not as the backup holds the tables: it is
        // compared whole, and the message names what differs and where the tables are kept.
        {"RestoreLosesTheGrants", "rislod", kReloadDies, kLoadFailed,
         kRestoredOtherwise + "pdtable_34_1 (lacks grant to public), pdtable_34_2 (lacks grant to public)",
         "pdtable_34_1 pdtable_34_2", {ClientRule::DropLines("grant ")}},
        {"RestoreChangesAValue", "rislod", kReloadDies, kLoadFailed,
         kRestoredOtherwise + "pdtable_34_1 (1 row differs in its values)", "pdtable_34_1",
         {ClientRule::EditLines("'GATE2'", "'GATX2'")}},
        {"RestoreChangesAColumnType", "rislod", kReloadDies, kLoadFailed, kRestoredOtherwise + "pdtable_34_1 (column "
         "component_code char(14), not component_code char(12)), pdtable_34_2 (column component_code char(14), not "
         "component_code char(12))", "pdtable_34_1 pdtable_34_2",
         {ClientRule::EditLines("component_code char(12)", "component_code char(14)")}},
        // The server cannot be asked for the counts the backup is checked against: the backup is
        // not known to be wrong, so it keeps its name, and nothing is dropped.
        {"BackupCheckCannotRun", "risbatch", ClientRule::RefuseStatement("select count(*)").When("default schema dd_demo"),
         "The backup dump '%BACKUP%' could not be checked against the schema: RIS Error: RIS_E_NO_PRIVILEGE",
         "whether it holds the schema as it is is not known, and it stays under its name - nothing was dropped", ""},
        // The mark cannot say the reload before it begins: the dropped tables are restored all the
        // same, and the mark goes, as the message says.
        {"MarkNotWrittenAfterTheDrops", "rislod", ClientRule::PassThrough(),
         "The mark of schema dd_demo could not be written before the load of the changed tables (Disk full) in the "
         "marks folder '",
         std::string(kBothRestored) + kNoMarkLeft, "", {}, MarkWriteFails({"the load of the changed tables"})},
        // No write of the mark after the drops takes: the restore still runs, and once the tables are
        // back the mark goes all the same.
        {"MarkNeverWrittenAfterTheDrops", "rislod", ClientRule::PassThrough(),
         "The mark of schema dd_demo could not be written before the load of the changed tables (Disk full)",
         std::string(kBothRestored) + "\r\nThe mark of schema dd_demo could not be written before the restore of the "
         "dropped tables (Disk full) in the marks folder '" ,
         "", {},
         MarkWriteFails({"the load of the changed tables", "the restore of the dropped tables",
                         "the re-creation of the views lost with the dropped tables"})},
    };
}

void PrintTo(const FailingClientCase& c, std::ostream* os) { *os << c.name; }

class frmAlterDBColumnFailingClientTest : public frmAlterDBColumnTest,
                                          public ::testing::WithParamInterface<FailingClientCase> {};

TEST_P(frmAlterDBColumnFailingClientTest, TheMessageTellsTableByTableWhatHappened)
{
    testsupport::WrapperClients clients;
    std::vector<ClientRule> rules = {GetParam().rule};
    rules.insert(rules.end(), GetParam().later.begin(), GetParam().later.end());
    clients.Set(GetParam().client, rules);
    gCRIS->SetUseRIS(clients.WinFolder());
    SetHostFileFault(GetParam().fault);
    runAndCompare(GetParam().cause, GetParam().outcome, GetParam().lost);
    SetHostFileFault(nullptr);
    // What the message says of the schema's mark is what the next change finds.
    const std::string said = prompts().back();
    const bool refused = !SchemaChangeMark::LeftUnfinished("dd_demo").empty();
    EXPECT_EQ(said.find("every later change of it is refused") != std::string::npos, refused) << said;
    EXPECT_EQ(said.find("no later change of it is refused") != std::string::npos,
              !refused && said.find("Dropped and restored as they were") != std::string::npos)
        << said;
    // Only a backup found wrong is set aside, and the message says so.
    const std::vector<std::string> kept = backups();
    const bool setAside = std::count(kept.begin(), kept.end(), "dd_demo_2024-03-15_143005.dmp.refused") == 1;
    EXPECT_EQ(setAside, prompts().back().find(".refused'") != std::string::npos) << prompts().back();
}

INSTANTIATE_TEST_SUITE_P(Clients, frmAlterDBColumnFailingClientTest, ::testing::ValuesIn(FailingClients()),
                         [](const auto& info) { return info.param.name; });

// A client that dies after it did its work: the schema is read, the change is there, and the run
// goes on to its end instead of undoing it; the log says what failed and what was found.
TEST_F(frmAlterDBColumnTest, AClientDyingAfterItsWorkIsReadAgainAndTheRunGoesOn)
{
    const struct {
        const char* client;
        ClientRule rule;
        const char* logged;
    } cases[] = {
        {"risbatch", ClientRule::DieAfter(139).When("drop table pdtable_34_2"),
         "The drop of table pdtable_34_2 of schema dd_demo was done although "},
        {"rislod", ClientRule::DieAfter(139).Times(1), "The load of the changed tables of schema dd_demo was done although "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.client);
        gCRIS->RISLoad(win("start.dmp"), std::nullopt, 0, "dd_demo", "", 25);
        const auto before = SchemaState("dd_demo");
        testsupport::WrapperClients clients;
        clients.Set(c.client, c.rule);
        gCRIS->SetUseRIS(clients.WinFolder());
        auto form = open();
        const size_t asked = prompts().size();
        changeComponentCode(*form);
        gCRIS->SetUseRIS(risPath_);

        ASSERT_EQ(prompts().size(), asked + 1) << prompts().back();
        EXPECT_NE(folder_.log().find(c.logged), std::string::npos) << folder_.log();
        auto after = SchemaState("dd_demo");
        for (const char* table : {"pdtable_34_1", "pdtable_34_2"}) {
            EXPECT_NE(after.at(table).find("component_code char(30)"), std::string::npos) << after.at(table);
            after[table] = before.at(table);
        }
        EXPECT_EQ(after, before);
        EXPECT_EQ(form->StatusBar1->currentMessage(), "Ready.");
        fs::remove_all(folder_.host("backup"));
        fs::create_directories(folder_.host("backup"));
    }
}

TEST_F(frmAlterDBColumnTest, ValuesLongerThanTheNewLengthStopTheRunBeforeAnyDrop)
{
    auto form = open();
    select(*form, "dd_demo");
    form->txtColumn->setText("line_number_label");
    form->txtLength->setText("2");
    form->txtBackup->setText(QString::fromStdString(win("backup")));
    const Strings before = query("dd_demo", "SELECT line_number_label FROM pdtable_12_1");
    boxes_.Answer(MsgAnswer::Yes);
    form->cmdProcess_Click();
    ASSERT_EQ(prompts().size(), 2u);
    EXPECT_NE(prompts()[1].find("longer than 2"), std::string::npos) << prompts()[1];
    EXPECT_NE(prompts()[1].find("'line_number_label' of table 'pdtable_12_1'"), std::string::npos) << prompts()[1];
    EXPECT_EQ(query("dd_demo", "SELECT line_number_label FROM pdtable_12_1"), before);
    CRIS cris;
    cris.SetUseRIS("");
    const Strings cols = cris.DBGetCols("dd_demo", "pdtable_12_1", true, true);
    EXPECT_NE(std::find(cols.begin(), cols.end(), "line_number_label char(24)"), cols.end());
}

TEST_F(frmAlterDBColumnTest, InputThatCannotBeRunIsRefusedWithItsMessageAndChangesNothing)
{
    const struct {
        const char* column;
        const char* length;
        std::string backup;
        bool selectSchema;
        const char* message;
    } cases[] = {{"   ", "30", win("backup"), true, "Please define string for searching column name"},
                 {"code", "0", win("backup"), true, "Please give a correct column length."},
                 {"code", "30", "", true, "Please choose a backup directory for dump files"},
                 {"code", "30", "X:\\nowhere", true, "Backup directory 'X:\\nowhere' does not exist."},
                 {"code", "30", win("backup"), false, "No schema selected."}};
    for (const auto& c : cases) {
        auto form = open();
        if (c.selectSchema)
            select(*form, "pd_demo");
        form->txtColumn->setText(c.column);
        form->txtLength->setText(c.length);
        form->txtBackup->setText(QString::fromStdString(c.backup));
        const size_t asked = prompts().size();
        form->cmdProcess_Click();
        ASSERT_EQ(prompts().size(), asked + 1) << c.message;
        EXPECT_EQ(prompts().back(), c.message);
        EXPECT_TRUE(backups().empty());
        EXPECT_EQ(form->StatusBar1->currentMessage(), "Ready.");
    }
}

TEST_F(frmAlterDBColumnTest, AnswerNoChangesNothingAndSettingsSurviveTheWindow)
{
    {
        auto form = open();
        select(*form, "pd_demo");
        form->txtLength->setText("40.0");
        form->txtBackup->setText(QString::fromStdString(win("backup")));
        boxes_.Answer(MsgAnswer::No);
        form->cmdProcess_Click();
        EXPECT_TRUE(backups().empty());
        form->close();
    }
    EXPECT_EQ(ReadIniValue(gIniFile, "frmAlterDBColumn", "txtLength", ""), "40.0");
    auto form = open();
    EXPECT_EQ(form->txtLength->text(), "40");
    EXPECT_EQ(form->txtBackup->text().toStdString(), win("backup"));
}

// Rows added straight into the stand-in server's file of the schema: ids from..from+count-1.
void AddRows(const std::string& schema, const std::string& table, int from, int count, const std::string& rest)
{
    auto db = DbToolsSampleEnvironment::UserDb(schema);
    db->Exec("BEGIN");
    for (int id = from; id < from + count; ++id)
        db->Exec("INSERT INTO \"" + table + "\" VALUES (" + std::to_string(id) + ", " + rest + ")");
    db->Exec("COMMIT");
}

uintmax_t BytesIn(const std::string& folder)
{
    uintmax_t n = 0;
    std::error_code ec;
    for (const auto& e : fs::recursive_directory_iterator(folder, ec))
        n += e.is_regular_file(ec) ? e.file_size(ec) : 0;
    return n;
}

} // namespace

TEST_F(frmAlterDBColumnTest, ATempFolderWithRoomForOneCopyOnlyDropsNothing)
{
    // About 75 KB of dump, 30 KB of it in the two tables that change.
    AddRows("dd_demo", "pdtable_34_1", 10000, 600, "'GATE', 1.5");
    AddRows("dd_demo", "pdtable_34_2", 20000, 600, "'GATE', 1.5");
    AddRows("dd_demo", "pdtable_67_1", 30000, 650, "'Note of model 1'");
    AddRows("dd_demo", "pdtable_67_2", 40000, 650, "'Note of model 2'");
    AddRows("dd_demo", "pdtable_12_2", 50000, 450, "'L-9', 2, 'PW'");
    const auto before = SchemaState("dd_demo");
    auto form = open();
    // The access object's work folder, which the program's temporary folder then names too,
    // gets a disk of its own. Where no tmpfs can be mounted, the platform layer fails the
    // program's own writes there once the folder holds as much (the clients then write freely).
    const std::string work = HostPath(gCRIS->GetTempDir());
    SmallDisk temp(work, "100k");
    if (!temp.Mounted())
        SetHostFileFault([work](const std::string& op, const std::string& host) {
            const bool writes = op == "write" || op == "copy" || op == "create";
            return writes && host.rfind(work, 0) == 0 && BytesIn(work) >= 100 * 1024 ? ENOSPC : 0;
        });
    gTempDir = gCRIS->GetTempDir();
    changeComponentCode(*form);
    SetHostFileFault(nullptr);

    ASSERT_EQ(prompts().size(), 2u);
    EXPECT_NE(prompts()[1].find("has no room for the "), std::string::npos) << prompts()[1];
    EXPECT_NE(prompts()[1].find("Disk full - nothing was dropped, schema dd_demo is unchanged"), std::string::npos)
        << prompts()[1];
    EXPECT_EQ(SchemaState("dd_demo"), before);
    EXPECT_EQ(tempFiles(), 0u);
    ASSERT_EQ(backups().size(), 1u);
    EXPECT_GT(fs::file_size(folder_.host("backup/" + backups()[0])), 70'000u);
}

// The backup is proved by the server's counts, not by extracts of its tables: a temporary
// folder of three times the largest table is room enough for a run over a 75 KB dump.
TEST_F(frmAlterDBColumnTest, ATempFolderOfThreeTimesTheLargestTableIsRoomEnough)
{
    // About 75 KB of dump, a third of it in its largest table.
    AddRows("dd_demo", "pdtable_34_1", 10000, 150, "'GATE', 1.5");
    AddRows("dd_demo", "pdtable_34_2", 20000, 150, "'GATE', 1.5");
    AddRows("dd_demo", "pdtable_67_1", 30000, 1350, "'Note of model 1'");
    AddRows("dd_demo", "pdtable_67_2", 40000, 850, "'Note of model 2'");
    AddRows("dd_demo", "pdtable_12_2", 50000, 450, "'L-9', 2, 'PW'");
    const Strings rowsBefore = query("dd_demo", "SELECT component_code FROM pdtable_34_1");
    // The size of each table's block in a dump of the schema.
    gCRIS->RISUnload(win("sizes.dmp"), "dd_demo", std::nullopt, std::nullopt, "", 0, true, UnloadExtras::None);
    const std::string dump = testsupport::ReadHostFile(folder_.host("sizes.dmp"));
    ASSERT_GT(dump.size(), 70'000u);
    ASSERT_LT(dump.size(), 80'000u);
    size_t largest = 0;
    for (size_t at = dump.find("\ncreate table "); at != std::string::npos; at = dump.find("\ncreate table ", at + 1))
        largest = std::max(largest, dump.find("***RIS*** End of Table ***RIS***", at) - at);
    auto form = open();
    const std::string work = HostPath(gCRIS->GetTempDir());
    const uintmax_t limit = 3 * largest;
    SmallDisk temp(work, std::to_string(limit));
    if (!temp.Mounted())
        SetHostFileFault([work, limit](const std::string& op, const std::string& host) {
            const bool writes = op == "write" || op == "copy" || op == "create";
            return writes && host.rfind(work, 0) == 0 && BytesIn(work) >= limit ? ENOSPC : 0;
        });
    gTempDir = gCRIS->GetTempDir();
    changeComponentCode(*form);
    SetHostFileFault(nullptr);

    ASSERT_EQ(prompts().size(), 1u) << prompts().back() << "\n(room " << limit << " bytes)";
    CRIS cris;
    cris.SetUseRIS("");
    const Strings cols = cris.DBGetCols("dd_demo", "pdtable_34_1", true, true);
    EXPECT_NE(std::find(cols.begin(), cols.end(), "component_code char(30)"), cols.end());
    EXPECT_EQ(query("dd_demo", "SELECT component_code FROM pdtable_34_1"), rowsBefore);
    EXPECT_EQ(tempFiles(), 0u);
}

TEST_F(frmAlterDBColumnTest, ABackupThatCannotBeWrittenLeavesTheSchemaAndSaysSo)
{
    const auto before = SchemaState("dd_demo");
    auto form = open();
    // The backup folder's disk is full.
    SetHostFileFault([backup = folder_.host("backup")](const std::string& op, const std::string& host) {
        return (op == "write" || op == "create" || op == "copy") && host.rfind(backup, 0) == 0 ? ENOSPC : 0;
    });
    changeComponentCode(*form);
    SetHostFileFault(nullptr);

    ASSERT_EQ(prompts().size(), 2u);
    EXPECT_NE(prompts()[1].find("No whole backup dump could be made, so these schemas were left unchanged:\r\ndd_demo: "),
              std::string::npos)
        << prompts()[1];
    EXPECT_EQ(SchemaState("dd_demo"), before);
    EXPECT_TRUE(backups().empty());
}

// Another program that fills the temporary folder whenever the run gives back room it held
// there (its placeholder file of zero bytes): at the run's next file operation in the folder,
// once the room is gone, the folder is filled to its last page, or to `leave` bytes before it.
// Gives back the room it took when it goes.
class TempFolderFiller {
public:
    TempFolderFiller(const std::string& folder, uintmax_t limit, int fills, uintmax_t leave = 0)
        : folder_(folder), limit_(limit - leave), left_(fills)
    {
        SetHostFileFault([this](const std::string& op, const std::string& host) {
            if (host.rfind(folder_, 0) != 0)
                return 0;
            // The delete looks at its own file once more before it takes it away.
            if (!room_.empty() && host != room_) {
                room_.clear();
                fill();
            }
            if (op == "delete" && left_ > 0 && room_.empty() && isHeldRoom(host)) {
                --left_;
                room_ = host;
            }
            return 0;
        });
    }
    ~TempFolderFiller()
    {
        SetHostFileFault(nullptr);
        for (const std::string& f : files_)
            fs::remove(f);
    }
    size_t fills() const { return files_.size(); }

private:
    static bool isHeldRoom(const std::string& host)
    {
        std::error_code ec;
        if (fs::file_size(host, ec) < 32 * 1024 || ec)
            return false;
        std::ifstream in(host, std::ios::binary);
        std::string head(4096, 'x');
        in.read(head.data(), static_cast<std::streamsize>(head.size()));
        return std::all_of(head.begin(), head.end(), [](char c) { return c == '\0'; });
    }
    // Whole pages, as a small in-memory file system counts them.
    uintmax_t pagesHeld() const
    {
        uintmax_t n = 0;
        std::error_code ec;
        for (const auto& e : fs::recursive_directory_iterator(folder_, ec))
            n += e.is_regular_file(ec) ? (e.file_size(ec) + 4095) / 4096 * 4096 : 0;
        return n;
    }
    void fill()
    {
        const uintmax_t held = pagesHeld();
        files_.push_back(folder_ + "/other_program_" + std::to_string(files_.size()) + ".tmp");
        std::ofstream out(files_.back(), std::ios::binary);
        const std::string block(4096, 'x');
        for (uintmax_t n = held; n < limit_ && out; n += block.size())
            out.write(block.data(), static_cast<std::streamsize>(block.size()));
    }

    std::string folder_;
    uintmax_t limit_;
    int left_;
    std::string room_; // the room being deleted, until the next operation on another file
    std::vector<std::string> files_;
};

// Another program fills the temporary folder once the reload's room is given back, and the
// reload fails for want of room: the full folder is named as the cause, and the room held for
// the restore brings the tables back, also when the folder was left room for the load's copy of
// its dump (gone once the load failed) but none for the output. When the folder is filled again
// as the restore's room is given back, the restore fails too: the message names the full folder
// and the kept restore dump, which holds every row of the tables.
TEST_F(frmAlterDBColumnTest, ATempFolderFilledDuringTheRunIsNamedAndTheTablesComeBackOrStayInTheDump)
{
    // The changed tables take more than the little room a folder can have by chance.
    AddRows("dd_demo", "pdtable_34_1", 10000, 2000, "'GATE', 1.5");
    AddRows("dd_demo", "pdtable_34_2", 20000, 2000, "'GATE', 1.5");
    const auto before = SchemaState("dd_demo");
    auto rows = [](const char* table) {
        return std::stoll(UserDb("dd_demo")->QueryText(std::string("SELECT COUNT(*) FROM \"") + table + "\"").value());
    };
    // About the size of the reload's dump: room for its copy, rounded to whole pages.
    gCRIS->RISUnload(win("changed.dmp"), "dd_demo", Strings{"pdtable_34_1", "pdtable_34_2"}, std::nullopt, "", 0,
                     true, UnloadExtras::ViewsIndexesGrants);
    const uintmax_t copyRoom = (fs::file_size(folder_.host("changed.dmp")) + 1024 + 4095) / 4096 * 4096;
    ASSERT_GT(copyRoom, 64u * 1024);
    const std::string kept = win("backup") + "\\dd_demo_2024-03-15_143005_dropped_tables.dmp";
    for (const auto& [fills, leave] : std::vector<std::pair<int, uintmax_t>>{{1, 0}, {1, copyRoom}, {2, 0}}) {
        SCOPED_TRACE(std::to_string(fills) + " fills, " + std::to_string(leave) + " bytes left");
        const long long rows1 = rows("pdtable_34_1"), rows2 = rows("pdtable_34_2");
        auto form = open();
        const size_t asked = prompts().size();
        const std::string work = HostPath(gCRIS->GetTempDir());
        SmallDisk temp(work, "800k");
        gTempDir = gCRIS->GetTempDir();
        {
            TempFolderFiller other(work, 800 * 1024, fills, leave);
            changeComponentCode(*form);
            ASSERT_EQ(other.fills(), static_cast<size_t>(fills));
        }

        ASSERT_EQ(prompts().size(), asked + 2);
        const std::string message = prompts().back();
        const std::string full = "the temporary folder '" + gCRIS->GetTempDir() + "' is full (";
        EXPECT_EQ(tempFiles(), 0u);
        if (fills == 1) {
            EXPECT_TRUE(leave != 0 || message.find("exit code") == std::string::npos) << message;
            EXPECT_NE(message.find(full, message.find("load of the changed tables of schema dd_demo")),
                      std::string::npos) << message;
            EXPECT_NE(message.find("Dropped and restored as they were from '"), std::string::npos) << message;
            EXPECT_EQ(SchemaState("dd_demo"), before);
            fs::remove_all(folder_.host("backup"));
            fs::create_directories(folder_.host("backup"));
            continue;
        }
        const size_t restore = message.find("the load of the dropped tables from the backup");
        ASSERT_NE(restore, std::string::npos) << message;
        EXPECT_NE(message.find(full, restore), std::string::npos) << message;
        EXPECT_NE(message.find("their rows are kept in '" + kept + "' (only these tables)"), std::string::npos)
            << message;
        const SchemaDumpSummary dump = SchemaDumpSummary::Read(kept);
        EXPECT_EQ(dump.Rows("pdtable_34_1"), rows1);
        EXPECT_EQ(dump.Rows("pdtable_34_2"), rows2);
        auto after = SchemaState("dd_demo");
        for (const char* table : {"pdtable_34_1", "pdtable_34_2"}) {
            EXPECT_EQ(after.count(table), 0u) << table;
            after[table] = before.at(table);
        }
        EXPECT_EQ(after, before);
    }
}

// A database that drops a table's views with the table: the view on a changed table is gone once
// its table is dropped. The run creates it again from the backup dump's own line, after the
// reload or after the restore, and says so when it cannot.
TEST_F(frmAlterDBColumnTest, AViewDroppedWithItsTableIsCreatedAgainFromTheBackup)
{
    const struct {
        const char* name;
        const char* client; // "" for the real clients
        ClientRule rule;
        const char* message; // "" when the run ends without a box
        bool viewBack;
        bool tablesChanged;
    } cases[] = {
        {"reload", "", ClientRule::PassThrough(), "", true, true},
        {"restore", "rislod", ClientRule::DieBefore(1, "rislod: out of memory\r\n").Times(1),
         "View v_gate, lost with its table, was created again from '%BACKUP%'.", true, false},
        {"refused", "risbatch", ClientRule::RefuseStatement("create view v_gate"),
         "but not every view of the schema is back:\r\nView v_gate was lost with its table. The creation of view "
         "v_gate in schema dd_demo was not done: RIS Error: RIS_E_NO_PRIVILEGE",
         false, true},
    };
    const std::string backup = win("backup") + "\\dd_demo_2024-03-15_143005.dmp";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        gCRIS->RISLoad(win("start.dmp"), std::nullopt, 0, "dd_demo", "", 25);
        ExecAtEnd dropView{"dd_demo", "DROP VIEW IF EXISTS v_gate"};
        DdlDatabase::Program().Write("dd_demo", "create view v_gate as select system_unique_no, component_code from "
                                                "pdtable_34_1 where component_code = 'GATE';");
        const auto before = SchemaState("dd_demo");
        ASSERT_EQ(before.count("view v_gate"), 1u);
        bool viewDropped = false;
        SetHostFileFault([&](const std::string&, const std::string&) {
            if (!viewDropped && UserDb("dd_demo")
                                    ->QueryRows("SELECT name FROM sqlite_master WHERE name = 'pdtable_34_1'")
                                    .empty()) {
                UserDb("dd_demo")->Exec("DROP VIEW v_gate");
                viewDropped = true;
            }
            return 0;
        });
        testsupport::WrapperClients clients;
        if (*c.client)
            clients.Set(c.client, c.rule);
        gCRIS->SetUseRIS(clients.WinFolder());
        auto form = open();
        const size_t asked = prompts().size();
        changeComponentCode(*form);
        SetHostFileFault(nullptr);
        gCRIS->SetUseRIS(risPath_);

        EXPECT_TRUE(viewDropped);
        if (*c.message) {
            ASSERT_EQ(prompts().size(), asked + 2);
            EXPECT_NE(prompts().back().find(ReplaceAll(c.message, "%BACKUP%", backup)), std::string::npos)
                << prompts().back();
            if (!c.viewBack) {
                EXPECT_NE(prompts().back().find("Its create view line is in '" + backup + "'."), std::string::npos);
            }
        } else {
            EXPECT_EQ(prompts().size(), asked + 1) << prompts().back();
            EXPECT_NE(folder_.log().find("View v_gate, lost with its table, was created again from '" + backup + "'."),
                      std::string::npos);
        }
        auto after = SchemaState("dd_demo");
        EXPECT_EQ(after.count("view v_gate"), c.viewBack ? 1u : 0u);
        if (c.viewBack && after.count("view v_gate")) {
            EXPECT_EQ(after.at("view v_gate"), before.at("view v_gate"));
        }
        after["view v_gate"] = before.at("view v_gate");
        for (const char* table : {"pdtable_34_1", "pdtable_34_2"}) {
            EXPECT_EQ(after.at(table).find("component_code char(30)") != std::string::npos, c.tablesChanged);
            after[table] = before.at(table);
        }
        EXPECT_EQ(after, before);
        fs::remove_all(folder_.host("backup"));
        fs::create_directories(folder_.host("backup"));
    }
}
