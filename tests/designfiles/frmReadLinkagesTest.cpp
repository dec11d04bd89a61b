// The linkage reading window offscreen: start-up loading from the settings, the directory
// list buttons, closing, and a scan of the sample's design files with a scripted answer.
#include "designfiles/frmReadLinkages.h"

#include "DesignFilesTestSupport.h"
#include "platform/Environment.h"
#include "platform/WinPath.h"
#include "services/FileOperation.h"
#include "ui/qt/QtForm.h"
#include "services/IniFile.h"
#include "services/ScriptedDialogs.h"
#include "services/ScriptedMessageService.h"
#include "standins/dbserver/StandInEnvironment.h"
#include "support/SampleEnvironment.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>

namespace fs = std::filesystem;

namespace {

const char* const kIni = "C:\\tw\\tarnwick.ini";

class frmReadLinkagesTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { designfilestest::BuildMisnamedSample(); }

    void SetUp() override
    {
        for (const char* d : {"C:\\tw", "C:\\dgn\\a", "C:\\reports"})
            fs::create_directories(HostPath(d));
        savedIni_ = gIniFile;
        gIniFile = kIni;
        // The main window's project field, which the window reads for its default report.
        mainWindow_ = std::make_unique<QWidget>();
        mainWindow_->setObjectName("Form1");
        auto* project = new QComboBox(mainWindow_.get());
        project->setObjectName("Projname");
        project->setEditable(true);
        project->setEditText("demo");
        QtForm::Attach(mainWindow_.get());
    }
    void TearDown() override
    {
        if (auto* w = frmReadLinkages::Instance())
            delete w;
        mainWindow_.reset();
        gIniFile = savedIni_;
        for (const char* d : {"C:\\tw", "C:\\dgn", "C:\\reports"})
            fs::remove_all(HostPath(d));
    }

    frmReadLinkages* opened()
    {
        frmReadLinkages* w = frmReadLinkages::ShowWindow();
        w->Timer1_Timer();
        return w;
    }

    std::vector<std::string> prompts() const
    {
        std::vector<std::string> out;
        for (const auto& a : messages.asked())
            out.push_back(a.prompt);
        return out;
    }

    std::string savedIni_;
    std::unique_ptr<QWidget> mainWindow_;
    ScriptedMessageService messages;
    ScriptedDialogs dialogs;
    designfilestest::StatusCapture status;
};

TEST_F(frmReadLinkagesTest, StartUpLoadsTheListAndStoresTheDefaultReport)
{
    WriteIniValue(kIni, "DGNSearchDirs", "Dir0", "C:\\dgn\\a");
    WriteIniValue(kIni, "DGNSearchDirs", "Dir2", "C:\\dgn\\a");
    WriteIniValue(kIni, "ReadLinkages", "ReportFile", "C:\\reports\\notyet.xls");
    frmReadLinkages* w = opened();
    EXPECT_EQ(w->dirs(), std::vector<std::string>{"C:\\dgn\\a"});
    const std::string expected = AddBackslash(GetEnvVar("TEMP")) + "demo.xls";
    EXPECT_EQ(w->txtReportFile->text().toStdString(), expected);
    EXPECT_EQ(ReadIniValue(kIni, "ReadLinkages", "ReportFile", ""), expected);
    EXPECT_TRUE(w->cmdProcess->isEnabled());
    w->txtReportFile->setText("C:\\r");
    EXPECT_EQ(ReadIniValue(kIni, "ReadLinkages", "ReportFile", ""), "C:\\r");
}

TEST_F(frmReadLinkagesTest, ListButtonsRefuseWhatTheyCannotDo)
{
    frmReadLinkages* w = opened();
    w->cmdRemoveAll->click();                // empty list: no question
    dialogs.Answer("");
    w->cmdAddNew->click();                   // cancelled
    dialogs.Answer("C:\\dgn\\a");
    w->cmdAddNew->click();
    dialogs.Answer("c:\\DGN\\A");
    w->cmdAddNew->click();                   // the same folder in other letters
    w->lstDirs->clearSelection();
    w->lstDirs->setCurrentRow(-1);
    w->cmdRemove->click();
    messages.Answer(MsgAnswer::No);
    w->cmdRemoveAll->click();
    EXPECT_EQ(w->dirs(), std::vector<std::string>{"C:\\dgn\\a\\"});
    EXPECT_EQ(prompts(), (std::vector<std::string>{"No directories to remove", "No directory is selected",
                                                   "Directory: 'c:\\DGN\\A\\' already in list exists",
                                                   "Directory to remove not selected",
                                                   "Delete all directories from list?"}));
    EXPECT_EQ(messages.asked().back().style, 292);
    EXPECT_EQ(w->dirs().size(), 1u);
    messages.Answer(MsgAnswer::Yes);
    w->cmdRemoveAll->click();
    EXPECT_TRUE(w->dirs().empty());
}

TEST_F(frmReadLinkagesTest, BrowseTakesANewReportNameFromASaveDialog)
{
    frmReadLinkages* w = opened();
    w->txtReportFile->setText("C:\\reports\\old.xls");
    dialogs.Answer("C:\\reports\\new.xls");
    w->cmdSelectFile->click();
    ASSERT_EQ(dialogs.requests().size(), 1u);
    EXPECT_EQ(dialogs.requests()[0].kind, "save");
    EXPECT_EQ(dialogs.requests()[0].initialDir, "C:\\reports\\");
    EXPECT_EQ(w->txtReportFile->text().toStdString(), "C:\\reports\\new.xls");
}

TEST_F(frmReadLinkagesTest, ClosingRewritesTheDirectoryList)
{
    WriteIniValue(kIni, "DGNSearchDirs", "Dir0", "C:\\dgn\\a");
    WriteIniValue(kIni, "DGNSearchDirs", "Dir1", "C:\\dgn\\gone");
    WriteIniValue(kIni, "DGNSearchDirs", "Dir2", "C:\\dgn\\a");
    opened()->close();
    EXPECT_EQ(ReadIniValue(kIni, "DGNSearchDirs", "Dir0", ""), "C:\\dgn\\a");
    EXPECT_EQ(ReadIniValue(kIni, "DGNSearchDirs", "Dir1", "<none>"), "<none>");
}

TEST_F(frmReadLinkagesTest, ScanOfTheSampleWritesTheReport)
{
    frmReadLinkages* w = opened();
    dialogs.Answer("\\\\PDSSRV1\\pds\\demo\\model");
    w->cmdAddNew->click();
    w->txtReportFile->setText("C:\\reports\\demo.xls");
    messages.Answer(MsgAnswer::No);
    w->cmdProcess->click();
    EXPECT_EQ(prompts(), std::vector<std::string>{"Show report now?"});
    EXPECT_TRUE(fs::exists(HostPath("C:\\reports\\demo.xls")));
    EXPECT_TRUE(status.contains("4 files found"));
    EXPECT_TRUE(status.contains("'Scan DGN files' finished"));
    EXPECT_TRUE(w->cmdProcess->isEnabled());
    EXPECT_EQ(w->report().ReportSheet(), nullptr);
}

} // namespace
