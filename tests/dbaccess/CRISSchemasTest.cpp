// RIS schema statements through a scripted risbatch: what each run is given and how many runs.
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
    // SQL Server takes the directory as its query server.
    cris_.RISCreateSchema({"a", "b", "c"}, "h", 2, " q1 ", "pds", "o", "p", {"ua", "ub", "uc"}, {"pa", "pb", "pc"});
    EXPECT_EQ(Runs("risbatch"), 3);
    EXPECT_EQ(Got("risbatch.input"), "CREATE SCHEMA c ON DATABASE (MSSQL, DBNAME pds, OSUSER o.p, OSTYPE NT, "
                                     "option (dsquery= q1 ), REMOTE (TCP h)) USER uc.pc;\r\nquit;\r\n");
}

TEST_F(CRISSchemasTest, DropIsOneRunOverTheNonBlankNames)
{
    cris_.RISDropSchema({"a", " ", "b"});
    EXPECT_EQ(Runs("risbatch"), 1);
    EXPECT_EQ(Got("risbatch.input"), "DROP SCHEMA a FORCE;\r\nDROP SCHEMA b FORCE;\r\nquit;\r\n");
}

TEST_F(CRISSchemasTest, SchemaIsKnownByItsWholeNameInAnyCase)
{
    Put("risbatch.o", "Schema name: pd_demo\r\nSchema name: dd_demo\r\n");
    EXPECT_TRUE(cris_.IsRISSchemaExists("PD_Demo", true));
    EXPECT_FALSE(cris_.IsRISSchemaExists("pd_dem", false));
    EXPECT_FALSE(cris_.IsRISSchemaExists("demo", false));
    EXPECT_EQ(Runs("risbatch"), 1); // the second and third answered from the cached list
}
