// The grant run and the RIS clean on the sample environment with wrapper clients that do their
// work and die, die before, or answer without success: after each failure the grants and the
// RIS dictionary are read again, and the log and the closing message say what stands.
#include "Form1Fixture.h"

#include "dbaccess/CRIS.h"
#include "platform/TextUtil.h"
#include "services/AppGlobals.h"
#include "support/WrapperClients.h"

#include <QPushButton>

using testsupport::ClientRule;

namespace {

const std::string kReady = " Tarnwick is ready  -  See Logfile ";

using MaintenanceFailureTest = Form1Fixture;

bool grantedToPublic(const std::string& table)
{
    const auto grantees = DbServer(StandInRoot()).GrantsOn("PD_DEMO", table);
    return std::find(grantees.begin(), grantees.end(), "PUBLIC") != grantees.end();
}

TEST_F(MaintenanceFailureTest, AFailedGrantOrCleanIsJudgedByWhatStands)
{
    struct Case {
        const char* name;
        const char* client;
        ClientRule rule;
        bool granted;        // pdtable_113 carries its grant to public afterwards
        const char* logged;  // in the program log
        bool ready;          // the closing message is the ready one
    };
    const std::vector<Case> cases = {
        {"risunlod's listing leaves pdtable_113 out with exit 0", "risunlod",
         ClientRule::FailTable("pdtable_113", "", 0).When("-s pd_demo table all").Times(1), true,
         "pdtable_113: the dictionary lists it, the unload client's listing of pd_demo leaves it out; it is granted",
         true},
        {"risbatch grants, then dies", "risbatch", ClientRule::DieAfter(139), true,
         "to public was done although risbatch grant all: ended with exit code 139; each of the ", true},
        {"risbatch dies before", "risbatch", ClientRule::DieBefore(139), false,
         "to public was done is not known: risbatch grant all: ended with exit code 139. What stands: "
         "pd_demo.pdtable_113 carries no grant to public; the other ",
         false},
        {"risclnsr cleans, then dies", "risclnsr", ClientRule::DieAfter(139).When("pd_demo"), true,
         "Whether the RIS clean of schema pd_demo was done is not known: risclnsr pd_demo: ended with exit code 139. "
         "What stands: the RIS schema pd_demo and its database user stand",
         false},
        {"risclnsr answers without success", "risclnsr",
         ClientRule::Scripted(std::nullopt, std::string("cleaner started\r\n")).When("pd_demo"), true,
         "risclnsr pd_demo: its output does not report success. What stands: the RIS schema pd_demo", false},
    };
    auto form = startedForm();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testsupport::WrapperClients clients;
        clients.Set(c.client, c.rule);
        DbServer(StandInRoot()).DropGrants("PD_DEMO", "pdtable_113");
        // The access object keeps the table list the wrapped risunlod cut: the run starts from it.
        const std::string risPath = gCRIS->GetRISPath();
        if (std::string(c.client) == "risunlod") {
            gCRIS->SetUseRIS(clients.WinFolder());
            EXPECT_FALSE(ContainsNoCase(gCRIS->DBGetTables("pd_demo", true), "pdtable_113"));
        }
        const bool grantRun = std::string(c.client) != "risclnsr";
        if (!grantRun)
            execute("pd_demo", "grant all on pdtable_113 to public");
        const size_t asked = messages.asked().size();
        (grantRun ? form->btnGrantAll : form->btnRISClean)->click();
        gCRIS->SetUseRIS(risPath);
        EXPECT_GE(clients.Runs(c.client), 1);
        EXPECT_EQ(grantedToPublic("pdtable_113"), c.granted);
        const std::string log = BinaryFile::ReadAll(gLogFile);
        EXPECT_NE(log.find(c.logged), std::string::npos) << log;
        ASSERT_EQ(messages.asked().size(), asked + 1);
        const std::string closing = messages.asked().back().prompt;
        if (c.ready)
            EXPECT_EQ(closing, kReady);
        else
            EXPECT_NE(closing.find(c.logged), std::string::npos) << closing;
    }
    execute("pd_demo", "grant all on pdtable_113 to public");
}

} // namespace
