// RIS schema statements through a scripted risbatch: what each run is given and how many runs.
#include "FakeRisClients.h"

#include "platform/AppError.h"
#include "support/Raised.h"

using namespace fakeris;

class CRISSchemasTest : public FakeRisTest {
protected:
    void SetUp() override
    {
        FakeRisTest::SetUp();
        Put("risbatch.o", "statement done\r\n");
    }
};

TEST_F(CRISSchemasTest, OneSchemaIsOneRunWithoutDefaultSchema)
{
    cris_.RISCreateSchema({"pd_x"}, "127.0.0.1", 1, "d:\\orant", "ORCL", "svc", "pw", {"PD_X"}, {"PD_X"});
    EXPECT_EQ(Got("risbatch.input"),
              "CREATE SCHEMA pd_x ON DATABASE (ORACLE, DBNAME ORCL, OSUSER svc.pw, DIR d:\\orant, OSTYPE NT, "
              "REMOTE (TCP 127.0.0.1)) USER PD_X.PD_X@ORCL;\r\nquit;\r\n");
    EXPECT_EQ(Runs("risbatch"), 1);
}

TEST_F(CRISSchemasTest, EverySchemaIsARunOfItsOwn)
{
    // SQL Server takes the directory as its query server.
    cris_.RISCreateSchema({"a", "b", "c"}, "h", 2, " q1 ", "pds", "o", "p", {"ua", "ub", "uc"}, {"pa", "pb", "pc"});
    EXPECT_EQ(Runs("risbatch"), 3);
    EXPECT_EQ(Got("risbatch.input"), "CREATE SCHEMA c ON DATABASE (MSSQL, DBNAME pds, OSUSER o.p, OSTYPE NT, "
                                     "option (dsquery= q1 ), REMOTE (TCP h)) USER uc.pc;\r\nquit;\r\n");
}

// Empty passwords and a net service name as database go into the statement as passed; what
// would change the statement's shape is refused before any run.
TEST_F(CRISSchemasTest, PiecesArePassedUnlessTheyWouldReshapeTheStatement)
{
    cris_.RISCreateSchema({"pd_x"}, "h", 1, "", "orcl.world", "svc", "", {"pd_x"}, {""});
    EXPECT_EQ(Got("risbatch.input"), "CREATE SCHEMA pd_x ON DATABASE (ORACLE, DBNAME orcl.world, OSUSER svc., "
                                     "OSTYPE NT, REMOTE (TCP h)) USER pd_x.@orcl.world;\r\nquit;\r\n");
    EXPECT_EQ(Runs("risbatch"), 1);
    struct Refused {
        const char* database;
        const char* password;
        std::string error;
    };
    const Refused refused[] = {
        {"orcl;drop", "pw", "Database name 'orcl;drop' is not valid: it must not contain any of ; , ( ) ' \""},
        {"ORCL", "p\r\nw", "Password is not valid: it must not contain a line break or a NUL character"},
    };
    for (const Refused& r : refused) {
        SCOPED_TRACE(r.database);
        const AppError e = testsupport::Raised(
            [&] { cris_.RISCreateSchema({"pd_x"}, "h", 1, "", r.database, "svc", "pw", {"pd_x"}, {r.password}); });
        EXPECT_EQ(e.description(), r.error);
    }
    EXPECT_EQ(Runs("risbatch"), 1);
}

TEST_F(CRISSchemasTest, DropIsOneRunOverTheNonBlankNames)
{
    cris_.RISDropSchema({"a", " ", "b"});
    EXPECT_EQ(Runs("risbatch"), 1);
    EXPECT_EQ(Got("risbatch.input"), "DROP SCHEMA a FORCE;\r\nDROP SCHEMA b FORCE;\r\nquit;\r\n");
}

TEST_F(CRISSchemasTest, SchemaIsAskedForDirectlyAndKnownOnlyFromAWholeAnswer)
{
    const std::string head = "Query select schema_name from ris5schemas where schema_name = 'pd_demo'\r\nColumns 1\r\n";
    const std::string row = "\r\nschema_name: 'pd_demo'\r\n", end = "\r\nEnd of Data Found\r\n";
    const std::pair<std::string, std::optional<bool>> cases[] = {
        {head + row + end, true}, {head + end, false}, {head + row, std::nullopt}, // cut: not known
        {"Schema name: pd_demo\r\n", std::nullopt}, {head + "schema_name: 'pd_dem'\r\n" + end, std::nullopt}};
    for (const auto& [answer, exists] : cases) {
        Put("risbatch.o", answer);
        if (exists)
            EXPECT_EQ(cris_.IsRISSchemaExists("PD_Demo", false), *exists) << answer;
        else
            EXPECT_THROW(cris_.IsRISSchemaExists("PD_Demo", false), AppError) << answer;
    }
    EXPECT_EQ(Runs("risbatch"), 5); // asked every time, never from a cached list
    EXPECT_EQ(Got("risbatch.input"), "select schema_name from ris5schemas where schema_name = 'pd_demo';\r\nquit;\r\n");
}
