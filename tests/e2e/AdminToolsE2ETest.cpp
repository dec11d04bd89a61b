// Whole-system runs of the main window's tools on the sample environment: the free-space view,
// the piping model restore and the MS code run, against the stand-in server through the real
// outside programs.
#include "admin/AdminGlobals.h"
#include "admin/AdminTestSupport.h"
#include "admin/FreeSpace.h"
#include "admin/FreeSpaceForm.h"
#include "admin/Maintenance.h"
#include "admin/PipeFileRestoreForm.h"
#include "dbaccess/CRIS.h"
#include "platform/AppError.h"
#include "platform/WinPath.h"
#include "platform/ado/Recordset.h"
#include "services/AppGlobals.h"
#include "services/FileOperation.h"
#include "services/IniFile.h"
#include "services/ScriptedMessageService.h"
#include "standins/dbserver/StandInEnvironment.h"
#include "support/SampleEnvironment.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <gtest/gtest.h>

namespace {

using Strings = std::vector<std::string>;

class AdminToolsE2ETest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { testsupport::BuildSampleEnvironment(); }

    void SetUp() override
    {
        WriteIniValue(gIniFile, "TARNWICK", "projname", "demo");
        WriteIniValue(gIniFile, "TARNWICK", "svrmgr_path", StandInEnvironment::kServerManager);
    }

    std::string log() const { return folder_.log(); }

    static CRIS& cris()
    {
        static CRIS c;
        c.SetUseRIS("");
        return c;
    }
    static long rows(const std::string& schema, const std::string& table)
    {
        return cris().DBRead(schema, "SELECT system_unique_no FROM " + table, 3).RecordCount();
    }
    static std::string firstKey(const std::string& schema, const std::string& table)
    {
        Recordset rs = cris().DBRead(schema, "SELECT system_unique_no FROM " + table, 3);
        rs.MoveFirst();
        return rs.Fields()[0].Value().ToText();
    }
    static void write(const std::string& schema, const std::string& sql) { cris().DBWrite(schema, sql); }

    admintest::AdminFolder folder_{"admintools"};
    ScriptedMessageService boxes_;
};

TEST_F(AdminToolsE2ETest, FreeSpaceShowsTheStandInTablespaces)
{
    FreeSpaceForm* form = FreeSpaceForm::show_free_ts_Click();
    form->Timer1_Timer();
    EXPECT_TRUE(boxes_.asked().empty()) << boxes_.asked()[0].prompt;
    ASSERT_GT(form->dGrid->rowCount(), 0);
    Strings names;
    for (int r = 0; r < form->dGrid->rowCount(); ++r) {
        names.push_back(form->dGrid->item(r, 0)->text().toStdString());
        EXPECT_TRUE(form->dGrid->item(r, 1)->text().contains('.')) << form->dGrid->item(r, 1)->text().toStdString();
    }
    EXPECT_NE(std::find(names.begin(), names.end(), "USER_DATA"), names.end());
    delete form;
}

TEST_F(AdminToolsE2ETest, FreeSpaceWithoutProgramPathSaysSo)
{
    WriteIniValue(gIniFile, "TARNWICK", "svrmgr_path", "");
    FreeSpaceForm* form = FreeSpaceForm::show_free_ts_Click();
    form->Timer1_Timer();
    ASSERT_EQ(boxes_.asked().size(), 1u);
    EXPECT_EQ(boxes_.asked()[0].prompt, "Could not get free space");
    EXPECT_EQ(form->dGrid->rowCount(), 0);
    delete form;
}

