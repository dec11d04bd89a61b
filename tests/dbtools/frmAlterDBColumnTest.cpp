// The column length change on the sample environment: the run through unload, dump edit, drop
// and reload, the kept backup, the restore after failing RIS clients, the status bar, and the
// checks of the input.
#include "dbtools/frmAlterDBColumn.h"

#include "DbToolsSampleEnvironment.h"
#include "dbtools/DdlDatabase.h"
#include "platform/Clock.h"
#include "platform/TextUtil.h"
#include "services/MessageService.h"
#include "standins/dbserver/SchemaTables.h"
#include "support/TestFiles.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStatusBar>
#include <algorithm>
#include <filesystem>
#include <map>

namespace fs = std::filesystem;

namespace {

using Strings = std::vector<std::string>;

// Date and time as the test sets them; waits take their real time.
class SetTimeClock : public Clock {
public:
    explicit SetTimeClock(Clock& real) : now{2024, 3, 15, 14, 30, 5}, real_(real) {}
    uint64_t TickMs() override { return real_.TickMs(); }
    LocalTime Now() override { return now; }
    void SleepMs(int ms) override { real_.SleepMs(ms); }
    LocalTime now;

private:
    Clock& real_;
};

// Every table of the schema with its column types, rows and indexes, read from the stand-in
// server's own files, not through the program.
std::map<std::string, std::string> SchemaState(const std::string& schema)
{
    DbServer server(DbServer::EnvironmentRoot());
    auto db = server.OpenUserDatabase(server.FindSchema(schema)->dbUser);
    SchemaTables tables(*db);
    std::map<std::string, std::string> state;
    for (const std::string& t : tables.Tables()) {
        std::string& text = state[t];
        for (const RisColumn& c : tables.Columns(t))
            text += c.name + " " + c.type + ", ";
        text += "rows:";
        for (const auto& row : db->QueryRows("SELECT * FROM \"" + t + "\" ORDER BY 1")) {
            for (const auto& v : row)
                text += " " + v.value_or("NULL");
            text += ";";
        }
        text += " indexes:";
        for (const RisIndex& i : tables.Indexes(t))
            text += " " + i.name + "(" + Join(i.columns, ",") + ")";
    }
    return state;
}

class frmAlterDBColumnTest : public DbToolsSampleEnvironment {
protected:
    void SetUp() override
    {
        DbToolsSampleEnvironment::SetUp();
        fs::create_directories(folder_.host("backup"));
        savedClock_ = &GetClock();
        SetClock(&clock_);
        risPath_ = gCRIS->GetRISPath();
        // The design schema as the test found it, put back when it ends.
        gCRIS->RISUnload(win("start.dmp"), "dd_demo", std::nullopt, std::nullopt, "", 0, true, true);
    }
    void TearDown() override
    {
        gCRIS->SetUseRIS(risPath_);
        gCRIS->RISLoad(win("start.dmp"), std::nullopt, 0, "dd_demo", "", 25);
        SetClock(savedClock_);
        DbToolsSampleEnvironment::TearDown();
    }
    std::unique_ptr<frmAlterDBColumn> open()
    {
        auto form = std::make_unique<frmAlterDBColumn>("demo");
        form->Form_Load();
        form->Timer1_Timer();
        return form;
    }
    static void select(frmAlterDBColumn& form, const char* schema)
    {
        const auto items = form.lstSchema->findItems(schema, Qt::MatchExactly);
        ASSERT_EQ(items.size(), 1) << schema;
        items[0]->setSelected(true);
    }
    // A run over dd_demo that gives component_code the length 30, answered Yes.
    void changeComponentCode(frmAlterDBColumn& form)
    {
        select(form, "dd_demo");
        form.txtColumn->setText("component_code");
        form.txtLength->setText("30");
        form.txtBackup->setText(QString::fromStdString(win("backup")));
        boxes_.Answer(MsgAnswer::Yes);
        form.cmdProcess_Click();
    }
    Strings backups() const
    {
        Strings names;
        for (const auto& e : fs::directory_iterator(folder_.host("backup")))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    static size_t tempFiles()
    {
        size_t n = 0;
        for (const auto& e : fs::directory_iterator(HostPath(gTempDir)))
            n += e.is_regular_file() ? 1 : 0;
        return n;
    }
    // Puts RIS clients in place that pass every run on to the real ones, but for the one the
    // test gives its own script (run by sh; $REAL is the real clients' folder).
    void injectClient(const std::string& client, const std::string& script)
    {
        const std::string bin = folder_.host("BIN");
        fs::create_directories(bin);
        const std::string real = HostPath(risPath_);
        for (const char* name : {"risbatch", "risunlod", "rislod", "risclnsr"}) {
            const std::string body = name == client ? script : "exec \"$REAL/" + std::string(name) + ".exe\" \"$@\"\n";
            const fs::path file = fs::path(bin) / (std::string(name) + ".exe");
            testsupport::WriteHostFile(file.string(), "#!/bin/sh\nREAL='" + real + "'\nHERE='" + bin + "'\n" + body);
            fs::permissions(file, fs::perms::owner_all);
        }
        gCRIS->SetUseRIS(WinPathFromHost(bin));
    }

    SetTimeClock clock_{GetClock()};
    Clock* savedClock_ = nullptr;
    std::string risPath_;
};

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

struct FailingClientCase {
    const char* name;
    const char* client;
    const char* script;
    const char* cause;     // a part of the message that names the failure
    const char* restored;  // the tables the message lists as restored
};

// The sample design schema's tables in dump order.
const char* kAllTables = "pdtable_12_1, pdtable_34_1, pdtable_50_1, pdtable_67_1, pdtable_80_1, pdtable_12_2, "
                         "pdtable_34_2, pdtable_50_2, pdtable_67_2, pdtable_80_2, pdtable_21_3, pdtable_22_3";

// Shell helpers of the scripts: arg OPTION ARGS... gives the path that follows the option, as
// a host path; leave_out TABLE FILE takes the table's block and its index and grant lines out of
// a dump.
const char* kHelpers = R"SH(arg() { o="$1"; shift; while [ $# -gt 1 ]; do
  if [ "$1" = "$o" ]; then printf '%s' "$2" | tr '\\' '/'; return; fi; shift; done; }
leave_out() { awk -v t="$1" '{ l = $0; sub(/\r$/, "", l) }
    index(l, "create table " t " ") == 1 { skip = 1 }
    skip { if (l ~ /End of Table/) skip = 0; next }
    index(l, " on " t " ") { next }
    { print }' "$2" > "$2.cut" && mv "$2.cut" "$2"; }
)SH";

const FailingClientCase kFailingClients[] = {
    // The load stops after the first table of the edited dump: no index, no later table.
    {"LoadStopsAfterTheFirstTable", "rislod",
     R"SH(if [ ! -f "$HERE/failed" ]; then
  : > "$HERE/failed"; f=$(arg -i "$@")
  awk '{ print } /End of Table/ { print "***RIS*** End of Schema ***RIS***\r"; exit }' "$f" > "$f.cut"
  mv "$f.cut" "$f"; "$REAL/rislod.exe" "$@"; exit 1
fi
exec "$REAL/rislod.exe" "$@"
)SH",
     "pdtable_12_1 lacks index updtable_12_1, pdtable_34_1 missing", kAllTables},
    // The load leaves a changed table out and ends as if all went well.
    {"LoadEndsWellWithoutATable", "rislod",
     R"SH(if [ ! -f "$HERE/failed" ]; then
  : > "$HERE/failed"; leave_out pdtable_34_2 "$(arg -i "$@")"
fi
exec "$REAL/rislod.exe" "$@"
)SH",
     "differs from its backup dump after the reload: pdtable_34_2 missing", kAllTables},
    // The second drop is refused: the first table is gone, the second one stays.
    {"SecondDropRefused", "risbatch",
     R"SH(if grep -qi "drop table pdtable_34_2" "$(arg -i "$@")"; then
  out=$(arg -o "$@")
  printf '%079d\r\n' 0 | tr 0 '*' > "$out"
  printf '%-78s*\r\n' "* RIS Error: RIS_E_NO_PRIVILEGE" "* No privilege to drop table pdtable_34_2." >> "$out"
  printf '%079d\r\n' 0 | tr 0 '*' >> "$out"
  exit 1
fi
exec "$REAL/risbatch.exe" "$@"
)SH",
     "RIS_E_NO_PRIVILEGE", "pdtable_34_1, pdtable_34_2"},
};

