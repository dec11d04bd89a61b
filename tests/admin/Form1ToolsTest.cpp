// The main window's script controls and its list, free-space, restore and maintenance buttons on
// the sample environment: each button reaches its window or run, with the messages it owes.
#include "Form1Fixture.h"

#include "admin/AdminGlobals.h"
#include "designfiles/FileNameCheckWindow.h"
#include "ui/qt/ListForm.h"
#include "platform/BinaryFile.h"
#include "services/AppGlobals.h"

#include <QApplication>
#include <QFocusEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>

namespace {

const std::string kReady = " Tarnwick is ready  -  See Logfile ";

using Form1ToolsTest = Form1Fixture;

TEST_F(Form1ToolsTest, ListButtonsShowTheListWindowWithTheEnvironmentsNames)
{
    auto form = startedForm();
    for (const auto& [button, caption, entry] : {std::tuple{"Zeigschemen", "Existing Schemas", "pd_demo"},
                                                 std::tuple{"ShowDBuser", "Existing DB-Users", "PD_DEMO"}}) {
        form->findChild<QPushButton*>(button)->click();
        ListForm* list = CurrentListForm();
        ASSERT_NE(list, nullptr) << button;
        EXPECT_EQ(list->windowTitle().toStdString(), caption);
        bool found = false;
        for (int r = 0; r < list->rowCount(); ++r)
            found = found || list->cellText(r, 0).toStdString() == entry;
        EXPECT_TRUE(found) << entry;
        delete list;
    }
    EXPECT_TRUE(messages.asked().empty()) << messages.asked()[0].prompt;
}

// Each tool button opens its window without a message; the tool windows that exist once only come
// to the front on a second click.
TEST_F(Form1ToolsTest, ToolButtonsOpenTheirWindows)
{
    struct Case {
        const char* button;
        const char* window;
        bool once;
    };
    auto form = startedForm();
    for (const Case& c : {Case{"show_free_ts", "freets", false}, Case{"Restore_pipfile", "PipeFileRestoreForm", false},
                          Case{"btnProjcopy", "frmProjCopy", true}, Case{"cmdFileSpecCheck", "frmFileSpecCheck", true},
                          Case{"cmdReadLinkages", "frmReadLinkages", true}}) {
        for (int click = 0; click < (c.once ? 2 : 1); ++click)
            form->findChild<QPushButton*>(c.button)->click();
        std::vector<QWidget*> windows;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == c.window && w->isVisible())
                windows.push_back(w);
        ASSERT_EQ(windows.size(), 1u) << c.button;
        QWidget* opened = windows[0];
        EXPECT_FALSE(opened->isModal()) << c.button;
        if (c.window == std::string("PipeFileRestoreForm")) {
            EXPECT_GE(opened->findChild<QListWidget*>("PipeFileListe")->count(), 1);
        }
        if (c.window == std::string("frmFileSpecCheck")) {
            EXPECT_EQ(frmFileSpecCheck::Instance()->projectName(), "demo");
        }
        delete opened;
    }
    EXPECT_TRUE(messages.asked().empty()) << messages.asked()[0].prompt;
}

TEST_F(Form1ToolsTest, MaintenanceButtonsRunOverTheSchemaListAndSayTheyAreReady)
{
    auto form = startedForm();
    DbServer(StandInRoot()).DropGrants("PD_DEMO", "pdtable_113");
    form->btnRISClean->click();
    form->btnGrantAll->click();
    ASSERT_EQ(messages.asked().size(), 2u);
    EXPECT_EQ(messages.asked()[0].prompt, kReady);
    EXPECT_EQ(messages.asked()[1].prompt, kReady);
    const std::string log = BinaryFile::ReadAll(gLogFile);
    EXPECT_NE(log.find("Cleaning RIS dictionary tables for schema: 'pd_demo' ..."), std::string::npos);
    // The grant run gave the table back to public.
    const auto grantees = DbServer(StandInRoot()).GrantsOn("PD_DEMO", "pdtable_113");
    EXPECT_NE(std::find(grantees.begin(), grantees.end(), "PUBLIC"), grantees.end()) << log;
}

TEST_F(Form1ToolsTest, ScriptFileAndUserVariablesGoToTheSettings)
{
    auto form = startedForm();
    const std::string chosen = dumpDir + "\\nightly.scr";
    dialogs.Answer(chosen);
    form->Command1->click();
    EXPECT_EQ(form->scriptfile->text().toStdString(), chosen);
    EXPECT_EQ(gScriptFile, chosen);
    EXPECT_EQ(ReadIniValue(gIniFile, "TARNWICK", "scriptfile", ""), chosen);

    form->UserVar[2]->setText("C:\\pdsdump");
    QFocusEvent out(QEvent::FocusOut);
    QApplication::sendEvent(form->UserVar[2], &out);
    EXPECT_EQ(ReadIniValue(gIniFile, "TARNWICK", "uservar3", ""), "C:\\pdsdump");
}

} // namespace
