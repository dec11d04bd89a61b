// The stand-in server computes and keeps values as the database behind it does, on every way
// in: the RIS clients run as programs, and the Oracle and SQL Server connections.
#include "RisClientsFixture.h"
#include "platform/AppError.h"
#include "platform/ado/AdoTypes.h"
#include "platform/ado/Connection.h"
#include "standins/dbserver/StandInConnections.h"

#include <filesystem>

namespace {

const std::string kOracle = "Provider=MSDAORA.1;Data Source=ORCL;User Id=pd_c;Password=pd_c;";
const std::string kSqlServer = "Driver={SQL Server};Server=(local);Uid=pd_c;Pwd=pd_c;";
const char* const kNull = "(null)";
// The doubles of exact's d and x as the whole numbers they are times 2^45 and 2^53 (every digit,
// which no text of the engine gives), and w.
#define EXACT_DXW "SELECT CAST(d * 35184372088832 AS INTEGER) || ' ' || CAST(x * 9007199254740992 AS INTEGER) || ' ' || w"

class ServerRulesTest : public RisClientsTest {
protected:
    void SetUp() override
    {
        RisClientsTest::SetUp();
        t.Server().CreateSqlDatabase("master");
        StandInConnections::Register();
        SetEnvVar("RIS_PARAMETERS", win("ris.parms")); // for the connections
    }
    void TearDown() override
    {
        SetEnvVar("RIS_PARAMETERS", savedParameters);
        Connection::RegisterProvider(ProviderKind::Oracle, nullptr);
        Connection::RegisterProvider(ProviderKind::SqlServer, nullptr);
    }

    std::optional<std::string> stored(const std::string& schema, const std::string& query)
    {
        RisSession session(t.Server());
        return session.Database(schema).QueryText(query);
    }

    // What stands: a query's first value, or for "grants on <table>" the privileges each grantee
    // holds on that table in the server's catalogue.
    std::string standing(const std::string& query)
    {
        if (query.rfind("grants on ", 0) != 0)
            return stored("pd_c", query).value_or(kNull);
        const std::string table = query.substr(10);
        std::string grants;
        for (const std::string& grantee : t.Server().GrantsOn("PD_C", table))
            grants += grantee + ": " + t.Server().GrantedPrivileges("PD_C", table, grantee) + ";";
        return grants;
    }

    // The statement on a connection to the test server: the first value it answers ("" for none),
    // or the refusal.
    static std::string onConnection(const std::string& connectionString, const std::string& statement)
    {
        try {
            Connection c;
            c.Open(connectionString);
            Recordset rs = c.Execute(statement);
            if (rs.State() != adStateOpen || rs.RecordCount() == 0)
                return "";
            return rs.Fields()[0].Value().IsNull() ? kNull : rs.Fields()[0].Value().ToText();
        } catch (const AppError& e) {
            return e.description();
        }
    }

    // The statement through risbatch on schema pd_c: its exit code and its answer file.
    ClientRun throughRisbatch(const std::string& statement)
    {
        testsupport::WriteHostFile(host("s.sql"), "default schema pd_c;\r\n" + statement + ";\r\n");
        ClientRun r = run("risbatch.exe", {"-i", win("s.sql"), "-o", win("out.txt")});
        r.console = testsupport::ReadHostFile(host("out.txt"));
        return r;
    }

    // The dump loaded back into the schema, which must end 0; the caller then judges what stands.
    void loadBack(const std::string& dump, const std::string& schema)
    {
        testsupport::WriteHostFile(host("back.dmp"), dump);
        const ClientRun loaded = load("back.dmp", schema);
        EXPECT_EQ(loaded.exitCode, 0) << loaded.console;
    }

    const std::string savedParameters = GetEnvVar("RIS_PARAMETERS");
};

} // namespace

