// The project copy window: its start, the parameters files and project lists, the model tree
// and its check boxes.
#include "projcopy/frmProjCopy.h"

#include "platform/FileAttributes.h"
#include "platform/HostFiles.h"
#include "projcopy/ProjCopyTestSupport.h"
#include "services/ScriptedDialogs.h"
#include "services/ScriptedMessageService.h"
#include "support/WrapperClients.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <functional>
#include <optional>
#include <unistd.h>

namespace {

QStringList entries(const QComboBox* box)
{
    QStringList out;
    for (int i = 0; i < box->count(); ++i)
        out << box->itemText(i);
    return out;
}

QTreeWidgetItem* item(QTreeWidget* tree, const QString& text)
{
    for (QTreeWidgetItemIterator it(tree); *it; ++it)
        if ((*it)->text(0) == text)
            return *it;
    return nullptr;
}

} // namespace

using projcopytest::RunSql;

class frmProjCopyTest : public projcopytest::TwoProjects {
protected:
    void SetUp() override
    {
        TwoProjects::SetUp();
        form = new frmProjCopy;
        form->Form_Load();
        form->show();
    }
    void TearDown() override
    {
        delete form;
        TwoProjects::TearDown();
    }
    ScriptedDialogs dialogs;
    ScriptedMessageService messages;
    frmProjCopy* form = nullptr;
};

TEST_F(frmProjCopyTest, BothFilesEqualFillsBothSidesFromOneChoice)
{
    form->chkBothEqual->setChecked(true);
    dialogs.Answer(oldParams);
    form->btnOpenOldParms->click();
    ASSERT_EQ(dialogs.requests().size(), 1u);
    EXPECT_EQ(dialogs.requests()[0].filters, (std::vector<FileFilter>{{"PARAMS-File (*.*)", "*.*"}}));
    EXPECT_EQ(form->txtNewParms->text().toStdString(), oldParams);
    EXPECT_EQ(entries(form->cmbProj1), QStringList{"demo"});
    EXPECT_EQ(entries(form->cmbProj2), QStringList{"demo"});
    EXPECT_TRUE(form->cmbProj2->isEnabled());

    form->chkBothEqual->click(); // unchecked: nothing changes
    EXPECT_EQ(entries(form->cmbProj2), QStringList{"demo"});
    form->btnOpenNewParms->click(); // cancelled
    EXPECT_EQ(form->txtNewParms->text().toStdString(), oldParams);
}

TEST_F(frmProjCopyTest, CheckingBothEqualCopiesTheFilledSide)
{
    form->chkBothEqual->click(); // both empty: nothing
    EXPECT_TRUE(form->txtOldParms->text().isEmpty());
    form->chkBothEqual->click();
    form->txtNewParms->setText(QString::fromStdString(newParams));
    form->txtNewParms_LostFocus();
    EXPECT_TRUE(form->cmbProj2->isEnabled());
    form->chkBothEqual->click();
    EXPECT_EQ(form->txtOldParms->text().toStdString(), newParams);
    EXPECT_EQ(entries(form->cmbProj1), QStringList{"demo"});
}

TEST_F(frmProjCopyTest, PickingTheSourceFillsTheTreeAndClicksSpread)
{
    form->txtOldParms->setText(QString::fromStdString(oldParams));
    form->txtOldParms_LostFocus();
    form->cmbProj1->setCurrentIndex(0);
    form->cmbProj1_Click();
    ASSERT_EQ(form->tvwTreeView->topLevelItemCount(), 2);
    EXPECT_EQ(form->lblLog->text(), "demo: reading data complete");
    item(form->tvwTreeView, "P1001")->setCheckState(0, Qt::Checked);
    EXPECT_TRUE(form->tree().Find("Model1")->checked);
    EXPECT_TRUE(form->tree().Find("Area1")->checked);
    EXPECT_TRUE(form->tree().Find("Discipline1")->checked);
    EXPECT_EQ(item(form->tvwTreeView, "Piping")->checkState(0), Qt::Checked);
    EXPECT_TRUE(item(form->tvwTreeView, "Piping")->isExpanded());
    item(form->tvwTreeView, "Piping")->setCheckState(0, Qt::Unchecked);
    EXPECT_FALSE(form->tree().Find("Model1")->checked);
}

