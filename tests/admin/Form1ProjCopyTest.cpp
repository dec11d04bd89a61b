// The main window's project copy button opens a new, modeless project copy window.
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
    frmProjCopy* copy = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == "frmProjCopy" && w->isVisible())
            copy = qobject_cast<frmProjCopy*>(w);
    ASSERT_NE(copy, nullptr);
    EXPECT_FALSE(copy->isModal());
    EXPECT_FALSE(copy->cmbProj1->isEnabled()); // it chooses its projects itself
    EXPECT_TRUE(messages.asked().empty());
    delete copy;
}

} // namespace
