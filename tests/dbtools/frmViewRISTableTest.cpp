// The table viewer on the sample environment: schema choice with history, table load, an
// edit with its read-back, a table that cannot be read.
#include "dbtools/frmViewRISTable.h"

#include "DbToolsSampleEnvironment.h"
#include "ui/qt/ListForm.h"
#include "dbtools/SchemaHistory.h"
#include "services/MessageService.h"
#include "support/WrapperClients.h"

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

// The viewer's UPDATE committed by a client that then dies: the row is read, the cell keeps the
// new value and the box says the update was done.
TEST_F(frmViewRISTableTest, AnUpdateWhoseClientDiesAfterItsWorkKeepsTheNewValue)
{
    chooseSchema("pd_demo");
    chooseTable("pdtable_113");
    int r = 0;
    while (r < form_->TDBGrid->rowCount() && form_->TDBGrid->cellText(r, 3) != "E2001")
        ++r;
    ASSERT_LT(r, form_->TDBGrid->rowCount());
    const ExecAtEnd putBack{"pd_demo", "UPDATE pdtable_113 SET model_no='E2001' WHERE model_index_no=3"};
    const std::string risPath = gCRIS->GetRISPath();
    testsupport::WrapperClients clients;
    clients.Set("risbatch", testsupport::ClientRule::DieAfter(139).When("UPDATE pdtable_113"));
    gCRIS->SetUseRIS(clients.WinFolder());
    boxes_.Answer(MsgAnswer::Yes);
    form_->TDBGrid->TDBGrid->item(r, 3)->setText("E2009");
    gCRIS->SetUseRIS(risPath);

    ASSERT_EQ(prompts().size(), 2u);
    EXPECT_EQ(prompts()[1].rfind("The UPDATE of table 'pdtable_113' was done although risbatch ended with exit code 139",
                                 0),
              0u)
        << prompts()[1];
    EXPECT_NE(prompts()[1].find("; the row holds model_no 'E2009'."), std::string::npos) << prompts()[1];
    EXPECT_EQ(form_->TDBGrid->cellText(r, 3), "E2009");
    EXPECT_EQ(query("pd_demo", "SELECT model_no FROM pdtable_113 WHERE model_index_no=3"), Strings{"E2009"});
}

} // namespace