TEST_F(AdminToolsE2ETest, PipingRestoreReloadsExactlyTheModelsFiveTables)
{
    const std::string dump = std::string(StandInEnvironment::kDumpDir) + "\\dd_demo.dmp";
    ASSERT_TRUE(CopyFileA(WinPathFromHost(testsupport::SourceDir() + "/tests/data/standins/dd_demo.dmp"), dump));
    const long before12 = rows("dd_demo", "pdtable_12_1");
    const long before67 = rows("dd_demo", "pdtable_67_1");
    const long before12of2 = rows("dd_demo", "pdtable_12_2");
    ASSERT_GT(before12, 0);
    write("dd_demo", "delete from pdtable_12_1");
    write("dd_demo", "insert into pdtable_67_1 (system_unique_no, note_text) values (999, 'added')");
    write("dd_demo", "delete from pdtable_12_2");
    ASSERT_EQ(rows("dd_demo", "pdtable_12_1"), 0);

    PipeFileRestoreForm* form = PipeFileRestoreForm::Restore_pipfile_Click();
    ASSERT_NE(form, nullptr) << boxes_.asked()[0].prompt;
    ASSERT_GE(form->PipeFileListe->count(), 1);
    EXPECT_EQ(form->PipeFileListe->item(0)->text(), "P1001");
    EXPECT_EQ(form->models()[0].partitionNo, "1");
    form->PipeFileListe->setCurrentRow(0);
    form->PipeFileListe_Click();
    EXPECT_TRUE(form->Schemafilewahl->isEnabled());
    form->chooseDumpFile = [&dump] { return dump; };
    form->Schemafilewahl_Click();
    ASSERT_TRUE(form->Start->isEnabled());
    form->Start_Click();

    ASSERT_EQ(boxes_.asked().size(), 1u);
    EXPECT_EQ(boxes_.asked()[0].prompt,
              "DD schema was restored!\r\n\r\nPlease restore now piping model file (P1001.dgn) from backup\r\n")
        << log();
    EXPECT_EQ(rows("dd_demo", "pdtable_12_1"), before12);
    EXPECT_EQ(rows("dd_demo", "pdtable_67_1"), before67);
    // The restored tables keep their unique indexes: a second row with a taken key is refused.
    for (const char* table : {"pdtable_12_1", "pdtable_67_1"})
        EXPECT_THROW(write("dd_demo", std::string("insert into ") + table + " (system_unique_no) values (" +
                                          firstKey("dd_demo", table) + ")"),
                     AppError)
            << table;
    // The other model's table keeps its change: only partition 1 was reloaded.
    EXPECT_EQ(rows("dd_demo", "pdtable_12_2"), 0);

    // The second model comes back the same way, which leaves the sample as it was.
    form = PipeFileRestoreForm::Restore_pipfile_Click();
    ASSERT_NE(form, nullptr);
    ASSERT_GE(form->PipeFileListe->count(), 2);
    EXPECT_EQ(form->PipeFileListe->item(1)->text(), "P1002");
    form->PipeFileListe->setCurrentRow(1);
    form->chooseDumpFile = [&dump] { return dump; };
    form->Schemafilewahl_Click();
    form->Start_Click();
    EXPECT_EQ(rows("dd_demo", "pdtable_12_2"), before12of2);
    EXPECT_EQ(rows("dd_demo", "pdtable_12_1"), before12);
}

TEST_F(AdminToolsE2ETest, PipingRestoreTakesOnlyADumpOfTheProjectsDesignSchema)
{
    // Project demo: dd_demo2 is another project's design schema although its name begins alike.
    const struct {
        const char* dump;
        bool accepted;
        const char* shown; // the window's line on the chosen dump
    } cases[] = {
        {"pd_demo.dmp", false, "is a dump of schema pd_demo, not of dd_demo"},
        {"dd_demo2.dmp", false, "is a dump of schema dd_demo2, not of dd_demo"},
        {"dd_demo.dmp", true, "Dump of schema dd_demo - restore into dd_demo"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.dump);
        PipeFileRestoreForm* form = PipeFileRestoreForm::Restore_pipfile_Click();
        ASSERT_NE(form, nullptr);
        form->PipeFileListe->setCurrentRow(0);
        form->PipeFileListe_Click();
        const std::string dump = WinPathFromHost(testsupport::SourceDir() + "/tests/data/standins/" + c.dump);
        form->chooseDumpFile = [&] { return dump; };
        const size_t asked = boxes_.asked().size();
        form->Schemafilewahl_Click();
        EXPECT_EQ(form->Start->isEnabled(), c.accepted);
        EXPECT_NE(form->lblDumpSchema->text().toStdString().find(c.shown), std::string::npos)
            << form->lblDumpSchema->text().toStdString();
        ASSERT_EQ(boxes_.asked().size(), asked + (c.accepted ? 0 : 1));
        if (!c.accepted) {
            EXPECT_EQ(boxes_.asked().back().prompt.rfind("RIS-DMP-File ist falsch\r\n'" + dump + "'", 0), 0u);
        }
        delete form;
    }
}

// Grant and clean run from the main window's buttons in its own test.
TEST_F(AdminToolsE2ETest, MscodeRunsForTheProject)
{
    Maintenance maintenance;
    maintenance.btnMscode_Click({"pid_demo"});
    EXPECT_NE(log().find("PDS2D MS code run for project demo"), std::string::npos) << log();
}

} // namespace
