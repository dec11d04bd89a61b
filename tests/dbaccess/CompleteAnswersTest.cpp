// The access object takes a client's answer only when it holds all that was asked: a listing
// with its end line, row counts of every table, a dump with every asked table and, for a copy,
// every row. Wrapper clients give answers that are whole in form and short in content.
#include "dbaccess/SampleServerFixture.h"
#include "platform/AppError.h"
#include "platform/TextUtil.h"
#include "support/Raised.h"
#include "support/WrapperClients.h"

#include <functional>

using testsupport::ClientRule;
using Names = std::vector<std::string>;

namespace {

class CompleteAnswersTest : public SampleServerFixture {
protected:
    CompleteAnswersTest() : SampleServerFixture("complete") {}
    void SetUp() override
    {
        SampleServerFixture::SetUp();
        CreateSchema("pd_copy");
        cris.SetUseRIS(clients.WinFolder());
    }
    uint64_t ServerCount(const std::string& schema, const std::string& table)
    {
        return std::stoull(*Rows(schema, "SELECT count(*) FROM " + table)[0][0]);
    }
    bool HasTable(const std::string& schema, const std::string& table)
    {
        return !Rows(schema, "SELECT name FROM sqlite_master WHERE type = 'table' AND name = '" + table + "'").empty();
    }

    testsupport::WrapperClients clients;
};

} // namespace

TEST_F(CompleteAnswersTest, AListingCutShortWithExitZeroIsNoListOfTheSchema)
{
    // The schema line and one definition: no end-of-schema line.
    clients.Set("risunlod", ClientRule::CutAnswer(2));
    AppError e = testsupport::Raised([&] { cris.DBGetTables("pd_demo", true); });
    EXPECT_NE(e.description().find("The listing risunlod wrote of schema 'pd_demo' is not whole: the end-of-schema line "
                                   "is missing (the listing ends at line 2, after table 'pdtable_102')"),
              std::string::npos)
        << e.description();
    e = testsupport::Raised([&] { cris.DBGetCols("pd_demo", "pdtable_102", false, true); });
    EXPECT_NE(e.description().find("is not whole"), std::string::npos) << e.description();
    clients.Set("risunlod", ClientRule::PassThrough());
    EXPECT_EQ(cris.DBGetTables("pd_demo", true).size(), 9u);
}

