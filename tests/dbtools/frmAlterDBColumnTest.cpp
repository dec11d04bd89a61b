// The column length change on the sample environment: the run through unload, dump edit, drop
// and reload, the kept backup, the status bar, and the checks of the input.
#include "dbtools/frmAlterDBColumn.h"

#include "DbToolsSampleEnvironment.h"
#include "services/MessageService.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStatusBar>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

using Strings = std::vector<std::string>;

class frmAlterDBColumnTest : public DbToolsSampleEnvironment {
protected:
    void SetUp() override
    {
        DbToolsSampleEnvironment::SetUp();
        fs::create_directories(dir_.host() + "/backup");
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
    Strings backups() const
    {
        Strings names;
        for (const auto& e : fs::directory_iterator(dir_.host() + "/backup"))
            names.push_back(e.path().filename().string());
        return names;
    }
    static size_t tempFiles()
    {
        size_t n = 0;
        for (const auto& e : fs::directory_iterator(HostPath(gTempDir)))
            n += e.is_regular_file() ? 1 : 0;
        return n;
    }
};

TEST_F(frmAlterDBColumnTest, NewLengthReachesTheCatalogueRowsStayAndTheBackupIsKept)
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
    const Strings dumps = backups();
    ASSERT_EQ(dumps.size(), 1u);
    EXPECT_EQ(dumps[0].rfind("dd_demo_", 0), 0u);
    EXPECT_EQ(dumps[0].size(), std::string("dd_demo_2024-03-15_143005.dmp").size());
    EXPECT_EQ(tempFiles(), temps);
    EXPECT_EQ(form->StatusBar1->currentMessage(), "Ready.");
    EXPECT_TRUE(form->cmdProcess->isEnabled());

    // A second run finds nothing to change, and still keeps its backup.
    boxes_.Answer(MsgAnswer::Yes);
    form->cmdProcess_Click();
    EXPECT_EQ(prompts().size(), 2u) << prompts().back();
    EXPECT_EQ(backups().size() >= 1u, true);
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
                      InputCase{"WordLength", "code", "abc", "ok", true, "Please give a correct column length."},
                      InputCase{"NegativeLength", "code", "-5", "ok", true, "Please give a correct column length."},
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
