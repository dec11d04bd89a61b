// The table viewer on the sample environment: schema choice with history, table load, an
// edit with its read-back, a table that cannot be read.
#include "dbtools/frmViewRISTable.h"

#include "DbToolsSampleEnvironment.h"
#include "ui/qt/ListForm.h"
#include "dbtools/SchemaHistory.h"
#include "services/MessageService.h"
#include "support/WrapperClients.h"
#include "TableEditCases.h"

#include <QComboBox>
#include <QLabel>
#include <QTableWidget>

namespace {

using Strings = std::vector<std::string>;

class frmViewRISTableTest : public DbToolsSampleEnvironment {
protected:
    void SetUp() override
    {
        DbToolsSampleEnvironment::SetUp();
        form_ = new frmViewRISTable;
        form_->Form_Load();
    }
    void TearDown() override
    {
        delete form_;
        DbToolsSampleEnvironment::TearDown();
    }
    void chooseSchema(const char* schema)
    {
        form_->cmbSchema->setEditText(schema);
        form_->cmbSchema_LostFocus();
    }
    void chooseTable(const char* table)
    {
        form_->cmbTables->setCurrentIndex(form_->cmbTables->findText(table));
        form_->cmbTables_Click();
    }
    frmViewRISTable* form_ = nullptr;
};

TEST_F(frmViewRISTableTest, SchemaListsItsTablesAndEntersTheHistory)
{
    EXPECT_EQ(form_->TDBGrid->TDBGridCaption->text(), "Please select one table");
    chooseSchema("pd_demo");
    EXPECT_GE(form_->cmbTables->findText("pdtable_113"), 0);
    EXPECT_EQ(SchemaHistory::Read(gIniFile), Strings{"pd_demo"});
    chooseSchema("nosuch_schema");
    ASSERT_EQ(prompts().size(), 1u);
    EXPECT_EQ(form_->cmbTables->count(), 0);
    EXPECT_EQ(SchemaHistory::Read(gIniFile), Strings{"pd_demo"}); // not entered
    form_->cmbSchema_DropDown();
    EXPECT_EQ(form_->cmbSchema->count(), 1);
    EXPECT_EQ(form_->cmbSchema->currentText(), "nosuch_schema");
}

TEST_F(frmViewRISTableTest, EditIsWrittenByTheKeyColumnAndReadBack)
{
    chooseSchema("pd_demo");
    chooseTable("pdtable_113");
    ASSERT_TRUE(prompts().empty()) << prompts()[0];
    EXPECT_EQ(form_->TDBGrid->TDBGridCaption->text(), "pdtable_113 - 3 records");
    int r = 0;
    while (r < form_->TDBGrid->rowCount() && form_->TDBGrid->cellText(r, 3) != "E2001")
        ++r;
    ASSERT_LT(r, form_->TDBGrid->rowCount());
    boxes_.Answer(MsgAnswer::Yes);
    form_->TDBGrid->TDBGrid->item(r, 3)->setText("E2001'B");
    EXPECT_EQ(prompts(), Strings{"Update table ?"});
    EXPECT_EQ(form_->TDBGrid->cellText(r, 3), "E2001'B");
    EXPECT_EQ(query("pd_demo", "SELECT model_no FROM pdtable_113 WHERE model_index_no=3"), Strings{"E2001'B"});
    boxes_.Answer(MsgAnswer::Yes);
    form_->TDBGrid->TDBGrid->item(r, 3)->setText("E2001");
    EXPECT_EQ(query("pd_demo", "SELECT model_no FROM pdtable_113 WHERE model_index_no=3"), Strings{"E2001"});
}

TEST_F(frmViewRISTableTest, AnEditThatMatchesTwoRowsChangesNothing)
{
    UserDb("pd_demo")->Exec("INSERT INTO pdtable_114 VALUES (3)"); // partition 3 twice
    const ExecAtEnd takeOut{"pd_demo", "DELETE FROM pdtable_114 WHERE rowid = "
                                       "(SELECT max(rowid) FROM pdtable_114)"};
    const auto before = SchemaState("pd_demo");
    chooseSchema("pd_demo");
    chooseTable("pdtable_114");
    int r = 0;
    while (r < form_->TDBGrid->rowCount() && form_->TDBGrid->cellText(r, 0) != "3")
        ++r;
    ASSERT_LT(r, form_->TDBGrid->rowCount());
    boxes_.Answer(MsgAnswer::Yes);
    form_->TDBGrid->TDBGrid->item(r, 0)->setText("7");
    EXPECT_EQ(prompts(), (Strings{"Update table ?", "2 rows hold these values. Nothing was changed"}));
    EXPECT_EQ(form_->TDBGrid->cellText(r, 0), "3");
    EXPECT_EQ(SchemaState("pd_demo"), before);
}

// The edits the table editor is tried with, through the viewer's own statements (by the key
// column where the table has one): the same outcomes, cells and boxes.
TEST_F(frmViewRISTableTest, EachEditShowsWhatTheTableHolds)
{
    tabletest::RunTableEdits(boxes_, [this](const tabletest::TableEditCase& c) {
        chooseSchema(c.schema);
        chooseTable(c.table);
        return form_->TDBGrid;
    });
}

} // namespace
