// Whole-system run of the project copy: two projects in two stand-in environments, reached
// through their RIS parameters files; piping models with their discipline, areas, design files
// and design tables copied from the one into the other, by the copy run and from the window.
#include "platform/Clock.h"
#include "projcopy/CopyLog.h"
#include "projcopy/ModelCopyRun.h"
#include "projcopy/ModelSelectionTree.h"
#include "projcopy/ProjCopyTestSupport.h"
#include "projcopy/RisParamsAccess.h"
#include "projcopy/frmProjCopy.h"
#include "services/CheckTree.h"
#include "services/FileOperation.h"
#include "services/ScriptedDialogs.h"
#include "services/ScriptedMessageService.h"
#include "support/TestFiles.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

using projcopytest::Rows;

namespace {

std::string column(const std::vector<std::vector<std::optional<std::string>>>& rows, size_t row, size_t col)
{
    return row < rows.size() && col < rows[row].size() ? rows[row][col].value_or("<null>") : "<none>";
}

} // namespace

class ProjectCopyE2ETest : public projcopytest::TwoProjects {
protected:
    void SetUp() override
    {
        TwoProjects::SetUp();
        EmptyTargetPiping();
    }

    void ExpectPipingCopied()
    {
        auto disc = Rows(targetRoot, "pd_demo", "SELECT discipline_name FROM pdtable_111 WHERE discipline_indx_no = 1");
        EXPECT_EQ(column(disc, 0, 0), "Piping");
        auto areas = Rows(targetRoot, "pd_demo", "SELECT area_name FROM pdtable_112 WHERE discipline_indx_no = 1 "
                                                 "ORDER BY area_index_no");
        ASSERT_EQ(areas.size(), 2u);
        EXPECT_EQ(column(areas, 1, 0), "A2");
        auto models = Rows(targetRoot, "pd_demo",
                           "SELECT model_no, network_address, path_name, model_description, partition_no "
                           "FROM pdtable_113 WHERE discipline_indx_no = 1 ORDER BY model_index_no");
        ASSERT_EQ(models.size(), 2u);
        EXPECT_EQ(column(models, 0, 0), "P1001");
        EXPECT_EQ(column(models, 0, 1), "PDSSRV1");
        EXPECT_EQ(column(models, 0, 2), "D:\\pds\\copy\\model\\");
        EXPECT_EQ(column(models, 1, 3), "Pump area - Bob's lines");
        EXPECT_EQ(column(models, 1, 4), "2");
        for (int p : {1, 2})
            for (int t : {12, 34, 50, 67, 80}) {
                const std::string table = "pdtable_" + std::to_string(t) + "_" + std::to_string(p);
                EXPECT_EQ(Rows(targetRoot, "dd_demo", "SELECT * FROM " + table).size(),
                          Rows(StandInRoot(), "dd_demo", "SELECT * FROM " + table).size())
                    << table;
            }
        for (const char* file : {"p1001.dgn", "p1002.dgn"}) {
            const std::string copied = HostPath(std::string("\\\\PDSSRV1\\pds\\copy\\model\\") + file);
            EXPECT_TRUE(std::filesystem::exists(copied)) << copied;
        }
        const std::string log = CopyLogText();
        for (const char* line : {"P1001: adding discipline 'Piping' to project 'demo'\r\n",
                                 "P1001: adding area 'A1' to project 'demo' ...\r\n",
                                 "P1002: discipline 'Piping' is already in project 'demo'\r\n",
                                 "Loading table 'pdtable_80_2' ...\r\n", "E2001: is already in project 'demo'\r\n",
                                 "\tprocessing successfully complete\r\n"})
            EXPECT_NE(log.find(line), std::string::npos) << line << "\n" << log;
        EXPECT_NE(log.find("1 File(s) copied"), std::string::npos) << log;
        // The test whether a design table is already in the target is no failure: answered in words.
        EXPECT_NE(log.find("P1001: pdtable_12_1 is not in dd_demo yet\r\n"), std::string::npos) << log;
        EXPECT_EQ(log.find("failed"), std::string::npos) << log;
    }
};

