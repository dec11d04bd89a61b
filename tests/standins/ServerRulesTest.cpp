// The stand-in server computes and keeps values as the database behind it does, on every way
// in: the RIS clients run as programs, and the Oracle and SQL Server connections.
#include "RisClientsFixture.h"
#include "platform/ado/AdoTypes.h"
#include "platform/ado/Connection.h"
#include "standins/dbserver/StandInConnections.h"
#include "support/Raised.h"

#include <filesystem>
#include <functional>

using testsupport::ReadHostFile;
using testsupport::WriteHostFile;

namespace {

const std::string kOracle = "Provider=MSDAORA.1;Data Source=ORCL;User Id=pd_c;Password=pd_c;";
const std::string kSqlServer = "Driver={SQL Server};Server=(local);Uid=pd_c;Pwd=pd_c;";

class ServerRulesTest : public RisClientsTest {
protected:
    void SetUp() override
    {
        RisClientsTest::SetUp();
        t.Server().CreateSqlDatabase("master");
        StandInConnections::Register();
    }
    void TearDown() override
    {
        Connection::RegisterProvider(ProviderKind::Oracle, nullptr);
        Connection::RegisterProvider(ProviderKind::SqlServer, nullptr);
    }

    std::optional<std::string> stored(const std::string& schema, const std::string& query)
    {
        RisSession session(t.Server());
        return session.Database(schema).QueryText(query);
    }

    // Runs the statement on a connection to the test server: the first value it answers ("" for
    // none, "(null)" for NULL), or the refusal.
    std::string onConnection(const std::string& connectionString, const std::string& statement)
    {
        const std::string saved = GetEnvVar("RIS_PARAMETERS");
        SetEnvVar("RIS_PARAMETERS", win("ris.parms"));
        std::string answer;
        try {
            Connection c;
            c.Open(connectionString);
            Recordset rs = c.Execute(statement);
            if (rs.State() == adStateOpen && rs.RecordCount() > 0)
                answer = rs.Fields()[0].Value().IsNull() ? "(null)" : rs.Fields()[0].Value().ToText();
        } catch (const AppError& e) {
            answer = e.description();
        }
        SetEnvVar("RIS_PARAMETERS", saved);
        return answer;
    }

    // Runs the statement through risbatch on schema pd_c: its answer file.
    std::string throughRisbatch(const std::string& statement, long* exitCode = nullptr)
    {
        WriteHostFile(host("s.sql"), "default schema pd_c;\r\n" + statement + ";\r\n");
        const ClientRun r = run("risbatch.exe", {"-i", win("s.sql"), "-o", win("out.txt")});
        if (exitCode)
            *exitCode = r.exitCode;
        return ReadHostFile(host("out.txt"));
    }
};

} // namespace

