// The access object against RIS clients that fail: one that dies before or after its work, or
// refuses a statement or a table, never lets the operation pass; the schema is read afterwards to
// see what the failed run really left.
#include "dbaccess/ProjectData.h"
#include "dbaccess/SampleServerFixture.h"
#include "dbaccess/SchemaLists.h"
#include "platform/AppError.h"
#include "platform/ado/Recordset.h"
#include "support/Raised.h"
#include "support/WrapperClients.h"

#include <filesystem>
#include <functional>

using testsupport::ClientRule;

namespace {

// A frame line and an error line the client did not frame to column 79.
const std::string kUnframedBlock = std::string(79, '*') +
                                   "\r\n* RIS Error: RIS_E_TABLE_NOT_FOUND table 'pdtable_999' is not defined *\r\n";

class RisClientExitFailureTest : public SampleServerFixture {
protected:
    RisClientExitFailureTest() : SampleServerFixture("exitfailure") {}
    void SetUp() override
    {
        SampleServerFixture::SetUp();
        cris.RISUnload(Out("pd_demo.dmp"), "pd_demo", std::nullopt, std::nullopt, "", 0, true,
                       UnloadExtras::ViewsIndexesGrants);
        CreateSchema("pd_wrap");
        cris.RISLoad(Out("pd_demo.dmp"), std::nullopt, 0, "pd_wrap", "", 25);
        cris.SetUseRIS(clients.WinFolder());
    }
    size_t Count(const std::string& sql) { return Rows("pd_wrap", sql).size(); }
    // A call of the program's own access object over the wrapper clients, its client folder put
    // back afterwards.
    std::function<void()> throughProgram(const std::function<void()>& call)
    {
        return [this, call] {
            const std::string own = gCRIS->GetRISPath();
            gCRIS->SetUseRIS(clients.WinFolder());
            struct PutBack {
                std::string path;
                ~PutBack() { gCRIS->SetUseRIS(path); }
            } putBack{own};
            call();
        };
    }

    testsupport::WrapperClients clients;
};

} // namespace

