// Translation of the Access engine's spellings into SQLite's.
#include "platform/ado/JetSqlTranslator.h"

#include "platform/AppError.h"

#include <gtest/gtest.h>

namespace {

// Table names come back marked, so the cases show where the translator saw a table.
std::string Mark(const std::string& name) { return "<" + name + ">"; }

struct TranslateCase {
    const char* name;
    const char* jet;
    const char* sqlite;
    // With every number literal the number it writes (NumberLiterals::EveryDigit); nullptr: as
    // sqlite.
    const char* everyDigit = nullptr;
    bool wide = false; // it holds a number of more digits than a double holds
};

class JetSqlTranslatorTest : public ::testing::TestWithParam<TranslateCase> {};

TEST_P(JetSqlTranslatorTest, Translates)
{
    const JetStatement st = JetSqlTranslator::Translate(GetParam().jet, Mark);
    EXPECT_EQ(st.sql, GetParam().sqlite);
    const JetStatement exact =
        JetSqlTranslator::Translate(GetParam().jet, Mark, JetSqlTranslator::NumberLiterals::EveryDigit);
    EXPECT_EQ(exact.sql, GetParam().everyDigit ? GetParam().everyDigit : GetParam().sqlite);
    EXPECT_EQ(exact.everyDigitLiterals, GetParam().wide);
    EXPECT_EQ(st.everyDigitLiterals, GetParam().wide);
}

INSTANTIATE_TEST_SUITE_P(
    Spellings, JetSqlTranslatorTest,
    ::testing::Values(
        TranslateCase{"FilePathTarget", "SELECT a FROM C:\\w\\x1.txt AS [pdtable_113] WHERE b=1;",
                      "SELECT a FROM <C:\\w\\x1.txt> AS \"pdtable_113\" WHERE b=1;"},
        TranslateCase{"Brackets", "SELECT [a b], [c]]d] FROM [t]", "SELECT \"a b\", \"c]d\" FROM <t>"},
        TranslateCase{"CaseFunctions", "SELECT UCASE(a), lcase(b) FROM t", "SELECT UPPER(a), LOWER(b) FROM <t>"},
        TranslateCase{"DateLiteral", "SELECT * FROM t WHERE d = #01/31/2024#", "SELECT * FROM <t> WHERE d = '2024-01-31'"},
        TranslateCase{"DateTimeLiteral", "SELECT * FROM t WHERE d < #2024-01-31 10:05#",
                      "SELECT * FROM <t> WHERE d < '2024-01-31 10:05:00'"},
        TranslateCase{"NumberBetweenHashes", "SELECT * FROM t WHERE n = #3#", "SELECT * FROM <t> WHERE n = 3"},
        TranslateCase{"DoubleQuotedText", "SELECT * FROM t WHERE a = \"it's\"", "SELECT * FROM <t> WHERE a = 'it''s'"},
        TranslateCase{"SingleQuotesKept", "SELECT * FROM t WHERE a = 'O''Neil'", "SELECT * FROM <t> WHERE a = 'O''Neil'"},
        TranslateCase{"LikeWildcards", "SELECT * FROM t WHERE a LIKE 'x*y?'", "SELECT * FROM <t> WHERE a LIKE 'x%y_'"},
        TranslateCase{"LikeLiteralPercent", "SELECT * FROM t WHERE a LIKE '5[%]*'",
                      "SELECT * FROM <t> WHERE a LIKE '5\\%%' ESCAPE '\\'"},
        TranslateCase{"StarOutsideLike", "SELECT * FROM t WHERE a = 'x*'", "SELECT * FROM <t> WHERE a = 'x*'"},
        TranslateCase{"Ampersand", "SELECT a & 'x' FROM t", "SELECT a || 'x' FROM <t>"},
        TranslateCase{"KeywordInsideQuotes", "SELECT * FROM t WHERE a = 'FROM x'", "SELECT * FROM <t> WHERE a = 'FROM x'"},
        TranslateCase{"FromList", "SELECT * FROM a AS [x], b y WHERE x.k = y.k", "SELECT * FROM <a> AS \"x\", <b> y WHERE x.k = y.k"},
        TranslateCase{"Join", "SELECT * FROM a INNER JOIN b ON a.k = b.k", "SELECT * FROM <a> INNER JOIN <b> ON a.k = b.k"},
        TranslateCase{"Subquery", "SELECT * FROM (SELECT * FROM t WHERE a IN (1, 2))",
                      "SELECT * FROM (SELECT * FROM <t> WHERE a IN (1, 2))"},
        TranslateCase{"MemoTypeKeepsText", "CREATE TABLE [t] (memo MEMO, [n] NOTE, d TEXT(20))",
                      "CREATE TABLE \"t\" (memo LONGTEXT, \"n\" LONGTEXT, d TEXT(20))"},
        TranslateCase{"ColumnNamedLikeKeywordPart", "SELECT date_from FROM t ORDER BY date_from",
                      "SELECT date_from FROM <t> ORDER BY date_from"},
        TranslateCase{"NumbersADoubleHolds", "SELECT * FROM t WHERE a = 1e20 AND b < -12345678901234.5 AND c = 7",
                      "SELECT * FROM <t> WHERE a = 1e20 AND b < -12345678901234.5 AND c = 7",
                      "SELECT * FROM <t> WHERE a = tw_read_number('1e20') AND b < -tw_read_number('12345678901234.5') "
                      "AND c = 7"},
        // A select list item so changed is named as the statement wrote it.
        TranslateCase{"NumbersInTheSelectList",
                      "SELECT 0.5, -2.5e+3, x * 1.5E-3 AS y, round(x, 2) FROM t WHERE b IN (1e3, 7)",
                      "SELECT 0.5, -2.5e+3, x * 1.5E-3 AS y, round(x, 2) FROM <t> WHERE b IN (1e3, 7)",
                      "SELECT tw_read_number('0.5') AS \"0.5\", -tw_read_number('2.5e+3') AS \"-2.5e+3\", "
                      "x * tw_read_number('1.5E-3') AS y, round(x, 2) FROM <t> WHERE b IN (tw_read_number('1e3'), 7)"},
        TranslateCase{"EveryDigitLiterals",
                      "SELECT * FROM t WHERE a = 12345678901234567891 AND b <-1234567890123456.78 AND c > 0.1",
                      "SELECT * FROM <t> WHERE a = 12345678901234567891 AND b <-1234567890123456.78 AND c > 0.1",
                      "SELECT * FROM <t> WHERE a = '12345678901234567891' AND b <'-1234567890123456.78' AND "
                      "c > tw_read_number('0.1')",
                      true},
        TranslateCase{"SignsAfterOperandsSubtract",
                      "SELECT a -12345678901234567891, (5) + 12345678901234567891 FROM t WHERE n IN (-1234567890123456)",
                      "SELECT a -12345678901234567891, (5) + 12345678901234567891 FROM <t> WHERE n IN (-1234567890123456)",
                      "SELECT a -'12345678901234567891' AS \"a -12345678901234567891\", (5) + '12345678901234567891' "
                      "AS \"(5) + 12345678901234567891\" FROM <t> WHERE n IN ('-1234567890123456')",
                      true},
        TranslateCase{"SignAfterAKeyword", "SELECT * FROM t WHERE n BETWEEN -12345678901234567891 AND 0",
                      "SELECT * FROM <t> WHERE n BETWEEN -12345678901234567891 AND 0",
                      "SELECT * FROM <t> WHERE n BETWEEN '-12345678901234567891' AND 0", true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(JetSqlTranslatorForms, SelectInto)
{
    const JetStatement st = JetSqlTranslator::Translate(
        "SELECT * INTO [a]]b] IN 'C:\\x\\O''Neil.mdb' FROM (SELECT * FROM C:\\w\\t.txt AS [t]);", Mark);
    EXPECT_EQ(st.kind, JetStatement::Kind::SelectInto);
    EXPECT_EQ(st.targetTable, "a]b");
    EXPECT_EQ(st.targetDatabase, "C:\\x\\O'Neil.mdb");
    EXPECT_EQ(st.sql, "SELECT *  FROM (SELECT * FROM <C:\\w\\t.txt> AS \"t\");");
}

TEST(JetSqlTranslatorForms, SelectIntoSameDatabase)
{
    const JetStatement st = JetSqlTranslator::Translate("select a into b from c", Mark);
    EXPECT_EQ(st.kind, JetStatement::Kind::SelectInto);
    EXPECT_EQ(st.targetTable, "b");
    EXPECT_EQ(st.targetDatabase, "");
    EXPECT_EQ(st.sql, "select a  from <c>");
}

TEST(JetSqlTranslatorForms, InsertInto)
{
    const JetStatement st = JetSqlTranslator::Translate("INSERT INTO [t] IN 'C:\\d.mdb' SELECT * FROM (SELECT 1);", Mark);
    EXPECT_EQ(st.kind, JetStatement::Kind::InsertInto);
    EXPECT_EQ(st.targetTable, "t");
    EXPECT_EQ(st.targetDatabase, "C:\\d.mdb");
    EXPECT_EQ(st.sql, " SELECT * FROM (SELECT 1);");
    const JetStatement values = JetSqlTranslator::Translate("INSERT INTO t (a, [b]) VALUES (1, #2024-02-29#)", Mark);
    EXPECT_EQ(values.targetDatabase, "");
    EXPECT_EQ(values.sql, " (a, \"b\") VALUES (1, '2024-02-29')");
}

TEST(JetSqlTranslatorForms, RefusesBrokenLiterals)
{
    for (const char* bad : {"SELECT * FROM t WHERE a = 'x", "SELECT * FROM [t", "SELECT * FROM t WHERE d = #2024-02-30#",
                            "SELECT * FROM t WHERE d = #x", "INSERT t VALUES (1)"})
        EXPECT_THROW(JetSqlTranslator::Translate(bad, Mark), AppError) << bad;
}

} // namespace