void PrintTo(const FailingClientCase& c, std::ostream* os) { *os << c.name; }

class frmAlterDBColumnFailingClientTest : public frmAlterDBColumnTest,
                                          public ::testing::WithParamInterface<FailingClientCase> {};

TEST_P(frmAlterDBColumnFailingClientTest, EveryDroppedTableComesBackAndTheMessageSaysSo)
{
    const FailingClientCase& c = GetParam();
    const auto before = SchemaState("dd_demo");
    ASSERT_EQ(before.size(), 12u);
    injectClient(c.client, std::string(kHelpers) + c.script);
    auto form = open();
    const size_t temps = tempFiles();
    changeComponentCode(*form);

    ASSERT_EQ(prompts().size(), 2u);
    const std::string message = prompts()[1];
    EXPECT_NE(message.find(c.cause), std::string::npos) << message;
    EXPECT_NE(message.find("tables restored from '" + win("backup") + "\\dd_demo_2024-03-15_143005.dmp': " +
                           c.restored),
              std::string::npos)
        << message;
    EXPECT_EQ(message.find("not restored"), std::string::npos) << message;
    EXPECT_EQ(SchemaState("dd_demo"), before);
    EXPECT_EQ(tempFiles(), temps);
    EXPECT_EQ(form->StatusBar1->currentMessage(), "Ready.");
}

