// The main window's interface lock over the command buttons of all loaded windows.
#include "services/ControlsLock.h"

#include "FakeForm.h"

#include <gtest/gtest.h>

namespace {

using testforms::FakeForm;

TEST(ControlsLockTest, DisablesButtonsOfAllWindowsExceptExitAndClose)
{
    FakeForm main("Form1");
    auto& unload = main.add("cmdUnload", "CommandButton", "&Unload");
    auto& exit = main.add("cmdExit", "CommandButton", "EXIT");
    auto& exitNow = main.add("cmdExitNow", "CommandButton", "Exit now");
    auto& text = main.add("txtProject", "TextBox");
    FakeForm tool("frmUpgradeCheck");
    tool.visible = false; // loaded but hidden windows are locked too
    auto& check = tool.add("cmdCheck", "CommandButton", "Check");
    auto& close = tool.add("cmdClose", "CommandButton", "Close");

    EXPECT_EQ(LockControls(), "");
    EXPECT_EQ(FormRegistry::MousePointer(), 11);
    EXPECT_FALSE(unload.enabled);
    EXPECT_TRUE(exit.enabled);
    EXPECT_FALSE(exitNow.enabled);
    EXPECT_TRUE(text.enabled);
    EXPECT_FALSE(check.enabled);
    EXPECT_TRUE(close.enabled);

    UnlockControls();
    EXPECT_EQ(FormRegistry::MousePointer(), 0);
    for (auto* c : {&unload, &exit, &exitNow, &check, &close})
        EXPECT_TRUE(c->enabled) << c->name;
}

TEST(ControlsLockTest, UnlockEnablesEvenButtonsDisabledBeforeAndDoesNotNest)
{
    FakeForm main("Form1");
    auto& before = main.add("cmdDelete", "CommandButton", "Delete");
    before.enabled = false;
    LockControls();
    LockControls();
    UnlockControls();
    EXPECT_TRUE(before.enabled);
    EXPECT_EQ(FormRegistry::MousePointer(), 0);
}

TEST(ControlsLockTest, RefusingButtonDoesNotStopTheLock)
{
    FakeForm main("Form1");
    auto& refusing = main.add("cmdA", "CommandButton", "A");
    refusing.refuses = true;
    auto& other = main.add("cmdB", "CommandButton", "B");
    LockControls();
    EXPECT_FALSE(other.enabled);
    UnlockControls();
    EXPECT_TRUE(other.enabled);
}

} // namespace