TEST_F(CompleteAnswersTest, RowCountsComeInOneRunAndOnlyWhenEveryCountIsThere)
{
    const Names tables = {"pdtable_102", "PDTABLE_113", "pdtable_121"};
    const RowCounts counts = cris.RISCountRows("pd_demo", tables);
    EXPECT_EQ(clients.Runs("risbatch"), 1);
    ASSERT_EQ(counts.size(), 3u);
    for (const std::string& t : tables)
        EXPECT_EQ(counts.at(t), ServerCount("pd_demo", ToLower(t))) << t;
    EXPECT_TRUE(cris.RISCountRows("pd_demo", {}).empty());
    EXPECT_EQ(clients.Runs("risbatch"), 1);

    struct Case {
        const char* what;
        ClientRule rule;
        const char* said;
    };
    // Each count is answered in 8 lines; line 14 is the second count's.
    const std::vector<Case> cases = {
        {"cut inside the second answer", ClientRule::CutAnswer(14),
         "the count of table 'PDTABLE_113' has no \"End of Data Found\" line"},
        {"cut after the first answer", ClientRule::CutAnswer(8), "no count of tables PDTABLE_113, pdtable_121"},
        {"a RIS error after the first count", ClientRule::RefuseStatement("pdtable_113", "RIS_E_DATABASE_ERROR"),
         "RIS_E_DATABASE_ERROR"},
        {"the end line taken out", ClientRule::Scripted("Query select count(*) from pdtable_102\r\ncount(*): 5\r\n"
                                                       "Query select count(*) from pdtable_113\r\ncount(*): 4\r\n"
                                                       "End of Data Found\r\n",
                                                       std::nullopt),
         "the count of table 'pdtable_102' has no \"End of Data Found\" line"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        clients.Set("risbatch", c.rule);
        const AppError e = testsupport::Raised([&] { cris.RISCountRows("pd_demo", tables); });
        EXPECT_NE(e.description().find(c.said), std::string::npos) << e.description();
        EXPECT_EQ(e.source().rfind("CRIS::RISCountRows", 0), 0u) << e.source();
    }
}

TEST_F(CompleteAnswersTest, ATableCopyShortOfATableOrOfRowsLoadsNothingOrFails)
{
    const Names copied = {"pdtable_102", "pdtable_113"};
    const std::string n102 = std::to_string(ServerCount("pd_demo", "pdtable_102"));
    const std::string n113 = std::to_string(ServerCount("pd_demo", "pdtable_113"));
    const std::string half102 = std::to_string(ServerCount("pd_demo", "pdtable_102") / 2);
    struct Case {
        const char* what;
        const char* client;
        ClientRule rule;
        std::string said;
        bool loaded; // whether the load ran (and made the first table)
    };
    const std::vector<Case> cases = {
        {"the second table's block left out, exit 0", "risunlod", ClientRule::FailTable("pdtable_113", "", 0),
         "lacks the asked table pdtable_113", false},
        {"every second row left out, exit 0", "risunlod", ClientRule::ThinRows("pdtable_102", 2),
         "table 'pdtable_102' holds " + half102 + " rows in the dump, " + n102 +
             " on the server); nothing was loaded into schema 'pd_copy'",
         false},
        {"a block ended right after its layout line", "risunlod", ClientRule::ThinRows("pdtable_113", 0),
         "table 'pdtable_113' holds 0 rows in the dump, " + n113 + " on the server", false},
        {"a row the load left out, exit 0", "rislod", ClientRule::DropLines("'P1001'"),
         "ended without an error, but it is not whole: table 'pdtable_102' holds " + n102 + " rows (the " + n102 +
             " copied), table 'pdtable_113' holds " + std::to_string(std::stoi(n113) - 1) + " rows (not the " + n113 +
             " copied)",
         true},
        // The rows are compared by their values as stored: a count that agrees does not hide one.
        {"a value the load changed, exit 0", "rislod", ClientRule::EditLines("Pump area", "Pump arex"),
         "table 'pdtable_113' holds " + n113 + " rows (not the " + n113 + " copied", true},
        // The tables' rows are whole; what else the dump makes is read back as well.
        {"a grant the load left out, exit 0", "rislod", ClientRule::DropLines("on pdtable_113 to"),
         "The grant of table 'pdtable_113' to PUBLIC was not made in schema 'pd_copy'; the tables 'pdtable_102', "
         "'pdtable_113' were copied into it with all their rows and stay there.",
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        clients.Set(c.client, c.rule);
        const AppError e = testsupport::Raised([&] { cris.RISTableCopy("pd_demo", copied, "pd_copy", {}, 0, ""); });
        EXPECT_NE(e.description().find(c.said), std::string::npos) << e.description();
        EXPECT_EQ(HasTable("pd_copy", "pdtable_102"), c.loaded);
        EXPECT_EQ(clients.Runs("rislod"), c.loaded ? 1 : 0);
        clients.Set(c.client, ClientRule::PassThrough());
        clients.Set("rislod", ClientRule::PassThrough());
    }
    // Whole, the copy holds the source's rows; an appending copy of a table without a unique
    // index adds them to the rows there.
    cris.RISTableCopy("pd_demo", copied, "pd_copy", {}, 0, "");
    EXPECT_EQ(ServerCount("pd_copy", "pdtable_113"), std::stoull(n113));
    cris.RISTableCopy("pd_demo", {"pdtable_102"}, "pd_copy", {}, 2, "");
    EXPECT_EQ(ServerCount("pd_copy", "pdtable_102"), 2 * std::stoull(n102));
}
