// The table editor on the sample environment: deferred start, project schemas, table load,
// filter, sort, cell edits reaching the stand-in server (and refused when they match no row),
// remembered choice.
#include "dbtools/frmRISTable.h"

#include "DbToolsSampleEnvironment.h"
#include "admin/Form1.h"
#include "ui/qt/ListForm.h"
#include "services/MessageService.h"
#include "standins/dbserver/DbServer.h"
#include "support/WrapperClients.h"
#include "TableEditCases.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

namespace {

using Strings = std::vector<std::string>;

// model_description of a model as the stand-in server stores it, trailing blanks and all.
std::string storedDescription(const std::string& model)
{
    const auto rows = DbToolsSampleEnvironment::UserDb("pd_demo")->QueryRows(
        "SELECT model_description FROM pdtable_113 WHERE model_no = '" + model + "'");
    return rows.size() == 1 ? rows[0][0].value_or("<null>") : "<" + std::to_string(rows.size()) + " rows>";
}

class frmRISTableTest : public DbToolsSampleEnvironment {
protected:
    void TearDown() override
    {
        if (frmRISTable* f = frmRISTable::Current()) {
            f->close();
            delete f;
        }
        DbToolsSampleEnvironment::TearDown();
    }

    static Strings entries(const QComboBox* list)
    {
        Strings out;
        for (int i = 0; i < list->count(); ++i)
            out.push_back(list->itemText(i).toStdString());
        return out;
    }
    static void pick(QComboBox* list, const char* text)
    {
        list->setCurrentIndex(list->findText(text));
        ASSERT_GE(list->currentIndex(), 0) << text;
    }
    static Strings column(const frmRISTable* form, int c)
    {
        Strings out;
        for (int r = 0; r < form->TDBGrid->rowCount(); ++r)
            out.push_back(form->TDBGrid->cellText(r, c).toStdString());
        return out;
    }
    static int rowOf(const frmRISTable* form, int c, const char* text)
    {
        const Strings values = column(form, c);
        return static_cast<int>(std::find(values.begin(), values.end(), text) - values.begin());
    }
    static QTableWidgetItem* cell(frmRISTable* form, int r, int c) { return form->TDBGrid->TDBGrid->item(r, c); }

