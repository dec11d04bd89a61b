// Values as the stand-in server keeps them: the text of a number in a character value, the
// store of each value into its column's type, and the statements that store through it.
#include "standins/dbserver/ServerValues.h"

#include "StandInTestServer.h"
#include "platform/AppError.h"
#include "platform/DecimalNumber.h"
#include "standins/dbserver/RisColumnType.h"
#include "standins/dbserver/ServerSqlFunctions.h"
#include "standins/dbserver/ServerSqlRules.h"
#include "standins/dbserver/SqliteDb.h"
#include "standins/dbserver/StoredValueSql.h"
#include "support/ExactNumberCases.h"
#include "support/GeneratedLiterals.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

TEST(ServerValues, ANumberTakesTheDatabasesText)
{
    const struct {
        double value;
        const char* text;
    } cases[] = {{0.5, ".5"},       {-0.25, "-.25"},          {-0.0, "0"},           {7.0, "7"},
                 {1.5, "1.5"},      {1e25, "10000000000000000000000000"}, {-1.5e300, "-1.5E+300"}, {1e-7, ".0000001"},
                 {123.0625, "123.0625"}, {1.2345678901234568e22, "12345678901234568000000"},
                 {1e-50, ".00000000000000000000000000000000000000000000000001"}, {1e64, "1E+64"}};
    for (const auto& c : cases)
        EXPECT_EQ(ServerValues::OracleNumberText(c.value), c.text) << c.value;
    // A number of more digits than a double holds keeps every one, in its text and through the
    // server's arithmetic.
    const struct {
        const char* number;
        const char* text;
    } exact[] = {{"12345678901234567890", "12345678901234567890"}, {"-0.12345678901234567890", "-.1234567890123456789"},
                 {"1.5e70", "1.5E+70"}, {"-1234567890123456789012345678901234567e-80", "-1.234567890123456789012345678901234567E-44"},
                 {"000.000", "0"}, {"1e-402", "0"}, {"-9223372036854775808", "-9223372036854775808"}};
    for (const auto& c : exact)
        EXPECT_EQ(DecimalNumber::Parse(c.number)->OracleText(), c.text) << c.number;
}