// Each statement runs on the same rows through risbatch or a connection (Oracle's rules, or SQL
// Server's on its connection); what the table holds afterwards is read from the server's files.
// A carriage return and the character with code 1 are kept; a line feed, which no dump can carry,
// is refused on every way in; an empty text is kept as NULL.
TEST_F(ServerRulesTest, StatementsComputeAsTheDatabaseDoes)
{
    t.AddSchema("pd_lost");
    t.Batch("create table pd_lost.t (k int);\ndefault schema pd_c;\n"
            "create table nums (k int, x double, d decimal(10,2));\ncreate table words (w char(10), n int);\n"
            "create table vals (d3 decimal(12,3), d0 decimal(10), d2 decimal(8,2), c char(20));\n"
            "create table wide (d38 decimal(38,0), d18 decimal(18,2), c25 char(25), d10 decimal(10,0), x double);\n"
            "create table exact (d decimal(20,14), w decimal(38,2), x double, n int);\n"
            "create table moments (dt timestamp, n int);\n");
    const std::string lost = t.Server().UserDatabasePath("PD_LOST");
    std::filesystem::remove(lost);
    const struct {
        const char* statement;
        const char* says; // in the answer; through risbatch an ORA- or RIS_E_ error fails the run
        const char* query;
        const char* stands;
        const std::string* connection = nullptr; // none: through risbatch
    } cases[] = {
        {"update nums set k = 6 / 2", "1 row updated.", "SELECT typeof(k) || k FROM nums", "integer3"},
        {"update nums set x = k / 0", "ORA-01476: divisor is equal to zero", "SELECT x FROM nums", "2.5"},
        {"update nums set x = k + 'a'", "ORA-01722: invalid number", "SELECT x FROM nums", "2.5"},
        {"update nums set x = k + ' 3 '", "1 row updated.", "SELECT x FROM nums", "10.0"},
        {"update nums set k = k % 2", "ORA-00911: invalid character", "SELECT k FROM nums", "7"},
        {"select 7/2, 'a' || null from nums", "7/2: 3.5\r\n'a' || null: 'a'\r\n", "SELECT k FROM nums", "7"},
        {"update words set w = 'a' || 1.5 / 3", "1 row updated.", "SELECT w FROM words", "a.5"},
        {"update words set w = substr(w, 0, 2) || trim('  ')", "1 row updated.", "SELECT w FROM words", "pa"},
        // The database keeps a character value as it was given and compares it blank-padded, as
        // its fixed-length text: trailing blanks never count, leading ones do.
        {"update words set n = 5 where w = 'pad'", "1 row updated.", "SELECT n || '[' || w || ']' FROM words",
         "5[pad  ]"},
        {"update words set n = 5 where w = ' pad'", "0 rows updated.", "SELECT n FROM words", "1"},
        {"insert into words values (' lead  ', 2); update words set n = 9 where w = ' lead'", "1 row updated.",
         "SELECT n || '[' || w || ']' FROM words WHERE n = 9", "9[ lead  ]"},
        {"update words set n = 6 where w in ('x', 'pad ') and w between 'pad' and 'pad'", "1 row updated.",
         "SELECT n FROM words", "6"},
        {"select count(*) c from words where w > 'pad\x01' and w < 'pad!'", "c: 1", "SELECT n FROM words", "1"},
        {"insert into words values ('pad\x01', 2); select n from words order by w", "n: 2\r\n\r\nn: 1",
         "SELECT count(*) FROM words", "2"},
        {"insert into words values ('pad', 2); select count(distinct w) d, count(*) n from words group by w",
         "d: 1\r\nn: 2", "SELECT count(*) FROM words", "2"},
        {"create unique index uw on words (w); insert into words values ('pad', 2)", "RIS_E_DUP_KEY",
         "SELECT count(*) FROM words", "1"},
        {"UPDATE words SET n = 5 WHERE w = 'pad'", "", "SELECT n || '[' || w || ']' FROM words", "5[pad  ]",
         &kOracle},
        {"UPDATE words SET n = 5 WHERE w IN ('pad')", "", "SELECT n || '[' || w || ']' FROM words", "5[pad  ]",
         &kSqlServer},
        {"SELECT count(*) FROM words WHERE w = ' pad'", "0", "SELECT n FROM words", "1", &kSqlServer},
        {"update words set w = substr(w, 4)", "1 row updated.", "SELECT w FROM words", "  "},
        {"create view half as select k / 2 h from nums", "View created.", "SELECT h FROM half", "3.5"},
        {"create index bad on nums (nosuch)", "ORA-00904: invalid identifier",
         "SELECT count(*) FROM sqlite_master WHERE name = 'bad'", "0"},
        {"select k from pd_lost.t", "ORA-01157", "SELECT k FROM nums", "7"},
        {"insert into words values ('cr\rx\x01y', 2)", "1 row inserted.", "SELECT w FROM words WHERE n = 2",
         "cr\rx\x01y"},
        {"INSERT INTO words VALUES ('', 2)", "", "SELECT count(*) FROM words WHERE w IS NULL", "1", &kSqlServer},
        {"insert into words values ('lf\nx', 2)", "RIS_E_LINE_BREAK_IN_VALUE", "SELECT count(*) FROM words", "1"},
        {"INSERT INTO words VALUES ('lf\nx', 2)", "ORA-02290", "SELECT count(*) FROM words", "1", &kOracle},
        {"INSERT INTO words VALUES ('lf\nx', 2)", "CHECK constraint \"lf_w\"", "SELECT count(*) FROM words", "1",
         &kSqlServer},
        {"UPDATE nums SET x = k / (k - 7)", "ORA-01476", "SELECT x FROM nums", "2.5", &kOracle},
        {"UPDATE words SET w = w & NULL", "", "SELECT w FROM words", "pad  ", &kOracle},
        {"SELECT 7/2 FROM nums", "3", "SELECT k FROM nums", "7", &kSqlServer},
        {"SELECT 7.0/2 FROM nums", "3.5", "SELECT k FROM nums", "7", &kSqlServer},
        {"UPDATE nums SET x = k / 0", "Divide by zero error encountered.", "SELECT x FROM nums", "2.5", &kSqlServer},
        {"UPDATE nums SET k = k % 0", "Divide by zero error encountered.", "SELECT k FROM nums", "7", &kSqlServer},
        {"UPDATE words SET w = 'a' + 'b'", "", "SELECT w FROM words", "ab", &kSqlServer},
        {"SELECT w + NULL FROM words", kNull, "SELECT w FROM words", "pad  ", &kSqlServer},
        {"UPDATE nums SET x = k + 'a'", "converting the varchar value 'a' to data type int.", "SELECT x FROM nums",
         "2.5", &kSqlServer},
        // A decimal keeps its scale, rounded half away from zero, and refuses a value beyond its
        // precision; a whole-number column and a cast round.
        {"update vals set d3 = 1/3", "1 row updated.", "SELECT count(*) FROM vals WHERE d3 = 0.333", "1"},
        {"update vals set d0 = 1/2, d2 = 2.675", "1 row updated.", "SELECT d0 || ' ' || d2 FROM vals", "1 2.68"},
        {"update vals set d0 = -1/2", "1 row updated.", "SELECT d0 FROM vals", "-1"},
        {"update pd_c.vals set d0 = 2.5, c = 0.25 where d0 = 1", "1 row updated.", "SELECT d0 || c FROM vals",
         "3.25"},
        {"insert into pd_c.vals (c, d0) values (1.5, 1.5), (2.5, -2.5)", "2 rows inserted.",
         "SELECT group_concat(c || d0, ' ') FROM vals WHERE d3 IS NULL", "1.52 2.5-3"},
        {"update vals set d2 = 999999.995", "ORA-01438", "SELECT d2 FROM vals", "1"},
        {"insert into vals (d2) values (999999.994)", "1 row inserted.", "SELECT max(d2) FROM vals", "999999.99"},
        {"insert into vals select d3 / 3, 12.5, 1e5, null from vals", "1 row inserted.",
         "SELECT d3 || ' ' || d0 FROM vals WHERE c IS NULL", "0.333 13"},
        {"update nums set k = 7.5", "1 row updated.", "SELECT typeof(k) || k FROM nums", "integer8"},
        {"select cast(7.5 as smallint), cast(2.675 as number(5,2)) from nums",
         "cast(7.5 as smallint): 8\r\ncast(2.675 as number(5,2)): 2.68", "SELECT k FROM nums", "7"},
        {"UPDATE vals SET d3 = 1/3, d0 = 2.5", "", "SELECT d3 || ' ' || d0 FROM vals", "0.333 3", &kOracle},
        {"INSERT INTO vals (d2) VALUES (999999.995)", "ORA-01438", "SELECT count(*) FROM vals", "1", &kOracle},
        {"UPDATE vals SET d2 = 999999.995", "Arithmetic overflow", "SELECT d2 FROM vals", "1", &kSqlServer},
        {"UPDATE vals SET d3 = 1.0/3, d0 = 2.5", "", "SELECT d3 || ' ' || d0 FROM vals", "0.333 3", &kSqlServer},
        {"UPDATE nums SET k = -7.9", "", "SELECT k FROM nums", "-7", &kSqlServer}, // cut, as SQL Server does
        // A number into a character column takes the database's text, or is refused as too long.
        {"update vals set c = 0.5", "1 row updated.", "SELECT c FROM vals", ".5"},
        {"update vals set c = 1e19", "1 row updated.", "SELECT c FROM vals", "10000000000000000000"},
        {"update vals set c = 1e25", "RIS_E_INV_VALUE", "SELECT c FROM vals", "x"}, // 26 characters
        {"update vals set c = -0.0", "1 row updated.", "SELECT c FROM vals", "0"},
        {"update vals set c = -2.25 * 1", "1 row updated.", "SELECT c FROM vals", "-2.25"},
        {"update vals set c = 12345678901234567890123", "RIS_E_INV_VALUE", "SELECT c FROM vals", "x"},
        {"UPDATE vals SET c = 0.5", "", "SELECT c FROM vals", ".5", &kOracle},
        {"update vals set d3 = 'abc'", "ORA-01722", "SELECT d3 FROM vals", "1"},
        // A number of up to 38 digits keeps every one on every way in and out (each is unloaded and
        // loaded back below), and is compared, ordered, computed and rounded with every digit.
        {"update wide set d38 = 12345678901234567890123", "1 row updated.", "SELECT d38 FROM wide",
         "12345678901234567890123"},
        {"update wide set d38 = 9999999999999999999, d18 = 1234567890123456.78", "1 row updated.",
         "SELECT d38 || ' ' || d18 FROM wide", "9999999999999999999 1234567890123456.78"},
        {"update wide set c25 = 12345678901234567890, d10 = 1.4999999999999999", "1 row updated.",
         "SELECT c25 || ' ' || d10 FROM wide", "12345678901234567890 1"},
        {"update wide set d38 = 99999999999999999999999999999999999999", "1 row updated.", "SELECT d38 FROM wide",
         "99999999999999999999999999999999999999"},
        {"update wide set d38 = 999999999999999999999999999999999999999", "ORA-01438", "SELECT d38 FROM wide",
         "12345678901234567891"},
        {"update wide set x = 0.1 + 0.2, c25 = 0.1 + 0.2, d18 = 2 / 3", "1 row updated.",
         "SELECT x || ' ' || c25 || ' ' || d18 FROM wide", "0.3 .3 0.67"},
        {"update wide set d10 = 7 where d38 = 12345678901234567891", "1 row updated.", "SELECT d10 FROM wide", "7"},
        {"update wide set d10 = 7 where d38 = 12345678901234567890 or d38 = '12345678901234567892'", "0 rows updated.",
         "SELECT d10 FROM wide", "1"},
        {"update wide set d10 = 7 where d38 > 12345678901234567890 and d38 between 1e19 and '12345678901234567891'",
         "1 row updated.", "SELECT d10 FROM wide", "7"},
        {"update wide set d38 = -d38 * 3 - 1 where d38 < 1e20", "1 row updated.", "SELECT d38 FROM wide",
         "-37037036703703703674"},
        {"select d38 / 3, d38 + 0.5, mod(d38, 10) from wide",
         "d38 / 3: 4115226300411522630.3333333333333333333\r\nd38 + 0.5: 12345678901234567891.5\r\nmod(d38, 10): 1",
         "SELECT d10 FROM wide", "1"},
        {"insert into wide (d38) values (-12345678901234567891); insert into wide (d38) values (1e19); "
         "select d38 from wide order by d38 desc",
         "d38: 12345678901234567891\r\n\r\nd38: 10000000000000000000\r\n\r\nd38: -12345678901234567891\r\n",
         "SELECT count(*) FROM wide", "3"},
        {"insert into wide (d38, d18) select d38 * 1000, d38 / 1e6 from wide", "1 row inserted.",
         "SELECT d38 || ' ' || d18 FROM wide WHERE d10 IS NULL", "12345678901234567891000 12345678901234.57"},
        {"select round(d38 / 7, 2) r, abs(-d38) a, round(-2.5) h, min(d38) m from wide",
         "r: 1763668414462081127.29\r\na: 12345678901234567891\r\nh: -3\r\nm: 12345678901234567891",
         "SELECT d10 FROM wide", "1"},
        {"insert into wide (d38) values (1); select sum(d38), avg(d38), max(d38) from wide",
         "sum(d38): 12345678901234567892\r\navg(d38): 6172839450617283946\r\nmax(d38): 12345678901234567891",
         "SELECT count(*) FROM wide", "2"},
        {"UPDATE wide SET d38 = 12345678901234567890123 WHERE d38 = 12345678901234567891", "", "SELECT d38 FROM wide",
         "12345678901234567890123", &kOracle},
        {"SELECT count(*) FROM wide WHERE d38 > 12345678901234567890", "1", "SELECT d38 FROM wide",
         "12345678901234567891", &kOracle},
        {"UPDATE wide SET d38 = d38 * 10 + 1, x = 0.1 + 0.2", "", "SELECT d38 || ' ' || x FROM wide",
         "123456789012345678911 0.3", &kSqlServer},
        // A connection's recordset gives every digit the server keeps, as risbatch writes it.
        {"SELECT d38 * 100 + 0.78 FROM wide WHERE d38 = 12345678901234567891", "1234567890123456789100.78",
         "SELECT d38 FROM wide", "12345678901234567891", &kOracle},
        {"SELECT d38 FROM wide WHERE d38 > 12345678901234567168", "12345678901234567891", "SELECT d38 FROM wide",
         "12345678901234567891", &kOracle},
        {"SELECT -d38 FROM wide", "-12345678901234567891", "SELECT d38 FROM wide", "12345678901234567891",
         &kSqlServer},
        // A declaration the database refuses is refused with its text.
        {"create table bad (d decimal(39,0))", "ORA-01727: numeric precision specifier is out of range (1 to 38)",
         "SELECT count(*) FROM sqlite_master WHERE name = 'bad'", "0"},
        {"create table bad (d decimal(0,0))", "ORA-01727", "SELECT count(*) FROM sqlite_master WHERE name = 'bad'",
         "0"},
        {"create table bad (d decimal(10,128))", "ORA-01728: numeric scale specifier is out of range (-84 to 127)",
         "SELECT count(*) FROM sqlite_master WHERE name = 'bad'", "0"},
        {"create index bad on nums (k, K)", "ORA-00957: duplicate column name",
         "SELECT count(*) FROM sqlite_master WHERE name = 'bad'", "0"},
        {"select cast(d38 as number(39)) from wide", "ORA-01727", "SELECT d38 FROM wide", "12345678901234567891"},
        // MOD and mixed comparisons as the database computes them.
        {"select mod(7, 0), mod(-7, 2) from nums", "mod(7, 0): 7\r\nmod(-7, 2): -1", "SELECT k FROM nums", "7"},
        {"update nums set k = 8 where 1 = '1' and '2.0' = 2 and k + 0 = ' 7 '", "1 row updated.",
         "SELECT k FROM nums", "8"},
        {"update nums set k = 8 where 1 = 'a'", "ORA-01722", "SELECT k FROM nums", "7"},
        {"select case when 10 > '9' then 'number' else 'text' end c, 1.0 = '1' from nums",
         "c: 'number'\r\n1.0 = '1': 1", "SELECT k FROM nums", "7"},
        // The engine's own forms are refused, as the database does not know them.
        {"select sqlite_version() from nums", "ORA-00904", "SELECT k FROM nums", "7"},
        {"select typeof(k) from nums", "ORA-00904", "SELECT k FROM nums", "7"},
        {"select name from sqlite_master", "ORA-00942", "SELECT k FROM nums", "7"},
        {"select name from \"SQLITE_SCHEMA\"", "ORA-00942", "SELECT k FROM nums", "7"},
        {"update nums set k = 1 where 'a' glob 'a'", "ORA-00920", "SELECT k FROM nums", "7"},
        {"update words set w = 'b' where w = 'PAD  ' collate nocase", "ORA-00933", "SELECT w FROM words", "pad  "},
        {"update nums set k = k & 1", "ORA-00911", "SELECT k FROM nums", "7"},
        {"update nums set k = k | 1", "ORA-00911", "SELECT k FROM nums", "7"},
        {"update nums set k = ~k", "ORA-00911", "SELECT k FROM nums", "7"},
        {"update nums set k = k << 1", "ORA-00936", "SELECT k FROM nums", "7"},
        {"update nums set k = k >> 1", "ORA-00936", "SELECT k FROM nums", "7"},
        {"update words set w = x'41'", "ORA-00933", "SELECT w FROM words", "pad  "},
        {"update nums set k = ris_add(k, 1)", "ORA-00904", "SELECT k FROM nums", "7"},
        {"SELECT name FROM sqlite_master", "ORA-00942", "SELECT k FROM nums", "7", &kOracle},
        {"DROP TRIGGER ris_no_empty_text_i_words", "ORA-04080",
         "SELECT count(*) FROM sqlite_master WHERE type = 'trigger'", "8", &kOracle},
        {"SELECT sqlite_version() FROM nums", "is not a recognized built-in function name", "SELECT k FROM nums",
         "7", &kSqlServer},
        // A view on a table that does not exist names the table as the statement wrote it.
        {"create view v2 as select * from Missing", "RIS_E_UNKNOWN_RELATION Table or view 'Missing' does not", "SELECT k FROM nums", "7"},
        // Each grant keeps its own privileges.
        {"grant select on words to public", "Grant succeeded.", "grants on words", "PUBLIC: select;"},
        {"grant insert, select on words to pd_d", "Grant succeeded.", "grants on words", "PD_D: select, insert;"},
        {"grant select, drop on words to public", "ORA-00990", "grants on words", ""},
        {"grant all on words to public, pd_d; revoke insert, update on words from pd_d", "Revoke succeeded.",
         "grants on words", "PD_D: select, delete;PUBLIC: select, insert, delete, update;"},
        {"revoke select on words from pd_d", "ORA-01927", "grants on words", ""},
        // Every number literal is the number its text writes, the double nearest to it in a double
        // column, and finds the row it stored.
        {"insert into exact values (-255.333956298855, 987654321098765432.0, 0.727938731738, 1); "
         "update exact set n = 2 where d = -255.333956298855 and w = 987654321098765432 and x = 0.727938731738",
         "1 row updated.", EXACT_DXW " || ' ' || n FROM exact", "-8983764925332483 6556689202007617 987654321098765432 2"},
        {"insert into exact values (1, 12345678901234567.00, 12345678901234567, 1); "
         "update exact set n = 2 where w = 1.2345678901234567e16 and w = 12345678901234567e0 and "
         "x = 12345678901234567 and x = 1.2345678901234568e+16 and x > 12345678901234566.9",
         "1 row updated.", "SELECT w || ' ' || CAST(x AS INTEGER) || ' ' || n FROM exact",
         "12345678901234567 12345678901234568 2"},
        {"insert into exact (x, n) values (0.12345678901234567, 1); select x from exact where x = 0.12345678901234567",
         "x: 0.12345678901234566", "SELECT CAST(x * 72057594037927936 AS INTEGER) FROM exact", "8895999183877726"},
        {"INSERT INTO exact VALUES (-255.333956298855, 987654321098765432.0, 0.727938731738, 1)", "",
         EXACT_DXW " FROM exact", "-8983764925332483 6556689202007617 987654321098765432", &kOracle},
        // A number inside a text or a name stays as written.
        {"update words set w = '0.1e1' where '1.50' = 1.5", "1 row updated.", "SELECT w FROM words", "0.1e1"},
        // The date alone is that day's first moment wherever it is stored, compared, indexed or
        // grouped.
        {"create unique index um on moments (dt); insert into moments values ('2024-03-01:00:00:00', 2)",
         "RIS_E_DUP_KEY", "SELECT count(*) FROM moments", "1"},
        {"insert into moments values ('2024-03-01:00:00:00', 2); select count(*) c from moments group by dt", "c: 2",
         "SELECT dt FROM moments WHERE n = 1", "2024-03-01:00:00:00"},
        {"delete from moments where dt = '2024-03-01:00:00:00'", "1 row deleted.", "SELECT count(*) FROM moments",
         "0"},
        {"update moments set n = 5 where dt = '2024-03-01' and dt between '2024-03-01' and '2024-03-01:00:00:01'",
         "1 row updated.", "SELECT n FROM moments", "5"},
        {"update moments set n = 7 where dt in ('2024-03-01', '2025-01-01') and n not in (0.12345678901234567)",
         "1 row updated.", "SELECT n FROM moments", "7"},
        {"insert into exact (x, n) values (0.12345678901234567, 1); delete from exact where x in (1, 0.12345678901234567)",
         "1 row deleted.", "SELECT count(*) FROM exact", "0"},
        {"update moments set dt = '2024-03-02' where n = 1", "1 row updated.", "SELECT dt FROM moments",
         "2024-03-02:00:00:00"},
        {"INSERT INTO moments VALUES ('2024-03-02', 2)", "", "SELECT dt FROM moments WHERE n = 2",
         "2024-03-02:00:00:00", &kOracle},
        {"UPDATE moments SET n = 6 WHERE dt = '2024-03-01'", "", "SELECT n FROM moments", "6", &kOracle},
        {"insert into moments values ('2024-02-30', 2)", "RIS_E_INV_VALUE", "SELECT count(*) FROM moments", "1"},
        // A grant names users the database knows, as its own load of the dump takes them again: an
        // unknown or misspelt name, or a quoted one in other letters than the user's, refuses the
        // whole statement; a quoted name of the user as stored, and PUBLIC, are taken.
        {"grant select on words to nosuchuser", "RIS_E_UNKNOWN_USER ORA-01917: user or role 'NOSUCHUSER' does not exist",
         "grants on words", ""},
        {"grant select on words to pd_dd", "ORA-01917: user or role 'PD_DD'", "grants on words", ""},
        {"grant select on words to \"pd_d\"", "ORA-01917: user or role 'pd_d' does not exist", "grants on words", ""},
        {"grant select on words to public, nosuch", "ORA-01917", "grants on words", ""},
        {"grant select on words to \"PD_D\", Public", "Grant succeeded.", "grants on words",
         "PD_D: select;PUBLIC: select;"},
        {"revoke select on words from nosuch", "ORA-01917: user or role 'NOSUCH'", "grants on words", ""},
        // The option is no part of a grantee's name: refused by name, nothing granted.
        {"grant select on words to pd_d with grant option", "RIS_E_SYNTAX_ERROR \"with grant option\" is not taken",
         "grants on words", ""},
        {"grant select on words to pd_d c", "ORA-00987", "grants on words", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.statement);
        t.Batch("default schema pd_c;\ndelete from nums;\ninsert into nums values (7, 2.5, 1);\n"
                "delete from words;\ninsert into words values ('pad  ', 1);\ndrop view half;\n"
                "delete from vals;\ninsert into vals values (1, 1, 1, 'x');\ngrant all on words to public, pd_d;\n"
                "revoke all on words from public, pd_d;\ndrop index uw;\ndelete from wide;\n"
                "insert into wide values (12345678901234567891, 1, 'x', 1, 1);\ndelete from exact;\n"
                "drop index um;\ndelete from moments;\ninsert into moments values ('2024-03-01', 1);\n");
        if (c.connection) {
            EXPECT_NE(onConnection(*c.connection, c.statement).find(c.says), std::string::npos);
        } else {
            const ClientRun r = throughRisbatch(c.statement);
            const std::string says = c.says;
            const bool refused = says.rfind("ORA-", 0) == 0 || says.rfind("RIS_E_", 0) == 0;
            EXPECT_EQ(r.exitCode, refused ? 1 : 0) << r.console;
            EXPECT_NE((refused ? messageOf(r.console) : r.console).find(says), std::string::npos) << r.console;
        }
        const std::string stands = standing(c.query);
        EXPECT_EQ(stands, c.stands);
        EXPECT_FALSE(std::filesystem::exists(lost)) << "a lost schema was read as an empty one";
        // What stands comes back as it stood through an unload and a load.
        const std::string dump = unloadAll("pd_c");
        loadBack(dump, "pd_c");
        EXPECT_EQ(standing(c.query), stands);
        EXPECT_EQ(unloadAll("pd_c"), dump);
    }
}