// The window copies the models of the list file; closing it while the copy waits for its
// clients (reading, copying files, loading the design tables) is refused every time, the run
// ends normally, and no client output lands in the working folder.
TEST_F(ProjectCopyE2ETest, WindowCopiesTheModelsOfTheListFile)
{
    ScriptedMessageService messages;
    ScriptedDialogs dialogs;
    const std::string list = "C:\\parms\\piping.txt";
    std::ofstream(HostPath(list), std::ios::binary) << "P1001\r\np1002\r\ne2001\r\n";
    dialogs.Answer(oldParams);
    dialogs.Answer(newParams);
    dialogs.Answer(list);
    auto* form = new frmProjCopy;
    form->Form_Load();
    form->show();
    form->btnOpenOldParms->click();
    form->btnOpenNewParms->click();
    form->btnOpenFileWithModels->click();
    form->cmbProj1->setCurrentIndex(0);
    form->cmbProj1_Click();
    EXPECT_EQ(form->tvwTreeView->topLevelItemCount(), 2);
    form->cmbProj2->setCurrentIndex(0);
    form->btnSelectModels->click();
    EXPECT_TRUE(form->tree().Find("Model2")->checked);
    const auto workingFolder = [] { return testsupport::FilesIn(std::filesystem::current_path()); };
    const std::vector<std::string> before = workingFolder();
    SetEventPump([] { QApplication::processEvents(); });
    int refused = 0;
    bool refusedWhileLoading = false;
    // While the copy runs, neither project nor parameters file can be picked.
    const std::vector<QWidget*> held = {form->cmbProj1,        form->cmbProj2,        form->txtOldParms,
                                        form->txtNewParms,     form->btnOpenOldParms, form->btnOpenNewParms,
                                        form->chkBothEqual};
    int heldTicks = 0, openTicks = 0;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (form->btnCopyProject->isEnabled())
            return;
        for (QWidget* w : held)
            ++(w->isEnabled() ? openTicks : heldTicks);
        const bool loading = form->lblLog->text().startsWith("Loading table");
        if (!form->close()) {
            ++refused;
            refusedWhileLoading = refusedWhileLoading || loading;
        }
    });
    closer.start(0);
    form->btnCopyProject->click();
    closer.stop();
    SetEventPump({});
    EXPECT_GT(refused, 0);
    EXPECT_TRUE(refusedWhileLoading);
    EXPECT_GT(heldTicks, 0);
    EXPECT_EQ(openTicks, 0);
    for (QWidget* w : held)
        EXPECT_TRUE(w->isEnabled()) << w->objectName().toStdString();
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(form->btnCopyProject->isEnabled());
    EXPECT_TRUE(messages.asked().empty());
    ExpectPipingCopied();
    EXPECT_EQ(workingFolder(), before);
    EXPECT_TRUE(form->close());
    delete form;
}

// The builder's second environment: project demo2, which has the piping discipline, area A1
// and a model with partition 1 and model index 1 already, and keeps its models in a folder
// stored without its closing backslash.
TEST(ProjectCopyE2E, ModelsGoIntoTheBuildersSecondProject)
{
    StandInEnvironmentOptions options = testsupport::SampleEnvironmentOptions();
    options.secondEnvironment = true;
    std::string report;
    StandInEnvironment::Build(StandInRoot(), options, report);
    const std::string target = StandInRoot() + "/env2";
    ProjectSides sides{[] { return std::string("demo"); }, [] { return std::string("demo2"); },
                       [] { return std::string(StandInEnvironment::kParamsFile); },
                       [] { return std::string(StandInEnvironment::kSecondParamsFile); }};
    ScriptedMessageService messages;
    CopyLog log;
    RisParamsAccess ris(log);
    CheckTree tree;
    ModelSelectionTree selection(sides, ris, log, tree);
    ASSERT_TRUE(selection.ReadProjectTree("demo"));
    for (const char* key : {"Discipline1", "Discipline2"}) {
        tree.Find(key)->checked = true;
        ModelSelectionTree::NodeCheck(*tree.Find(key));
    }
    EXPECT_EQ(ModelCopyRun(sides, ris, log, selection, tree).Run(), 0);

    const std::string text = ReadFile2String(log.Path());
    for (const char* line : {"P1001: is already in project 'demo2'\r\n",
                             "P1002: discipline 'Piping' is already in project 'demo2'\r\n",
                             "P1002: adding area 'A2' to project 'demo2' ...\r\n",
                             "E2001: adding discipline 'Equipment' to project 'demo2'\r\n",
                             "Loading table 'pdtable_22_3' ...\r\n", "\tprocessing successfully complete\r\n"})
        EXPECT_NE(text.find(line), std::string::npos) << line << "\n" << text;
    auto models = Rows(target, "pd_demo2", "SELECT model_no, path_name, model_description FROM pdtable_113 "
                                           "ORDER BY model_index_no");
    ASSERT_EQ(models.size(), 3u);
    EXPECT_EQ(column(models, 0, 0), "P9001");
    EXPECT_EQ(column(models, 1, 1), "D:\\pds\\demo2\\model");
    EXPECT_EQ(column(models, 1, 2), "Pump area - Bob's lines");
    EXPECT_EQ(column(models, 2, 0), "E2001");
    EXPECT_EQ(Rows(target, "pd_demo2", "SELECT * FROM pdtable_111").size(), 2u);
    EXPECT_EQ(Rows(target, "pd_demo2", "SELECT * FROM pdtable_112").size(), 3u);
    for (const char* table : {"pdtable_12_2", "pdtable_80_2", "pdtable_21_3", "pdtable_22_3"})
        EXPECT_EQ(Rows(target, "dd_demo2", std::string("SELECT * FROM ") + table).size(),
                  Rows(StandInRoot(), "dd_demo", std::string("SELECT * FROM ") + table).size())
            << table;
    for (const char* file : {"p1002.dgn", "e2001.dgn"})
        EXPECT_EQ(ReadFile2String(std::string("\\\\PDSSRV1\\pds\\demo2\\model\\") + file),
                  ReadFile2String(std::string("\\\\PDSSRV1\\pds\\demo\\model\\") + file))
            << file;
    EXPECT_FALSE(IsFileExists("\\\\PDSSRV1\\pds\\demo2\\model\\p1001.dgn"));
}
