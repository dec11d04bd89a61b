// A change whose look cannot read what stands afterwards (a listing, count or unload that fails,
// a full TEMP, an answer cut short) says that whether it was done is not known, and why; never
// that it is not whole or not done.
#include "Form1Fixture.h"

#include "admin/PipingModelRestore.h"
#include "dbaccess/CRIS.h"
#include "platform/AppError.h"
#include "services/AppGlobals.h"
#include "services/MessageService.h"
#include "support/WrapperClients.h"

#include <QLineEdit>

using testsupport::ClientRule;
using testsupport::WrapperClients;

namespace {

using UnreadableLooksTest = Form1Fixture;

enum class Change { ScriptLoad, PipingRestore, TableCopy, ScriptCreateUser };

TEST_F(UnreadableLooksTest, ALookThatCannotReadSaysNotKnown)
{
    WrapperClients clients;
    auto form = startedForm();
    const std::string registered = gCRIS->GetRISPath();
    gCRIS->SetUseRIS(clients.WinFolder());
    form->UnLoad_proj_schemen_Click();
    WriteIniValue(gIniFile, "TARNWICK", "svrmgr_path", clients.WinFolder() + "svrmgr30.exe");
    const std::string pdDump = dumpDir + "\\pd_demo.dmp", ddDump = dumpDir + "\\dd_demo.dmp";
    const std::string diskFull = WrapperClients::ErrorBlock("RIS_E_CANT_WRITE_FILE", "Disk full.");
    // The look's own runs: its listing of the schema's definitions, the copy's unload of its new table.
    const ClientRule listingFails = ClientRule::Scripted(std::nullopt, diskFull, std::nullopt, 1).When("grant all");
    struct Case {
        Change change;
        std::string client;
        ClientRule rule;
        std::string why; // what the sentence gives as the reason
    };
    const std::vector<Case> cases = {
        {Change::ScriptLoad, "risunlod", listingFails, "RIS_E_CANT_WRITE_FILE"},
        {Change::ScriptLoad, "risunlod", ClientRule::CutAnswer(4).When("grant all"), "is not whole"},
        {Change::PipingRestore, "risunlod", listingFails, "RIS_E_CANT_WRITE_FILE"},
        {Change::TableCopy, "risunlod",
         ClientRule::Scripted(std::nullopt, diskFull, std::nullopt, 1).When("pdtable_113_copy"),
         "RIS_E_CANT_WRITE_FILE"},
        {Change::TableCopy, "risbatch", ClientRule::DieBefore(139).When("pdtable_113_copy"), "139"},
        {Change::ScriptCreateUser, "svrmgr30", ClientRule::CutAnswer(3).When("dba_users"),
         "Could not get database users"},
    };
    const std::string script = dumpDir + "\\look.scr";
    form->scriptfile->setText(QString::fromStdString(script));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        clients.Set(c.client, c.rule);
        std::string said;
        switch (c.change) {
        case Change::ScriptLoad:
        case Change::ScriptCreateUser:
            writeFile(script, c.change == Change::ScriptLoad ? "risload '" + pdDump + "'\r\n"
                                                             : "cre_dbuser 'pd_unread'\r\n");
            messages.Answer(MsgAnswer::Yes);
            form->SCRstart_Click();
            said = messages.asked().back().prompt;
            break;
        case Change::PipingRestore:
            try {
                PipingModelRestore::Restore(ddDump, "demo", {"P1001", "1"});
            } catch (const AppError& e) {
                said = e.description();
            }
            break;
        case Change::TableCopy:
            try {
                gCRIS->RISTableCopy("pd_demo", {"pdtable_113"}, "pd_demo", {"pdtable_113_copy"}, 0, "");
            } catch (const AppError& e) {
                said = e.description();
            }
            execute("pd_demo", "drop table pdtable_113_copy");
            break;
        }
        clients.Set(c.client, ClientRule::PassThrough());
        EXPECT_NE(said.find("whether it was done is not known: what stands could not be read ("), std::string::npos)
            << said;
        EXPECT_NE(said.find(c.why), std::string::npos) << said;
        for (const char* never : {"was not done", "but it is not whole", "demo is not whole", "could not be read again"})
            EXPECT_EQ(said.find(never), std::string::npos) << never << "\n" << said;
    }
    // The user the script made goes again.
    writeFile(script, "del_dbuser 'pd_unread'\r\n");
    messages.Answer(MsgAnswer::Yes);
    form->SCRstart_Click();
    EXPECT_EQ(form->aktuellescrzeile->text().toStdString(), "Finished, see log file");
    gCRIS->SetUseRIS(registered);
}

} // namespace
