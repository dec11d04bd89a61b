// The main window's project copy button opens the one modeless project copy window.
#include "Form1Fixture.h"

#include "projcopy/frmProjCopy.h"

#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {

using Form1ProjCopyTest = Form1Fixture;

TEST_F(Form1ProjCopyTest, ButtonOpensTheProjectCopyWindow)
{
    auto form = startedForm();
    form->btnProjcopy->click();
    form->btnProjcopy->click(); // brings the open window to the front
    frmProjCopy* copy = nullptr;
    int windows = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == "frmProjCopy" && w->isVisible()) {
            copy = qobject_cast<frmProjCopy*>(w);
            ++windows;
        }
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(windows, 1);
    EXPECT_FALSE(copy->isModal());
    EXPECT_FALSE(copy->cmbProj1->isEnabled()); // it chooses its projects itself
    EXPECT_TRUE(messages.asked().empty());
    delete copy;
}

} // namespace
