// Offscreen pictures of the windows a user sees most: the main window (each tab), the schema and
// user lists, the table editor and the DDL check window, for a look by eye after a change to a
// window. The pictures go to a fresh folder whose path is printed: below the folder named by
// TARNWICK_SHOTS_DIR, where they are kept, or else in the test's TMP, removed with it (the run then
// only proves that every window draws).
#include "Form1Fixture.h"

#include "admin/PipeFileRestoreForm.h"
#include "ui/qt/ListForm.h"
#include "dbtools/frmCheckDatabaseDDL.h"
#include "dbtools/frmRISTable.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
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

    // Lays the window out as shown and saves its picture.
    void shoot(QWidget* window, const std::string& name)
    {
        ASSERT_NE(window, nullptr) << name;
        window->show();
        QCoreApplication::processEvents();
        const QPixmap picture = window->grab();
        ASSERT_FALSE(picture.isNull()) << name;
        const fs::path file = folder_ / (name + ".png");
        EXPECT_TRUE(picture.save(QString::fromStdString(file.string()))) << file;
        EXPECT_GT(fs::file_size(file), 1000u) << file;
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
        shoot(form.get(), "main_tab" + std::to_string(i + 1));
    }

    form->Zeigschemen_Click();
    ListForm* schemas = CurrentListForm();
    ASSERT_NE(schemas, nullptr);
    schemas->filterCells[0]->setText("pd");
    shoot(schemas, "list_schemas");
    form->ShowDBuser_Click();
    ListForm* users = CurrentListForm();
    ASSERT_NE(users, nullptr);
    shoot(users, "list_users");
    users->close();

    frmRISTable* editor = frmRISTable::ShowMe("demo");
    editor->Timer1_Timer();
    editor->cmbSchema->setCurrentIndex(editor->cmbSchema->findText("pd_demo"));
    editor->cmbSchema_Click();
    editor->cmbTable->setCurrentIndex(editor->cmbTable->findText("pdtable_113"));
    editor->cmbTable_Click();
    editor->resize(760, 420);
    // A narrow first column and the grid scrolled sideways: the filter cells must follow.
    editor->TDBGrid->TDBGrid->horizontalHeader()->resizeSection(0, 60);
    shoot(editor, "table_editor");
    editor->TDBGrid->TDBGrid->horizontalScrollBar()->setValue(editor->TDBGrid->TDBGrid->horizontalScrollBar()->maximum());
    shoot(editor, "table_editor_scrolled");
    editor->close();

    frmCheckDatabaseDDL* ddl = frmCheckDatabaseDDL::ShowModeless([] { return std::string("demo"); });
    shoot(ddl, "ddl_check");
    ddl->close();

    // The piping restore with a dump chosen: the dump's schema shows before Start.
    PipeFileRestoreForm* restore = PipeFileRestoreForm::Restore_pipfile_Click();
    ASSERT_NE(restore, nullptr);
    restore->PipeFileListe->setCurrentRow(0);
    restore->PipeFileListe_Click();
    restore->chooseDumpFile = [] { return WinPathFromHost(testsupport::SourceDir() + "/tests/data/standins/dd_demo.dmp"); };
    restore->Schemafilewahl_Click();
    shoot(restore, "piping_restore");
    restore->close();
}

} // namespace
