// The file name check window offscreen on a sample environment of its own with a misnamed
// model (its file name stored with a trailing blank) and drawing (whose further file another
// drawing names): the check finds them, the user's check marks spread, the correction renames
// the files on the file server and changes the project tables in step.
#include "designfiles/FileNameCheckWindow.h"

#include "DesignFilesTestSupport.h"
#include "platform/AppError.h"
#include "platform/Clock.h"
#include "platform/FileAttributes.h"
#include "platform/RunMark.h"
#include "platform/WinPath.h"
#include "ui/qt/CheckTreeMirror.h"
#include "services/ScriptedMessageService.h"
#include "standins/dbserver/DbServer.h"
#include "standins/dbserver/RisSession.h"
#include "standins/dbserver/StandInEnvironment.h"
#include "support/SampleEnvironment.h"
#include "support/TestFiles.h"

#include <QApplication>
#include <QPointer>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QTreeWidget>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <sys/wait.h>

namespace fs = std::filesystem;

namespace {

class FileNameCheckWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        savedRoot_ = StandInRoot();
        root_ = testsupport::MakeTempHostDir("dgn_env");
        ::setenv("TARNWICK_ROOT", root_.c_str(), 1);
        StandInEnvironmentOptions options = testsupport::SampleEnvironmentOptions();
        options.misnamedDesignFiles = true;
        std::string report;
        StandInEnvironment::Build(root_, options, report);
        designfilestest::Sql("default schema pd_demo;"
                             "update pdtable_113 set model_file_spec = 'pipe3.dgn ' where model_no = 'P1003';"
                             "insert into pdtable_121 (drawing_type, drawing_no, network_address, path_name, "
                             "drawing_file_spec) values (3, 'D-300', 'PDSSRV1', 'D:\\pds\\demo\\dwg', 'plan200.dwg');");
        testsupport::WriteHostFile(HostPath("\\\\PDSSRV1\\pds\\demo\\dwg\\plan200.dwg"), "drawing D-300");
    }
    static void TearDownTestSuite()
    {
        ::setenv("TARNWICK_ROOT", savedRoot_.c_str(), 1);
        std::error_code ec;
        fs::remove_all(root_, ec);
    }

    void SetUp() override { SetEventPump([] { QApplication::processEvents(); }); }
    void TearDown() override
    {
        if (auto* w = frmFileSpecCheck::Instance())
            delete w;
        SetEventPump({});
    }

    // A click on the node's check box, as the user makes it.
    void userCheck(frmFileSpecCheck* w, const std::string& key)
    {
        CheckTreeNode* node = w->tree().Find(key);
        ASSERT_NE(node, nullptr) << key;
        w->mirror().Sync();
        w->mirror().ItemOf(node)->setCheckState(0, node->checked ? Qt::Unchecked : Qt::Checked);
    }

    static std::string root_;
    static std::string savedRoot_;
    ScriptedMessageService messages;
    designfilestest::StatusCapture status;
};

std::string FileNameCheckWindowTest::root_;
std::string FileNameCheckWindowTest::savedRoot_;

