// The table and column catalogue through risunlod listings: what a failure raises and keeps. Caching
// and refresh are checked against the stand-in server.
#include "FakeRisClients.h"

#include "platform/AppError.h"

using namespace fakeris;
using Names = std::vector<std::string>;

using CRISCatalogueTest = FakeRisTest;

TEST_F(CRISCatalogueTest, MissingTableRaisesAndCachesNothing)
{
    Put("risunlod.o", "create schema pd_abc x\r\n***RIS*** End of Schema ***RIS***\r\n");
    AppError e = Raised([&] { cris_.DBGetCols("pd_abc", "t9", false, false); });
    EXPECT_EQ(e.description(), "Table: 't9' not in schema: 'pd_abc' exists");
    EXPECT_EQ(e.source(), "CRIS::RISGetCols");
    e = Raised([&] { cris_.IsColumnExists("pd_abc", "t9", "c", false); });
    EXPECT_EQ(e.source(), "CRIS::IsColumnExists: CRIS::RISGetCols");
    EXPECT_EQ(Runs("risunlod"), 2);
}

TEST_F(CRISCatalogueTest, RISErrorWinsOverTheListingAndAFailedRefreshKeepsTheList)
{
    Put("risunlod.o", "create schema pd_abc x\r\ncreate table a (x int)\r\n***RIS*** End of Schema ***RIS***\r\n");
    EXPECT_EQ(cris_.DBGetTables("pd_abc", false), (Names{"a"}));
    Put("risunlod.console", ErrorBlock("RIS_E_UNKNOWN_SCHEMA", "pd_abc"));
    const AppError e = Raised([&] { cris_.DBGetTables("pd_abc", true); });
    EXPECT_NE(e.description().find("RIS_E_UNKNOWN_SCHEMA"), std::string::npos);
    EXPECT_EQ(e.source(), "CRIS::RISGetTables");
    EXPECT_EQ(cris_.DBGetTables("pd_abc", false), (Names{"a"}));
}