// A tree cut short by a failure is no project with fewer models: the window says so in its log
// line and in a box, and the nodes read before it stay. A whole reading afterwards says nothing.
TEST_F(frmProjCopyTest, ATreeReadingThatStopsIsSaidOnTheWindow)
{
    testsupport::WrapperClients clients;
    const struct {
        const char* what;
        std::function<void()> prepare;
        std::string why;
        int topLevel;
        int nodes;
    } cases[] = {
        {"risbatch dies on the model list",
         [&] { clients.Set("risbatch", testsupport::ClientRule::DieBefore(1).When("FROM pdtable_113")); },
         "Cannot read the model list (pdtable_113) of project 'demo': risbatch gave no answer to 'SELECT "
         "discipline_indx_no, area_index_no, model_index_no, model_no FROM pdtable_113;': risbatch ended with exit "
         "code 1",
         2, 5},
        {"an area number under two disciplines",
         [&] {
             clients.Set("risbatch", testsupport::ClientRule::PassThrough());
             RunSql(targetRoot, "default schema pd_demo; insert into pdtable_112 values (2, 1, 'E9', 'twin', 0);");
             oldParams = newParams;
         },
         "Key is not unique in collection", 2, 5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        c.prepare();
        const size_t boxes = messages.asked().size();
        form->txtOldParms->setText(QString::fromStdString(oldParams));
        form->txtOldParms_LostFocus();
        form->cmbProj1->setCurrentIndex(0);
        form->cmbProj1_Click();
        const std::string said = "The model tree of project 'demo' shows only what was read before the reading "
                                 "stopped: " + c.why + ". See the copy log '" + form->copyLog().Path() + "'";
        ASSERT_EQ(messages.asked().size(), boxes + 1);
        EXPECT_EQ(messages.asked().back().prompt, said);
        EXPECT_EQ(messages.asked().back().style, MsgStyle::Exclamation);
        EXPECT_EQ(form->lblLog->text().toStdString(), said);
        EXPECT_NE(CopyLogText().find(said), std::string::npos);
        EXPECT_EQ(form->tvwTreeView->topLevelItemCount(), c.topLevel);
        EXPECT_EQ(static_cast<int>(form->tree().Count()), c.nodes);
        EXPECT_TRUE(form->isEnabled());
    }

    RunSql(targetRoot, "default schema pd_demo; delete from pdtable_112 where area_name = 'E9';");
    const size_t boxes = messages.asked().size();
    form->cmbProj1_Click();
    EXPECT_EQ(messages.asked().size(), boxes);
    EXPECT_EQ(form->lblLog->text(), "demo: reading data complete");
    EXPECT_EQ(form->tree().Count(), 8u);
}

TEST_F(frmProjCopyTest, TheMainWindowsButtonKeepsOneWindow)
{
    frmProjCopy* first = frmProjCopy::ShowWindow();
    form->copyLog().WriteLog("kept");
    EXPECT_EQ(frmProjCopy::ShowWindow(), first);
    EXPECT_EQ(frmProjCopy::Instance(), first);
    EXPECT_NE(CopyLogText().find("\tkept\r\n"), std::string::npos); // a second load would delete it
    delete first;
    EXPECT_EQ(frmProjCopy::Instance(), nullptr);
}


// A copy that did not finish is said at the window's start, in a box: its model, where, by whom
// and what may stand half made; a copy that holds its mark now is not named.
TEST_F(frmProjCopyTest, TheStartSaysWhichModelADeadCopyLeftHalfMade)
{
    JournalEntry e;
    e.kind = JournalEntry::Kind::Table;
    e.model = "P1001";
    e.schema = "dd_demo";
    e.project = "demo";
    e.name = "pdtable_12_1";
    CopyJournalFile("demo").Save({e});
    for (const bool running : {false, true}) {
        SCOPED_TRACE(running ? "the copy runs" : "the copy is dead");
        std::optional<RunMark> mark;
        if (running)
            mark.emplace("project demo", RunMark::Fields{});
        const size_t boxes = messages.asked().size();
        frmProjCopy window;
        window.Form_Load();
        if (running) {
            EXPECT_EQ(messages.asked().size(), boxes);
            continue;
        }
        ASSERT_EQ(messages.asked().size(), boxes + 1);
        EXPECT_EQ(messages.asked().back().style, MsgStyle::Exclamation);
        EXPECT_EQ(messages.asked().back().prompt.rfind("The copy of model 'P1001' into project 'demo' by process " +
                                                           std::to_string(::getpid()) + " (",
                                                       0),
                  0u);
        EXPECT_NE(messages.asked().back().prompt.find(": design table pdtable_12_1 of dd_demo may stand there, half "
                                                      "made; the next copy into project 'demo' takes out what is still "
                                                      "as it was made and names the rest"),
                  std::string::npos);
    }
}

// A copy log that cannot be written (read-only by its mode bits, or refused by the system) is
// said at the window's start, in a box and on its status line; the project lists are filled all
// the same, and a copy is refused naming the file, with nothing changed and the log as it was.
TEST_F(frmProjCopyTest, ACopyLogThatCannotBeWrittenIsSaidAndNoCopyStarts)
{
    const std::string path = form->copyLog().Path();
    const std::string host = HostPath(path);
    const struct {
        const char* name;
        std::function<void()> make, undo;
        std::optional<std::string> stands; // the log afterwards; nullopt: none
        std::string why;
    } cases[] = {
        {"read-only",
         [&] {
             testsupport::WriteHostFile(host, "an earlier run\r\n");
             SetReadOnlyFile(path, true);
         },
         [&] { SetReadOnlyFile(path, false); }, "an earlier run\r\n", "the file is read-only"},
        // The start deletes the earlier log, and nothing can be written in its place.
        {"refused by the system",
         [&] {
             testsupport::WriteHostFile(host, "an earlier run\r\n");
             SetHostFileFault([host](const std::string& op, const std::string& at) {
                 return at == host && op == "create" ? EACCES : 0;
             });
         },
         [] { SetHostFileFault(nullptr); }, std::nullopt, "Permission denied"},
    };
    const std::string cannot = "The copy log '" + path + "' cannot be written (";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        c.make();
        const std::string before = projcopytest::ProjectState(targetRoot);
        size_t boxes = messages.asked().size();
        frmProjCopy window;
        window.Form_Load();
        ASSERT_EQ(messages.asked().size(), boxes + 1);
        const std::string said = messages.asked().back().prompt;
        EXPECT_EQ(said.rfind(cannot + c.why + "): it stands as it was, and no line of this window goes into it. The project "
                                      "lists are filled, but no copy starts until the log can be written",
                             0),
                  0u)
            << said;
        EXPECT_EQ(window.lblLog->text().toStdString(), said);
        window.txtOldParms->setText(QString::fromStdString(oldParams));
        window.txtOldParms_LostFocus();
        window.txtNewParms->setText(QString::fromStdString(newParams));
        window.txtNewParms_LostFocus();
        EXPECT_EQ(entries(window.cmbProj1), QStringList{"demo"});
        EXPECT_EQ(entries(window.cmbProj2), QStringList{"demo"});
        window.cmbProj1->setCurrentIndex(0);
        window.cmbProj1_Click();
        item(window.tvwTreeView, "P1002")->setCheckState(0, Qt::Checked);
        boxes = messages.asked().size();
        window.btnCopyProject->click();
        ASSERT_EQ(messages.asked().size(), boxes + 1);
        EXPECT_EQ(messages.asked().back().prompt.rfind("The copy was not started: " + cannot + c.why + ")", 0), 0u)
            << messages.asked().back().prompt;
        EXPECT_EQ(projcopytest::ProjectState(targetRoot), before);
        EXPECT_EQ(std::filesystem::exists(host), c.stands.has_value());
        if (c.stands) {
            EXPECT_EQ(testsupport::ReadHostFile(host), *c.stands);
        }
        c.undo();
    }
}
