// The main window's start: splash, project field, pick list, help; and the unload buttons that
// walk the family boxes and the whole schema list.
#include "Form1Fixture.h"

#include "admin/AdminGlobals.h"
#include "admin/AktuelleProj.h"
#include "admin/FrmSplash.h"
#include "platform/DesktopOpener.h"
#include "platform/Environment.h"
#include "platform/EscKey.h"
#include "platform/RegistryStore.h"
#include "platform/RunMark.h"
#include "platform/WinPath.h"
#include "services/AppGlobals.h"
#include "services/Registry.h"
#include "support/TestFiles.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <filesystem>

namespace {

using Form1StartupTest = Form1Fixture;

bool dumpExists(const std::string& dumpDirHost, const std::string& schema)
{
    return std::filesystem::exists(dumpDirHost + "/" + schema + ".dmp");
}

TEST_F(Form1StartupTest, SplashHandsOverToTheMainWindow)
{
    FrmSplash splash;
    splash.Form_Load();
    ASSERT_NE(splash.mainWindow(), nullptr);
    EXPECT_FALSE(splash.mainWindow()->isVisible());
    splash.Timer1_Timer();
    EXPECT_TRUE(splash.mainWindow()->isVisible());
    EXPECT_FALSE(splash.isVisible());
    delete splash.mainWindow();
}

TEST_F(Form1StartupTest, AMissingTempFolderIsSaidAndNoClientIsTried)
{
    const std::string savedTemp = GetEnvVar("TEMP");
    const std::string savedTempDir = gTempDir;
    ::setenv("TEMP", (dumps.host() + "/gone").c_str(), 1);
    Form1 form;
    const bool loaded = form.Form_Load();
    ::setenv("TEMP", savedTemp.c_str(), 1);
    gTempDir = savedTempDir;
    EXPECT_FALSE(loaded);
    ASSERT_EQ(messages.asked().size(), 1u);
    EXPECT_EQ(messages.asked()[0].prompt.rfind("The temporary folder (TEMP) cannot be used, the folder '", 0), 0u);
    EXPECT_NE(messages.asked()[0].prompt.find("' does not exist: no outside program can be started"),
              std::string::npos);
}

TEST_F(Form1StartupTest, ProjectFieldIsKeptAndTellsExistingOrNew)
{
    auto form = startedForm();
    form->Projname->setEditText("dem");
    EXPECT_EQ(ReadIniValue(gIniFile, "TARNWICK", "projname", ""), "dem");
    form->Projname_LostFocus();
    EXPECT_EQ(messages.asked().back().prompt, "New Project");
    form->Projname->setEditText("DEMO");
    form->Projname_LostFocus();
    EXPECT_EQ(messages.asked().back().prompt, "Existing Project");
}

TEST_F(Form1StartupTest, PickListSetsTheProject)
{
    auto form = startedForm();
    form->Projname->setEditText("other");
    form->ShowCurrentProjects();
    auto* pick = form->findChild<AktuelleProj*>("AktuelleProj");
    ASSERT_NE(pick, nullptr);
    ASSERT_EQ(pick->AktuelleProjList->count(), 1);
    pick->AktuelleProjList->setCurrentRow(0);
    pick->AktuelleProjList_Click();
    EXPECT_EQ(form->projectName(), "demo");
    EXPECT_EQ(gSelectedEntry, "demo");
}

TEST_F(Form1StartupTest, TheManualBesideTheProgramIsOpenedAndAMissingOneReported)
{
    {
        auto form = startedForm();
        form->cmdHelp_Click();
        ASSERT_EQ(messages.asked().size(), 1u);
        EXPECT_NE(messages.asked()[0].prompt.find("Docu-Tarnwick-engl.pdf"), std::string::npos);
    }
    testsupport::WriteHostFile(programDir.host() + "/Docs/Docu-Tarnwick-engl.pdf", "%PDF-1.4\n");
    std::string opened;
    SetDesktopOpener([&](const std::string& op, const std::string& file, const std::string&, const std::string&) {
        opened = op + " " + file;
        return 42L;
    });
    auto form = startedForm();
    form->cmdHelp_Click();
    SetDesktopOpener(nullptr);
    EXPECT_EQ(messages.asked().size(), 1u);
    EXPECT_EQ(opened, "Open " + WinPathFromHost(programDir.host()) + "\\Docs\\Docu-Tarnwick-engl.pdf");
}

TEST_F(Form1StartupTest, UnloadSelectionWalksTheCheckedFamilies)
{
    auto form = startedForm();
    // No box checked: the command still closes with its message.
    form->Unload_Auswahl_Click();
    EXPECT_EQ(messages.asked().back().prompt, " Tarnwick is ready  -  See Logfile ");
    EXPECT_EQ(BinaryFile::ReadAll(gLogFile).find("Unload schema"), std::string::npos);

    form->familyBoxes[1]->setChecked(true); // DD_PROJNAME
    form->familyBoxes[0]->setChecked(true); // PD_PROJNAME
    form->Unload_Auswahl_Click();
    EXPECT_EQ(messages.asked().back().prompt, " Tarnwick is ready  -  See Logfile ");
    EXPECT_TRUE(dumpExists(dumps.host(), "pd_demo"));
    EXPECT_TRUE(dumpExists(dumps.host(), "dd_demo"));
    EXPECT_EQ(gCurrentSchema, "dd_demo");
    std::string log = BinaryFile::ReadAll(gLogFile);
    EXPECT_LT(log.find("Unload schema pd_demo"), log.find("Unload schema dd_demo"));
}

TEST_F(Form1StartupTest, EscStopsTheUnloadOfEverythingWhichStillClosesWithItsMessage)
{
    auto form = startedForm();
    int tests = 0;
    form->dumpCommands().escPressed = [&tests] { return ++tests > 1; };
    form->UnLoad_all_Schemen_Click();
    ASSERT_EQ(messages.asked().size(), 1u);
    EXPECT_EQ(messages.asked().back().prompt, " Tarnwick is ready  -  See Logfile ");
    EXPECT_TRUE(dumpExists(dumps.host(), gSchemaNames.front()));
    EXPECT_FALSE(dumpExists(dumps.host(), gSchemaNames[1]));
}

// The family commands forget an earlier press the same way (their whole-system test).
TEST_F(Form1StartupTest, AnEscPressedBeforeACommandDoesNotShortenIt)
{
    auto form = startedForm();
    EscKey::NoteDown(); // to cancel a dialog, say
    EscKey::NoteUp();
    form->UnLoad_all_Schemen_Click();
    EscKey::Reset();
    EXPECT_EQ(messages.asked().back().prompt, " Tarnwick is ready  -  See Logfile ");
    for (const auto& schema : gSchemaNames)
        EXPECT_EQ(dumpExists(dumps.host(), schema), schema.rfind("mto_", 0) != 0) << schema;
}

TEST_F(Form1StartupTest, OnlyAMoveToAnotherControlOfTheWindowChecksTheProject)
{
    auto form = startedForm();
    form->show();
    QApplication::setActiveWindow(form.get());
    form->Projname->setFocus(Qt::MouseFocusReason);
    ASSERT_EQ(QApplication::focusWidget(), form->Projname);

    // Another window is activated (a tool window, another program): no message.
    QWidget other;
    other.show();
    QApplication::setActiveWindow(&other);
    EXPECT_TRUE(messages.asked().empty());

    // Back, then on to the dump folder box: the project is checked.
    QApplication::setActiveWindow(form.get());
    ASSERT_EQ(QApplication::focusWidget(), form->Projname);
    form->risdmpdir->setFocus(Qt::TabFocusReason);
    ASSERT_EQ(messages.asked().size(), 1u);
    EXPECT_EQ(messages.asked()[0].prompt, "Existing Project");
}

TEST_F(Form1StartupTest, DumpFolderBrowseRepeatsUntilChosen)
{
    auto form = startedForm();
    dialogs.Answer("");
    dialogs.Answer(dumpDir);
    form->btnRisDmpDirSearch_Click();
    EXPECT_EQ(dialogs.requests().size(), 2u);
    EXPECT_EQ(ReadIniValue(gIniFile, "TARNWICK", "risdmpdir", ""), gDumpDir);
    EXPECT_EQ(gDumpDir.rfind(dumpDir, 0), 0u);
}

} // namespace