// Each value as a column of its type keeps it, read back with the engine's own type name, and as
// the column writes it (the text of a select and of an unload): a number kept as a double with
// the digits of the number it stands for, never the double's binary digits. A row holding it
// is found by those digits, and by no other number.
TEST(ServerValues, AStoredValueIsWhatItsColumnKeeps)
{
    SqliteDb db(":memory:");
    ServerSqlFunctions::Register(db.Handle());
    struct Case {
        std::string value;
        std::string type;
        std::string kept = {};    // "!" + a part of the refusal; "" not looked at
        std::string written = {}; // "" not looked at
    };
    std::vector<Case> cases = {
        {"1.0/3", "decimal(12,3)", "real 0.333"},     {"0.5", "decimal(10)", "integer 1"},
        {"-0.5", "decimal(10,0)", "integer -1"},      {"2.675", "decimal(8,2)", "real 2.68"},
        {"'2.675'", "decimal(8,2)", "real 2.68"},     {"999999.995", "decimal(8,2)", "!ORA-01438"},
        {"-999999.99", "decimal(8,2)", "real -999999.99"}, {"123456789", "decimal(8,2)", "!ORA-01438"},
        {"0", "decimal(2,2)", "integer 0"},           {"0.999", "decimal(2,2)", "!ORA-01438"},
        {"7.5", "smallint", "integer 8"},             {"-7.5", "int", "integer -8"},
        {"' 12 '", "int", "integer 12"},              {"'abc'", "double", "!ORA-01722: invalid number (column 'c')"},
        {"''", "int", "null "},                       {"''", "char(5)", "null "},
        {"0.5", "char(5)", "text .5"},                {"42", "char(5)", "text 42"},
        {"'0.5'", "char(5)", "text 0.5"},             {"1e400", "double", "real Inf"},
        {"-1e400", "char(5)", "!ORA-01426: numeric overflow (column 'c')"},
        {"'2024-01-02'", "date", "text 2024-01-02:00:00:00"},  {"0.1", "decimal", "real 0.1"},
        // Every digit of a number of up to 38, rounded half away from zero to the scale.
        {"ris_number('12345678901234567890123')", "decimal(38,0)", "blob 12345678901234567890123"},
        {"'9999999999999999999'", "decimal(38,0)", "blob 9999999999999999999"},
        {"' 1234567890123456.78 '", "decimal(18,2)", "blob 1234567890123456.78"},
        {"ris_number('12345678901234567890')", "char(25)", "text 12345678901234567890"},
        {"'1.4999999999999999'", "decimal(10,0)", "integer 1"},   {"'-2.5000000000000001'", "int", "integer -3"},
        {"'99999999999999999999999999999999999999'", "decimal(38,0)", "blob 99999999999999999999999999999999999999"},
        {"'999999999999999999999999999999999999999'", "decimal(38,0)", "!ORA-01438"},
        {"'99999999999999999999999999999999999999.5'", "decimal(38,0)", "!ORA-01438"},
        {"'1234567890123456789.0000000000000000'", "decimal(30,10)", "integer 1234567890123456789"},
        {"'0.30000000000000004'", "double", "real 0.3"},
        {"'1.23456789012345678901234567890123456789012'", "double", "real 1.23456789012346"},
        {"'1.000000000000000000000'", "real", "integer 1"},
        // Numbers of at most 15 digits stay doubles, written with their own digits at any scale.
        {"98765.4321", "decimal(24,12)", "real 98765.4321"},
        {"1000000000000000000000000", "decimal(38,0)", "real 1.0e+24"},
        {"-12000000000000000000000000000000", "decimal(38,0)", "real -1.2e+31"},
        {"'98765.432100000000'", "decimal(24,12)", "real 98765.4321", "98765.432100000000"},
        {"0.5", "decimal(38,38)", "real 0.5", "0.50000000000000000000000000000000000000"},
        {"-0.0", "decimal(8,2)", "", "0.00"},
        {"ris_add(98765.4, 0.0321)", "decimal(24,12)", "real 98765.4321", "98765.432100000000"},
        {"ris_cast('1e24', 'decimal(38,0)')", "decimal(30,0)", "real 1.0e+24", "1000000000000000000000000"},
    };
    // The numbers of a table of many scales, a number at every scale whose digits there reach 16
    // to 38, the round numbers 10^16 to 10^37, and the negatives of all.
    std::vector<testsupport::ExactNumberCase> numbers = testsupport::TableOfScalesRow();
    for (const auto& more : {testsupport::NumbersAtEveryScale(), testsupport::RoundNumbers()})
        numbers.insert(numbers.end(), more.begin(), more.end());
    for (const testsupport::ExactNumberCase& n : numbers)
        for (const testsupport::ExactNumberCase& m : {n, testsupport::Negated(n)})
            cases.push_back({m.value, m.type, "", m.written});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value + " into " + c.type);
        const std::string v = StoredValueSql::Value(c.value, c.type, "c", ServerDialect::Oracle);
        try {
            const std::string kept =
                db.QueryText("SELECT typeof(" + v + ") || ' ' || coalesce(" + v + ", '')").value_or("");
            if (!c.kept.empty()) {
                EXPECT_EQ(kept, c.kept);
            }
        } catch (const AppError& e) {
            EXPECT_EQ(c.kept[0], '!') << e.description();
            EXPECT_NE(e.description().find(c.kept.substr(1)), std::string::npos) << e.description();
        }
        if (c.written.empty())
            continue;
        db.Exec("DROP TABLE IF EXISTS v; CREATE TABLE v (c " + c.type + "); INSERT INTO v VALUES (" + v + ")");
        SqliteStatement st(db, "SELECT c FROM v");
        ASSERT_TRUE(st.Step());
        bool quoted = true;
        EXPECT_EQ(RisColumnType::StoredValueText(st, 0, quoted).value_or("<null>"), c.written);
        EXPECT_FALSE(quoted);
        // Found by its digits; a double's binary digits at the scale are another number.
        const auto found = [&](const std::string& number) {
            return db.QueryText(ServerSqlRules::Rewrite("SELECT count(*) FROM v WHERE c = " + number,
                                                        ServerDialect::Oracle));
        };
        EXPECT_EQ(found(c.written), "1");
        if (st.ColumnStorage(0) == SQLITE_FLOAT) {
            char binary[80];
            std::snprintf(binary, sizeof binary, "%.*f", RisColumnType::Parse(c.type)->scale(), st.ColumnDouble(0));
            if (c.written != binary && st.ColumnDouble(0) != 0) {
                EXPECT_EQ(found(binary), "0") << binary;
            }
        }
    }
}