// A table stored before character columns declared their comparison compares blank-padded from
// the first program that opens its file on, through risbatch as through a connection; its rows
// stay as stored, its indexes read in the new order, and a unique index that holds 'a' beside
// 'a  ' keeps comparing exactly rather than refusing a row it holds. A date alone it holds is
// that day's first moment from then on.
TEST_F(ServerRulesTest, ATableStoredBeforeComparesBlankPaddedAndKeepsItsRows)
{
    {
        SqliteDb file(t.Server().UserDatabasePath("PD_C"), false);
        file.Exec("CREATE TABLE \"old_w\" (\"w\" char(10) CONSTRAINT \"ck_w\" CHECK (\"w\" IS NULL OR "
                  "(length(CAST(\"w\" AS BLOB)) <= 10)), \"k\" CHAR(4) NOT NULL, \"n\" int, "
                  "\"char\" int);\n"
                  "CREATE INDEX \"iw\" ON \"old_w\" (\"w\");\nCREATE UNIQUE INDEX \"uk\" ON \"old_w\" (\"k\");\n"
                  "INSERT INTO old_w VALUES ('pad', 'a', 1, 0), ('pad\x01', 'a  ', 2, 0);\n"
                  "CREATE TABLE \"old_d\" (\"d\" decimal(38,0) CONSTRAINT \"ck_d\" CHECK (\"d\" IS NULL OR "
                  "(typeof(\"d\") IN ('integer', 'real'))));\n"
                  "CREATE TABLE \"old_t\" (\"dt\" timestamp, \"n\" int);\nINSERT INTO old_t VALUES ('2024-03-01', 1);\n"
                  "PRAGMA user_version = 0;");
    }
    const ClientRun r = throughRisbatch("update old_w set n = n + 10 where w = 'pad  ';\n"
                                        "select n from old_w where k = 'a' order by w;\n"
                                        "insert into old_d values (12345678901234567890123);\n"
                                        "update old_t set n = 2 where dt = '2024-03-01:00:00:00';\n"
                                        "insert into old_w values ('x', 'a', 3, 0)");
    EXPECT_NE(r.console.find("1 row updated.\r\n"), std::string::npos) << r.console;
    EXPECT_NE(r.console.find("n: 2\r\n\r\nn: 11\r\n"), std::string::npos) << r.console;
    EXPECT_NE(messageOf(r.console).find("RIS_E_DUP_KEY"), std::string::npos) << r.console;
    EXPECT_EQ(onConnection(kOracle, "SELECT count(*) FROM old_w WHERE w = 'pad' AND k = 'a '"), "1");

    SqliteDb file(t.Server().UserDatabasePath("PD_C"), false);
    EXPECT_EQ(file.QueryText("PRAGMA integrity_check"), "ok");
    const std::string declared = file.QueryText("SELECT sql FROM sqlite_master WHERE name = 'old_w'").value_or("");
    EXPECT_NE(declared.find("\"w\" char(10) COLLATE ris_char CONSTRAINT"), std::string::npos) << declared;
    EXPECT_NE(declared.find("\"k\" CHAR(4) COLLATE ris_char NOT NULL"), std::string::npos) << declared;
    EXPECT_NE(declared.find("\"char\" int)"), std::string::npos) << declared;
    EXPECT_NE(file.QueryText("SELECT sql FROM sqlite_master WHERE name = 'uk'").value_or("").find("COLLATE BINARY"),
              std::string::npos);
    EXPECT_EQ(file.QueryText("SELECT group_concat(hex(w) || hex(k), ' ') FROM old_w"), "70616461 70616401612020");
    // A date alone stored before is that day's first moment, found by it.
    EXPECT_EQ(file.QueryText("SELECT dt || ' ' || n FROM old_t"), "2024-03-01:00:00:00 2");
    const std::string dump = unloadAll("pd_c");
    EXPECT_NE(dump.find("'pad' 'a' 11 0 \r\n'pad\x01' 'a  ' 2 0 \r\n"), std::string::npos) << dump;
    // Its number columns take a number of every digit, as a table made now does.
    EXPECT_NE(dump.find("12345678901234567890123 \r\n"), std::string::npos) << dump;
}

