// The DDL check window offscreen: its first state, a check run with scripted answers mirrored
// into the tree widget, and a check box clicked in the widget.
#include "dbtools/frmCheckDatabaseDDL.h"

#include "DdlTestDatabase.h"
#include "admin/AdminTestSupport.h"
#include "admin/Form1.h"
#include "platform/Clock.h"
#include "platform/Environment.h"
#include "platform/WinPath.h"
#include "services/AppGlobals.h"
#include "services/ScriptedMessageService.h"
#include "support/TestEnvironment.h"
#include "support/TestFiles.h"

#include <QApplication>
#include <QComboBox>
#include <QPointer>
#include <QPushButton>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace {

class frmCheckDatabaseDDLTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        testsupport::WriteHostFile(folder_.host("design.ddl"),
                                   "table number = 12, number of columns = 2\n1, id, int\n2, remarks, char(40)\n");
        testsupport::WriteHostFile(folder_.host("eqp.ddl"), "table number = 21, number of columns = 1\n1, id, int\n");
        db.directory = folder_.win("");
        db.tables = {"pdtable_12_1", "pdtable_12_4"};
        db.columns["pdtable_12_1"] = {"id int"};
        db.rowCounts["pdtable_12_4"] = 2;
        db.models = {{1, "P1", 1}};
    }

    // Shows the window and runs a check, the report declined.
    void showAndCheck()
    {
        messages.Answer(MsgAnswer::No);
        window.show();
        window.cmdCheck->click();
        ASSERT_GT(window.tvwTreeView->topLevelItemCount(), 0);
    }
    QTreeWidgetItem* item(const QString& text) const
    {
        const auto found = window.tvwTreeView->findItems(text, Qt::MatchStartsWith | Qt::MatchRecursive);
        return found.isEmpty() ? nullptr : found.front();
    }

    admintest::AdminFolder folder_{"ddlwindow"};
    ScriptedMessageService messages;
    DdlTestDatabase db;
    std::string project = "p1";
    frmCheckDatabaseDDL window{[this] { return project; }, &db};
};

TEST_F(frmCheckDatabaseDDLTest, CheckRunFillsTheTreeAndACheckBoxSpreads)
{
    showAndCheck();
    EXPECT_EQ(window.statusText(), "Ready");
    EXPECT_EQ(window.tvwTreeView->topLevelItemCount(), 3);   // missing column, orphan, models without tables
    QTreeWidgetItem* orphan = item("pdtable_12_4 - 2 row(s)");
    ASSERT_NE(orphan, nullptr);
    ASSERT_NE(item("remarks char(40)"), nullptr);
    EXPECT_TRUE(window.cmdCheck->isEnabled());

    orphan->setCheckState(0, Qt::Checked);
    EXPECT_TRUE(window.tree().Find("NoModels")->checked);
    EXPECT_EQ(orphan->parent()->checkState(0), Qt::Checked);
    messages.Answer(MsgAnswer::Yes);
    window.cmdDropTable->click();
    EXPECT_EQ(db.written, (std::vector<std::string>{"DROP TABLE pdtable_12_4;"}));
    // The drop, then the look at what stands and at the views it left.
    EXPECT_EQ(std::vector<std::string>(db.calls.end() - 3, db.calls.end()),
              (std::vector<std::string>{"Write dd_p1", "Tables dd_p1", "ViewWarnings dd_p1"}));
    EXPECT_EQ(window.statusText(), "Ready");
}