TEST_F(RisClientExitFailureTest, AClientThatDiesOrRefusesFailsTheOperation)
{
    struct Case {
        const char* name;
        const char* client;
        ClientRule rule;
        std::function<void()> call;
        std::string error;
        int runs = 1; // of the client
    };
    const auto load = [&] { cris.RISLoad(Out("pd_demo.dmp"), std::nullopt, 0, "pd_wrap", "", 25); };
    const auto unload = [&] { cris.RISUnload(Out("u.dmp"), "pd_wrap", std::nullopt, std::nullopt, "", 0, true,
                                             UnloadExtras::ViewsIndexesGrants); };
    const auto write = [&] {
        cris.DBWrite("pd_wrap", "insert into pdtable_114 values (77); delete from pdtable_116;");
    };
    const size_t kept = Count("SELECT * FROM pdtable_116");
    ASSERT_GT(kept, 0u);
    const std::vector<Case> cases = {
        {"load that crashed at once", "rislod", ClientRule::DieBefore(134, "rislod: Aborted\r\n"), load,
         "rislod ended with exit code 134"},
        {"load that crashed at its end", "rislod", ClientRule::DieAfter(139), load, "rislod ended with exit code 139"},
        {"load that failed a table", "rislod", ClientRule::FailTable("pdtable_113"), load, "RIS_E_TABLE_NOT_FOUND"},
        {"unload that crashed after writing", "risunlod", ClientRule::DieAfter(134), unload,
         "risunlod ended with exit code 134"},
        // A dump cut inside a table or before its end, with exit 0: no backup, no query's rows.
        {"unload cut, exit 0", "risunlod", ClientRule::CutAnswer(14), unload,
         "the dump risunlod wrote of schema 'pd_wrap' is not whole: table 'pdtable_102' (from line 9) ends"},
        {"query whose extract was cut, exit 0", "risunlod", ClientRule::CutAnswer(5).When("pdtable_116"),
         [&] { cris.DBRead("pd_wrap", "SELECT * FROM pdtable_116 WHERE sub_project_node <> 'x';", 3); },
         "the dump risunlod wrote of schema 'pd_wrap' is not whole: "},
        {"listing cut off", "risunlod", ClientRule::DieAfter(134), [&] { cris.DBGetTables("pd_wrap", true); },
         "risunlod ended with exit code 134"},
        {"statements that crashed", "risbatch", ClientRule::DieAfter(137),
         [&] { cris.DBWrite("pd_wrap", "insert into pdtable_114 values (78);"); }, "risbatch ended with exit code 137"},
        {"statement refused", "risbatch", ClientRule::RefuseStatement("delete from pdtable_116"), write,
         "RIS_E_NO_PRIVILEGE"},
        // A frame line followed by an unframed error line is an error block, whatever the exit code.
        {"statements with an unframed error", "risbatch", ClientRule::DieBefore(1, kUnframedBlock), write,
         "* RIS Error: RIS_E_TABLE_NOT_FOUND table 'pdtable_999'"},
        {"statements with an unframed error, exit 0", "risbatch", ClientRule::DieBefore(0, kUnframedBlock), write,
         "RIS_E_TABLE_NOT_FOUND"},
        {"schema list with an unframed error, exit 0", "risbatch", ClientRule::DieBefore(0, kUnframedBlock),
         [&] { cris.RISGetSchemas(false, true); }, "RIS_E_TABLE_NOT_FOUND"},
        {"load with an unframed error, exit 0", "rislod", ClientRule::DieBefore(0, kUnframedBlock), load,
         "RIS_E_TABLE_NOT_FOUND"},
        // An error line without a frame line before it explains nothing.
        {"statements with a bare error line", "risbatch",
         ClientRule::DieBefore(1, "* RIS Error: RIS_E_X *\r\n" + std::string(79, '*') + "\r\n"), write,
         "risbatch ended with exit code 1"},
        {"clean that crashed after saying success", "risclnsr", ClientRule::DieAfter(139),
         [&] { cris.RISClean("pd_wrap"); }, "risclnsr ended with exit code 139"},
        // The project's schemas and the table editor's rows, through the program's own object: a
        // read short of rows, exit 0, raises instead of giving a short list or a part of a table.
        {"project schemas from rows read short, exit 0", "risunlod", ClientRule::ThinRows("pdtable_102", 0),
         throughProgram([] { GetProjectSchemas("wrap", true); }),
         "The read of pdtable_102 of schema pd_wrap is not whole: table 'pdtable_102' holds 0 rows in the dump, 4 on "
         "the server",
         2},
        {"a table's rows read short, exit 0", "risunlod", ClientRule::ThinRows("pdtable_116", 0),
         throughProgram([] { DBReadRecordset("pd_wrap", "SELECT * FROM pdtable_116;"); }),
         "The read of pdtable_116 of schema pd_wrap is not whole"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        clients.Set(c.client, c.rule);
        const AppError e = testsupport::Raised(c.call);
        EXPECT_NE(e.description().find(c.error), std::string::npos) << e.description();
        EXPECT_EQ(clients.Runs(c.client), c.runs);
        clients.Set(c.client, ClientRule::PassThrough());
    }
    // No list was kept from the read that was not whole: the next one is built whole.
    EXPECT_EQ(GetProjectSchemas("wrap", false), (std::vector<std::string>{"pd_wrap", "dd_demo"}));
    // The unloads that died or were cut left no dump that could pass for a backup; the refused statement's
    // table kept its rows while the statement before it ran, and so did the one of the client
    // that crashed after its work.
    EXPECT_FALSE(std::filesystem::exists(OutHost("u.dmp")));
    EXPECT_EQ(Count("SELECT * FROM pdtable_116"), kept);
    EXPECT_EQ(Count("SELECT * FROM pdtable_114 WHERE partition_no IN (77, 78)"), 2u);
}

// A rule bound to a table applies to the runs that name it, as many times as it was told.
TEST_F(RisClientExitFailureTest, ARuleAppliesToTheRunsThatHoldItsTextOnly)
{
    clients.Set("risunlod", ClientRule::DieAfter(134).When("pdtable_113").Times(1));
    EXPECT_NO_THROW(cris.DBGetCols("pd_wrap", "pdtable_114", true, true));
    EXPECT_NE(testsupport::Raised([&] { cris.DBGetCols("pd_wrap", "pdtable_113", true, true); }).description().find(
                  "exit code 134"),
              std::string::npos);
    EXPECT_NO_THROW(cris.DBGetCols("pd_wrap", "pdtable_113", true, true));
    EXPECT_EQ(clients.Runs("risunlod"), 3);
}
