// The lock of the main window's controls during a run leaves only Exit enabled.
#include "admin/Form1.h"

#include "services/ControlsLock.h"

#include <QPushButton>
#include <gtest/gtest.h>

namespace {

TEST(Form1LayoutTest, LockLeavesOnlyExitEnabled)
{
    Form1 form;
    LockControls();
    EXPECT_FALSE(form.UnLoad_all_Schemen->isEnabled());
    EXPECT_FALSE(form.Configuration->isEnabled());
    EXPECT_TRUE(form.Exit->isEnabled());
    UnlockControls();
    EXPECT_TRUE(form.UnLoad_all_Schemen->isEnabled());
}

} // namespace
