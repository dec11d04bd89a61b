// The file check window offscreen on the sample project: settings load, directory buttons,
// check and restore runs with scripted answers, the tree's check rules, the unload, and the
// main window's button.
#include "filecheck/frmUpgradeCheck.h"

#include "FileCheckFixtures.h"
#include "SampleProjectFixture.h"
#include "admin/Form1.h"
#include "ui/qt/CheckTreeMirror.h"
#include "services/IniFile.h"
#include "services/MessageService.h"
#include "services/ScriptedDialogs.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QTreeWidget>
#include <thread>

using Strings = std::vector<std::string>;

class frmUpgradeCheckTest : public SampleProjectFixture {
protected:
    void SetUp() override
    {
        SampleProjectFixture::SetUp();
        savedIni_ = gIniFile;
        gIniFile = WinPathFromHost(logDir_.host()) + "\\tarnwick.ini";
        ini("SearchDirs", "Dir0", kBackup);
        ini("SearchDirs", "Dir1", "c:\\BACKUP");
        ini("SearchDirs", "Dir2", "C:\\nosuch");
        ini("SearchDirs", "Dir4", kBackup);
        ini("UpgradeCheck", "SeedFile", "C:\\gone\\seed.dgn");
    }
    void TearDown() override
    {
        if (frmUpgradeCheck* form = frmUpgradeCheck::Instance()) {
            form->close();
            QApplication::processEvents();
        }
        gIniFile = savedIni_;
        SampleProjectFixture::TearDown();
    }
    static void ini(const std::string& section, const std::string& key, const std::string& value)
    {
        WriteIniValue(gIniFile, section, key, value);
    }
    static std::string ini(const std::string& section, const std::string& key)
    {
        return ReadIniValue(gIniFile, section, key);
    }