// What the database keeps, the unload writes and the load reads back whole (a row broken by a
// line feed goes to the bad file as any row whose fields do not line up).
TEST_F(ServerRulesTest, TheLoadKeepsWhatTheUnloadWritesAndReadsBack)
{
    for (const std::string value : {"cr\rx\x01y", ""}) {
        SCOPED_TRACE(testing::PrintToString(value));
        testsupport::WriteHostFile(host("n.dmp"), ReplaceAll(good, "'one'", "'" + value + "'"));
        const ClientRun r = load("n.dmp", "pd_d");
        const std::optional<std::string> kept = stored("pd_d", "SELECT name FROM t WHERE id = 1");
        EXPECT_EQ(r.exitCode, 0) << r.console;
        EXPECT_EQ(kept, value.empty() ? std::nullopt : std::optional<std::string>(value));
        const std::string dump = unloadAll("pd_d");
        loadBack(dump, "pd_d");
        EXPECT_EQ(stored("pd_d", "SELECT name FROM t WHERE id = 1"), kept);
        EXPECT_EQ(unloadAll("pd_d"), dump);
    }
}

// A load stores each value of a dump as its column keeps it, as a statement does: a decimal
// rounded to its scale, half away from zero, a whole number rounded; a value beyond its
// precision or a text that is no number goes to the bad file, naming the database's refusal.
// What was stored unloads as it stands and loads back the same.
TEST_F(ServerRulesTest, TheLoadStoresValuesAsTheirColumnsKeepThem)
{
    t.Batch("default schema pd_c;\ncreate table vals (d3 decimal(12,3), d0 decimal(10), d2 decimal(8,2), i int, "
            "c char(20), w decimal(38,2));\ninsert into vals values (1, 1, 1, 1, 'x', 1);\n");
    const std::string dump = unloadAll("pd_c");
    const std::string row = "1.000 1 1.00 1 'x' 1.00 \r\n";
    ASSERT_NE(dump.find(row), std::string::npos) << dump;
    const struct {
        const char* row;
        const char* unloaded; // empty: refused
        const char* refusal = "";
    } cases[] = {
        {"0.33333 2.5 1.005 7.5 '.5' 1 ", "0.333 3 1.01 8 '.5' 1.00 "},
        {"-0.0005 -2.5 -1.005 -7.5 'a' 1 ", "-0.001 -3 -1.01 -8 'a' 1.00 "},
        {"1e2 1234567890 999999.994 -2147483648.4 'x' 1 ", "100.000 1234567890 999999.99 -2147483648 'x' 1.00 "},
        {"1 12345678901 1 1 'x' 1 ", "", "ORA-01438"},
        {"1 1 999999.995 1 'x' 1 ", "", "ORA-01438: value larger than specified precision allowed for this column"},
        {"abc 1 1 1 'x' 1 ", "", "ORA-01722: invalid number (column 'd3')"},
        {"1 1 1 2147483647.5 'x' 1 ", "", "does not fit the type of column 'i'"},
        // Every digit of a number of up to 38.
        {"1 1 1 1 'x' 12345678901234567891 ", "1.000 1 1.00 1 'x' 12345678901234567891.00 "},
        {"1 1 1 1 'x' 123456789012345678901234567890123456.785 ",
         "1.000 1 1.00 1 'x' 123456789012345678901234567890123456.79 "},
        {"1 1 1 1 'x' -0.004999999999999999999 ", "1.000 1 1.00 1 'x' 0.00 "},
        {"1 1 1 1 'x' 1234567890123456789012345678901234567 ", "", "ORA-01438"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.row);
        testsupport::WriteHostFile(host("v.dmp"), ReplaceAll(dump, row, std::string(c.row) + "\r\n"));
        const ClientRun r = load("v.dmp", "pd_d");
        const std::string unloaded = unloadAll("pd_d");
        if (*c.unloaded) {
            EXPECT_EQ(r.exitCode, 0) << r.console;
            EXPECT_NE(unloaded.find("\r\n" + std::string(c.unloaded) + "\r\n"), std::string::npos) << unloaded;
            loadBack(unloaded, "pd_d");
            EXPECT_EQ(unloadAll("pd_d"), unloaded);
        } else {
            expectRisFailure(r, c.row);
            EXPECT_NE(messageOf(r.console).find(c.refusal), std::string::npos) << r.console;
            EXPECT_EQ(testsupport::ReadHostFile(host("load.bad")), std::string(c.row) + "\r\n");
            EXPECT_NE(unloaded.find("***variable*** d3 d0 d2 i c w \r\n***RIS*** End of Table ***RIS***"),
                      std::string::npos) << unloaded; // the table, without the row
        }
    }
}

