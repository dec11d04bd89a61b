// The table editor's cell edit when the UPDATE changes no row: the cell keeps the stored value
// and the user is told, instead of a grid that shows what the table does not hold.
#include "dbtools/frmRISTable.h"

#include "DbToolsSampleEnvironment.h"
#include "services/MessageService.h"
#include "ui/qt/ListForm.h"
#include "standins/dbserver/DbServer.h"

#include <QComboBox>
#include <QTableWidget>

namespace {

// model_description of a model as the stand-in server stores it, trailing blanks and all.
std::string storedDescription(const std::string& model)
{
    DbServer server(DbServer::EnvironmentRoot());
    auto db = server.OpenUserDatabase(server.FindSchema("pd_demo")->dbUser);
    const auto rows = db->QueryRows("SELECT model_description FROM pdtable_113 WHERE model_no = '" + model + "'");
    return rows.size() == 1 ? rows[0][0].value_or("<null>") : "<" + std::to_string(rows.size()) + " rows>";
}

class frmRISTableFailureTest : public DbToolsSampleEnvironment {
protected:
    void TearDown() override
    {
        if (frmRISTable* f = frmRISTable::Current()) {
            f->close();
            delete f;
        }
        DbToolsSampleEnvironment::TearDown();
    }
};

} // namespace

TEST_F(frmRISTableFailureTest, AnEditThatMatchesNoRowKeepsTheCellAndSaysSo)
{
    // RIS keeps the blank; the editor's read drops it, so its row condition matches nothing.
    CRIS setup;
    setup.SetUseRIS("");
    const std::string original = storedDescription("P1001");
    setup.DBWrite("pd_demo", "UPDATE pdtable_113 SET model_description='Pumps ' WHERE model_no='P1001';");
    // The sample environment serves the whole test program: its row goes back as it was.
    struct PutBack {
        CRIS& cris;
        std::string value;
        ~PutBack()
        {
            cris.DBWrite("pd_demo", "UPDATE pdtable_113 SET model_description=" +
                                        (value == "<null>" ? std::string("NULL") : "'" + value + "'") +
                                        " WHERE model_no='P1001';");
        }
    } putBack{setup, original};
    ASSERT_EQ(storedDescription("P1001"), "Pumps ");

    frmRISTable* form = frmRISTable::ShowMe("demo");
    form->Timer1_Timer();
    form->cmbSchema->setCurrentIndex(form->cmbSchema->findText("pd_demo"));
    form->cmbSchema_Click();
    form->cmbTable->setCurrentIndex(form->cmbTable->findText("pdtable_113"));
    form->cmbTable_Click();
    int r = 0;
    while (r < form->TDBGrid->rowCount() && form->TDBGrid->cellText(r, 3) != "P1001")
        ++r;
    ASSERT_LT(r, form->TDBGrid->rowCount());
    const QString shown = form->TDBGrid->cellText(r, 4);

    boxes_.Answer(MsgAnswer::Yes);
    form->TDBGrid->TDBGrid->item(r, 4)->setText("Pumps and valves");
    ASSERT_EQ(prompts().size(), 2u);
    EXPECT_EQ(prompts()[1], "Data was not updated: no row of table 'pdtable_113' matches the row as shown. "
                            "Choose the table again to read it anew.");
    EXPECT_EQ(form->TDBGrid->cellText(r, 4), shown);
    EXPECT_EQ(storedDescription("P1001"), "Pumps ");
}
