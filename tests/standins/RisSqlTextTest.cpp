// Splitting and rewriting of RIS statement texts.
#include "standins/dbserver/RisSqlText.h"

#include <gtest/gtest.h>

TEST(RisSqlText, SplitsAtSemicolonsOutsideQuotes)
{
    auto s = RisSqlText::SplitStatements("default schema pd_a;\r\ninsert into t values ('a;b', 'it''s;');\r\n\r\n;quit");
    ASSERT_EQ(s.size(), 3u);
    EXPECT_EQ(s[0], "default schema pd_a");
    EXPECT_EQ(s[1], "insert into t values ('a;b', 'it''s;')");
    EXPECT_EQ(s[2], "quit");
}

TEST(RisSqlText, RewritesQualifiersButNotStringsOrAliases)
{
    auto r = RisSqlText::RewriteQualifiers("select a.x from pd_a.t a where y = 'pd_a.z'", [](const std::string& w) {
        return w == "pd_a" ? std::string() : w + ".";
    });
    EXPECT_EQ(r, "select a.x from t a where y = 'pd_a.z'");
}

TEST(RisSqlText, SplitsTopLevelListsKeepingParenthesesTogether)
{
    auto parts = RisSqlText::SplitTopLevel("a char(20), b decimal(10,2) , c int");
    ASSERT_EQ(parts.size(), 3u);
    EXPECT_EQ(parts[1], "b decimal(10,2)");
    EXPECT_EQ(RisSqlText::MatchingParen("f(a(b)c) x", 1), 7u);
}
