// The schema lists through risbatch: what is cached, what is refreshed together.
#include "FakeRisClients.h"

#include "platform/AppError.h"

using namespace fakeris;
using Names = std::vector<std::string>;

using CRISDictionaryTest = FakeRisTest;

TEST_F(CRISDictionaryTest, SchemaListsCachedPerKindAndRefreshedTogether)
{
    Put("risbatch.o", "Schema name: pd_abc\r\nSchema name: dd_abc\r\nSchema name: pd_abc\r\nSchema name: xpd_1\r\n");
    EXPECT_EQ(cris_.RISGetSchemas(false, false), (Names{"pd_abc", "dd_abc", "xpd_1"}));
    EXPECT_EQ(Got("risbatch.input"), "show schema names;\r\nquit;\r\n");
    EXPECT_EQ(cris_.RISGetSchemas(true, false), (Names{"abc"}));
    EXPECT_EQ(Runs("risbatch"), 2);
    EXPECT_EQ(cris_.RISGetSchemas(true, false), (Names{"abc"}));
    EXPECT_EQ(cris_.RISGetSchemas(false, false).size(), 3u);
    EXPECT_EQ(Runs("risbatch"), 2);

    Put("risbatch.o", "Schema name: pd_new\r\n");
    EXPECT_EQ(cris_.RISGetSchemas(true, true), (Names{"new"}));
    EXPECT_EQ(cris_.RISGetSchemas(false, false), (Names{"pd_new"}));
    EXPECT_EQ(Runs("risbatch"), 4);
}

TEST_F(CRISDictionaryTest, EmptyListIsCachedAndErrorsCacheNothing)
{
    Put("risbatch.o", "no schemas\r\n");
    EXPECT_TRUE(cris_.RISGetSchemas(false, false).empty());
    EXPECT_TRUE(cris_.RISGetSchemas(false, false).empty());
    EXPECT_EQ(Runs("risbatch"), 1);

    Put("risbatch.o", ErrorBlock("RIS_E_CANT_OPEN_SCHEMA_FILE", "schemas"));
    const AppError e = Raised([&] { cris_.RISGetSchemas(true, false); });
    EXPECT_NE(e.description().find("RIS_E_CANT_OPEN_SCHEMA_FILE"), std::string::npos);
    EXPECT_EQ(e.source(), "CRIS::RISGetSchemas");
    Put("risbatch.o", "Schema name: pd_q\r\n");
    EXPECT_EQ(cris_.RISGetSchemas(true, false), (Names{"q"}));
}