TEST_F(FileNameCheckWindowTest, CheckFindsTheMisnamedFilesAndTheCorrectionRenamesThem)
{
    frmFileSpecCheck* w = frmFileSpecCheck::ShowMe("demo");
    EXPECT_EQ(w->windowTitle().toStdString(), "Compare & adapt model no and file spec - PDS-Project: demo");
    w->cmdCheck->click();
    ASSERT_TRUE(messages.asked().empty()) << messages.asked()[0].prompt;
    const char* const model = "Discipline1ModelP1003ErrorNotMatch0";
    const char* const drawing = "DrawingType2DrawingD-200ErrorNotMatchplan200.dgn";
    EXPECT_TRUE(w->tree().Contains(model));
    EXPECT_TRUE(w->tree().Contains(drawing));
    EXPECT_TRUE(w->tree().Contains("DrawingType1DrawingD-100ErrorNotMatchd100.dwg"));
    EXPECT_FALSE(w->tree().Contains("Discipline1ModelP1001"));
    EXPECT_EQ(w->StatusBar1->currentMessage().toStdString(), "'Check PDS project' finished");
    EXPECT_TRUE(w->cmdRestore->isEnabled());

    userCheck(w, model);
    for (const char* ancestor : {"Discipline1ModelP1003", "Discipline1Area2", "Discipline1", "Models"})
        EXPECT_TRUE(w->tree().Find(ancestor)->checked) << ancestor;
    EXPECT_EQ(w->tree().Find("Models")->backColor, kTreeColorHighlightText);
    userCheck(w, drawing);
    EXPECT_EQ(w->tree().Find("Drawings")->backColor, kTreeColorButtonFace); // D-100 stays unchecked

    messages.Answer(MsgAnswer::Yes);
    w->cmdRestore->click();
    ASSERT_EQ(messages.asked().size(), 1u) << messages.asked().back().prompt;
    EXPECT_EQ(messages.asked()[0].prompt, "Are you sure?");
    EXPECT_EQ(messages.asked()[0].style, 292);
    EXPECT_EQ(w->tree().Find(model)->backColor, kTreeColorGreen);
    EXPECT_EQ(w->tree().Find(drawing)->backColor, kTreeColorGreen);
    EXPECT_TRUE(fs::exists(HostPath("\\\\PDSSRV1\\pds\\demo\\model\\P1003.dgn")));
    EXPECT_FALSE(fs::exists(HostPath("\\\\PDSSRV1\\pds\\demo\\model\\pipe3.dgn")));
    EXPECT_TRUE(fs::exists(HostPath("\\\\PDSSRV1\\pds\\demo\\dwg\\D-200.dgn")));
    EXPECT_TRUE(fs::exists(HostPath("\\\\PDSSRV1\\pds\\demo\\dwg\\d100.dwg")));
    EXPECT_EQ(testsupport::ReadHostFile(HostPath("\\\\PDSSRV1\\pds\\demo\\dwg\\plan200.dwg")), "drawing D-300");
    EXPECT_NE(w->tree().Find(drawing)->tag.find("plan200.dwg' is named in the project tables"), std::string::npos);
    EXPECT_EQ(designfilestest::Stored("SELECT model_file_spec FROM pdtable_113 WHERE model_no = 'P1003'"), "P1003.dgn");
    EXPECT_EQ(designfilestest::Stored("SELECT drawing_file_spec FROM pdtable_121 WHERE drawing_no = 'D-200'"), "D-200.dgn");
    EXPECT_EQ(designfilestest::Stored("SELECT drawing_file_spec FROM pdtable_121 WHERE drawing_no = 'D-100'"), "d100.dwg");

    w->cmdCheck->click();
    EXPECT_FALSE(w->tree().Contains(model));
    EXPECT_FALSE(w->tree().Contains(drawing));
    EXPECT_TRUE(w->tree().Contains("DrawingType1DrawingD-100ErrorNotMatchd100.dwg"));
}

// A model file the user made read-only is not renamed: besides its red node, a box names the
// file, why, and what stands (the row and the file as they are).
TEST_F(FileNameCheckWindowTest, AFileNotRenamedIsNamedInABoxWithWhatStands)
{
    const std::string file = "\\\\PDSSRV1\\pds\\demo\\model\\ro9.dgn";
    designfilestest::Sql("default schema pd_demo; insert into pdtable_113 (model_index_no, discipline_indx_no, "
                         "area_index_no, model_no, network_address, path_name, model_file_spec, model_type, "
                         "partition_no) values (99, 1, 2, 'P9009', 'PDSSRV1', 'D:\\pds\\demo\\model', 'ro9.dgn', 0, 4);");
    testsupport::WriteHostFile(HostPath(file), "design ro9");
    SetReadOnlyFile(file, true);
    frmFileSpecCheck* w = frmFileSpecCheck::ShowMe("demo");
    w->cmdCheck->click();
    userCheck(w, "Discipline1ModelP9009ErrorNotMatch0");
    messages.Answer(MsgAnswer::Yes);
    w->cmdRestore->click();

    ASSERT_EQ(messages.asked().size(), 2u);
    EXPECT_EQ(messages.asked()[1].prompt,
              "These files were not renamed:\r\nModel 'P9009': '" + file + "' was not renamed to 'P9009.dgn': "
              "Permission denied ('" + file + "' is read-only). Now the row names 'ro9.dgn', and '" + file +
              "' keeps its name.");
    EXPECT_EQ(messages.asked()[1].style, 48);
    EXPECT_EQ(w->tree().Find("Discipline1ModelP9009ErrorNotMatch0")->backColor, kTreeColorRed);
    EXPECT_EQ(testsupport::ReadHostFile(HostPath(file)), "design ro9");
    EXPECT_EQ(designfilestest::Stored("SELECT model_file_spec FROM pdtable_113 WHERE model_no = 'P9009'"), "ro9.dgn");
    SetReadOnlyFile(file, false);
    fs::remove(HostPath(file));
    designfilestest::Sql("default schema pd_demo; delete from pdtable_113 where model_no = 'P9009';");
}

const std::string kModelDir = "\\\\PDSSRV1\\pds\\demo\\model\\", kDrawingDir = "\\\\PDSSRV1\\pds\\demo\\dwg\\";

// The files of the model and drawing folders with their bytes, and which are read-only.
std::map<std::string, std::string> demoFiles()
{
    std::map<std::string, std::string> files;
    for (const std::string& dir : {kModelDir, kDrawingDir})
        for (const auto& e : fs::directory_iterator(HostPath(dir))) {
            const std::string name = dir + e.path().filename().string();
            files[name] = testsupport::ReadHostFile(e.path().string()) + (IsReadOnlyFile(name) ? " (read-only)" : "");
        }
    return files;
}