// What killed runs left that a start can put right: the user's number separators a table read
// left forced go back without a box; a file name correction whose files are not as it left them
// is named in the start's box, and its record stays.
TEST_F(Form1StartupTest, TheStartPutsBackWhatKilledReadsLeftAndNamesWhatItCannot)
{
    const std::string intl = "Control Panel\\International";
    RegistryStore registry;
    registry.Load();
    const std::string registryBefore = registry.Text();
    const struct {
        const char* name;
        std::string object;
        RunMark::Fields fields;
        std::string decimal; // after the start
        std::string box;     // named in the start's box; "" for none
    } rows[] = {
        {"a read killed with the separators forced", "number format 1.1",
         {{"decimal present", "yes"}, {"decimal", ","}, {"thousand present", "yes"}, {"thousand", "."}}, ",", ""},
        {"a correction killed, its file gone since", "file name correction pd_demo",
         {{"schema", "pd_demo"}, {"row 1 named", "model 'P9'"}, {"row 1 table", "pdtable_113"},
          {"row 1 column", "model_file_spec"}, {"row 1 where", "model_no = 'P1001'"}, {"row 1 old", "x9.dgn"},
          {"row 1 new", "P9.dgn"}, {"row 1 moves", "1"}, {"row 1 move 1 from", "\\\\PDSSRV1\\pds\\x9.dgn"},
          {"row 1 move 1 to", "\\\\PDSSRV1\\pds\\P9.dgn"}, {"row 1 move 1 content", "4 0123"}},
         ".", "model 'P9': the rows of pdtable_113 name "},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(RegistrySetValue(HKEY_CURRENT_USER, intl, "sDecimal", ".", ""));
        ASSERT_TRUE(RegistrySetValue(HKEY_CURRENT_USER, intl, "sThousand", ",", ""));
        RunMark(row.object, row.fields).Keep(); // as a killed program leaves it
        const size_t asked = messages.asked().size();
        auto form = startedForm();
        EXPECT_EQ(RegistryValueText(RegistryGetValue(HKEY_CURRENT_USER, intl, "sDecimal", "", true)), row.decimal);
        const bool boxed = messages.asked().size() > asked &&
                           messages.asked()[asked].prompt.find(row.box) != std::string::npos;
        EXPECT_EQ(boxed, !row.box.empty()) << (messages.asked().size() > asked ? messages.asked()[asked].prompt : "");
        EXPECT_EQ(RunMark::Look(row.object).state, row.box.empty() ? RunMark::State::Free : RunMark::State::Left);
        RunMark::RemoveLeft(row.object);
    }
    registry.SetText(registryBefore);
    registry.Save();
}