    // The window after its deferred settings load.
    frmUpgradeCheck* shown()
    {
        frmUpgradeCheck* form = frmUpgradeCheck::ShowMe("demo");
        for (int i = 0; i < 400 && !form->cmdCheck->isEnabled(); ++i) {
            QApplication::processEvents();
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return form;
    }
    static Strings listed(const frmUpgradeCheck* form)
    {
        Strings dirs;
        for (int i = 0; i < form->lstDirs->count(); ++i)
            dirs.push_back(form->lstDirs->item(i)->text().toStdString());
        return dirs;
    }
    static QTreeWidgetItem* item(frmUpgradeCheck* form, const std::string& key)
    {
        CheckTreeNode* node = form->context().tree.Find(key);
        return node ? form->mirror().ItemOf(node) : nullptr;
    }

    ScriptedDialogs dialogs;
    std::string savedIni_;
};

TEST_F(frmUpgradeCheckTest, SettingsLoadAndDirectoryButtons)
{
    frmUpgradeCheck* form = shown();
    EXPECT_EQ(form->windowTitle().toStdString(), "PDS upgrade check - PDS-Project: demo");
    EXPECT_EQ(listed(form), (Strings{kBackup}));
    EXPECT_TRUE(form->txtSeedFile->text().isEmpty());
    EXPECT_EQ(ini("UpgradeCheck", "SeedFile"), "C:\\gone\\seed.dgn");
    EXPECT_FALSE(form->cmdRestore->isEnabled());

    // The browser ends its folder with "\\": the same folder in other letter case is refused.
    dialogs.Answer("C:\\other\\dir");
    form->cmdAddNew->click();
    dialogs.Answer("c:\\OTHER\\DIR");
    form->cmdAddNew->click();
    dialogs.Answer("");
    form->cmdAddNew->click();
    form->lstDirs->clearSelection();
    form->cmdRemove->click();
    boxes.Answer(MsgAnswer::No);
    form->cmdRemoveAll->click();
    ASSERT_EQ(boxes.asked().size(), 4u);
    EXPECT_EQ(boxes.asked()[0].prompt, "Directory: 'c:\\OTHER\\DIR\\' already in list exists");
    EXPECT_EQ(boxes.asked()[0].style, MsgStyle::Exclamation);
    EXPECT_EQ(boxes.asked()[1].prompt, "No directory is selected");
    EXPECT_EQ(boxes.asked()[2].prompt, "Directory to remove not selected");
    EXPECT_EQ(boxes.asked()[3].style, 292);
    EXPECT_EQ(listed(form), (Strings{kBackup, "C:\\other\\dir\\"}));

    dialogs.Answer("C:\\seeds\\fw.dgn");
    form->cmdSelectFile[0]->click();
    EXPECT_EQ(ini("UpgradeCheck", "FWSeedFile"), "C:\\seeds\\fw.dgn");
    form->txtSeedFile->setText("C:\\x");
    EXPECT_EQ(ini("UpgradeCheck", "SeedFile"), "C:\\x");
    form->cmdClose->click();
    QApplication::processEvents();
    EXPECT_EQ(frmUpgradeCheck::Instance(), nullptr);
    EXPECT_EQ(ini("SearchDirs", "Dir0"), kBackup);
    EXPECT_EQ(ini("SearchDirs", "Dir1"), "C:\\other\\dir\\");
    EXPECT_EQ(ini("SearchDirs", "Dir4"), "");
}

// The main window asks for another project while the restore pumps events: the restore keeps
// its project to the end, the next run takes the new one.
TEST_F(frmUpgradeCheckTest, CheckTickAndRestoreThroughTheWindowKeepingItsProject)
{
    SetEventPump([] { QApplication::processEvents(); });
    frmUpgradeCheck* form = shown();
    boxes.Answer(MsgAnswer::No); // Show report now?
    form->cmdCheck->click();
    EXPECT_EQ(form->StatusBar1->currentMessage().toStdString(), "'Check PDS project for missing files' finished");
    EXPECT_TRUE(form->cmdRestore->isEnabled());
    Strings roots;
    for (int i = 0; i < form->tvwTreeView->topLevelItemCount(); ++i)
        roots.push_back(form->tvwTreeView->topLevelItem(i)->text(0).toStdString());
    EXPECT_EQ(roots, (Strings{"Missing model files", "Missing drawing files", "Missing RDB files",
                              "Missing area marker files"}));

    // The tick rules themselves are the tree rules' matter; here the ticks travel through the
    // window's tree both ways and reach the restore.
    const std::string oldKey = "Discipline1ModelP1002File" + std::string(kBackup) + "\\old\\p1002.dgn";
    item(form, "Models")->setCheckState(0, Qt::Checked);
    item(form, "DrawingType1")->setCheckState(0, Qt::Checked);
    item(form, oldKey)->setCheckState(0, Qt::Checked); // a second candidate of one file is undone
    EXPECT_EQ(item(form, oldKey)->checkState(0), Qt::Unchecked);
    auto expected = projectFiles();
    expected["model/p1002.dgn"] = "new copy of P1002";
    expected["model/e2001.dgn"] = content(std::string(kProjectDir) + "eqpsdz.dgn");
    expected["dwg/d101.dwg"] = "copy of D-101";

    QTimer::singleShot(0, [] { frmUpgradeCheck::ShowMe("other"); });
    boxes.Answer(MsgAnswer::Yes); // Are you sure?
    boxes.Answer(MsgAnswer::No);  // Show report now?
    form->cmdRestore->click();
    SetEventPump({});
    EXPECT_EQ(form->projectName(), "other");
    EXPECT_EQ(projectFiles(), expected);
    EXPECT_EQ(boxes.asked().size(), 3u); // no error box
    EXPECT_EQ(form->StatusBar1->currentMessage().toStdString(), "'Restore missing files' finished");
    EXPECT_TRUE(form->cmdCheck->isEnabled());
    EXPECT_TRUE(form->cmdRestore->isEnabled());
}

// A search folder of the settings written with ".", ".." or drive-relative, from the program's
// current folder, is searched as the folder it names: the check finds its candidates there and
// ends whole, its listing compared with the file services' in one form.
TEST_F(frmUpgradeCheckTest, SearchFoldersInAnySpellingFindTheirCandidatesAndEndWhole)
{
    struct Case {
        const char* folder;     // [SearchDirs] Dir0
        const char* currentIn;  // the program's current folder, or "" (the test's own, off the environment)
    };
    const std::string candidate = "Discipline1ModelP1002File" + std::string(kBackup) + "\\new\\p1002.dgn";
    const std::filesystem::path own = std::filesystem::current_path();
    for (const Case& c : {Case{"C:\\backup\\..\\backup", ""}, Case{"C:\\.\\backup\\", ""}, Case{"C:backup", ""},
                          Case{"C:backup", "C:\\"}, Case{".", "C:\\backup"}, Case{"..", "C:\\backup\\old"},
                          Case{"..\\..\\backup", "C:\\backup\\dwg"}}) {
        SCOPED_TRACE(std::string(c.folder) + " from '" + c.currentIn + "'");
        if (*c.currentIn)
            std::filesystem::current_path(HostPath(c.currentIn));
        ini("SearchDirs", "Dir0", c.folder);
        ini("SearchDirs", "Dir1", "");
        frmUpgradeCheck* form = shown();
        EXPECT_EQ(listed(form), (Strings{c.folder}));
        const size_t asked = boxes.asked().size();
        boxes.Answer(MsgAnswer::No); // Show report now?
        form->cmdCheck->click();
        std::filesystem::current_path(own);
        ASSERT_EQ(boxes.asked().size(), asked + 1);
        EXPECT_EQ(boxes.asked().back().prompt, "Show report now?");
        EXPECT_EQ(form->StatusBar1->currentMessage().toStdString(), "'Check PDS project for missing files' finished");
        EXPECT_TRUE(form->context().tree.Contains(candidate));
        form->close();
        QApplication::processEvents();
    }
}

TEST_F(frmUpgradeCheckTest, MainWindowButtonOpensTheWindowWithItsProject)
{
    Form1 main;
    main.Projname->setEditText("demo");
    main.btnUpgradeCheck->click();
    ASSERT_NE(frmUpgradeCheck::Instance(), nullptr);
    EXPECT_EQ(frmUpgradeCheck::Instance()->projectName(), "demo");
    EXPECT_TRUE(frmUpgradeCheck::Instance()->isVisible());
}
