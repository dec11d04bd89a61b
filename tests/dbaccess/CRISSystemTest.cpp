// The access object against the stand-in server and the real RIS client programs: statements,
// catalogue, dictionary, unload, load and clean, with no work file left behind.
#include "dbaccess/CRIS.h"

#include "dbaccess/DumpTestFiles.h"
#include "dbaccess/SampleServerFixture.h"
#include "platform/AppError.h"
#include "platform/WinPath.h"
#include "services/AppGlobals.h"
#include "standins/dbserver/DbServer.h"
#include "standins/dbserver/RisSession.h"
#include "standins/dbserver/StandInEnvironment.h"
#include "support/SampleEnvironment.h"
#include "support/Raised.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace fs = std::filesystem;
using namespace dumptest;
using Names = std::vector<std::string>;

namespace {

class CRISSystemTest : public SampleServerFixture {
protected:
    CRISSystemTest() : SampleServerFixture("system") {}

    long Count(const std::string& schema, const std::string& table)
    {
        return std::stol(*Rows(schema, "SELECT COUNT(*) FROM " + table)[0][0]);
    }

    static bool Has(const Names& list, const std::string& name)
    {
        return std::find(list.begin(), list.end(), name) != list.end();
    }

};

using testsupport::Raised;

} // namespace

TEST_F(CRISSystemTest, StatementsRunAndRISErrorsAreRaised)
{
    EXPECT_EQ(cris.DBWrite("pd_demo", "create table tw_probe (a int, b char(10))"), -1);
    EXPECT_EQ(cris.DBWrite("pd_demo", "insert into tw_probe values (1, 'x');\r\ninsert into tw_probe values (2, 'y')"),
              2);
    EXPECT_EQ(Count("pd_demo", "tw_probe"), 2);
    EXPECT_EQ(cris.DBWrite("pd_demo", "update tw_probe set b = 'z'"), 2); // "2 rows updated."
    // The sample schema is shared by the process's tests.
    cris.DBWrite("pd_demo", "drop table tw_probe");

    const AppError e = Raised([&] { cris.DBWrite("pd_demo", "insert into tw_missing values (1)"); });
    EXPECT_EQ(e.number(), 1);
    EXPECT_EQ(e.source(), "CRIS::DBWrite: CRIS::RISWrite");
    EXPECT_NE(e.description().find("RIS Error:"), std::string::npos) << e.description();
}

TEST_F(CRISSystemTest, CatalogueAnswersFromItsCachesUntilRefresh)
{
    const Names tables = cris.DBGetTables("pd_demo", false);
    EXPECT_TRUE(Has(tables, "pdtable_113"));
    EXPECT_TRUE(cris.IsTableExists("pd_demo", "PDTABLE_102", false));
    const Names cols = cris.DBGetCols("pd_demo", "pdtable_113", true, false);
    EXPECT_TRUE(Has(cols, "model_file_spec char(14)"));
    EXPECT_TRUE(cris.IsColumnExists("pd_demo", "PdTable_113", "MODEL_NO", false));

    // A table made through another access object is seen on refresh only ...
    CRIS other;
    other.SetUseRIS(cris.GetRISPath());
    other.DBWrite("pd_demo", "create table tw_new (c1 int not null)");
    EXPECT_FALSE(cris.IsTableExists("pd_demo", "tw_new", false));
    EXPECT_TRUE(cris.IsTableExists("pd_demo", "tw_new", true));
    EXPECT_EQ(cris.DBGetCols("pd_demo", "tw_new", false, false), (Names{"c1"}));
    EXPECT_EQ(cris.DBGetCols("pd_demo", "tw_new", true, false), (Names{"c1 int not null"}));
    // ... a change of its tables through this object drops the schema's held listings at once.
    cris.DBWrite("pd_demo", "alter table tw_new add c2 char(8)");
    EXPECT_TRUE(cris.IsColumnExists("pd_demo", "tw_new", "c2", false));
    cris.DBWrite("pd_demo", "DROP\r\n  TABLE tw_new");
    EXPECT_FALSE(cris.IsTableExists("pd_demo", "tw_new", false));

    // The client itself names a table that is not there.
    const AppError e = Raised([&] { cris.DBGetCols("pd_demo", "tw_absent", false, false); });
    EXPECT_EQ(e.source(), "CRIS::RISGetCols");
    EXPECT_NE(e.description().find("RIS_E_UNKNOWN_RELATION"), std::string::npos);
}

