// The main window carries every control the commands, locks and other windows find by name.
#include "admin/Form1.h"

#include "admin/ConfigForm.h"
#include "admin/DumpCommands.h"
#include "services/ControlsLock.h"

#include <QCheckBox>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {

TEST(Form1LayoutTest, ControlsCarryTheSystemsNames)
{
    Form1 form;
    const char* buttons[] = {"btnRisDmpDirSearch", "Unload_Auswahl", "UnLoad_proj_schemen", "UnLoad_all_Schemen",
                             "Load_auswahl", "Load_proj_schemen", "Load_all_dmp_files", "Command1", "Editscript",
                             "SCRstart", "selall", "deselall", "Create_DB_Schema", "Create_DBUser", "Create_Schema",
                             "Delete_DB_Schema", "Delete_DBUser", "Delete_Schema", "Zeigschemen", "ShowDBuser",
                             "show_free_ts", "Restore_pipfile", "btnGrantAll", "btnMscode", "btnRISClean",
                             "Configuration", "btnProjcopy", "btnUpgradeCheck", "btnViewRISTable", "cmdAlterDBColumn",
                             "cmdCheckDatabaseDDL", "cmdFileSpecCheck", "cmdReadLinkages", "cmdHelp", "ZeigeLogfile",
                             "Exit"};
    for (const char* name : buttons)
        EXPECT_NE(form.findChild<QPushButton*>(name), nullptr) << name;
    for (const char* name : {"PD_PROJNAME", "PIDM_PROJNAME", "TDT_PROJNAME"}) {
        auto* box = form.findChild<QCheckBox*>(name);
        ASSERT_NE(box, nullptr) << name;
        EXPECT_EQ(box->text().toStdString(), name);
    }
    EXPECT_EQ(form.Create_DB_Schema->text().toStdString(), "Create database user && RIS schema");
}

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

TEST(Form1LayoutTest, ConfigurationDialogHasTwelveNamedBoxes)
{
    ConfigForm dialog;
    for (const char* key : {"Fileserver", "Schemafile", "svrmgr_connectString", "seedproj"})
        EXPECT_NE(dialog.box(key), nullptr) << key;
    EXPECT_EQ(dialog.windowTitle().toStdString(), "Tarnwick - Configuration");
}

} // namespace