// Each statement runs on the same rows through risbatch or a connection (Oracle's rules, or SQL
// Server's on its connection); what the table holds afterwards is read from the server's files.
TEST_F(ServerRulesTest, StatementsComputeAsTheDatabaseDoes)
{
    t.AddSchema("pd_lost");
    t.Batch("create table pd_lost.t (k int);\ndefault schema pd_c;\n"
            "create table nums (k int, x double, d decimal(10,2));\ncreate table words (w char(10), n int);\n");
    const std::string lost = t.Server().UserDatabasePath("PD_LOST");
    std::filesystem::remove(lost);
    const char* const kNull = "(null)";
    const struct {
        const char* statement;
        const char* says; // in the answer; an ORA- or RIS_E_ error fails the run
        const char* query;
        const char* stands;
        const std::string* connection = nullptr; // none: through risbatch
    } cases[] = {
        {"update nums set d = 7 / 2", "1 row updated.", "SELECT d FROM nums", "3.5"},
        {"update nums set k = 6 / 2", "1 row updated.", "SELECT typeof(k) || k FROM nums", "integer3"},
        {"update nums set x = k / 0", "ORA-01476: divisor is equal to zero", "SELECT x FROM nums", "2.5"},
        {"update nums set x = 1 / (k - 7)", "ORA-01476", "SELECT x FROM nums", "2.5"},
        {"update nums set k = 2 + 3 * 4 - 10 / 5", "1 row updated.", "SELECT k FROM nums", "12"},
        {"update nums set x = k + 'a'", "ORA-01722: invalid number", "SELECT x FROM nums", "2.5"},
        {"update nums set x = k + ' 3 '", "1 row updated.", "SELECT x FROM nums", "10.0"},
        {"update nums set k = k % 2", "ORA-00911: invalid character", "SELECT k FROM nums", "7"},
        {"select 7/2, 'a' || null from nums", "7/2: 3.5\r\n'a' || null: 'a'\r\n", "SELECT k FROM nums", "7"},
        {"update words set w = 'x' || null", "1 row updated.", "SELECT w FROM words", "x"},
        {"update words set w = 'a' || 1.5 / 3", "1 row updated.", "SELECT w FROM words", "a.5"},
        {"update words set w = 'a' || 2 * 3", "1 row updated.", "SELECT w FROM words", "a6"},
        {"insert into words values ('', 2)", "1 row inserted.", "SELECT count(*) FROM words WHERE w IS NULL", "1"},
        {"update words set w = substr(w, 9)", "1 row updated.", "SELECT w FROM words", kNull},
        {"update words set w = substr(w, 0, 2) || trim('  ')", "1 row updated.", "SELECT w FROM words", "pa"},
        // The database keeps a character value as it was given and compares it as it stands.
        {"update words set n = 5 where w = 'pad'", "0 rows updated.", "SELECT n FROM words", "1"},
        {"update words set w = substr(w, 4)", "1 row updated.", "SELECT w FROM words", "  "},
        {"select length('') from words", "length(''): \r\n", "SELECT n FROM words", "1"},
        {"create view half as select k / 2 h from nums", "View created.", "SELECT h FROM half", "3.5"},
        {"create index bad on nums (nosuch)", "ORA-00904: invalid identifier",
         "SELECT count(*) FROM sqlite_master WHERE name = 'bad'", "0"},
        {"select k from pd_lost.t", "ORA-01157", "SELECT k FROM nums", "7"},
        {"SELECT 7/2 FROM nums", "3.5", "SELECT k FROM nums", "7", &kOracle},
        {"UPDATE nums SET x = k / (k - 7)", "ORA-01476: divisor is equal to zero", "SELECT x FROM nums", "2.5", &kOracle},
        {"UPDATE words SET w = w & NULL", "", "SELECT w FROM words", "pad  ", &kOracle},
        {"INSERT INTO words VALUES ('', 3)", "", "SELECT count(*) FROM words WHERE w IS NULL", "1", &kOracle},
        {"SELECT 7/2 FROM nums", "3", "SELECT k FROM nums", "7", &kSqlServer},
        {"SELECT 7.0/2 FROM nums", "3.5", "SELECT k FROM nums", "7", &kSqlServer},
        {"UPDATE nums SET x = k / 0", "Divide by zero error encountered.", "SELECT x FROM nums", "2.5", &kSqlServer},
        {"UPDATE nums SET k = k % 0", "Divide by zero error encountered.", "SELECT k FROM nums", "7", &kSqlServer},
        {"UPDATE words SET w = 'a' + 'b'", "", "SELECT w FROM words", "ab", &kSqlServer},
        {"SELECT w + NULL FROM words", "(null)", "SELECT w FROM words", "pad  ", &kSqlServer},
        {"UPDATE nums SET x = k + 'a'", "Conversion failed when converting the varchar value 'a' to data type int.",
         "SELECT x FROM nums", "2.5", &kSqlServer},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.statement);
        t.Batch("default schema pd_c;\ndelete from nums;\ninsert into nums values (7, 2.5, 1);\n"
                "delete from words;\ninsert into words values ('pad  ', 1);\ndrop view half;\n");
        if (c.connection) {
            EXPECT_NE(onConnection(*c.connection, c.statement).find(c.says), std::string::npos);
        } else {
            long exitCode = -1;
            const std::string answer = throughRisbatch(c.statement, &exitCode);
            const bool refused = std::string(c.says).rfind("ORA-", 0) == 0;
            EXPECT_EQ(exitCode, refused ? 1 : 0) << answer;
            EXPECT_NE((refused ? messageOf(answer) : answer).find(c.says), std::string::npos) << answer;
        }
        EXPECT_EQ(stored("pd_c", c.query).value_or(kNull), c.stands);
        EXPECT_FALSE(std::filesystem::exists(lost)) << "a lost schema was read as an empty one";
    }
}

