// Offscreen pictures of the windows a user sees most: the main window (each tab), the schema and
// user lists, the table editor and the DDL check window, for a look by eye after a change to a
// window. The pictures go to a fresh folder whose path is printed: below the folder named by
// TARNWICK_SHOTS_DIR, where they are kept, or else in the test's TMP, removed with it. Each picture
// is checked for the controls it is taken to show: each one shown, inside the picture, and drawn
// there (its area not of one colour).
#include "Form1Fixture.h"

#include "admin/PipeFileRestoreForm.h"
#include "ui/qt/ListForm.h"
#include "dbtools/frmCheckDatabaseDDL.h"
#include "dbtools/frmRISTable.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QStatusBar>
#include <QTreeWidget>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTableWidget>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

class WindowShotsTest : public Form1Fixture {
protected:
    void SetUp() override
    {
        Form1Fixture::SetUp();
        const char* kept = std::getenv("TARNWICK_SHOTS_DIR");
        const char* tmp = std::getenv("TMP");
        keep_ = kept && *kept;
        folder_ = fs::path(keep_ ? kept : tmp && *tmp ? tmp : "/tmp") / ("tarnwick_shots_" + std::to_string(::getpid()));
        fs::create_directories(folder_);
        std::cout << "Window pictures in " << folder_.string() << std::endl;
    }
    void TearDown() override
    {
        if (!keep_)
            fs::remove_all(folder_);
        Form1Fixture::TearDown();
    }

    // Lays the window out as shown, saves its picture and checks the named controls in it.
    void shoot(QWidget* window, const std::string& name, const std::vector<std::pair<const char*, QWidget*>>& controls)
    {
        ASSERT_NE(window, nullptr) << name;
        window->show();
        QCoreApplication::processEvents();
        const QPixmap picture = window->grab();
        ASSERT_FALSE(picture.isNull()) << name;
        const fs::path file = folder_ / (name + ".png");
        EXPECT_TRUE(picture.save(QString::fromStdString(file.string()))) << file;
        const QImage image = picture.toImage();
        const qreal scale = picture.devicePixelRatio();
        for (const auto& [what, control] : controls) {
            SCOPED_TRACE(name + ": " + what);
            ASSERT_NE(control, nullptr);
            EXPECT_TRUE(control->isVisible());
            const QRect area = QRect(control->mapTo(window, QPoint(0, 0)) * scale, control->size() * scale)
                                   .intersected(image.rect());
            ASSERT_FALSE(area.isEmpty()) << "lies outside the picture";
            EXPECT_TRUE(drawn(image, area)) << "is blank in the picture";
        }
    }
    // Whether the area holds more than one colour.
    static bool drawn(const QImage& image, const QRect& area)
    {
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                if (image.pixel(x, y) != image.pixel(area.topLeft()))
                    return true;
        return false;
    }

    fs::path folder_;
    bool keep_ = false;
};

TEST_F(WindowShotsTest, MainWindowListsTableEditorAndDdlCheck)
{
    auto form = startedForm();
    form->resize(760, 560);
    for (int i = 0; i < form->SSTab1->count(); ++i) {
        form->SSTab1->setCurrentIndex(i);
        shoot(form.get(), "main_tab" + std::to_string(i + 1),
              {{"the tab's page", form->SSTab1->currentWidget()}, {"the project field", form->Projname}});
    }

    form->Zeigschemen_Click();
    ListForm* schemas = CurrentListForm();
    ASSERT_NE(schemas, nullptr);
    schemas->filterCells[0]->setText("pd");
    shoot(schemas, "list_schemas", {{"the grid", schemas->TDBGrid}, {"the caption", schemas->TDBGridCaption},
                                    {"the filter cell", schemas->filterCells[0]}});
    form->ShowDBuser_Click();
    ListForm* users = CurrentListForm();
    ASSERT_NE(users, nullptr);
    shoot(users, "list_users", {{"the grid", users->TDBGrid}, {"the caption", users->TDBGridCaption}});
    users->close();

    frmRISTable* editor = frmRISTable::ShowMe("demo");
    editor->Timer1_Timer();
    editor->cmbSchema->setCurrentIndex(editor->cmbSchema->findText("pd_demo"));
    editor->cmbSchema_Click();
    editor->cmbTable->setCurrentIndex(editor->cmbTable->findText("pdtable_113"));
    editor->cmbTable_Click();
    editor->resize(760, 420);
    // A narrow first column and the grid scrolled sideways: the filter cells must follow.
    QTableWidget* grid = editor->TDBGrid->TDBGrid;
    grid->horizontalHeader()->resizeSection(0, 60);
    ASSERT_FALSE(editor->TDBGrid->filterCells.empty());
    shoot(editor, "table_editor", {{"the schema list", editor->cmbSchema}, {"the table list", editor->cmbTable},
                                   {"the grid", grid}, {"the first filter cell", editor->TDBGrid->filterCells[0]}});
    grid->horizontalScrollBar()->setValue(grid->horizontalScrollBar()->maximum());
    // Scrolled sideways, the last column's filter cell stands over that column.
    QLineEdit* lastCell = editor->TDBGrid->filterCells.back();
    shoot(editor, "table_editor_scrolled", {{"the grid", grid}, {"the last filter cell", lastCell}});
    const QHeaderView* header = grid->horizontalHeader();
    EXPECT_EQ(lastCell->mapTo(editor, QPoint(0, 0)).x(),
              header->mapTo(editor, QPoint(header->sectionViewportPosition(grid->columnCount() - 1), 0)).x());
    editor->close();

    frmCheckDatabaseDDL* ddl = frmCheckDatabaseDDL::ShowModeless([] { return std::string("demo"); });
    shoot(ddl, "ddl_check", {{"the result tree", ddl->tvwTreeView}, {"the check button", ddl->cmdCheck},
                             {"the status bar", ddl->StatusBar}});
    ddl->close();

    // The piping restore with a dump chosen: the dump's schema shows before Start.
    PipeFileRestoreForm* restore = PipeFileRestoreForm::Restore_pipfile_Click();
    ASSERT_NE(restore, nullptr);
    restore->PipeFileListe->setCurrentRow(0);
    restore->PipeFileListe_Click();
    restore->chooseDumpFile = [] { return WinPathFromHost(testsupport::SourceDir() + "/tests/data/standins/dd_demo.dmp"); };
    restore->Schemafilewahl_Click();
    EXPECT_FALSE(restore->lblDumpSchema->text().isEmpty());
    shoot(restore, "piping_restore", {{"the model list", restore->PipeFileListe}, {"the start button", restore->Start},
                                      {"the dump's schema", restore->lblDumpSchema}});
    restore->close();
}

} // namespace
