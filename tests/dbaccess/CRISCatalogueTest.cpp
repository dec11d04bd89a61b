// The table and column catalogue through risunlod listings: caching, refresh, failures.
#include "FakeRisClients.h"

#include "platform/AppError.h"

using namespace fakeris;
using Names = std::vector<std::string>;

using CRISCatalogueTest = FakeRisTest;

TEST_F(CRISCatalogueTest, TablesInListingOrderCachedUntilRefresh)
{
    Put("risunlod.o", "create schema pd_abc x\r\ncreate table b (x int)\r\ncreate table a (y int)\r\n");
    EXPECT_EQ(cris_.DBGetTables("pd_abc", false), (Names{"b", "a"}));
    EXPECT_NE(Got("risunlod.args").find(" -s pd_abc table all\n"), std::string::npos);
    Put("risunlod.o", "create table c (z int)\r\n");
    EXPECT_EQ(cris_.DBGetTables("PD_ABC", false), (Names{"b", "a"}));
    EXPECT_EQ(Runs("risunlod"), 1);
    EXPECT_EQ(cris_.DBGetTables("pd_abc", true), (Names{"c"}));
    EXPECT_EQ(Runs("risunlod"), 2);
}

TEST_F(CRISCatalogueTest, EmptyListIsCachedToo)
{
    Put("risunlod.o", "create schema pd_e x\r\n");
    EXPECT_TRUE(cris_.DBGetTables("pd_e", false).empty());
    EXPECT_TRUE(cris_.DBGetTables("pd_e", false).empty());
    EXPECT_EQ(Runs("risunlod"), 1);
}

TEST_F(CRISCatalogueTest, ColumnsWithAndWithoutTypesFromOneRun)
{
    Put("risunlod.o", "create schema pd_abc x\r\ncreate table PDTABLE_113 (c1 int, c2 char(20))\r\n");
    EXPECT_EQ(cris_.DBGetCols("pd_abc", "pdtable_113", false, false), (Names{"c1", "c2"}));
    EXPECT_EQ(cris_.DBGetCols("pd_abc", "Pdtable_113", true, false), (Names{"c1 int", "c2 char(20)"}));
    EXPECT_EQ(Runs("risunlod"), 1);
    EXPECT_NE(Got("risunlod.args").find("-s pd_abc table pdtable_113"), std::string::npos);
    EXPECT_TRUE(cris_.IsColumnExists("pd_abc", "pdtable_113", "C2", false));
    EXPECT_FALSE(cris_.IsColumnExists("pd_abc", "pdtable_113", "c3", false));
}

TEST_F(CRISCatalogueTest, MissingTableRaisesAndCachesNothing)
{
    Put("risunlod.o", "create schema pd_abc x\r\n");
    AppError e = Raised([&] { cris_.DBGetCols("pd_abc", "t9", false, false); });
    EXPECT_EQ(e.description(), "Table: 't9' not in schema: 'pd_abc' exists");
    EXPECT_EQ(e.source(), "CRIS::RISGetCols");
    e = Raised([&] { cris_.IsColumnExists("pd_abc", "t9", "c", false); });
    EXPECT_EQ(e.source(), "CRIS::IsColumnExists: CRIS::RISGetCols");
    EXPECT_EQ(Runs("risunlod"), 2);
}

TEST_F(CRISCatalogueTest, RISErrorWinsOverTheListingAndAFailedRefreshKeepsTheList)
{
    Put("risunlod.o", "create table a (x int)\r\n");
    EXPECT_EQ(cris_.DBGetTables("pd_abc", false), (Names{"a"}));
    Put("risunlod.console", ErrorBlock("RIS_E_UNKNOWN_SCHEMA", "pd_abc"));
    const AppError e = Raised([&] { cris_.DBGetTables("pd_abc", true); });
    EXPECT_NE(e.description().find("RIS_E_UNKNOWN_SCHEMA"), std::string::npos);
    EXPECT_EQ(e.source(), "CRIS::RISGetTables");
    EXPECT_EQ(cris_.DBGetTables("pd_abc", false), (Names{"a"}));
}