TEST_F(frmCheckDatabaseDDLTest, ARepairAfterAProjectChangeTouchesNeitherProject)
{
    showAndCheck();
    item("pdtable_12_4 - 2 row(s)")->setCheckState(0, Qt::Checked);
    item("P1 - ")->setCheckState(0, Qt::Checked);

    // The main window now shows another project; the buttons were still enabled.
    project = "p2";
    const size_t calls = db.calls.size();
    for (QPushButton* b : {window.cmdDropTable, window.cmdAddColumns, window.cmdDeleteModel})
        b->click();
    EXPECT_EQ(db.calls.size(), calls);
    EXPECT_TRUE(db.written.empty());
    EXPECT_EQ(messages.asked().size(), 1u);   // no "Are you sure?"
    EXPECT_EQ(window.tvwTreeView->topLevelItemCount(), 0);
    EXPECT_EQ(window.tree().Count(), 0u);
    EXPECT_EQ(window.statusText(), "To start please click check button");
    EXPECT_TRUE(window.cmdCheck->isEnabled());
    for (QPushButton* b : {window.cmdDropTable, window.cmdAddColumns, window.cmdDeleteModel})
        EXPECT_FALSE(b->isEnabled()) << b->objectName().toStdString();

    // The next check is of the new project, and the repairs act on it.
    messages.Answer(MsgAnswer::No);
    window.cmdCheck->click();
    EXPECT_EQ(db.calls[calls], "ProjectDirectory p2");
    EXPECT_TRUE(window.cmdDropTable->isEnabled());
    item("pdtable_12_4 - 2 row(s)")->setCheckState(0, Qt::Checked);
    messages.Answer(MsgAnswer::Yes);
    window.cmdDropTable->click();
    EXPECT_EQ(db.calls.end()[-3], "Write dd_p2");
}

TEST_F(frmCheckDatabaseDDLTest, AProjectChangeWhileTheWindowIsOpenClearsTheTreeAtOnce)
{
    showAndCheck();
    window.ProjectFieldChanged();   // the same project: nothing happens
    EXPECT_GT(window.tvwTreeView->topLevelItemCount(), 0);
    project = "p2";
    window.ProjectFieldChanged();
    EXPECT_EQ(window.tvwTreeView->topLevelItemCount(), 0);
    EXPECT_FALSE(window.cmdAddColumns->isEnabled());
}

TEST_F(frmCheckDatabaseDDLTest, ClosingDuringACheckClosesTheWindowOnlyAfterTheRun)
{
    messages.Answer(MsgAnswer::No);
    QPointer<frmCheckDatabaseDDL> closing = new frmCheckDatabaseDDL([] { return std::string("p1"); }, &db);
    closing->setAttribute(Qt::WA_DeleteOnClose);
    closing->show();
    bool clicked = false;
    // The user presses Close while the check hands events to the interface.
    SetEventPump([&] {
        if (!clicked && closing) {
            clicked = true;
            closing->cmdClose->click();
        }
        // An event loop would delete a window closed for good right here.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    });
    closing->cmdCheck->click();
    SetEventPump(nullptr);
    ASSERT_TRUE(clicked);
    ASSERT_FALSE(closing.isNull());   // the run finished on a live window
    EXPECT_EQ(closing->statusText(), "Ready");
    EXPECT_FALSE(closing->isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(closing.isNull());
}

TEST(frmCheckDatabaseDDLMainWindowTest, MainWindowButtonOpensOneModelessWindowOnceTempIsUsable)
{
    ScriptedMessageService messages;
    Form1 main;
    const std::string temp = GetEnvVar("TEMP");
    SetEnvVar("TEMP", "C:\\my~temp");
    main.cmdCheckDatabaseDDL->click();
    SetEnvVar("TEMP", temp);
    ASSERT_EQ(messages.asked().size(), 1u);
    auto windows = [] {
        std::vector<QWidget*> found;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == "frmCheckDatabaseDDL" && w->isVisible())
                found.push_back(w);
        return found;
    };
    EXPECT_TRUE(windows().empty());

    main.cmdCheckDatabaseDDL->click();
    main.cmdCheckDatabaseDDL->click();
    ASSERT_EQ(windows().size(), 1u);
    EXPECT_FALSE(windows()[0]->isModal());
    windows()[0]->close();
}

} // namespace
