// Statements and the table and column catalogue of the Oracle and SQL Server kinds against the
// stand-in server's connections, and the connection-string parts refused before connecting.
#include "dbaccess/CRIS.h"

#include "platform/AppError.h"
#include "standins/dbserver/DbServer.h"
#include "standins/dbserver/StandInConnections.h"
#include "support/Raised.h"

#include "support/SampleEnvironment.h"

#include <gtest/gtest.h>

#include <functional>

using Names = std::vector<std::string>;

namespace {

const char* kUser = "ADOUSER";
const char* kPassword = "SECRET";

using testsupport::Raised;

class CRISAdoTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        StandInConnections::Register();
        // The environment first, so that its SQL Server databases keep their order for the
        // tests that list them in the same process.
        testsupport::BuildSampleEnvironment();
        DbServer server(DbServer::EnvironmentRoot());
        server.DropUser(kUser); // and its tables
        server.SetUserPassword(kUser, kPassword);
        server.CreateSqlDatabase("pds");
    }

    void TearDown() override { DbServer(DbServer::EnvironmentRoot()).DropUser(kUser); }

    void UseOracle(const std::string& password = kPassword) { cris.SetUseOra("ORCL", kUser, password); }

    CRIS cris;
};

} // namespace

TEST_F(CRISAdoTest, OracleWriteSumsTheRecordsAffectedOfItsLines)
{
    UseOracle();
    EXPECT_EQ(cris.DBWrite("", "create table parts (id integer, name varchar(20));"), 0);
    EXPECT_EQ(cris.DBWrite("", "insert into parts values (1, 'a');\r\n\r\n"
                               "insert into parts values (2, 'b');\r\ninsert into parts values (3, 'c')"),
              3);
    EXPECT_EQ(cris.DBWrite(kUser, "update parts set name = 'x' where id < 3"), 2);
    // Another user acts on the schema named, not on its own.
    cris.SetUseOra("ORCL", "SYSTEM", "MANAGER");
    EXPECT_EQ(cris.DBWrite(kUser, "delete from parts where name = 'x'"), 2);
    UseOracle();
    EXPECT_EQ(cris.DBWrite("", "delete from parts"), 1);
}

TEST_F(CRISAdoTest, OracleWriteRaisesServerErrorsWithTheClassSource)
{
    struct Case {
        std::string password, schema, sql;
        std::string source, descriptionStart;
    };
    const std::string provider = "Microsoft OLE DB Provider for Oracle";
    const std::vector<Case> cases = {
        {kPassword, "", "insert into nosuch values (1)", "CRIS::DBWrite: CRIS::ADOWrite: " + provider, ""},
        {"WRONG", "", "delete from parts", "CRIS::DBWrite: CRIS::ADOWrite: " + provider, "ORA-01017"},
        {kPassword, "NOSUCHUSER", "delete from parts", "CRIS::DBWrite: CRIS::ADOWrite: " + provider, "ORA-01435"},
        // A schema that is no plain name never reaches the statement.
        {kPassword, "ADOUSER x", "delete from parts", "CRIS::DBWrite: CRIS::ADOWrite", "Schema name 'ADOUSER x'"},
        {kPassword, "", "  ", "CRIS::DBWrite", "SQL statement not defined"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sql + " / " + c.schema);
        UseOracle(c.password);
        const AppError e = Raised([&] { cris.DBWrite(c.schema, c.sql); });
        EXPECT_EQ(e.source(), c.source);
        EXPECT_EQ(e.description().rfind(c.descriptionStart, 0), 0u) << e.description();
        EXPECT_EQ(e.description().find('\n'), std::string::npos);
        if (c.source.find(provider) == std::string::npos)
            EXPECT_EQ(e.number(), 1);
        else
            EXPECT_NE(e.number(), 1);
    }
}

class CRISAdoCatalogueTest : public CRISAdoTest, public ::testing::WithParamInterface<int32_t> {
protected:
    void Use(const std::string& password = kPassword)
    {
        if (GetParam() == CRIS::kConOracle)
            UseOracle(password);
        else
            cris.SetUseSQL("(local)", "pds", kUser, password);
    }
};

