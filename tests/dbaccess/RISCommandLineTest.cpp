// The risbatch statement input and the risunlod parameter line: where the ";", the commit and
// the where conditions go. How the command lines quote their paths is checked with every other
// command line of the program (tests/admin/CommandLinePathsTest.cpp); the rest of them through
// the scripted clients, which record what they were given.
#include "dbaccess/RISCommandLine.h"

#include <gtest/gtest.h>

using Names = std::vector<std::string>;

TEST(RISCommandLineTest, StatementInput)
{
    const std::pair<std::pair<const char*, const char*>, const char*> cases[] = {
        {{"pd_abc", "delete from t"}, "default schema pd_abc;\r\ndelete from t;\r\ncommit;\r\nquit;\r\n"},
        {{"pd_abc", "delete from t;"}, "default schema pd_abc;\r\ndelete from t;\r\ncommit;\r\nquit;\r\n"},
        // A blank after the ";" is the last character: one more ";" follows.
        {{"pd_abc", "delete from t; "}, "default schema pd_abc;\r\ndelete from t; ;\r\ncommit;\r\nquit;\r\n"},
        {{"dd_x", "delete from a;\r\ndelete from b"},
         "default schema dd_x;\r\ndelete from a;\r\ndelete from b;\r\ncommit;\r\nquit;\r\n"},
        // Without a schema nothing is committed.
        {{"  ", "DROP SCHEMA pd_x FORCE;"}, "DROP SCHEMA pd_x FORCE;\r\nquit;\r\n"},
    };
    for (const auto& [in, expected] : cases)
        EXPECT_EQ(RisbatchStatementInput(in.first, in.second), expected) << in.second;
}

struct ParameterCase {
    const char* name;
    std::optional<Names> tables;
    std::optional<Names> where;
    int32_t layout;
    UnloadExtras extras;
    std::string line;
};

class RisunlodParameterLineTest : public ::testing::TestWithParam<ParameterCase> {};

TEST_P(RisunlodParameterLineTest, Line)
{
    const ParameterCase& c = GetParam();
    EXPECT_EQ(RisunlodParameterLine("pd_abc", c.tables, c.where, c.layout, c.extras), c.line);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RisunlodParameterLineTest,
    ::testing::Values(
        ParameterCase{"AllVarWithExtras", std::nullopt, std::nullopt, 0, UnloadExtras::ViewsIndexesGrants,
                      "pd_abc table with var data all view all index all grant all"},
        ParameterCase{"ConditionsIgnoredWithoutTables", std::nullopt, Names{"x = 1"}, 1, UnloadExtras::None,
                      "pd_abc table with data all"},
        ParameterCase{"OneTextUntrimmed", Names{" t1 "}, std::nullopt, 7, UnloadExtras::None,
                      "pd_abc table with data  t1 "},
        ParameterCase{"TwoTablesOneCondition", Names{"a", "b"}, Names{" x = 1 "}, 1, UnloadExtras::ViewsIndexesGrants,
                      "pd_abc table with data a where \" x = 1 \" b view all index a b grant a b"},
        ParameterCase{"BlankConditionAddsNothing", Names{"a", "b"}, Names{"  ", "y > 2", "z"}, 1, UnloadExtras::None,
                      "pd_abc table with data a b where \" y > 2 \""},
        // A copy of tables carries their own indexes and grants, and no view of the schema.
        ParameterCase{"TablesWithTheirIndexesAndGrantsOnly", Names{"a", "b"}, std::nullopt, 0,
                      UnloadExtras::IndexesGrants, "pd_abc table with var data a b index a b grant a b"}),
    [](const auto& info) { return std::string(info.param.name); });