INSTANTIATE_TEST_SUITE_P(Clients, frmAlterDBColumnFailingClientTest, ::testing::ValuesIn(kFailingClients),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(frmAlterDBColumnTest, ATableTheRestoreCannotBringBackIsNamed)
{
    // Every load, the restore's too, leaves the table out.
    injectClient("rislod", std::string(kHelpers) + "leave_out pdtable_34_2 \"$(arg -i \"$@\")\"\n"
                                                   "exec \"$REAL/rislod.exe\" \"$@\"\n");
    auto form = open();
    changeComponentCode(*form);
    ASSERT_EQ(prompts().size(), 2u);
    const std::string message = prompts()[1];
    EXPECT_NE(message.find("': pdtable_12_1, pdtable_34_1, pdtable_50_1, pdtable_67_1, pdtable_80_1, pdtable_12_2, "
                           "pdtable_50_2, pdtable_67_2, pdtable_80_2, pdtable_21_3, pdtable_22_3; "
                           "tables not restored: pdtable_34_2"),
              std::string::npos)
        << message;
    EXPECT_EQ(SchemaState("dd_demo").count("pdtable_34_2"), 0u);
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
    EXPECT_EQ(query("dd_demo", "SELECT line_number_label FROM pdtable_12_1"), before);
    CRIS cris;
    cris.SetUseRIS("");
    const Strings cols = cris.DBGetCols("dd_demo", "pdtable_12_1", true, true);
    EXPECT_NE(std::find(cols.begin(), cols.end(), "line_number_label char(24)"), cols.end());
}

struct InputCase {
    const char* name;
    std::string column;
    std::string length;
    std::string backup; // "ok" for the test's backup folder
    bool selectSchema;
    std::string message;
};

class frmAlterDBColumnInputTest : public frmAlterDBColumnTest, public ::testing::WithParamInterface<InputCase> {};

TEST_P(frmAlterDBColumnInputTest, RefusesWithItsMessageAndChangesNothing)
{
    const InputCase& c = GetParam();
    auto form = open();
    if (c.selectSchema)
        select(*form, "pd_demo");
    form->txtColumn->setText(QString::fromStdString(c.column));
    form->txtLength->setText(QString::fromStdString(c.length));
    form->txtBackup->setText(QString::fromStdString(c.backup == "ok" ? win("backup") : c.backup));
    form->cmdProcess_Click();
    EXPECT_EQ(prompts(), Strings{c.message});
    EXPECT_TRUE(backups().empty());
    EXPECT_EQ(form->StatusBar1->currentMessage(), "Ready.");
}

INSTANTIATE_TEST_SUITE_P(
    Checks, frmAlterDBColumnInputTest,
    ::testing::Values(InputCase{"NoColumn", "   ", "30", "ok", true, "Please define string for searching column name"},
                      InputCase{"ZeroLength", "code", "0", "ok", true, "Please give a correct column length."},
                      InputCase{"NoBackup", "code", "30", "", true, "Please choose a backup directory for dump files"},
                      InputCase{"MissingBackup", "code", "30", "X:\\nowhere", true,
                                "Backup directory 'X:\\nowhere' does not exist."},
                      InputCase{"NoSchema", "code", "30", "ok", false, "No schema selected."}),
    [](const auto& info) { return std::string(info.param.name); });

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

} // namespace
