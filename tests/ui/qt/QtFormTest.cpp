// Qt windows registered as loaded windows: the interface locks, the form lock and the status
// line on real widgets (offscreen).
#include "ui/qt/QtForm.h"

#include "platform/Clock.h"
#include "ui/qt/QtServices.h"
#include "services/AppGlobals.h"
#include "services/ControlsLock.h"
#include "services/FormLock.h"
#include "services/FormRegistry.h"
#include "services/Messages.h"
#include "services/ScriptedMessageService.h"
#include "support/TestEnvironment.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QVBoxLayout>
#include <gtest/gtest.h>
#include <memory>

namespace {

QPushButton* button(QWidget* parent, const char* name, const char* caption)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    parent->layout()->addWidget(b);
    return b;
}

// Two loaded windows as the main window and a tool window would have them.
class QtFormTest : public ::testing::Test {
protected:
    std::unique_ptr<QWidget> main = std::make_unique<QWidget>();
    std::unique_ptr<QWidget> tool = std::make_unique<QWidget>();
    QPushButton *cmdUnload, *cmdExit, *cmdLoad, *cmdCheck, *cmdClose, *cmdFramed;
    QLineEdit* txtProject;
    QGroupBox* fraOptions;

    void SetUp() override
    {
        InstallQtServices();
        main->setObjectName("Form1");
        main->setLayout(new QVBoxLayout);
        cmdUnload = button(main.get(), "cmdUnload", "&Unload");
        cmdLoad = button(main.get(), "cmdLoad", "Load");
        cmdExit = button(main.get(), "cmdEnde", "Exit");
        txtProject = new QLineEdit(main.get());
        txtProject->setObjectName("txtProject");
        main->layout()->addWidget(txtProject);

        tool->setObjectName("frmUpgradeCheck");
        tool->setLayout(new QVBoxLayout);
        fraOptions = new QGroupBox("Options", tool.get());
        fraOptions->setObjectName("fraOptions");
        fraOptions->setLayout(new QVBoxLayout);
        tool->layout()->addWidget(fraOptions);
        cmdCheck = button(fraOptions, "cmdCheck", "Check");
        cmdClose = button(fraOptions, "cmdClose", "Close");
        cmdFramed = button(fraOptions, "cmdRestore", "Restore");

        QtForm::Attach(main.get());
        QtForm::Attach(tool.get());
        main->show();
        tool->show();
    }
};

TEST_F(QtFormTest, InterfaceLockLeavesExitAndCloseButtons)
{
    cmdLoad->setEnabled(false);
    LockControls();
    EXPECT_FALSE(cmdUnload->isEnabled());
    EXPECT_FALSE(cmdLoad->isEnabled());
    EXPECT_FALSE(cmdCheck->isEnabled());
    EXPECT_FALSE(cmdFramed->isEnabled());
    EXPECT_TRUE(cmdExit->isEnabled());
    EXPECT_TRUE(cmdClose->isEnabled());
    EXPECT_TRUE(txtProject->isEnabled());
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);

    UnlockControls();
    for (QPushButton* b : {cmdUnload, cmdLoad, cmdCheck, cmdFramed, cmdExit, cmdClose})
        EXPECT_TRUE(b->isEnabled()) << b->objectName().toStdString();
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(QtFormTest, FormLockRestoresWhatItDisabledAndSparesContainers)
{
    cmdLoad->setEnabled(false);
    const std::string key = LockForms();
    EXPECT_FALSE(cmdUnload->isEnabled());
    EXPECT_FALSE(txtProject->isEnabled());
    EXPECT_FALSE(cmdCheck->isEnabled());
    EXPECT_TRUE(fraOptions->isEnabled()); // a frame is passive, so its Close button stays usable
    EXPECT_TRUE(cmdClose->isEnabled());
    EXPECT_FALSE(cmdExit->isEnabled()); // the form lock goes by name: cmdEnde is not exempt
    UnlockForms(key);
    EXPECT_TRUE(cmdUnload->isEnabled());
    EXPECT_TRUE(txtProject->isEnabled());
    EXPECT_TRUE(cmdCheck->isEnabled());
    EXPECT_FALSE(cmdLoad->isEnabled());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(QtFormTest, DestroyedWindowIsNoLongerLoaded)
{
    EXPECT_TRUE(IsFormLoaded("frmupgradecheck"));
    tool.reset();
    EXPECT_FALSE(IsFormLoaded("frmUpgradeCheck"));
    LockControls(); // must not reach the destroyed window
    UnlockControls();
}

TEST_F(QtFormTest, StatusLineReachesPanelAndSimpleStatusBars)
{
    testsupport::ScopedDir dir("qtstatus");
    const std::string savedLog = gLogFile;
    gLogFile = dir.host() + "/tarnwick.log";
    ScriptedMessageService boxes;

    auto* bar = new QStatusBar(tool.get());
    bar->setObjectName("StatusBar1");
    auto* panel = new QLabel(bar);
    bar->addWidget(panel);
    tool->layout()->addWidget(bar);

    QWidget alter;
    alter.setObjectName("frmAlterDBColumn");
    alter.setLayout(new QVBoxLayout);
    auto* simple = new QStatusBar(&alter);
    simple->setObjectName("StatusBar1");
    alter.layout()->addWidget(simple);
    QtForm::Attach(&alter);

    ShowStatus("Checking\r\nmodels");
    gLogFile = savedLog;
    EXPECT_EQ(panel->text().toStdString(), "Checking models");
    EXPECT_EQ(simple->currentMessage().toStdString(), "Checking models");
    EXPECT_TRUE(boxes.asked().empty());
}

TEST_F(QtFormTest, EventPumpRunsPendingEvents)
{
    bool ran = false;
    QMetaObject::invokeMethod(main.get(), [&] { ran = true; }, Qt::QueuedConnection);
    DoEvents();
    EXPECT_TRUE(ran);
}

// Changing a window's flags hides it in Qt: staying on top must not.
TEST_F(QtFormTest, TopMostKeepsTheWindowShown)
{
    auto* form = dynamic_cast<QtForm*>(FormRegistry::Find("frmUpgradeCheck"));
    ASSERT_NE(form, nullptr);
    form->setTopMost(true);
    EXPECT_TRUE(form->isTopMost());
    EXPECT_TRUE(tool->isVisible());
}

} // namespace
