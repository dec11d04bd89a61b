// The recording form lock: what it touches and how overlapping locks restore.
#include "services/FormLock.h"

#include "FakeForm.h"

#include <gtest/gtest.h>

namespace {

using testforms::FakeForm;

TEST(FormLockTest, RestoresOnlyWhatItDisabled)
{
    FakeForm form("frmAlterDBColumn");
    auto& go = form.add("cmdGo");
    auto& off = form.add("cmdOff");
    off.enabled = false;
    const std::string key = LockForms();
    EXPECT_FALSE(go.enabled);
    EXPECT_EQ(FormRegistry::MousePointer(), 11);
    UnlockForms(key);
    EXPECT_TRUE(go.enabled);
    EXPECT_FALSE(off.enabled);
    EXPECT_EQ(FormRegistry::MousePointer(), 0);
}

TEST(FormLockTest, PassiveTypesAndExemptNamesStayUntouched)
{
    FakeForm form("frmAlterDBColumn");
    std::vector<testforms::FakeControlState*> untouched;
    for (const char* type : {"Label", "Frame", "StatusBar", "Timer", "OptionButton", "PictureBox", "CommonDialog"})
        untouched.push_back(&form.add(std::string("x") + type, type));
    for (const char* name : {"cmdClose", "cmdHELPme", "mnuExit", "btnMinus", "lstLog", "cmdToolbarSave"})
        untouched.push_back(&form.add(name));
    auto& text = form.add("txtLength", "TextBox");
    auto& list = form.add("lstSchemas", "ListBox");
    auto& lowerToolbar = form.add("cmdtoolbar"); // only "Toolbar" in exact case is exempt

    LockForms();
    for (auto* c : untouched)
        EXPECT_TRUE(c->enabled) << c->name;
    EXPECT_FALSE(text.enabled);
    EXPECT_FALSE(list.enabled);
    EXPECT_FALSE(lowerToolbar.enabled);
}

TEST(FormLockTest, LockSkipsHiddenAndSplashWindowsUnlockVisitsHidden)
{
    FakeForm splash("frmSplash");
    auto& splashButton = splash.add("cmdGo");
    FakeForm hidden("frmHidden");
    hidden.visible = false;
    auto& hiddenButton = hidden.add("cmdGo");
    FakeForm shown("frmShown");
    auto& shownButton = shown.add("cmdGo");

    const std::string key = LockForms();
    EXPECT_TRUE(splashButton.enabled);
    EXPECT_TRUE(hiddenButton.enabled);
    EXPECT_FALSE(shownButton.enabled);
    shown.visible = false;
    UnlockForms(key);
    EXPECT_TRUE(shownButton.enabled);
}

TEST(FormLockTest, OverlappingLocksRestoreInEitherOrder)
{
    for (bool innerFirst : {true, false}) {
        FakeForm form("frmA");
        auto& a = form.add("cmdA");
        const std::string outer = LockForms();
        FakeForm later("frmLater"); // loaded while the outer lock holds
        auto& b = later.add("cmdB");
        const std::string inner = LockForms();
        EXPECT_NE(outer, inner);
        EXPECT_FALSE(b.enabled);
        UnlockForms(innerFirst ? inner : outer);
        EXPECT_EQ(a.enabled, !innerFirst);
        EXPECT_EQ(b.enabled, innerFirst);
        UnlockForms(innerFirst ? outer : inner);
        EXPECT_TRUE(a.enabled);
        EXPECT_TRUE(b.enabled);
    }
}

TEST(FormLockTest, UnknownKeysRestoreNothingUnlessForced)
{
    FakeForm form("frmA");
    auto& a = form.add("cmdA");
    const std::string key = LockForms();
    UnlockForms("");
    EXPECT_FALSE(a.enabled);
    EXPECT_EQ(FormRegistry::MousePointer(), 0);
    UnlockForms("K1");
    EXPECT_FALSE(a.enabled);
    UnlockForms("K1", {}, nullptr, true);
    EXPECT_TRUE(a.enabled);
    UnlockForms(key); // already restored: harmless
    EXPECT_TRUE(a.enabled);
}

TEST(FormLockTest, ExceptionsAndSingleWindow)
{
    FakeForm one("frmOne");
    auto& keep = one.add("cmdRun");
    keep.index = "2";
    auto& sameNameOtherIndex = one.add("cmdRun");
    sameNameOtherIndex.index = "3";
    FakeForm two("frmTwo");
    auto& other = two.add("cmdRun");

    const std::string key = LockForms({{"frmOne", "cmdRun", "2"}}, &one);
    EXPECT_TRUE(keep.enabled);
    EXPECT_FALSE(sameNameOtherIndex.enabled);
    EXPECT_TRUE(other.enabled); // only the given window
    UnlockForms(key, {}, &one);
    EXPECT_TRUE(sameNameOtherIndex.enabled);
}

TEST(FormLockTest, ToolbarButtonsAndMenuItemsKeepTheirExemptKeys)
{
    FakeForm form("frmMain");
    auto& bar = form.add("tbMain", "Toolbar");
    bar.items = {{"Menu_Edit"}, {"Menu_Run"}, {"Menu_Help_About"}, {"Menu_View"}, {"Menu_Hidden", false}};
    auto& menu = form.add("mnuMain", "UniMenu");
    menu.items = {{"Menu_Edit"}, {"Menu_View"}, {"Menu_File_Exit"}, {"Menu_Lang_DE"}};

    const std::string key = LockForms();
    std::vector<bool> barState, menuState;
    for (auto& i : bar.items)
        barState.push_back(i.enabled);
    for (auto& i : menu.items)
        menuState.push_back(i.enabled);
    EXPECT_EQ(barState, (std::vector<bool>{true, false, true, false, true}));
    EXPECT_EQ(menuState, (std::vector<bool>{false, true, true, true}));
    UnlockForms(key);
    for (auto& i : bar.items)
        EXPECT_TRUE(i.enabled) << i.key;
    for (auto& i : menu.items)
        EXPECT_TRUE(i.enabled) << i.key;
}

} // namespace