// Every value an INSERT or UPDATE stores goes through its column's store; anything else, and
// a table the database does not know, stays as written.
TEST(StoredValueSql, EveryStoredValueGoesThroughItsColumn)
{
    SqliteDb db(":memory:");
    db.Exec("CREATE TABLE t (n decimal(8,2), c char(9))");
    const std::string n = "ris_store(1, 'decimal(8,2)', 'n')", c = "ris_store(2, 'char(9)', 'c')";
    const struct {
        const char* sql;
        std::string wrapped;
    } cases[] = {
        {"insert into t values (1, 2)", "insert into t values (" + n + ", " + c + ")"},
        {"insert into t (c, n) values (2, 1)", "insert into t (c, n) values (" + c + ", " + n + ")"},
        {"INSERT INTO \"T\" (n) VALUES (1), (2)",
         "INSERT INTO \"T\" (n) VALUES (" + n + "), (ris_store(2, 'decimal(8,2)', 'n'))"},
        {"insert into t select 1, 2 from u",
         "insert into t WITH ris_q(c1, c2) AS (select 1, 2 from u) SELECT ris_store(ris_q.c1, 'decimal(8,2)', 'n'), "
         "ris_store(ris_q.c2, 'char(9)', 'c') FROM ris_q"},
        {"update t set n = 1, c = 2 where n = 3", "update t set n = " + n + ", c = " + c + " where n = 3"},
        {"update main.t set c = (select 2) where 1 = 1", "update main.t set c = ris_store((select 2), 'char(9)', 'c') "
                                                         "where 1 = 1"},
        {"insert into t values (1)", "insert into t values (1)"}, // the database names the missing value
        {"insert into u values (1)", "insert into u values (1)"},
        {"insert into t (x) values (1)", "insert into t (x) values (1)"},
        {"delete from t where n = 1", "delete from t where n = 1"},
        {"select n from t", "select n from t"},
    };
    for (const auto& k : cases)
        EXPECT_EQ(StoredValueSql::Statement(k.sql, db.Handle(), ServerDialect::Oracle), k.wrapped) << k.sql;
    EXPECT_EQ(StoredValueSql::InsertSql("t", {"c", "n"}, db.Handle()),
              "INSERT INTO \"t\" (\"c\", \"n\") VALUES (?1, ris_store(?2, 'decimal(8,2)', 'n'))");
}

// The server's functions compare, order, round and add up numbers by every digit, and leave
// the engine's own order to everything else.
TEST(ServerValues, NumbersCompareOrderAndAddUpByEveryDigit)
{
    SqliteDb db(":memory:");
    ServerSqlFunctions::Register(db.Handle());
    db.Exec("CREATE TABLE n (v decimal(38,2)); CREATE TABLE w (t char(9));"
            "INSERT INTO n VALUES (ris_number('12345678901234567891')), (ris_number('-12345678901234567891.5')),"
            "(1e19), (0.5), (NULL); INSERT INTO w VALUES ('b'), ('ab'), ('10'), (NULL);");
    const struct {
        const char* sql;
        const char* result; // "!" + a part of the refusal
    } cases[] = {
        {"SELECT group_concat(ris_concat(v), ' ') FROM (SELECT v FROM n ORDER BY ris_order(v), v)",
         "-12345678901234567891.5 .5 10000000000000000000 12345678901234567891"},
        {"SELECT group_concat(t, ' ') FROM (SELECT t FROM w ORDER BY ris_order(t) DESC, t DESC)", "b ab 10"},
        {"SELECT ris_cmp(ris_number('12345678901234567891'), 12345678901234567890.0)", "1"},
        {"SELECT ris_cmp('12345678901234567891', ris_number('12345678901234567891')) || ris_cmp('abc', 5)", "01"},
        {"SELECT ris_exact(5, 'x') || ris_exact(ris_number('12345678901234567891'), 1) || "
         "ris_exact('12345678901234567891', 2.5) || ris_exact('12345678901234567891', 'a')",
         "0110"},
        {"SELECT ris_concat(ris_sum(v), ' ', ris_avg(v), ' ', ris_max(v), ' ', ris_min(v)) FROM n",
         "10000000000000000000 2500000000000000000 12345678901234567891 -12345678901234567891.5"},
        {"SELECT ris_concat(ris_max(t), ' ', ris_min(t), ' ', ris_max(3, ris_number('12345678901234567891'), 2)) "
         "FROM w",
         "b 10 12345678901234567891"},
        {"SELECT ris_concat(ris_sum(x)) FROM (SELECT 9223372036854775807 x UNION ALL SELECT 1)",
         "9223372036854775808"},
        {"SELECT ris_concat(ris_round(ris_number('-12345678901234567891.5')), ' ', ris_round(2.675, 2), ' ', "
         "ris_round(1234.5, -2), ' ', ris_round(7))",
         "-12345678901234567892 2.68 1200 7"},
        {"SELECT ris_concat(ris_neg(ris_number('12345678901234567891')), ' ', ris_abs(-9223372036854775807 - 1))",
         "-12345678901234567891 9223372036854775808"},
        {"SELECT ris_concat(ris_div(ris_number('12345678901234567891'), 3), ' ', ris_add(0.1, 0.2), ' ', "
         "ris_mod(ris_number('12345678901234567891'), 0.7), ' ', mss_sub(1e19, ris_number('12345678901234567891')))",
         "4115226300411522630.3333333333333333333 .3 .6 -2345678901234567891"},
        {"SELECT ris_sum(t) FROM w", "!ORA-01722"},
        {"SELECT ris_neg('x')", "!ORA-01722"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sql);
        try {
            EXPECT_EQ(db.QueryText(c.sql).value_or("(null)"), c.result);
        } catch (const AppError& e) {
            EXPECT_EQ(*c.result, '!') << e.description();
            EXPECT_NE(e.description().find(c.result + 1), std::string::npos) << e.description();
        }
    }
}