TEST_P(CRISAdoCatalogueTest, ListsTablesAndColumnsWithCacheAndRefresh)
{
    Use();
    // RIS's own dictionary tables are left out; names come lower-cased.
    for (const char* sql : {"create table Parts (id integer, name varchar(20))", "create table RI01_T22 (x integer)",
                            "create table RI01_T2X (x integer)"})
        cris.DBWrite("", sql);
    EXPECT_EQ(cris.DBGetTables(kUser, false), (Names{"parts", "ri01_t2x"}));
    EXPECT_EQ(cris.DBGetTables("", false), (Names{"parts", "ri01_t2x"}));
    EXPECT_EQ(cris.DBGetCols(kUser, "PARTS", true, false), (Names{"id", "name"}));
    EXPECT_TRUE(cris.IsColumnExists(kUser, "PARTS", "Name", false));
    EXPECT_TRUE(cris.DBGetCols(kUser, "nosuch", false, false).empty());

    cris.DBWrite("", "create table later (c integer)");
    cris.DBWrite("", "alter table parts add qty integer");
    EXPECT_FALSE(cris.IsTableExists(kUser, "later", false));
    EXPECT_EQ(cris.DBGetCols(kUser, "PARTS", false, false), (Names{"id", "name"}));
    EXPECT_TRUE(cris.IsTableExists(kUser, "LATER", true));
    EXPECT_EQ(cris.DBGetCols(kUser, "PARTS", false, true), (Names{"id", "name", "qty"}));

    // A failed refresh raises with the routine's source and keeps the earlier list.
    Use("WRONG");
    const AppError e = Raised([&] { cris.DBGetTables(kUser, true); });
    EXPECT_EQ(e.source().rfind("CRIS::ADOGetTables: Microsoft OLE DB Provider for ", 0), 0u) << e.source();
    EXPECT_EQ(cris.DBGetTables(kUser, false), (Names{"parts", "ri01_t2x", "later"}));
}

INSTANTIATE_TEST_SUITE_P(Kinds, CRISAdoCatalogueTest, ::testing::Values(CRIS::kConOracle, CRIS::kConSQLServer),
                         [](const auto& info) { return info.param == CRIS::kConOracle ? "Oracle" : "SqlServer"; });

TEST_F(CRISAdoTest, SemicolonInAConnectionPartIsRefusedBeforeConnecting)
{
    struct Case {
        std::string source;
        std::function<void(CRIS&)> call;
    };
    // Each of these would otherwise connect: the part after ";" reads as an item of its own.
    const std::vector<Case> cases = {
        {"CRIS::SetUseOra", [](CRIS& c) { c.SetUseOra("ORCL;Data Source=other", kUser, kPassword); }},
        {"CRIS::SetUseOra", [](CRIS& c) { c.SetUseOra("ORCL", kUser, "SECRET;User Id=SYSTEM"); }},
        {"CRIS::SetUseSQL", [](CRIS& c) { c.SetUseSQL("(local)", "pds;x=1", kUser, kPassword); }},
        {"CRIS::ORAConnTest", [](CRIS& c) { c.ORAConnTest("ORCL", "ADOUSER;x=1", kPassword); }},
        {"CRIS::SQLConnTest", [](CRIS& c) { c.SQLConnTest("(local)", "pds", kUser, "SECRET;x=1"); }},
    };
    cris.SetUseOra("ORCL", "SYSTEM", "MANAGER");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.source);
        const AppError e = Raised([&] { c.call(cris); });
        EXPECT_EQ(e.number(), 1);
        EXPECT_EQ(e.source(), c.source);
        EXPECT_NE(e.description().find("must not contain ';'"), std::string::npos) << e.description();
        // Nothing of the object changed.
        EXPECT_EQ(cris.GetDBServerName(), "ORCL");
        EXPECT_EQ(cris.GetDBUserName(), "SYSTEM");
    }
}