// A carriage return alone and the character with code 1 are kept, unloaded and loaded back whole;
// a line feed, which no dump can carry, is refused on every way in and nothing of it stored; an
// empty text is kept as NULL.
TEST_F(ServerRulesTest, EveryWayInKeepsOnlyWhatTheUnloadCanWriteAndTheLoadReadsBack)
{
    t.Batch("default schema pd_c;\ncreate table notes (id int, note char(20));\n"
            "create view doubled as select id * 2 twice, note || '!' loud from notes;\n");
    const auto batch = [&](const std::string& statement) { return messageOf(throughRisbatch(statement)); };
    const struct {
        const char* way;
        std::function<std::string(const std::string& value)> put; // the refusal it answers
        const char* lineFeedRefusal;
        const char* before = ""; // what the way puts before the value
    } ways[] = {
        {"risbatch insert", [&](const std::string& v) { return batch("insert into notes values (1, '" + v + "')"); },
         "RIS_E_LINE_BREAK_IN_VALUE"},
        {"risbatch update",
         [&](const std::string& v) {
             t.Batch("insert into pd_c.notes values (1, 'old');");
             return batch("update notes set note = 'x' || '" + v + "'");
         },
         "RIS_E_LINE_BREAK_IN_VALUE", "x"},
        {"rislod",
         [&](const std::string& v) {
             WriteHostFile(host("n.dmp"), "default schema pd_c\r\ncreate table notes (id int, note char(20))\r\n"
                                          "insert into notes (id, note) values (?, ?)\r\n***variable*** id note \r\n"
                                          "1 '" + v + "' \r\n***RIS*** End of Table ***RIS***\r\n"
                                          "***RIS*** End of Schema ***RIS***\r\n");
             return messageOf(load("n.dmp", "pd_c").console);
         },
         "RIS_E_ROWS_REJECTED"},
        {"Oracle connection",
         [&](const std::string& v) { return onConnection(kOracle, "INSERT INTO notes VALUES (1, '" + v + "')"); },
         "ORA-02290: check constraint (PD_C.LF_NOTE) violated"},
        {"SQL Server connection",
         [&](const std::string& v) { return onConnection(kSqlServer, "INSERT INTO notes VALUES (1, '" + v + "')"); },
         "CHECK constraint \"lf_note\""},
    };
    for (const auto& way : ways) {
        for (const std::string value : {"cr\rhere", "one\x01two", "", "lf\nhere", "crlf\r\nhere"}) {
            SCOPED_TRACE(std::string(way.way) + ": " + testing::PrintToString(value));
            t.Batch("delete from pd_c.notes;");
            const std::string refusal = way.put(value);
            if (value.find('\n') != std::string::npos) {
                EXPECT_NE(refusal.find(way.lineFeedRefusal), std::string::npos) << refusal;
                EXPECT_EQ(stored("pd_c", "SELECT count(*) FROM notes WHERE note LIKE '%here%'"), "0");
                continue;
            }
            EXPECT_EQ(refusal, "");
            const std::optional<std::string> kept = stored("pd_c", "SELECT note FROM notes");
            const std::string expected = way.before + value;
            EXPECT_EQ(kept, expected.empty() ? std::nullopt : std::optional<std::string>(expected));
            const std::string dump = unloadAll("pd_c");
            WriteHostFile(host("back.dmp"), dump);
            EXPECT_EQ(load("back.dmp", "pd_d").exitCode, 0);
            EXPECT_EQ(stored("pd_d", "SELECT note FROM notes"), kept);
            EXPECT_EQ(stored("pd_d", "SELECT loud FROM doubled"), kept.value_or("") + "!");
            EXPECT_EQ(body(unloadAll("pd_d")), body(dump));
        }
    }
}