std::set<std::string> marksNow()
{
    std::set<std::string> objects;
    for (const auto& [object, seen] : RunMark::List(""))
        objects.insert(object);
    return objects;
}

// "tarnwick /risunloadall" as a program of its own on the environment: its exit code and console.
int unloadAll(std::string& said)
{
    testsupport::ScopedDir program("prog"), dumps("dumps");
    fs::copy_file(testsupport::BinDir() + "/tarnwick", program.host() + "/tarnwick");
    std::ofstream(program.host() + "/tarnwick.ini") << "[TARNWICK]\r\nrisdmpdir=" << WinPathFromHost(dumps.host());
    const int status = std::system(("cd '" + program.host() + "' && env -u DISPLAY -u WAYLAND_DISPLAY -u "
                                    "QT_QPA_PLATFORM TMP=\"$PWD\" ./tarnwick /risunloadall >said.txt 2>&1").c_str());
    said = testsupport::ReadHostFile(program.host() + "/said.txt");
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A further file the user made read-only beside the model's file, the drawing's, or both, with
// both nodes corrected in one click: its node ends red with its files as they were, the other
// kind of the same click is corrected, no record or copy is left, and the next correction and
// the next "/risunloadall" find nothing to warn of or refuse.
TEST_F(FileNameCheckWindowTest, AReadOnlyFurtherFileLeavesItsNodeRedAndNothingBehind)
{
    struct Kind {
        const char* key;
        std::string dir, oldName, newName, row;
    };
    const Kind model{"Discipline1ModelP1003ErrorNotMatch0", kModelDir, "pipe3", "P1003", "Model 'P1003'"};
    const Kind drawing{"DrawingType2DrawingD-200ErrorNotMatchplan200.dgn", kDrawingDir, "plan200", "D-200",
                       "Drawing 'D-200'"};
    const auto bak = [](const Kind& k) { return k.dir + k.oldName + ".bak"; };
    const auto told = [&](const Kind& k) {
        return "\r\n" + k.row + ": not every file of '" + k.dir + k.oldName + ".dgn' was renamed to '" + k.newName +
               ".dgn': Permission denied ('" + bak(k) + "' is read-only). Now the row names '" + k.newName +
               ".dgn', and the file stands renamed as '" + k.dir + k.newName + ".dgn'.";
    };
    const auto spec = [](const char* table, const char* column, const std::string& where) {
        return designfilestest::Stored("SELECT " + std::string(column) + " FROM " + table + " WHERE " + where);
    };
    const struct {
        const char* name;
        bool modelReadOnly, drawingReadOnly;
    } rows[] = {{"of the model", true, false}, {"of the drawing", false, true}, {"of both", true, true}};
    // P1003 and D-200 misnamed as the suite made them, with the read-only further files given.
    const auto misname = [&](bool modelReadOnly, bool drawingReadOnly) {
        for (const auto& [k, readOnly] : {std::pair{model, modelReadOnly}, std::pair{drawing, drawingReadOnly}}) {
            if (fs::exists(HostPath(k.dir + k.newName + ".dgn")))
                fs::rename(HostPath(k.dir + k.newName + ".dgn"), HostPath(k.dir + k.oldName + ".dgn"));
            fs::remove(HostPath(bak(k)));
            if (readOnly) {
                testsupport::WriteHostFile(HostPath(bak(k)), "backup");
                SetReadOnlyFile(bak(k), true);
            }
        }
        designfilestest::Sql("default schema pd_demo;"
                             "update pdtable_113 set model_file_spec = 'pipe3.dgn ' where model_no = 'P1003';"
                             "update pdtable_121 set drawing_file_spec = 'plan200.dgn' where drawing_no = 'D-200';");
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        misname(row.modelReadOnly, row.drawingReadOnly);
        const std::set<std::string> marksBefore = marksNow();
        std::map<std::string, std::string> expected = demoFiles();
        for (const Kind& k : {model, drawing})
            expected[k.dir + k.newName + ".dgn"] = expected.extract(k.dir + k.oldName + ".dgn").mapped();
        const size_t from = messages.asked().size();

        frmFileSpecCheck* w = frmFileSpecCheck::ShowMe("demo");
        w->cmdCheck->click();
        userCheck(w, model.key);
        userCheck(w, drawing.key);
        messages.Answer(MsgAnswer::Yes);
        w->cmdRestore->click();
        ASSERT_EQ(messages.asked().size(), from + 2);
        EXPECT_EQ(messages.asked()[from + 1].prompt, "These files were not renamed:" +
                                                         (row.modelReadOnly ? told(model) : "") +
                                                         (row.drawingReadOnly ? told(drawing) : ""));
        for (const auto& [k, red] : {std::pair{model, row.modelReadOnly}, std::pair{drawing, row.drawingReadOnly}}) {
            const CheckTreeNode* node = w->tree().Find(k.key);
            EXPECT_EQ(node->backColor, red ? kTreeColorRed : kTreeColorGreen) << k.key;
            EXPECT_EQ(node->tag.find("('" + bak(k) + "' is read-only)") != std::string::npos, red) << node->tag;
        }
        EXPECT_EQ(demoFiles(), expected);
        EXPECT_EQ(spec("pdtable_113", "model_file_spec", "model_no = 'P1003'"), "P1003.dgn");
        EXPECT_EQ(spec("pdtable_121", "drawing_file_spec", "drawing_no = 'D-200'"), "D-200.dgn");
        EXPECT_EQ(marksNow(), marksBefore);

        // The next correction of the same nodes runs, and finds their files renamed already.
        messages.Answer(MsgAnswer::Yes);
        w->cmdRestore->click();
        ASSERT_EQ(messages.asked().size(), from + 4);
        EXPECT_EQ(messages.asked()[from + 3].prompt.rfind("These files were not renamed:\r\nModel 'P1003': '" +
                                                              kModelDir + "P1003.dgn' was not renamed", 0),
                  0u) << messages.asked()[from + 3].prompt;
        delete w;
        std::string said;
        EXPECT_EQ(unloadAll(said), 0) << said;
        EXPECT_EQ(said.find("Warning"), std::string::npos) << said;
        EXPECT_EQ(demoFiles(), expected);
        EXPECT_EQ(marksNow(), marksBefore);
    }
    misname(false, false);
}

TEST_F(FileNameCheckWindowTest, CorrectionWithoutCheckedNodesSaysSoAndNoChangesNothing)
{
    frmFileSpecCheck* w = frmFileSpecCheck::ShowMe("demo");
    messages.Answer(MsgAnswer::No);
    w->cmdRestore->click();
    messages.Answer(MsgAnswer::Yes);
    w->cmdRestore->click();
    ASSERT_EQ(messages.asked().size(), 3u);
    EXPECT_EQ(messages.asked()[2].prompt, "No models or drawings to process selected");
    EXPECT_EQ(messages.asked()[2].style, 48);
    EXPECT_TRUE(w->cmdCheck->isEnabled());
}

TEST_F(FileNameCheckWindowTest, ShowMeOnAnOpenWindowKeepsCaptionAndTakesTheNewProject)
{
    frmFileSpecCheck* w = frmFileSpecCheck::ShowMe("demo");
    EXPECT_EQ(frmFileSpecCheck::ShowMe("other"), w);
    std::vector<std::string> schemas;
    w->setProjectTables({[&](const std::string& schema, const std::string&) -> Recordset {
                             schemas.push_back(schema);
                             throw AppError(1, "CRIS::DBRead", "no such schema");
                         },
                         {}});
    w->cmdCheck->click();
    EXPECT_NE(w->windowTitle().toStdString().find("PDS-Project: demo"), std::string::npos);
    EXPECT_EQ(schemas, std::vector<std::string>{"pd_other"});
    ASSERT_EQ(messages.asked().size(), 1u);
    EXPECT_EQ(messages.asked()[0].prompt, "CRIS::DBRead: no such schema");
    EXPECT_FALSE(w->cmdRestore->isEnabled());

    // Called for another project while a run reads the models: the drawings of the same run are
    // still read from the project the run began with.
    frmFileSpecCheck::ShowMe("demo");
    schemas.clear();
    w->setProjectTables({[&](const std::string& schema, const std::string& sql) -> Recordset {
                             schemas.push_back(schema);
                             if (schemas.size() == 1)
                                 frmFileSpecCheck::ShowMe("third");
                             return ProjectTables::Cris().read(schema, sql);
                         },
                         {}});
    w->cmdCheck->click();
    EXPECT_EQ(w->projectName(), "third");
    ASSERT_GE(schemas.size(), 2u);
    for (const std::string& schema : schemas)
        EXPECT_EQ(schema, "pd_demo");
    EXPECT_EQ(messages.asked().size(), 1u);
}

TEST_F(FileNameCheckWindowTest, ClosingWaitsForTheRunningCheck)
{
    QPointer<frmFileSpecCheck> w = frmFileSpecCheck::ShowMe("demo");
    QTimer::singleShot(0, w, [&] { w->cmdClose->click(); });
    w->cmdCheck->click();
    ASSERT_TRUE(w);
    EXPECT_TRUE(status.contains("Please wait until the run has finished"));
    w->cmdClose->click();
    QApplication::processEvents();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(w);
}

} // namespace