TEST_F(CRISSystemTest, SchemasAndTheSchemaFile)
{
    const Names all = cris.RISGetSchemas(false, false);
    EXPECT_TRUE(Has(all, "pd_demo"));
    EXPECT_TRUE(Has(all, "dd_demo"));
    EXPECT_EQ(cris.RISGetSchemas(true, false), (Names{"demo"}));

    CreateSchema("pd_other");
    EXPECT_EQ(cris.RISGetSchemas(true, false), (Names{"demo"}));
    EXPECT_EQ(cris.RISGetSchemas(true, true), (Names{"demo", "other"}));

    const std::string schemaFile = cris.RISGetSchemaFilePath();
    ASSERT_FALSE(schemaFile.empty());
    EXPECT_NE(ReadHostFile(HostPath(schemaFile)).find("SCHNAME=pd_demo"), std::string::npos);
}

// The whole schema's unload is proved by loading it back (below): its unique index rejects the
// appended rows again.
TEST_F(CRISSystemTest, UnloadOfTablesWithConditions)
{
    const std::string first = *Rows("pd_demo", "SELECT MIN(model_index_no) FROM pdtable_113")[0][0];
    cris.RISUnload(Out("part.dmp"), "pd_demo", Names{"pdtable_113", "pdtable_111"},
                   Names{"model_index_no = " + first}, "", 1, false, UnloadExtras::None);
    const std::string part = ReadHostFile(OutHost("part.dmp"));
    EXPECT_EQ(part.rfind("create schema pd_demo", 0), 0u) << part.substr(0, 80);
    const size_t from = part.find("create table pdtable_113");
    const size_t to = part.find("***RIS*** End of Table ***RIS***", from);
    ASSERT_NE(from, std::string::npos);
    const std::string block = part.substr(from, to - from);
    // Header lines, the one row asked for, and nothing else.
    EXPECT_EQ(std::count(block.begin(), block.end(), '\n'), 4) << block;
    EXPECT_NE(part.find("create table pdtable_111"), std::string::npos);
}

TEST_F(CRISSystemTest, LoadInEachModeWithRejectedRowsReported)
{
    cris.RISUnload(Out("pd_demo.dmp"), "pd_demo", std::nullopt, std::nullopt, "", 0, true,
                   UnloadExtras::ViewsIndexesGrants);
    const long models = Count("pd_demo", "pdtable_113");
    ASSERT_GT(models, 0);

    // Into a new schema named by the caller.
    CreateSchema("pd_copy");
    const std::string log = Out("load.log");
    cris.RISLoad(Out("pd_demo.dmp"), std::nullopt, 1, "pd_copy", log, 25);
    EXPECT_EQ(Count("pd_copy", "pdtable_113"), models);
    EXPECT_EQ(ReadHostFile(OutHost("load.log")).find("Begin of RIS bad file"), std::string::npos);

    // "new" refuses tables that exist.
    const AppError refused = Raised([&] { cris.RISLoad(Out("pd_demo.dmp"), std::nullopt, 1, "pd_copy", log, 25); });
    EXPECT_EQ(refused.source(), "CRIS::RISLoad");
    EXPECT_NE(refused.description().find("RIS Error:"), std::string::npos);

    // "clear" replaces them, one table by name.
    cris.RISLoad(Out("pd_demo.dmp"), Names{"pdtable_113"}, 0, "pd_copy", log, 25);
    EXPECT_EQ(Count("pd_copy", "pdtable_113"), models);

    // No mode word appends: the unique index rejects every model again, and the rows are in
    // the log between the banners.
    const AppError rejected =
        Raised([&] { cris.RISLoad(Out("pd_demo.dmp"), Names{"pdtable_113"}, 2, "pd_copy", log, 25); });
    EXPECT_NE(rejected.description().find("RIS Error:"), std::string::npos);
    const std::string logText = ReadHostFile(OutHost("load.log"));
    const size_t begin = logText.find(std::string(50, '*') + "Begin of RIS bad file");
    const size_t end = logText.find(std::string(50, '*') + "End of RIS bad file");
    ASSERT_NE(begin, std::string::npos) << logText;
    ASSERT_NE(end, std::string::npos);
    const std::string bad = logText.substr(begin, end - begin);
    EXPECT_EQ(std::count(bad.begin(), bad.end(), '\n'), models + 2) << bad;
    EXPECT_EQ(Count("pd_copy", "pdtable_113"), models);
}

TEST_F(CRISSystemTest, CleanOfASchema)
{
    cris.RISClean("pd_demo");
    const AppError e = Raised([&] { cris.RISClean("pd_nothere"); });
    EXPECT_EQ(e.source(), "CRIS::RISClean");
}
