// Every road that loads a dump, on the sample environment with a load client that ends well
// having done only part of its work, or that names its refusal: what the program says must
// match the rows and grants the server holds afterwards.
#include "Form1Fixture.h"

#include "admin/PipingModelRestore.h"
#include "dbaccess/CRIS.h"
#include "platform/AppError.h"
#include "services/AppGlobals.h"
#include "services/MessageService.h"
#include "support/WrapperClients.h"

#include <QLineEdit>

using testsupport::ClientRule;

namespace {

using LoadRoadsTest = Form1Fixture;

enum class Road { AllDumps, ProjectDumps, ChosenFile, Script, PipingRestore };

bool grantedToPublic(const std::string& schema, const std::string& table)
{
    for (const ListedGrant& g : gCRIS->RISGetGrants(schema))
        if (EqualsNoCase(g.table, table) && EqualsNoCase(g.grantee, "public"))
            return true;
    return false;
}

TEST_F(LoadRoadsTest, ALoadIsJudgedByWhatTheSchemaHoldsOnEveryRoad)
{
    testsupport::WrapperClients clients;
    auto form = startedForm();
    // The access object's own clients (counts, listings, unloads) are the wrappers too.
    struct UseClients {
        explicit UseClients(const std::string& folder) { gCRIS->SetUseRIS(folder); }
        ~UseClients() { gCRIS->SetUseRIS(registered); }
        const std::string registered = gCRIS->GetRISPath();
    } useClients(clients.WinFolder());
    form->UnLoad_proj_schemen_Click();
    const std::string pdDump = dumpDir + "\\pd_demo.dmp", ddDump = dumpDir + "\\dd_demo.dmp";
    const std::string pdText = BinaryFile::ReadAll(pdDump), ddText = BinaryFile::ReadAll(ddDump);
    const auto pdBefore = tablesOf("pd_demo");
    const auto ddBefore = tablesOf("dd_demo");
    ASSERT_EQ(pdBefore.at("pdtable_113").size(), 3u);
    ASSERT_EQ(ddBefore.at("pdtable_34_1").size(), 3u);
    struct Case {
        const char* name;
        Road road;
        ClientRule rislod;
        std::string before;      // a statement run on the schema before the load ("" none)
        std::string said;        // in the closing box, the script's box or the restore's message
        bool failed;
        std::string table;       // afterwards, in pd_demo (dd_demo for the restore)
        size_t rows;
        bool granted;
        ClientRule risunlod = ClientRule::PassThrough(); // the access object's unloads and listings
    };
    const std::string short113 = "delete from pdtable_113 where model_index_no <> 1";
    const std::vector<Case> cases = {
        {"all dumps, a table left out, exit 0", Road::AllDumps, ClientRule::FailTable("pdtable_113", "", 0),
         short113, "pdtable_113 holds 1 row of the dump's 3", true, "pdtable_113", 1, true},
        {"project dumps, a table left out, exit 0", Road::ProjectDumps, ClientRule::FailTable("pdtable_113", "", 0),
         short113, "pdtable_113 holds 1 row of the dump's 3", true, "pdtable_113", 1, true},
        {"chosen file, a table left out, exit 0", Road::ChosenFile, ClientRule::FailTable("pdtable_113", "", 0),
         short113, "pdtable_113 holds 1 row of the dump's 3", true, "pdtable_113", 1, true},
        {"script, a table left out, exit 0", Road::Script, ClientRule::FailTable("pdtable_113", "", 0), short113,
         "is not whole: schema pd_demo: pdtable_113 holds 1 row of the dump's 3", true, "pdtable_113", 1, true},
        {"restore, a table left out, exit 0", Road::PipingRestore, ClientRule::FailTable("pdtable_34_1", "", 0),
         "delete from pdtable_34_1 where system_unique_no <> 200", "is not whole: schema dd_demo: pdtable_34_1 holds 1 row of the dump's 3", true, "pdtable_34_1",
         1, true},
        {"project dumps, a row left out, exit 0", Road::ProjectDumps, ClientRule::DropLines("'P1002'"), "",
         "pdtable_113 holds 2 rows of the dump's 3", true, "pdtable_113", 2, true},
        {"all dumps, a grant left out, exit 0", Road::AllDumps,
         ClientRule::DropLines("update on pdtable_113 to"), "", "pdtable_113 lacks its grant to PUBLIC", true,
         "pdtable_113", 3, false},
        // As many rows before as after: the refusal stands, whatever the counts say.
        {"script, a named refusal", Road::Script, ClientRule::RefuseStatement("pdtable_113", "RIS_E_NO_PRIVILEGE"), "",
         "into pd_demo was not done: rislod pd_demo: RIS Error: RIS_E_NO_PRIVILEGE", true, "pdtable_113", 3, true},
        // Equal counts before and after, told apart by the values.
        {"chosen file, loaded whole over the same rows", Road::ChosenFile, ClientRule::PassThrough(), "",
         " Tarnwick is ready  -  See Logfile ", false, "pdtable_113", 3, true},
        // As many rows as before and as the dump, but not the dump's: the values tell.
        {"all dumps, a changed table left out, exit 0", Road::AllDumps, ClientRule::FailTable("pdtable_113", "", 0),
         "update pdtable_113 set model_description = 'changed' where model_index_no = 2",
         "pdtable_113 1 row differs in its values", true, "pdtable_113", 3, true},
        // The tables hold as many rows as before, and their values cannot be read: not known.
        {"script, equal counts that cannot be compared", Road::Script, ClientRule::FailTable("pdtable_113", "", 0), "",
         "Whether the load of '" + pdDump + "' into pd_demo was done is not known: schema pd_demo: pdtable_102, "
         "pdtable_103, pdtable_111, pdtable_112, pdtable_113, pdtable_114, pdtable_115, pdtable_116, pdtable_121 hold "
         "as many rows as the dump and as before the load, and could not be compared with it value by value (RIS Error: "
         "RIS_E_NO_PRIVILEGE", true, "pdtable_113", 3, true, ClientRule::RefuseStatement("pdtable_113", "RIS_E_NO_PRIVILEGE")},
        {"script, loaded whole", Road::Script, ClientRule::PassThrough(), short113,
         "into pd_demo was done.", false, "pdtable_113", 3, true},
    };
    const std::string script = dumpDir + "\\load.scr";
    writeFile(script, "risload '" + pdDump + "'\r\n");
    form->scriptfile->setText(QString::fromStdString(script));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const bool design = c.road == Road::PipingRestore;
        const std::string schema = design ? "dd_demo" : "pd_demo";
        clients.Set("rislod", ClientRule::PassThrough());
        writeFile(pdDump, pdText);
        writeFile(ddDump, ddText);
        form->dumpCommands().RISLoad("'" + (design ? ddDump : pdDump) + "'");
        ASSERT_EQ(tablesOf(schema), design ? ddBefore : pdBefore);
        if (!c.before.empty())
            execute(schema, c.before);
        clients.Set("rislod", c.rislod);
        clients.Set("risunlod", c.risunlod);
        const size_t asked = messages.asked().size();
        std::string said;
        switch (c.road) {
        case Road::AllDumps:
            messages.Answer(MsgAnswer::Yes);
            form->Load_all_dmp_files_Click();
            break;
        case Road::ProjectDumps:
            messages.Answer(MsgAnswer::Yes);
            form->Load_proj_schemen_Click();
            break;
        case Road::ChosenFile:
            dialogs.Answer(pdDump);
            form->Load_auswahl_Click();
            break;
        case Road::Script:
            messages.Answer(MsgAnswer::Yes);
            form->SCRstart_Click();
            break;
        case Road::PipingRestore:
            try {
                said = PipingModelRestore::Restore(ddDump, "demo", PipingModel{"P1001", "1"});
            } catch (const AppError& e) {
                said = e.description();
            }
            break;
        }
        if (!design) {
            ASSERT_GT(messages.asked().size(), asked);
            said = messages.asked().back().prompt;
        }
        // A script that ran through shows no box but its question: the log says what was done.
        if (c.road == Road::Script && !c.failed)
            said = BinaryFile::ReadAll(gLogFile);
        EXPECT_NE(said.find(c.said), std::string::npos) << said;
        EXPECT_EQ(said.find(kReadyMessage) != std::string::npos, !c.failed && c.road != Road::Script) << said;
        EXPECT_EQ(said.find("DD schema was restored"), std::string::npos) << said;
        clients.Set("risunlod", ClientRule::PassThrough());
        EXPECT_EQ(tablesOf(schema).at(c.table).size(), c.rows);
        EXPECT_EQ(grantedToPublic(schema, c.table), c.granted);
    }
    clients.Set("rislod", ClientRule::PassThrough());
    writeFile(pdDump, pdText);
    form->dumpCommands().RISLoad("'" + pdDump + "'");
    form->dumpCommands().RISLoad("'" + ddDump + "'");
    EXPECT_EQ(tablesOf("pd_demo"), pdBefore);
    EXPECT_EQ(tablesOf("dd_demo"), ddBefore);
}

} // namespace
