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
    const std::string head = "Default schema \r\nQuery select schema_name from ris5schemas where schema_name = "
                             "'pd_demo'\r\nColumns 1\r\n" + std::string(79, '-') + "\r\n";
    const std::string row = "\r\nschema_name: 'pd_demo'\r\n";
    const std::string end = "\r\nEnd of Data Found\r\n";
    struct Case {
        const char* name;
        std::string answer;
        std::optional<bool> exists; // nothing: raises, the answer is not whole
    };
    const std::vector<Case> cases = {
        {"a row naming it", head + row + end, true},
        {"no row, whole", head + end, false},
        {"cut before its end line", head + row, std::nullopt},
        {"only the schema list", "Schema name: pd_demo\r\nSchema name: dd_demo\r\n", std::nullopt},
        {"a row naming another schema", head + "\r\nschema_name: 'pd_dem'\r\n" + end, std::nullopt},
    };
    int runs = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Put("risbatch.o", c.answer);
        if (c.exists)
            EXPECT_EQ(cris_.IsRISSchemaExists("PD_Demo", false), *c.exists);
        else
            EXPECT_NE(testsupport::Raised([&] { cris_.IsRISSchemaExists("PD_Demo", false); }).description().find(
                          "is incomplete"),
                      std::string::npos);
        EXPECT_EQ(Runs("risbatch"), ++runs); // asked every time, never from a cached list
        EXPECT_EQ(Got("risbatch.input"),
                  "select schema_name from ris5schemas where schema_name = 'pd_demo';\r\nquit;\r\n");
    }
}
