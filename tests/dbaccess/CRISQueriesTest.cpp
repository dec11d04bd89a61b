// DBRead's refusals and its clean-up when the extraction fails, with clients that cannot run.
#include "dbaccess/CRIS.h"

#include "dbaccess/DumpTestFiles.h"
#include "platform/AppError.h"
#include "platform/ado/Recordset.h"
#include "services/AppGlobals.h"
#include "support/TestEnvironment.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <ostream>

namespace fs = std::filesystem;
using namespace dumptest;

namespace {

class CRISQueriesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const fs::path bin = fs::path(dir_.host()) / "BIN";
        fs::create_directories(bin);
        // Present for the client check, but no programs: every unload fails.
        WriteHostFile((bin / "risbatch.exe").string(), "x");
        WriteHostFile((bin / "risunlod.exe").string(), "x");
        fs::create_directories(fs::path(dir_.host()) / "temp");
        gTempDir = Win(dir_.host() + "/temp") + "\\";
        cris_.SetUseRIS(Win(bin.string()));
    }
    void TearDown() override { gTempDir.clear(); }

    AppError Caught(const std::string& schema, const std::string& sql)
    {
        try {
            cris_.DBRead(schema, sql, 3);
        } catch (const AppError& e) {
            return e;
        }
        ADD_FAILURE() << "no error for " << sql;
        return AppError(0, "", "");
    }

    testsupport::ScopedDir dir_{"queries"};
    CRIS cris_;
};

struct RefusalCase {
    const char* name;
    const char* schema;
    const char* sql;
    const char* description;
};

std::ostream& operator<<(std::ostream& os, const RefusalCase& c) { return os << c.name; }


class DBReadRefusalTest : public CRISQueriesTest, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(DBReadRefusalTest, RaisesOwnErrorBeforeAnythingIsUnloaded)
{
    const AppError e = Caught(GetParam().schema, GetParam().sql);
    EXPECT_EQ(e.number(), 1);
    EXPECT_EQ(e.source(), "CRIS::DBRead");
    EXPECT_EQ(e.description(), GetParam().description);
    EXPECT_TRUE(fs::is_empty(HostPath(cris_.GetTempDir())));
}

const RefusalCase kRefusals[] = {
    {"BlankSchema", "  ", "SELECT * FROM t", "Schema name not defined"},
    {"BlankSql", "pd_x", "  ", "SQL statement not defined"},
    {"LeadingBlank", "pd_x", " SELECT * FROM t", "Only SELECT queries can be processed ' SELECT * FROM t'"},
    {"Update", "pd_x", "UPDATE t SET a=1", "Only SELECT queries can be processed 'UPDATE t SET a=1'"},
};

INSTANTIATE_TEST_SUITE_P(Statements, DBReadRefusalTest, ::testing::ValuesIn(kRefusals),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(CRISQueriesTest, LowerCaseSelectAcceptedAndFailedUnloadLeavesNoWorkFile)
{
    const AppError e = Caught("pd_x", "select * from pdtable_113 where a=1");
    EXPECT_NE(e.description().find("Only SELECT"), 0u);
    EXPECT_EQ(e.source().rfind("CRIS::DBRead: CRIS::Extract2File: CRIS::RISUnload", 0), 0u) << e.source();
    EXPECT_TRUE(fs::is_empty(HostPath(cris_.GetTempDir())));
}

TEST_F(CRISQueriesTest, OracleModeAcceptsAnEmptySchemaAndPassesTheProviderError)
{
    cris_.SetUseOra("nosuchserver", "u", "p");
    const AppError e = Caught("", "SELECT * FROM t");
    EXPECT_NE(e.description(), "Schema name not defined");
    EXPECT_EQ(e.source().rfind("CRIS::DBRead", 0), 0u) << e.source();
}

TEST_F(CRISQueriesTest, ImportIntoMissingDatabaseRefusedBeforeExtraction)
{
    const std::string mdb = Win(dir_.host() + "/none.mdb");
    try {
        cris_.DBImport2Access("pd_x", "SELECT * FROM t", mdb, "", false);
        FAIL() << "no error";
    } catch (const AppError& e) {
        EXPECT_EQ(e.number(), 1);
        EXPECT_EQ(e.source(), "CRIS::DBImport2Access");
        EXPECT_EQ(e.description(), "Access database '" + mdb + "' not exists");
    }
    EXPECT_TRUE(fs::is_empty(HostPath(cris_.GetTempDir())));
}

} // namespace
