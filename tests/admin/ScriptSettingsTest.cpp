// The script file dialog's start and a cancelled choice; the bound of the user variables.
#include "admin/ScriptSettings.h"

#include "AdminTestSupport.h"
#include "admin/AdminGlobals.h"
#include "platform/AppError.h"
#include "services/IniFile.h"
#include "services/ScriptedDialogs.h"

#include <gtest/gtest.h>

namespace {

TEST(ScriptSettingsTest, CancelChangesNothing)
{
    admintest::AdminFolder folder("scriptsettings");
    ScriptedDialogs dialogs;
    const std::string before = gScriptFile;
    dialogs.Answer("");
    EXPECT_EQ(ScriptSettings::Command1_Click("C:\\scripts\\old.scr"), "");
    EXPECT_EQ(gScriptFile, before);
    ASSERT_EQ(dialogs.requests().size(), 1u);
    EXPECT_EQ(dialogs.requests()[0].initialDir, "C:\\scripts\\");
    EXPECT_EQ(dialogs.requests()[0].filters[0].description, "Scripfile (*.scr)");
    EXPECT_EQ(ScriptSettings::DialogStartFolder("  C:\\scripts\\night.scr "), "C:\\scripts\\");
    EXPECT_EQ(ScriptSettings::DialogStartFolder("night.scr"), "");
}

TEST(ScriptSettingsTest, OnlyEightUserVariablesAreStored)
{
    admintest::AdminFolder folder("uservars");
    ScriptSettings::UserVar_LostFocus(8, "");
    EXPECT_EQ(ReadIniValue(gIniFile, "TARNWICK", "uservar8", "x"), "");
    EXPECT_THROW(ScriptSettings::UserVar_LostFocus(9, "x"), AppError);
}

} // namespace
