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

// The schema's tables are taken from the dictionary's answer only when it is whole.
TEST_F(CRISDictionaryTest, TablesOfASchemaOnlyFromAWholeAnswer)
{
    const std::string end = "End of Data Found\r\n", head = "Default schema pd_abc\r\nQuery select table_name from "
                                                          "ris5tables where table_type = 'T';\r\nColumns 1\r\n----\r\n\r\n";
    const struct {
        const char* what;
        std::string answer;
        Names tables;         // when the answer is taken
        const char* refusal;  // else the end of the error's description
    } cases[] = {
        {"two tables", head + "table_name: 'T1'\r\n\r\ntable_name: 't2'\r\n\r\n" + end, {"t1", "t2"}, ""},
        {"no table", head + end, {}, ""},
        {"cut before its end", head + "table_name: 't1'\r\n", {},
         "the answer has no \"End of Data Found\" line after 1 table(s)"},
        {"no query answered", "Default schema pd_abc\r\n", {}, "the query is not answered"},
        {"answered twice", head + end + head + end, {}, "the query is answered twice"},
        {"a row without a name", head + "table_name: ''\r\n\r\n" + end, {}, "a row holds no table name"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Put("risbatch.o", c.answer);
        if (*c.refusal)
            EXPECT_EQ(Raised([&] { cris_.RISDictionaryTables("pd_abc"); }).description(),
                      std::string("The dictionary's list of the schema's tables is incomplete: ") + c.refusal);
        else
            EXPECT_EQ(cris_.RISDictionaryTables("pd_abc"), c.tables);
        EXPECT_EQ(Got("risbatch.input"), "default schema pd_abc;\r\n"
                                         "select table_name from ris5tables where table_type = 'T';\r\ncommit;\r\nquit;\r\n");
    }
}
