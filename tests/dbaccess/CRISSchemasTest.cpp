// RIS schema statements through a scripted risbatch: what each run is given, how many runs,
// and what is refused before any run.
#include "FakeRisClients.h"

#include "platform/AppError.h"

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
    cris_.RISCreateSchema({"a", "b", "c"}, "h", 2, "", "pds", "o", "p", {"ua", "ub", "uc"}, {"pa", "pb", "pc"});
    EXPECT_EQ(Runs("risbatch"), 3);
    EXPECT_NE(Got("risbatch.input").find("CREATE SCHEMA c ON DATABASE (MSSQL"), std::string::npos);
}

TEST_F(CRISSchemasTest, RefusedBeforeAnyRun)
{
    AppError e = Raised([&] { cris_.RISCreateSchema({"a"}, "h", 0, "", "db", "o", "p", {"u"}, {"p"}); });
    EXPECT_EQ(e.description(), "DB type is incorrect");
    EXPECT_EQ(e.source(), "CRIS::RISCreateSchema");
    e = Raised([&] { cris_.RISCreateSchema({"a", "b"}, "h", 1, "", "db", "o", "p", {"u", "v"}, {"p"}); });
    EXPECT_EQ(e.description(), "Schema count does not match user or password count");
    // A name that would reshape the statement stops the call before the first schema.
    e = Raised([&] {
        cris_.RISCreateSchema({"a", "b"}, "h", 1, "", "db", "o", "p", {"u", "v;drop"}, {"p", "q"});
    });
    EXPECT_EQ(e.number(), 1);
    EXPECT_NE(e.description().find("'v;drop'"), std::string::npos);
    e = Raised([&] { cris_.RISCreateSchema({"a"}, "h) x", 1, "", "db", "o", "p", {"u"}, {"p"}); });
    EXPECT_NE(e.description().find("Server host"), std::string::npos);
    EXPECT_FALSE(Ran("risbatch"));
}

TEST_F(CRISSchemasTest, DropIsOneRunOverTheNonBlankNames)
{
    cris_.RISDropSchema({"a", " ", "b"});
    EXPECT_EQ(Runs("risbatch"), 1);
    EXPECT_EQ(Got("risbatch.input"), "DROP SCHEMA a FORCE;\r\nDROP SCHEMA b FORCE;\r\nquit;\r\n");
    const AppError e = Raised([&] { cris_.RISDropSchema({"", "  "}); });
    EXPECT_EQ(e.description(), "SQL statement not defined");
    EXPECT_EQ(e.source(), "CRIS::RISDropSchema: CRIS::RISWrite");
    EXPECT_EQ(Runs("risbatch"), 1);
}

TEST_F(CRISSchemasTest, SchemaIsKnownByItsWholeNameInAnyCase)
{
    Put("risbatch.o", "Schema name: pd_demo\r\nSchema name: dd_demo\r\n");
    EXPECT_TRUE(cris_.IsRISSchemaExists("PD_Demo", true));
    EXPECT_FALSE(cris_.IsRISSchemaExists("pd_dem", false));
    EXPECT_FALSE(cris_.IsRISSchemaExists("demo", false));
    EXPECT_EQ(Runs("risbatch"), 1); // the second and third answered from the cached list
}
