// Splitting and rewriting of RIS statement texts.
#include "dbaccess/RisSqlText.h"

#include "platform/AppError.h"
#include "standins/dbserver/ServerSqlRules.h"

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

// Only what SQLite would compute otherwise is rewritten; the rest of a statement stays as written.
TEST(ServerSqlRules, RewritesArithmeticByTheDatabasesPrecedenceAndLeavesTheRestAsWritten)
{
    const struct {
        const char* sql;
        const char* rewritten = ""; // empty: unchanged
        ServerDialect dialect = ServerDialect::Oracle;
    } cases[] = {
        {"select * from t where a = 'x / y' /* c / d */ and b = \"q/r\" -- a / b\n"},
        {"select count (*), t.* from s.t where b in (select c from u)"},
        {"insert into t (a, b) values (1, -2)"},
        {"select a / b x, -c * d + e || f from t",
         "select ris_div(a, b) x, ris_concat(ris_add(ris_mul(ris_neg(c), d), e), f) AS \"-c * d + e || f\" from t"},
        {"update t set a = (b - c) / 2 where d = ''", "update t set a = ris_div((ris_sub(b, c)), 2) where d = NULL"},
        {"update t set a = substr(b, 2) || trim(c)", "update t set a = ris_concat(ris_substr(b, 2), ris_trim(c))"},
        {"update t set a = b - c * d + e / f % g",
         "update t set a = mss_add(mss_sub(b, mss_mul(c, d)), mss_mod(mss_div(e, f), g))", ServerDialect::SqlServer},
        {"select a - b from t where c = ''", "select mss_sub(a, b) AS \"a - b\" from t where c = ''",
         ServerDialect::SqlServer},
        // Every digit of a number: a literal of more digits than a double holds, a sign, an
        // ordering comparison or one with such a literal, an order and an aggregate.
        {"insert into t values (12345678901234567891, -1.4999999999999999, 1.5, - -a)",
         "insert into t values (ris_number('12345678901234567891'), ris_number('-1.4999999999999999'), "
         "ris_number('1.5'), a)"},
        // Every number but a whole one of 64 bits is read by the server, never by the engine; a
        // number in a text or a name stays as written.
        {"select 0.5, a1, \"2.5\" from t where b = '1.5e3' and c = -1e3 and d = 9223372036854775807",
         "select ris_number('0.5') AS \"0.5\", a1, \"2.5\" from t where b = '1.5e3' and c = ris_number('-1e3') and "
         "d = 9223372036854775807"},
        {"create table t (a double default -0.5, b char(4))"},
        {"update t set a = 9999999999999999999 where b = 12345678901234567891 and c = 5",
         "update t set a = ris_number('9999999999999999999') where (CASE WHEN ris_exact(b, "
         "ris_number('12345678901234567891')) THEN ris_cmp(b, ris_number('12345678901234567891')) = 0 ELSE b = "
         "ris_number('12345678901234567891') END) and c = 5"},
        {"delete from t where a >= b", "delete from t where (CASE WHEN ris_exact(a, b) THEN ris_cmp(a, b) >= 0 ELSE a "
                                       ">= b END)"},
        {"delete from t where a not between 1 and b",
         "delete from t where (CASE WHEN ris_exact(a, 1) OR ris_exact(a, b) THEN NOT (ris_cmp(a, 1) >= 0 AND "
         "ris_cmp(a, b) <= 0) ELSE a NOT BETWEEN 1 AND b END)"},
        {"delete from t where a < ?", "", ServerDialect::SqlServer}, // a parameter is never repeated
        {"delete from t where (a, b) < (1, 2)"},                     // nor given to a function as a list
        {"select a from t where b = '12345678901234567891' order by a desc, 2",
         "select a from t where (CASE WHEN ris_exact(b, '12345678901234567891') THEN ris_cmp(b, "
         "'12345678901234567891') = 0 ELSE b = '12345678901234567891' END) order by ris_order(a) desc, a desc, 2"},
        {"select a from t union select b from u order by a"},
        {"select sum(a), avg(c) from t", "select ris_sum(a) AS \"sum(a)\", ris_avg(c) AS \"avg(c)\" from t"},
        {"select count(*), max(a) m from t", "select count(*), ris_max(a) m from t", ServerDialect::SqlServer},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ServerSqlRules::Rewrite(c.sql, c.dialect), *c.rewritten ? c.rewritten : c.sql) << c.sql;
    EXPECT_THROW(ServerSqlRules::Rewrite("select a % b from t", ServerDialect::Oracle), AppError);
    // Nested subqueries are read once each, and a nesting no database takes is refused, not followed.
    std::string nested = "1";
    for (int i = 0; i < 40; ++i)
        nested = "(select " + nested + " x from t)";
    EXPECT_EQ(ServerSqlRules::Rewrite("select " + nested + " y from t", ServerDialect::Oracle),
              "select " + nested + " y from t");
    EXPECT_THROW(ServerSqlRules::Rewrite(std::string(500, '(') + "1" + std::string(500, ')'), ServerDialect::Oracle),
                 AppError);
}