    static frmRISTable* openModels(const char* table = "pdtable_113", const char* schema = "pd_demo")
    {
        frmRISTable* form = frmRISTable::ShowMe("demo");
        form->Timer1_Timer();
        pick(form->cmbSchema, schema);
        form->cmbSchema_Click();
        pick(form->cmbTable, table);
        form->cmbTable_Click();
        return form;
    }
};

TEST_F(frmRISTableTest, StartListsTheProjectSchemasSortedAndNoTableOrNothingForAnUnknownProject)
{
    frmRISTable* form = frmRISTable::ShowMe("demo");
    form->Timer1_Timer();
    EXPECT_EQ(form->cmbProject->currentText(), "demo");
    // dd_demo comes from the project table; the families by name follow the alphabet.
    EXPECT_EQ(entries(form->cmbSchema), (Strings{"dd_demo", "pd_demo"}));
    EXPECT_EQ(form->cmbSchema->currentIndex(), -1);
    EXPECT_EQ(form->TDBGrid->TDBGridCaption->text(), "");
    EXPECT_TRUE(prompts().empty()) << prompts()[0];
    form->close();
    delete form;

    // An unknown project leaves everything empty.
    form = frmRISTable::ShowMe("nosuch");
    form->Timer1_Timer();
    EXPECT_EQ(form->cmbProject->currentIndex(), -1);
    EXPECT_EQ(form->cmbSchema->count(), 0);
    EXPECT_EQ(form->TDBGrid->rowCount(), 0);
}

TEST_F(frmRISTableTest, FilterSortAndEditReachTheServer)
{
    frmRISTable* form = openModels();
    ASSERT_TRUE(prompts().empty()) << prompts()[0];
    EXPECT_EQ(form->TDBGrid->TDBGridCaption->text(), "pdtable_113 - 3 records");
    // Narrower than its ten headings need: none of them is clipped, the grid scrolls instead.
    form->resize(500, 300);
    form->Form_Resize();
    for (int c = 0; c < form->TDBGrid->TDBGrid->columnCount(); ++c)
        EXPECT_GE(form->TDBGrid->TDBGrid->columnWidth(c),
                  form->TDBGrid->TDBGrid->horizontalHeader()->sectionSizeHint(c))
            << form->TDBGrid->TDBGrid->horizontalHeaderItem(c)->text().toStdString();

    form->TDBGrid->filterCells[3]->setText("P");  // model_no
    EXPECT_EQ(form->TDBGrid->TDBGridCaption->text(), "pdtable_113 - 2 records (filtered)");
    form->TDBGrid->filterCells[9]->setText("2");  // partition_no
    EXPECT_EQ(column(form, 3), Strings{"P1002"});
    form->TDBGrid->filterCells[9]->clear();
    form->TDBGrid_HeadClick(3);
    EXPECT_EQ(column(form, 3), (Strings{"P1001", "P1002"}));
    form->TDBGrid_HeadClick(3);
    EXPECT_EQ(column(form, 3), (Strings{"P1002", "P1001"}));

    boxes_.Answer(MsgAnswer::Yes);
    const int r = rowOf(form, 3, "P1002");
    cell(form, r, 4)->setText("Pumps of O'Neil");
    ASSERT_EQ(prompts(), Strings{"Update table?"});
    EXPECT_EQ(boxes_.asked()[0].style & 0xFFF, 276);
    EXPECT_EQ(form->TDBGrid->cellText(r, 4), "Pumps of O'Neil");
    EXPECT_EQ(query("pd_demo", "SELECT model_description FROM pdtable_113 WHERE model_no='P1002'"),
              Strings{"Pumps of O'Neil"});

    // The changed copy filters by the new value without reading the table again.
    form->TDBGrid->filterCells[4]->setText("Pumps");
    EXPECT_EQ(column(form, 3), Strings{"P1002"});
}

TEST_F(frmRISTableTest, AnswerNoOrARefusedValueRestoresTheCell)
{
    frmRISTable* form = openModels();
    const int r = rowOf(form, 3, "P1001");
    boxes_.Answer(MsgAnswer::No);
    cell(form, r, 3)->setText("P9");
    EXPECT_EQ(form->TDBGrid->cellText(r, 3), "P1001");

    boxes_.Answer(MsgAnswer::Yes);
    cell(form, r, 0)->setText("1 OR 1=1"); // model_index_no is a number column
    EXPECT_EQ(form->TDBGrid->cellText(r, 0), "1");
    EXPECT_EQ(prompts().back(), "Value '1 OR 1=1' is no number for column 'model_index_no'");
    EXPECT_EQ(query("pd_demo", "SELECT model_no FROM pdtable_113 WHERE model_index_no=1"), Strings{"P1001"});
}

TEST_F(frmRISTableTest, NullClearsACellAndADateColumnStillMatches)
{
    frmRISTable* form = openModels("pdtable_102");
    ASSERT_TRUE(prompts().empty()) << prompts()[0];
    const int r = rowOf(form, 4, "demo.prj");
    ASSERT_LT(r, form->TDBGrid->rowCount());
    boxes_.Answer(MsgAnswer::Yes);
    cell(form, r, 4)->setText("demo2.prj");
    EXPECT_EQ(prompts(), Strings{"Update table?"});
    EXPECT_EQ(query("pd_demo", "SELECT rdb_file_spec FROM pdtable_102 WHERE type_of_rdb_data=99"), Strings{"demo2.prj"});

    const int lib = rowOf(form, 4, "stdnote.l");
    boxes_.Answer(MsgAnswer::Yes);
    cell(form, lib, 4)->setText("nUlL"); // in any case
    EXPECT_EQ(form->TDBGrid->cellText(lib, 4), "");
    EXPECT_EQ(query("pd_demo", "SELECT rdb_file_spec FROM pdtable_102 WHERE type_of_rdb_data=2"), Strings{""});
}

TEST_F(frmRISTableTest, ClosingRemembersTheChoiceAndTheNextOpeningReplaysIt)
{
    frmRISTable* form = openModels();
    form->close();
    delete form;
    EXPECT_EQ(ReadIniValue(gIniFile, "frmRISTable_PST", "Table", ""), "pdtable_113");
    form = frmRISTable::ShowMe("");
    form->Timer1_Timer();
    EXPECT_EQ(form->cmbSchema->currentText(), "pd_demo");
    EXPECT_EQ(form->TDBGrid->TDBGridCaption->text(), "pdtable_113 - 3 records");
}

TEST_F(frmRISTableTest, MainWindowButtonsOpenTheToolsWithItsProject)
{
    Form1 main;
    main.Projname->setEditText("");
    main.cmdAlterDBColumn->click();
    EXPECT_EQ(prompts(), Strings{"Please select a project first."});
    main.Projname->setEditText("demo");
    main.btnViewRISTable->click();
    frmRISTable* form = frmRISTable::Current();
    ASSERT_NE(form, nullptr);
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(frmRISTable::ShowMe("other"), form); // an open window is only brought forward
}

// A row another program changed after the window read it: the row condition matches no row, the
// cell keeps what it showed and the user is told, instead of a grid showing what the table does
// not hold.
TEST_F(frmRISTableTest, AnEditThatMatchesNoRowKeepsTheCellAndSaysSo)
{
    const std::string original = storedDescription("P1001");
    // The sample environment serves the whole test program: its row goes back as it was.
    const ExecAtEnd putBack{"pd_demo", "UPDATE pdtable_113 SET model_description=" +
                                           (original == "<null>" ? std::string("NULL") : "'" + original + "'") +
                                           " WHERE model_no='P1001'"};
    frmRISTable* form = openModels();
    const int r = rowOf(form, 3, "P1001");
    ASSERT_LT(r, form->TDBGrid->rowCount());
    const QString shown = form->TDBGrid->cellText(r, 4);
    UserDb("pd_demo")->Exec("UPDATE pdtable_113 SET model_description='Pumps' WHERE model_no='P1001'");

    boxes_.Answer(MsgAnswer::Yes);
    cell(form, r, 4)->setText("Pumps and valves");
    ASSERT_EQ(prompts().size(), 2u);
    EXPECT_EQ(prompts()[1], "Data was not updated: no row of table 'pdtable_113' matches the row as shown. "
                            "Choose the table again to read it anew.");
    EXPECT_EQ(form->TDBGrid->cellText(r, 4), shown);
    EXPECT_EQ(storedDescription("P1001"), "Pumps");
}

// Edits whose client dies before or after the UPDATE or ends well having changed nothing, values
// the server stores otherwise than typed or refuses, the next edit of a row so changed, clients
// that store another value or change every row: the row is read back as the server stored it,
// the cell shows what the table holds and the box says it.
TEST_F(frmRISTableTest, EachEditShowsWhatTheTableHolds)
{
    tabletest::RunTableEdits(boxes_, [](const tabletest::TableEditCase& c) {
        frmRISTable* form = openModels(c.table, c.schema);
        return form ? form->TDBGrid : nullptr;
    });
}

// Two rows the grid shows alike: an edit of one of them is refused and changes neither.
struct AlikeRowsCase {
    const char* name;
    const char* table;
    const char* added;   // the rows added, beside or together
    const char* removed; // the condition that takes them out again
    const char* key;     // the text in the first column of the row to edit
    int column;          // the edited column
    const char* shown;   // its value
};

void PrintTo(const AlikeRowsCase& c, std::ostream* os) { *os << c.name; }

class frmRISTableAlikeRowsTest : public frmRISTableTest, public ::testing::WithParamInterface<AlikeRowsCase> {};

TEST_P(frmRISTableAlikeRowsTest, AnEditThatMatchesTwoRowsChangesNothing)
{
    const AlikeRowsCase& c = GetParam();
    UserDb("pd_demo")->Exec(std::string("INSERT INTO ") + c.table + " VALUES " + c.added);
    const ExecAtEnd takeOut{"pd_demo", std::string("DELETE FROM ") + c.table + " WHERE " + c.removed};
    const auto before = SchemaState("pd_demo");

    frmRISTable* form = openModels(c.table);
    const int r = rowOf(form, 0, c.key);
    ASSERT_LT(r, form->TDBGrid->rowCount());
    ASSERT_EQ(form->TDBGrid->cellText(r, c.column).toStdString(), c.shown);
    boxes_.Answer(MsgAnswer::Yes);
    cell(form, r, c.column)->setText("7");
    ASSERT_EQ(prompts().size(), 2u);
    EXPECT_EQ(prompts()[1], "2 rows hold these values. Nothing was changed");
    EXPECT_EQ(form->TDBGrid->cellText(r, c.column).toStdString(), c.shown);
    EXPECT_EQ(SchemaState("pd_demo"), before);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, frmRISTableAlikeRowsTest,
    ::testing::Values(
        // Partition 3 twice.
        AlikeRowsCase{"TwoIdenticalRows", "pdtable_114", "(3)",
                      "partition_no = 3 AND rowid = (SELECT max(rowid) FROM pdtable_114)", "3", 0, "3"},
        // A path that is '' beside one that is Null, which the grid shows alike.
        AlikeRowsCase{"EmptyBesideNull", "pdtable_115", "(9, 'PDSSRV9', ''), (9, 'PDSSRV9', NULL)",
                      "discipline_indx_no = 9", "9", 1, "PDSSRV9"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
