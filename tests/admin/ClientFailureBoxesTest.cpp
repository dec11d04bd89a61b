// The main window's boxes that show a client's failure word a framed RIS error as its one line,
// keeping what the program said before and after it.
#include "Form1Fixture.h"

#include "dbaccess/CRIS.h"
#include "services/AppGlobals.h"
#include "support/WrapperClients.h"

#include <QPushButton>

using testsupport::ClientRule;

namespace {

using ClientFailureBoxesTest = Form1Fixture;

TEST_F(ClientFailureBoxesTest, AFramedRisErrorIsShownAsItsLine)
{
    enum class Action { ProjectList, LoadChosenDump, GrantRun };
    const struct {
        const char* what;
        Action action;
        const char* refused; // risbatch refuses the statement holding it
        const char* said;    // in the last box
    } cases[] = {
        {"the project list", Action::ProjectList, "schema names",
         "CRIS::RISGetSchemas: RIS Error: RIS_E_NO_PRIVILEGE - Statement refused: schema names"},
        {"the look after a load", Action::LoadChosenDump, "count(*)",
         "what stands could not be read (RIS Error: RIS_E_NO_PRIVILEGE - Statement refused: count(*)).\r\nSee Logfile '"},
        {"the dictionary's tables of the grant run", Action::GrantRun, "ris5tables",
         "RIS Error: RIS_E_NO_PRIVILEGE - Statement refused: ris5tables"},
    };
    testsupport::WrapperClients clients;
    auto form = startedForm();
    const std::string registered = gCRIS->GetRISPath();
    gCRIS->SetUseRIS(clients.WinFolder());
    form->UnLoad_proj_schemen_Click();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        clients.Set("risbatch", ClientRule::RefuseStatement(c.refused));
        switch (c.action) {
        case Action::ProjectList:
            EXPECT_ANY_THROW(gCRIS->RISGetSchemas(true, true)); // the list is read anew
            form->Timer1_Timer();
            break;
        case Action::LoadChosenDump:
            dialogs.Answer(dumpDir + "\\pd_demo.dmp");
            form->Load_auswahl_Click();
            break;
        case Action::GrantRun: form->btnGrantAll->click(); break;
        }
        clients.Set("risbatch", ClientRule::PassThrough());
        ASSERT_FALSE(messages.asked().empty());
        const auto shown = std::find_if(messages.asked().rbegin(), messages.asked().rend(), [&](const auto& a) {
            return a.prompt.find(c.refused) != std::string::npos;
        });
        ASSERT_NE(shown, messages.asked().rend());
        EXPECT_NE(shown->prompt.find(c.said), std::string::npos) << shown->prompt;
        EXPECT_EQ(shown->prompt.find("*****"), std::string::npos) << shown->prompt;
    }
    gCRIS->SetUseRIS(registered);
    gCRIS->RISGetSchemas(true, true);
}

} // namespace
