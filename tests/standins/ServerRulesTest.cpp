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
            "create table nums (k int, x double, d decimal(10,2));\ncreate table words (w char(10), n int);\n");
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
        // The database keeps a character value as it was given and compares it as it stands.
        {"update words set n = 5 where w = 'pad'", "0 rows updated.", "SELECT n FROM words", "1"},
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
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.statement);
        t.Batch("default schema pd_c;\ndelete from nums;\ninsert into nums values (7, 2.5, 1);\n"
                "delete from words;\ninsert into words values ('pad  ', 1);\ndrop view half;\n");
        if (c.connection) {
            EXPECT_NE(onConnection(*c.connection, c.statement).find(c.says), std::string::npos);
        } else {
            const ClientRun r = throughRisbatch(c.statement);
            const std::string says = c.says;
            const bool refused = says.rfind("ORA-", 0) == 0 || says.rfind("RIS_E_", 0) == 0;
            EXPECT_EQ(r.exitCode, refused ? 1 : 0) << r.console;
            EXPECT_NE((refused ? messageOf(r.console) : r.console).find(says), std::string::npos) << r.console;
        }
        EXPECT_EQ(stored("pd_c", c.query).value_or(kNull), c.stands);
        EXPECT_FALSE(std::filesystem::exists(lost)) << "a lost schema was read as an empty one";
    }
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
        testsupport::WriteHostFile(host("back.dmp"), dump);
        EXPECT_EQ(load("back.dmp", "pd_d").exitCode, 0);
        EXPECT_EQ(stored("pd_d", "SELECT name FROM t WHERE id = 1"), kept);
        EXPECT_EQ(unloadAll("pd_d"), dump);
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
