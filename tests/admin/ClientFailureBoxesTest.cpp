// A client failure the main window shows: a change whose look cannot read what stands afterwards
// (a listing, count or unload that fails, an answer cut short) says that whether it was done is
// not known, and why, never that it is not whole or not done; a framed RIS error in any box is
// its one line, amid what the program said before and after it.
#include "Form1Fixture.h"

#include "dbaccess/CRIS.h"
#include "services/AppGlobals.h"
#include "services/MessageService.h"
#include "support/Raised.h"
#include "support/WrapperClients.h"

#include <QLineEdit>
#include <QPushButton>

using testsupport::ClientRule;
using testsupport::WrapperClients;

namespace {

using ClientFailureBoxesTest = Form1Fixture;

TEST_F(ClientFailureBoxesTest, AFailedLookSaysNotKnownAndAFramedErrorIsItsLine)
{
    WrapperClients clients;
    auto form = startedForm();
    const std::string registered = gCRIS->GetRISPath();
    gCRIS->SetUseRIS(clients.WinFolder()); // the access object's reads through the wrapped clients too
    form->UnLoad_proj_schemen_Click();
    const std::string refused = "RIS Error: RIS_E_NO_PRIVILEGE - Statement refused: ";
    WriteIniValue(gIniFile, "TARNWICK", "svrmgr_path", clients.WinFolder() + "svrmgr30.exe");
    enum class By { Script, ChosenFile, TableCopy, ProjectList, GrantRun };
    // The look's own runs (its listing of the schema's definitions and its counts, the copy's
    // unload of its new table, the server manager's list of users), then two reads of the window.
    const struct {
        By by;
        std::string line; // of the script
        const char* client;
        ClientRule rule;
        std::string why; // what the sentence gives as the reason
        bool look = true; // the failure is the look's: whether the change was done is not known
    } cases[] = {
        {By::Script, "risload '" + dumpDir + "\\pd_demo.dmp'", "risunlod", ClientRule::CutAnswer(4).When("grant all"),
         "is not whole"},
        {By::ChosenFile, "", "risbatch", ClientRule::RefuseStatement("count(*)"),
         "(" + refused + "count(*)).\r\nSee Logfile '"},
        {By::TableCopy, "", "risunlod",
         ClientRule::DieBefore(1, WrapperClients::ErrorBlock("RIS_E_CANT_WRITE_FILE", "x")).When("pdtable_113_copy"),
         "RIS_E_CANT_WRITE_FILE"},
        {By::Script, "cre_dbuser 'pd_unread'", "svrmgr30", ClientRule::CutAnswer(3).When("dba_users"),
         "Could not get database users"},
        {By::ProjectList, "", "risbatch", ClientRule::RefuseStatement("schema names"),
         "CRIS::RISGetSchemas: " + refused + "schema names", false},
        {By::GrantRun, "", "risbatch", ClientRule::RefuseStatement("ris5tables"), refused + "ris5tables", false},
    };
    const std::string script = dumpDir + "\\look.scr";
    form->scriptfile->setText(QString::fromStdString(script));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        clients.Set(c.client, c.rule);
        std::string said;
        switch (c.by) {
        case By::Script:
            writeFile(script, c.line + "\r\n");
            messages.Answer(MsgAnswer::Yes);
            form->SCRstart_Click();
            break;
        case By::ChosenFile: dialogs.Answer(dumpDir + "\\pd_demo.dmp"), form->Load_auswahl_Click(); break;
        case By::TableCopy:
            said = testsupport::Raised([&] {
                       gCRIS->RISTableCopy("pd_demo", {"pdtable_113"}, "pd_demo", {"pdtable_113_copy"}, 0, "");
                   }).description();
            execute("pd_demo", "drop table pdtable_113_copy");
            break;
        case By::ProjectList:
            EXPECT_ANY_THROW(gCRIS->RISGetSchemas(true, true)); // the list is read anew
            form->Timer1_Timer();
            break;
        case By::GrantRun: form->btnGrantAll->click(); break;
        }
        clients.Set(c.client, ClientRule::PassThrough());
        if (c.by != By::TableCopy)
            said = messages.asked().back().prompt;
        EXPECT_EQ(said.find("whether it was done is not known: what stands could not be read (") != std::string::npos,
                  c.look) << said;
        EXPECT_NE(said.find(c.why), std::string::npos) << said;
        for (const char* never : {"was not done", "but it is not whole", "demo is not whole", "read again"})
            EXPECT_EQ(said.find(never), std::string::npos) << never << "\n" << said;
        // A box shows a framed error as its line; the access object raises it as the client wrote it.
        EXPECT_TRUE(c.by == By::TableCopy || said.find("*****") == std::string::npos) << said;
    }
    // The user the script made goes again.
    writeFile(script, "del_dbuser 'pd_unread'\r\n");
    messages.Answer(MsgAnswer::Yes);
    form->SCRstart_Click();
    EXPECT_EQ(form->aktuellescrzeile->text().toStdString(), "Finished, see log file");
    gCRIS->SetUseRIS(registered);
    gCRIS->RISGetSchemas(true, true);
}

} // namespace