namespace {

// The value of each "<name>: <value>" line of a select's answer, by name.
std::vector<std::string> answered(const std::string& out, const std::string& name)
{
    std::vector<std::string> values;
    for (size_t at = out.find("\n" + name + ": "); at != std::string::npos; at = out.find("\n" + name + ": ", at + 1)) {
        const size_t from = at + name.size() + 3;
        values.push_back(out.substr(from, out.find('\r', from) - from));
    }
    return values;
}

} // namespace

// Every number literal of a statement is read by the server as the number its text writes: stored
// with the digits of the exact number (the double nearest to it in a double or real column),
// and found by a where on the same literal and on the text a select writes of it.
TEST(ServerValues, EveryLiteralIsTheNumberItWrites)
{
    StandInTestServer t;
    t.AddSchema("pd_lit");
    const std::vector<testsupport::Literal> literals = testsupport::GeneratedLiterals();
    std::map<std::string, std::vector<size_t>> byType;
    for (size_t i = 0; i < literals.size(); ++i)
        byType[literals[i].type].push_back(i);
    std::string batch = "default schema pd_lit;\n";
    std::map<std::string, std::string> tables;
    for (const auto& [type, rows] : byType) {
        const std::string table = tables[type] = "lit" + std::to_string(tables.size());
        batch += "create table " + table + " (id int, c " + type + ");\n";
        for (size_t k = 0; k < rows.size(); k += 200) {
            batch += "insert into " + table + " values ";
            for (size_t r = k; r < std::min(k + 200, rows.size()); ++r)
                batch += (r > k ? ", (" : "(") + std::to_string(rows[r]) + ", " + literals[rows[r]].text + ")";
            batch += ";\n";
        }
    }
    int failed = 0;
    std::string out = t.Batch(batch, &failed);
    ASSERT_EQ(failed, 0) << out.substr(0, 2000);
    for (const auto& [type, rows] : byType) {
        SCOPED_TRACE(type);
        const std::string table = tables[type];
        out = t.Batch("default schema pd_lit;\nselect id, c from " + table + " order by id;\n", &failed);
        const std::vector<std::string> ids = answered(out, "id"), values = answered(out, "c");
        ASSERT_EQ(values.size(), rows.size());
        std::vector<std::string> printed(literals.size());
        for (size_t r = 0; r < rows.size(); ++r) {
            const testsupport::Literal& l = literals[rows[r]];
            ASSERT_EQ(ids[r], std::to_string(rows[r]));
            if (l.written.empty())
                EXPECT_EQ(std::strtod(values[r].c_str(), nullptr), l.nearest) << l.text << " gave " << values[r];
            else
                EXPECT_EQ(values[r], l.written) << l.text;
            printed[rows[r]] = values[r];
        }
        // Found by a where on the literal and on the text the select wrote, 100 rows a statement.
        for (const bool byPrinted : {false, true}) {
            std::string queries = "default schema pd_lit;\n";
            for (size_t k = 0; k < rows.size(); k += 100) {
                queries += "select count(*) as n from " + table + " where ";
                for (size_t r = k; r < std::min(k + 100, rows.size()); ++r)
                    queries += (r > k ? " or (id = " : "(id = ") + std::to_string(rows[r]) + " and c = " +
                               (byPrinted ? printed[rows[r]] : literals[rows[r]].text) + ")";
                queries += ";\n";
            }
            out = t.Batch(queries, &failed);
            ASSERT_EQ(failed, 0) << out.substr(0, 2000);
            const std::vector<std::string> counts = answered(out, "n");
            ASSERT_EQ(counts.size(), (rows.size() + 99) / 100);
            for (size_t q = 0; q < counts.size(); ++q) {
                const size_t k = q * 100;
                if (counts[q] == std::to_string(std::min(k + 100, rows.size()) - k))
                    continue;
                for (size_t r = k; r < std::min(k + 100, rows.size()); ++r) {
                    const std::string& lit = byPrinted ? printed[rows[r]] : literals[rows[r]].text;
                    const std::string one = t.Batch("default schema pd_lit;\nselect count(*) as n from " + table +
                                                    " where c = " + lit + " and id = " + std::to_string(rows[r]) + ";\n");
                    EXPECT_EQ(answered(one, "n"), std::vector<std::string>{"1"}) << lit << " missed";
                }
            }
        }
    }
}
