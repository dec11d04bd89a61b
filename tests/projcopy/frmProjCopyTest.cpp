// The project copy window: its start, the parameters files and project lists, the model tree
// and its check boxes.
#include "projcopy/frmProjCopy.h"

#include "projcopy/ProjCopyTestSupport.h"
#include "services/ScriptedDialogs.h"
#include "services/ScriptedMessageService.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <gtest/gtest.h>

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

class frmProjCopyTest : public projcopytest::TwoProjects {
protected:
    void SetUp() override
    {
        TwoProjects::SetUp();
        form = new frmProjCopy;
        form->Form_Load();
        form->show();
    }
    void TearDown() override { delete form; }
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