// The load stores NULL for an empty text as every other way in does (a NOT NULL column refuses
// the row, which the bad file keeps and the error names), and after a load of any mode the
// table keeps no empty text from any other way in.
TEST_F(ServerRulesTest, AnEmptyTextLoadsAsNullAndTheTableKeepsTheRuleAfterEveryLoad)
{
    t.Batch("default schema pd_c;\ncreate table nn (k int, c char(4), d char(4));\n"
            "insert into nn values (1, 'a', 'b');\n");
    testsupport::WriteHostFile(host("e.dmp"), ReplaceAll(unloadAll("pd_c"), "1 'a' 'b' \r\n",
                                                         "1 'a' '' \r\n2 '' 'b' \r\n"));
    const struct {
        const char* mode;
        const char* before; // in pd_d
        bool refused;       // the row of k 2, whose c is an empty text
    } cases[] = {{"clear", "", false},
                 {"", "drop table nn;\ncreate table nn (k int, c char(4) not null, d char(4));", true},
                 {"new", "drop table nn;", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mode);
        t.Batch(std::string("default schema pd_d;\n") + c.before + "\n");
        std::vector<std::string> args = {"-i", win("e.dmp"), "-l", win("load.log"), "-b", win("load.bad"), "-s",
                                         "pd_d"};
        if (*c.mode)
            args.push_back(c.mode);
        args.insert(args.end(), {"table", "with", "data", "nn"});
        const ClientRun r = run("rislod.exe", args);
        EXPECT_EQ(stored("pd_d", "SELECT count(*) FROM nn WHERE k = 1 AND d IS NULL"), "1") << r.console;
        EXPECT_EQ(stored("pd_d", "SELECT count(*) FROM nn WHERE k = 2 AND c IS NULL"), c.refused ? "0" : "1");
        EXPECT_EQ(testsupport::ReadHostFile(host("load.bad")).find("2 '' 'b' \r\n") != std::string::npos, c.refused);
        const std::string named = "rows of table 'nn' were rejected (line 19: A NULL value is not allowed: NOT NULL "
                                  "constraint failed: nn.c.)";
        EXPECT_EQ(messageOf(r.console).find(named) != std::string::npos, c.refused) << r.console;
        t.Batch("default schema pd_d;\ninsert into nn values (5, 'x', '');\n");
        EXPECT_EQ(stored("pd_d", "SELECT count(*) FROM nn WHERE k = 5 AND d IS NULL"), "1");
    }
}
