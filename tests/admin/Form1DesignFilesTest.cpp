// The main window's buttons of the design file tools open their windows, the file name check
// for the current project.
#include "Form1Fixture.h"

#include "designfiles/frmFileSpecCheck.h"
#include "designfiles/frmReadLinkages.h"

#include <QPushButton>
#include <gtest/gtest.h>

namespace {

using Form1DesignFilesTest = Form1Fixture;

TEST_F(Form1DesignFilesTest, ButtonsOpenTheFileNameCheckAndTheLinkageReading)
{
    auto form = startedForm();
    form->cmdFileSpecCheck->click();
    ASSERT_NE(frmFileSpecCheck::Instance(), nullptr);
    EXPECT_EQ(frmFileSpecCheck::Instance()->projectName(), "demo");
    form->cmdReadLinkages->click();
    ASSERT_NE(frmReadLinkages::Instance(), nullptr);
    EXPECT_TRUE(frmReadLinkages::Instance()->isVisible());
    EXPECT_TRUE(messages.asked().empty());
    delete frmFileSpecCheck::Instance();
    delete frmReadLinkages::Instance();
}

} // namespace
