// The schema, user, table copy, dump and server-list operations of the access object against
// the stand-in server, its RIS clients and its Oracle and SQL Server connections.
#include "dbaccess/CRIS.h"

#include "dbaccess/DumpTestFiles.h"
#include "dbaccess/SampleServerFixture.h"
#include "platform/AppError.h"
#include "platform/RegistryStore.h"
#include "platform/TextUtil.h"
#include "platform/WinPath.h"
#include "platform/ado/AccessConnection.h"
#include "platform/ado/Connection.h"
#include "platform/ado/JetStoredValues.h"
#include "services/AppGlobals.h"
#include "standins/dbserver/DbServer.h"
#include "standins/dbserver/RisSession.h"
#include "standins/dbserver/SchemaTables.h"
#include "standins/dbserver/StandInConnections.h"
#include "standins/dbserver/StandInEnvironment.h"
#include "support/SampleEnvironment.h"
#include "support/TestEnvironment.h"
#include "support/WrapperClients.h"
#include "support/Raised.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>

namespace fs = std::filesystem;
using namespace dumptest;
using Names = std::vector<std::string>;

namespace {

const char* kAdmin = "DBOPER";
const char* kAdminPassword = "WQ4ZTK9";

class CRISServerOperationsTest : public SampleServerFixture {
protected:
    CRISServerOperationsTest() : SampleServerFixture("serverops") {}

    void SetUp() override
    {
        SampleServerFixture::SetUp();
        StandInConnections::Register();
    }

    // Statements of a RIS session on the server, as the RIS batch client would run them.
    void Ris(const std::string& statements)
    {
        DbServer server(DbServer::EnvironmentRoot());
        RisSession session(server);
        std::string out;
        ASSERT_EQ(session.RunBatch(statements, out), 0) << out;
    }

    // A database user and a RIS schema of the same name, as the main window makes them.
    void NewSchema(const std::string& name)
    {
        cris.ORACreateUser("ORCL", kAdmin, kAdminPassword, {name}, {name}, "USER_DATA", "TEMPORARY_DATA");
        cris.RISCreateSchema({name}, "127.0.0.1", 1, "d:\\orant", "ORCL", "svcacct", "k4t2p", {name}, {name});
    }

};

using testsupport::Raised;

} // namespace

TEST_F(CRISServerOperationsTest, SchemaAndItsOracleUserAreCreatedAndDropped)
{
    EXPECT_FALSE(cris.IsORAUserExists("ORCL", kAdmin, kAdminPassword, "pd_ops"));
    NewSchema("pd_ops");
    // The user is in the one catalogue that the server manager and the RIS clients use.
    DbServer server(DbServer::EnvironmentRoot());
    ASSERT_TRUE(server.FindUser("PD_OPS"));
    EXPECT_EQ(server.FindUser("PD_OPS")->defaultTablespace, "USER_DATA");
    EXPECT_TRUE(cris.IsORAUserExists("orcl.world", kAdmin, kAdminPassword, "pd_ops"));
    EXPECT_TRUE(cris.IsRISSchemaExists("PD_OPS", true));
    EXPECT_NE(ReadHostFile(server.SchemaFileHostPath()).find("SCHNAME=pd_ops"), std::string::npos);
    cris.DBWrite("pd_ops", "create table t1 (a int)");

    cris.RISDropSchema({"pd_ops"});
    EXPECT_FALSE(cris.IsRISSchemaExists("pd_ops", true));
    cris.ORADropUser("ORCL", kAdmin, kAdminPassword, {"pd_ops", "pd_never_made"});
    EXPECT_FALSE(cris.IsORAUserExists("ORCL", kAdmin, kAdminPassword, "PD_OPS"));
}

TEST_F(CRISServerOperationsTest, ServerRefusalsComeBackAsErrors)
{
    AppError e = Raised([&] { cris.IsORAUserExists("ORCL", kAdmin, "wrong", "pd_demo"); });
    EXPECT_EQ(e.source(), "CRIS::IsORAUserExists: Microsoft OLE DB Provider for Oracle");
    EXPECT_EQ(e.description(), "ORA-01017: invalid username/password; logon denied");
    // A user without the DBA role may not create users.
    e = Raised([&] { cris.ORACreateUser("ORCL", "pd_demo", "pd_demo", {"x1"}, {"x1"}, "USER_DATA", "TEMP"); });
    EXPECT_NE(e.description().find("ORA-01031"), std::string::npos);
    // A schema over a user that does not exist is refused by RIS.
    e = Raised([&] {
        cris.RISCreateSchema({"pd_nouser"}, "127.0.0.1", 1, "", "ORCL", "o", "p", {"pd_nouser"}, {"pd_nouser"});
    });
    EXPECT_EQ(e.source(), "CRIS::RISCreateSchema: CRIS::RISWrite");
    EXPECT_NE(e.description().find("RIS Error:"), std::string::npos);
}

TEST_F(CRISServerOperationsTest, SqlServerDatabasesAreGatheredOnce)
{
    EXPECT_EQ(cris.GetRegisteredSQLServers(), (Names{StandInEnvironment::kSqlServer}));
    EXPECT_EQ(cris.GetSQLServerDatabases(StandInEnvironment::kSqlServer, kAdmin, kAdminPassword),
              (Names{"master", "model", "msdb", "tempdb", "pds"}));
    // Other arguments get the same list without a connection.
    EXPECT_EQ(cris.GetSQLServerDatabases("NOSERVER", "", "").size(), 5u);
    CRIS other;
    EXPECT_TRUE(other.GetSQLServerDatabases("NOSERVER", kAdmin, kAdminPassword).empty());
}

TEST_F(CRISServerOperationsTest, PasswordsAndOsUsersThatAreNoPlainNamesReachTheServerQuoted)
{
    const Names users = {"pd_q1", "pd_q2", "pd_q3"};
    const Names passwords = {"p@ss", "Secret#1", "it's"};
    cris.ORACreateUser("ORCL", kAdmin, kAdminPassword, users, passwords, "USER_DATA", "TEMPORARY_DATA");
    for (size_t i = 0; i < users.size(); ++i)
        cris.ORAConnTest("ORCL", users[i], passwords[i]); // each logs on with its own password
    const AppError wrong = Raised([&] { cris.ORAConnTest("ORCL", "pd_q1", "p"); });
    EXPECT_NE(wrong.description().find("ORA-01017"), std::string::npos);

    // The operating-system user and password of a RIS schema, quoted in its definition.
    cris.ORACreateUser("ORCL", kAdmin, kAdminPassword, {"pd_q4"}, {"it's@q.4"}, "USER_DATA", "TEMPORARY_DATA");
    cris.RISCreateSchema({"pd_q4"}, "127.0.0.1", 1, "", "ORCL", "NT\\admin", "it's", {"pd_q4"}, {"it's@q.4"});
    EXPECT_TRUE(cris.IsRISSchemaExists("pd_q4", true));
    cris.RISDropSchema({"pd_q4"});
    cris.ORADropUser("ORCL", kAdmin, kAdminPassword, {"pd_q1", "pd_q2", "pd_q3", "pd_q4"});

    // An administrator whose own password holds the characters of a logon line.
    DbServer server(DbServer::EnvironmentRoot());
    server.SetUserPassword("pd_qadmin", "p@ss/w");
    server.GrantPrivilege("pd_qadmin", "DBA");
    cris.ORACreateUser("ORCL", "pd_qadmin", "p@ss/w", {"pd_q5"}, {"q5"}, "USER_DATA", "TEMPORARY_DATA");
    EXPECT_TRUE(cris.IsORAUserExists("ORCL", "pd_qadmin", "p@ss/w", "pd_q5"));
    cris.ORADropUser("ORCL", kAdmin, kAdminPassword, {"pd_q5", "pd_qadmin"});

    // SQL Server logins, found by their name in any case, in their database only.
    cris.SQLCreateUser(StandInEnvironment::kSqlServer, "pds", kAdmin, kAdminPassword, {"sq_q"}, {"it's"});
    cris.SQLConnTest(StandInEnvironment::kSqlServer, "pds", "sq_q", "it's");
    EXPECT_TRUE(cris.IsSQLUserExists(StandInEnvironment::kSqlServer, "pds", kAdmin, kAdminPassword, "SQ_Q"));
    EXPECT_FALSE(cris.IsSQLUserExists(StandInEnvironment::kSqlServer, "msdb", kAdmin, kAdminPassword, "sq_q"));
    cris.SQLDropUser(StandInEnvironment::kSqlServer, "pds", kAdmin, kAdminPassword, {"sq_q", "sq_none"});
    EXPECT_FALSE(cris.IsSQLUserExists(StandInEnvironment::kSqlServer, "pds", kAdmin, kAdminPassword, "sq_q"));
    const AppError e = Raised([&] { cris.SQLConnTest(StandInEnvironment::kSqlServer, "pds", "sq_q", "it's"); });
    EXPECT_NE(e.description().find("Login failed for user 'sq_q'."), std::string::npos);
}

TEST_F(CRISServerOperationsTest, TnsNamesOfTheSeededOracleHomes)
{
    EXPECT_EQ(cris.GetTNSNames(), (Names{"orcl.world", "ORCL"}));

    // A second home with both files; the home list is read by a new object only. The registry
    // and the environment's drive are shared by the process's tests: both go back as they were.
    const std::string home = "C:\\oracle\\ora81";
    RegistryStore registry;
    registry.Load();
    const std::string registryBefore = registry.Text();
    struct Restore {
        std::string text, folder;
        ~Restore()
        {
            RegistryStore r;
            r.SetText(text);
            r.Save();
            std::error_code ec;
            fs::remove_all(folder, ec);
        }
    } restore{registryBefore, HostPath(home)};
    registry.SetValue("HKEY_LOCAL_MACHINE\\SOFTWARE\\ORACLE\\HOME1", "ORACLE_HOME", RegistryData::Text(home + "/"));
    ASSERT_TRUE(registry.Save());
    fs::create_directories(HostPath(home + "\\hs\\admin"));
    fs::create_directories(HostPath(home + "\\network\\admin"));
    WriteHostFile(HostPath(home + "\\hs\\admin\\tnsnames.ora"),
                  "# comment = (x)\r\nHSAGENT =\r\n  (DESCRIPTION = (ADDRESS = (HOST = a)))\r\n"
                  "= nameless\r\n   (ADDRESS = x)\r\nPDS = (DESCRIPTION = (ADDRESS = (HOST = b))) # main\r\n");
    WriteHostFile(HostPath(home + "\\network\\admin\\tnsnames.ora"), "PDS=\nTEST.WORLD = # later\n");
    EXPECT_EQ(cris.GetTNSNames(), (Names{"orcl.world", "ORCL"}));
    CRIS fresh;
    EXPECT_EQ(fresh.GetTNSNames(), (Names{"orcl.world", "ORCL", "HSAGENT", "PDS", "PDS", "TEST.WORLD"}));
}

TEST_F(CRISServerOperationsTest, TwoTablesCopiedUnderNewNamesWholeNamesOnly)
{
    NewSchema("pd_src");
    NewSchema("pd_dst");
    Ris("default schema pd_src;\n"
        "create table pipe (name char(20), n int);\n"
        "create table pipe_long (name char(20), n int);\n"
        "insert into pipe values ('pipe', 1);\n"
        "insert into pipe values ('insert into pipe', 2);\n"
        "insert into pipe_long values ('pipe_long', 3);\n"
        "create unique index upipe on pipe (n);\n"
        "quit;\n");
    // pipe becomes tube, and pipe_long takes the freed name pipe: both at once, not one after
    // the other.
    cris.RISTableCopy("pd_src", {"pipe", "pipe_long"}, "pd_dst", {"tube", "pipe"}, 1, Out("copy.log"));
    const auto tube = Rows("pd_dst", "SELECT name, n FROM tube ORDER BY n");
    ASSERT_EQ(tube.size(), 2u);
    EXPECT_EQ(*tube[0][0], "pipe");
    EXPECT_EQ(*tube[1][0], "insert into pipe");
    const auto pipe = Rows("pd_dst", "SELECT name, n FROM pipe");
    ASSERT_EQ(pipe.size(), 1u);
    EXPECT_EQ(*pipe[0][0], "pipe_long");
    EXPECT_EQ(*pipe[0][1], "3");
    // The source is untouched.
    EXPECT_EQ(Rows("pd_src", "SELECT COUNT(*) FROM pipe")[0][0], std::optional<std::string>("2"));

    // A failed unload leaves the target as it was and no dump behind.
    const AppError e = Raised([&] {
        cris.RISTableCopy("pd_src", {"no_table"}, "pd_dst", {"x"}, 1, Out("copy.log"));
    });
    EXPECT_EQ(e.source().rfind("CRIS::RISTableCopy: CRIS::RISUnload", 0), 0u) << e.source();
    cris.RISDropSchema({"pd_src", "pd_dst"});
    cris.ORADropUser("ORCL", kAdmin, kAdminPassword, {"pd_src", "pd_dst"});
}

// Every load is followed by a look at the target, row by row: all the copy's rows there is a
// copy (said, not raised, when the client failed), none is no copy, part of them is not known,
// and each says every table's rows. A count equal before and after tells nothing: a refusal the
// client names, a load that loaded nothing with exit 0 and a missing client leave the old rows,
// and the copy is said not done.
TEST_F(CRISServerOperationsTest, ACopyWhoseLoadFailsSaysWhatTheTargetHolds)
{
    NewSchema("pd_src");
    NewSchema("pd_dst");
    Ris("default schema pd_src;\n"
        "create table pipe (name char(20), n int);\n"
        "create table valve (name char(20));\n"
        "insert into pipe values ('a', 1);\ninsert into pipe values ('b', 2);\n"
        "insert into valve values ('v');\nquit;\n");
    Ris("default schema pd_dst;\ncreate table valve_n (name char(20));\ninsert into valve_n values ('old');\n"
        "create table pipe_old (name char(20), n int);\ninsert into pipe_old values ('x', 8);\n"
        "insert into pipe_old values ('y', 9);\nquit;\n");
    testsupport::WrapperClients clients;
    cris.SetUseRIS(clients.WinFolder());
    using testsupport::ClientRule;
    struct Case {
        const char* name;
        ClientRule rule;
        const char* pipe;  // the copy of pipe
        int mode;
        std::string outcome;  // the report, or the raised description: its beginning
        std::string end;      // and its end
        bool raised;
        const char* pipeValues;   // names in the copy of pipe afterwards, "-" when not there
        const char* valveValues;  // in valve_n afterwards
        bool clientMissing = false;
    };
    const std::string copyOld = "The copy of 'pipe_old', 'valve_n' into schema 'pd_dst' ";
    const std::string oldRows = "table 'pipe_old' holds 2 rows (the same as before the load), table 'valve_n' holds 2 "
                                "rows (the same as before the load).";
    const std::vector<Case> cases = {
        {"load done, then died", ClientRule::DieAfter(139), "pipe_a", 0,
         "The copy of 'pipe_a', 'valve_n' into schema 'pd_dst' was done although rislod ended with exit code 139; "
         "table 'pipe_a' holds 2 rows (the 2 copied), table 'valve_n' holds 1 row (the 1 copied).",
         "", false, "a,b", "v"},
        {"died before loading", ClientRule::DieBefore(139, "rislod: Segmentation fault\r\n"), "pipe_b", 2,
         "The copy of 'pipe_b', 'valve_n' into schema 'pd_dst' was not done: rislod ended with exit code 139; "
         "table 'pipe_b' is not there, table 'valve_n' holds 1 row (the same as before the load).",
         "", true, "-", "v"},
        {"one table refused, then died", ClientRule::FailTable("pipe_c", "RIS_E_TABLE_NOT_FOUND", 139), "pipe_c", 2,
         "Whether the copy of 'pipe_c', 'valve_n' into schema 'pd_dst' was done is not known: RIS Error: "
         "RIS_E_TABLE_NOT_FOUND - ",
         ". What stands: table 'pipe_c' is not there, table 'valve_n' holds 2 rows (its 1 from before the load and "
         "the 1 copied).",
         true, "-", "v,v"},
        {"new onto tables that stand, as many rows", ClientRule::PassThrough(), "pipe_old", 1,
         copyOld + "was not done: RIS Error: RIS_E_TABLE_EXISTS", oldRows, true, "x,y", "v,v"},
        {"clear, the load loads nothing and ends with 0", ClientRule::Scripted(std::nullopt, std::nullopt), "pipe_old", 0,
         copyOld + "ended without an error, but nothing of it stands: " + oldRows, "", true, "x,y", "v,v"},
        {"clear, no load client", ClientRule::PassThrough(), "pipe_old", 0, copyOld + "was not done: rislod in '",
         oldRows, true, "x,y", "v,v", true},
        {"clear over as many rows, loaded", ClientRule::PassThrough(), "pipe_old", 0, "", "", false, "a,b", "v"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        clients.Set("rislod", c.rule);
        if (c.clientMissing)
            fs::remove(HostPath(clients.WinFolder() + "rislod.exe"));
        const auto copy = [&] {
            return cris.RISTableCopy("pd_src", {"pipe", "valve"}, "pd_dst", {c.pipe, "valve_n"}, c.mode, Out("copy.log"));
        };
        const std::string said = c.raised ? Raised([&] { copy(); }).description() : copy();
        EXPECT_EQ(said.substr(0, c.outcome.size()), c.outcome);
        EXPECT_EQ(said.substr(said.size() - std::min(said.size(), c.end.size())), c.end);
        EXPECT_EQ(clients.Runs("rislod"), c.clientMissing ? 0 : 1);
        // What was said holds: the rows are as the message says.
        const auto names = [&](const std::string& table) {
            if (!cris.IsTableExists("pd_dst", table, true))
                return std::string("-");
            std::string values;
            for (const auto& row : Rows("pd_dst", "SELECT name FROM " + table + " ORDER BY name"))
                values += (values.empty() ? "" : ",") + row[0].value_or("NULL");
            return values;
        };
        EXPECT_EQ(names(c.pipe), c.pipeValues);
        EXPECT_EQ(names("valve_n"), c.valveValues);
    }
    cris.SetUseRIS("");
    cris.RISDropSchema({"pd_src", "pd_dst"});
    cris.ORADropUser("ORCL", kAdmin, kAdminPassword, {"pd_src", "pd_dst"});
}

// A copy never takes another table's index: each index of a copied table gets a name free in
// the target, and the values arrive byte for byte (trailing blanks, blank and empty texts, every
// digit of a number of 37). It
// carries the tables' own indexes and grants and the source's views (naming the copied tables by
// their new names); a view the target already has is left untouched and named in the report.
TEST_F(CRISServerOperationsTest, ACopyKeepsEveryIndexWhereItWasAndEveryValueAsItWas)
{
    NewSchema("pd_aud1");
    NewSchema("pd_aud2");
    const char* table = "create table aud_v (k int, t char(12), n decimal(38,2));\n"
                        "create unique index pk_aud_v on aud_v (k);\n";
    Ris(std::string("default schema pd_aud1;\n") + table +
        "insert into aud_v values (1, 'tail  ', 12345678901234567890123456789012345.67);\n"
        "insert into aud_v values (2, '   ', -0.01);\n"
        "insert into aud_v values (3, '', 99999999999999999999.99);\ninsert into aud_v values (4, NULL, NULL);\n"
        "create view v_aud as select k from aud_v;\ncreate view v_only as select t from aud_v;\n"
        "grant select on aud_v to pd_aud2;\nquit;\n");
    Ris(std::string("default schema pd_aud2;\n") + table + "insert into aud_v (k, t) values (1, 'own');\n"
        "create view v_aud as select t from aud_v where k = 1;\nquit;\n");
    const auto indexes = [](const std::string& schema) {
        DbServer server(DbServer::EnvironmentRoot());
        auto db = server.OpenUserDatabase(server.FindSchema(schema)->dbUser);
        SchemaTables tables(*db);
        std::string text;
        for (const std::string& t : tables.Tables())
            for (const RisIndex& i : tables.Indexes(t))
                text += i.name + " on " + t + (i.unique ? " unique" : "") + "; ";
        for (const RisView& v : tables.Views())
            text += v.definition + "; ";
        for (const std::string& t : tables.Tables())
            for (const std::string& grantee : server.GrantsOn(server.FindSchema(schema)->dbUser, t))
                text += "grant on " + t + " to " + ToLower(grantee) + "; ";
        return text;
    };
    const std::string values = "SELECT k, t, length(t), t IS NULL, n FROM aud_v ORDER BY k";
    const auto source = Rows("pd_aud1", values);
    ASSERT_EQ(source[0][4], std::optional<std::string>("12345678901234567890123456789012345.67"));
    ASSERT_EQ(source[2][4], std::optional<std::string>("99999999999999999999.99"));

    struct Case {
        const char* name;
        const char* target;
        const char* copy;
        int mode;
        const char* targetIndexes;  // afterwards
        const char* report;
    };
    const Case cases[] = {
        {"into a schema holding the index and a view's name, clear", "pd_aud2", "aud_v_copy", 0,
         "pk_aud_v on aud_v unique; pk_aud_v_copy on aud_v_copy unique; "
         "create view v_aud as select t from aud_v where k = 1; create view v_only as select t from aud_v_copy; "
         "grant on aud_v_copy to pd_aud2; ",
         "Schema 'pd_aud2' already has the views 'v_aud': they were left as they were, and the source's views of "
         "these names were not copied."},
        {"into the source schema, new", "pd_aud1", "aud_v2", 1,
         "pk_aud_v on aud_v unique; pk_aud_v2 on aud_v2 unique; create view v_aud as select k from aud_v; "
         "create view v_only as select t from aud_v; grant on aud_v to pd_aud2; grant on aud_v2 to pd_aud2; ",
         "Schema 'pd_aud1' already has the views 'v_aud', 'v_only': they were left as they were, and the source's "
         "views of these names were not copied."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(cris.RISTableCopy("pd_aud1", {"aud_v"}, c.target, {c.copy}, c.mode, Out("copy.log")), c.report);
        EXPECT_EQ(indexes(c.target), c.targetIndexes);
        auto copied = Rows(c.target, std::string(values).replace(values.find("aud_v"), 5, c.copy));
        EXPECT_EQ(copied, source);
    }
    // A load that leaves the index out and ends well is no copy; nor is one whose view over a
    // table not copied cannot be made. The message names what was copied and stays.
    Ris("default schema pd_aud1;\ncreate table aud_w (k int);\ncreate view v_w as select k from aud_w;\nquit;\n");
    {
        testsupport::WrapperClients clients;
        clients.Set("rislod", testsupport::ClientRule::DropLines("create unique index"));
        cris.SetUseRIS(clients.WinFolder());
        EXPECT_EQ(Raised([&] { cris.RISTableCopy("pd_aud1", {"aud_v"}, "pd_aud2", {"aud_v3"}, 1, Out("copy.log")); })
                      .description(),
                  "Index 'pk_aud_v3' of table 'aud_v3' was not made in schema 'pd_aud2'\r\nView 'v_w' was not made in "
                  "schema 'pd_aud2'; the table 'aud_v3' was copied into it with all its rows and stays there.\r\n"
                  "Schema 'pd_aud2' already has the views 'v_aud', 'v_only': they were left as they were, and the "
                  "source's views of these names were not copied.\r\nThe copy of 'aud_v3' into schema 'pd_aud2' was "
                  "done although RIS Error: RIS_E_UNKNOWN_RELATION - Table or view 'aud_w' does not exist; table "
                  "'aud_v3' holds 4 rows (the 4 copied).");
        // One made on other columns is named with both.
        clients.Set("rislod", testsupport::ClientRule::EditLines("aud_v4 (k)", "aud_v4 (t)"));
        EXPECT_NE(Raised([&] { cris.RISTableCopy("pd_aud1", {"aud_v"}, "pd_aud2", {"aud_v4"}, 1, Out("copy.log")); })
                      .description()
                      .find("Index 'pk_aud_v4' of table 'aud_v4' stands unique on (t) in schema 'pd_aud2', where the "
                            "copy has it unique on (k)\r\n"),
                  std::string::npos);
        cris.SetUseRIS("");
        EXPECT_EQ(Rows("pd_aud2", std::string(values).replace(values.find("aud_v"), 5, "aud_v3")), source);
    }
    EXPECT_EQ(Rows("pd_aud2", "SELECT t FROM aud_v")[0][0], std::optional<std::string>("own"));
    // The target's own table still refuses a duplicate key.
    EXPECT_NE(Raised([&] { cris.DBWrite("pd_aud2", "insert into aud_v values (1, 'dup');"); }).description().find(
                  "RIS_E_"),
              std::string::npos);
    cris.RISDropSchema({"pd_aud1", "pd_aud2"});
    cris.ORADropUser("ORCL", kAdmin, kAdminPassword, {"pd_aud1", "pd_aud2"});
}

TEST_F(CRISServerOperationsTest, DumpWrittenFromAnAccessDatabaseLoadsWithRislod)
{
    const std::string mdb = Out("pipes.mdb");
    AccessConnection::CreateDatabase(mdb);
    {
        Connection conn;
        conn.Open("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + mdb + ";");
        conn.Execute("CREATE TABLE pipes (tag TEXT(12), size_no INTEGER, laid DATETIME, ok BIT, price CURRENCY)");
        conn.Execute("INSERT INTO pipes VALUES ('P''100', 4, #2024-02-29#, True, 10.25)");
        conn.Execute("INSERT INTO pipes (tag, size_no) VALUES ('P-200', 6)");
    }
    cris.RISDumpCreate(Out("pipes.dmp"), "pd_acc", mdb, {"pipes"}, std::nullopt, true);
    NewSchema("pd_acc");
    cris.RISLoad(Out("pipes.dmp"), std::nullopt, 1, "pd_acc", Out("load.log"), 25);
    const auto rows = Rows("pd_acc", "SELECT tag, size_no, laid, ok, price FROM pipes ORDER BY size_no");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(*rows[0][0], "P'100");
    EXPECT_EQ(*rows[0][1], "4");
    EXPECT_EQ(*rows[0][2], "2024-02-29");
    EXPECT_EQ(*rows[0][3], "True");
    EXPECT_EQ(*rows[0][4], "10.25");
    EXPECT_EQ(*rows[1][0], "P-200");
    EXPECT_FALSE(rows[1][2].has_value());
    EXPECT_EQ(ReadHostFile(OutHost("load.log")).find("Begin of RIS bad file"), std::string::npos);
}

// Tables of a RIS dump taken into Access and written out as a dump again keep every column's
// type and width, and the dump loads back into a schema with the same rows.
TEST_F(CRISServerOperationsTest, DumpToAccessToDumpKeepsEveryWidthAndRow)
{
    const std::string source = Win(testsupport::SourceDir() + "/tests/data/standins/pd_demo.dmp");
    const Names tables = {"pdtable_111", "pdtable_112", "pdtable_113", "pdtable_115", "pdtable_116", "pdtable_121"};
    const std::string mdb = Out("roundtrip.mdb");
    AccessConnection::CreateDatabase(mdb);
    for (const std::string& table : tables)
        cris.RISDumpImport2Access(source, "pd_demo", "SELECT * FROM " + table + ";", mdb, "", false);
    cris.RISDumpCreate(Out("back.dmp"), "pd_back", mdb, tables, std::nullopt, false);

    const auto createLines = [](const std::string& dump) {
        std::map<std::string, std::string> lines;
        for (const std::string& line : Split(ReadHostFile(dump), "\r\n"))
            if (line.rfind("create table ", 0) == 0)
                lines[line.substr(13, line.find(' ', 13) - 13)] = line;
        return lines;
    };
    const auto before = createLines(HostPath(source));
    const auto after = createLines(OutHost("back.dmp"));
    for (const std::string& table : tables) {
        ASSERT_TRUE(before.count(table) && after.count(table)) << table;
        EXPECT_EQ(after.at(table), before.at(table));
    }

    NewSchema("pd_back");
    cris.RISLoad(Out("back.dmp"), std::nullopt, 1, "pd_back", Out("load.log"), 25);
    NewSchema("pd_orig");
    cris.RISLoad(source, tables, 1, "pd_orig", Out("load2.log"), 25);
    for (const std::string& table : tables) {
        SCOPED_TRACE(table);
        auto orig = Rows("pd_orig", "SELECT * FROM " + table);
        auto back = Rows("pd_back", "SELECT * FROM " + table);
        ASSERT_FALSE(orig.empty());
        std::sort(orig.begin(), orig.end());
        std::sort(back.begin(), back.end());
        EXPECT_EQ(back, orig);
    }
}

TEST_F(CRISServerOperationsTest, DumpTableImportedIntoAccessNewThenAppended)
{
    const std::string dump = Win(testsupport::SourceDir() + "/tests/data/standins/pd_demo.dmp");
    const long models = std::stol(*Rows("pd_demo", "SELECT COUNT(*) FROM pdtable_113")[0][0]);
    ASSERT_GT(models, 0);
    const std::string mdb = Out("models.mdb");
    AccessConnection::CreateDatabase(mdb);
    cris.RISDumpImport2Access(dump, "pd_demo", "SELECT * FROM pdtable_113;", mdb, "", false);
    cris.RISDumpImport2Access(dump, "pd_demo", "SELECT * FROM pdtable_113", mdb, "pdtable_113", true);
    Connection conn;
    conn.Open("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + mdb + ";");
    Recordset count = conn.Execute("SELECT COUNT(*) AS n FROM pdtable_113");
    EXPECT_EQ(count.Fields()[0].Value().ToLong(), 2 * models);
}

// Rows imported into an Access table, from a dump or from a query, are stored as its fields keep
// them: a currency amount to its last digit; a value beyond a field's size is refused with the
// engine's text and nothing of the import is stored.
TEST_F(CRISServerOperationsTest, AnImportIntoAccessStoresAsTheFieldsKeepOrStoresNothing)
{
    const std::string dump = Out("money.dmp");
    WriteHostFile(OutHost("money.dmp"),
                  "default schema pd_money\r\ncreate table money (tag char(9), amount char(24), n int)\r\n"
                  "insert into money (tag, amount, n) values (?, ?, ?)\r\n***variable*** tag amount n \r\n"
                  "'P1' '-922337203685477.5808' 7 \r\n'P2' '922337203685477.5807' 40000 \r\n"
                  "'P123456' '0.00015' 8 \r\n***RIS*** End of Table ***RIS***\r\n***RIS*** End of Schema ***RIS***\r\n");
    const std::string mdb = Out("money.mdb");
    AccessConnection::CreateDatabase(mdb);
    const struct {
        const char* fields;   // of the Access table the rows are appended to
        const char* sql;      // on the dump, or with "pd_demo:" on that schema
        const char* refusal;  // empty: imported
        const char* stands;   // the amounts and texts the table holds afterwards
    } cases[] = {
        {"tag TEXT(9), amount CURRENCY, n INTEGER", "SELECT * FROM money", "",
         "P1 -922337203685477.5808 7|P2 922337203685477.5807 40000|P123456 0.0002 8|"},
        {"tag TEXT(5), amount CURRENCY, n INTEGER", "SELECT * FROM money", JetStoredValues::kFieldTooSmall, ""},
        {"tag TEXT(9), amount CURRENCY, n SMALLINT", "SELECT * FROM money", JetStoredValues::kNumericOverflow, ""},
        {"tag TEXT(9), amount CURRENCY, n SMALLINT", "SELECT * FROM money WHERE n < 100", "",
         "P1 -922337203685477.5808 7|P123456 0.0002 8|"},
        {"tag CURRENCY, amount TEXT(24), n BYTE", "SELECT * FROM money", JetStoredValues::kTypeMismatch, ""},
        {"model_no TEXT(4)", "pd_demo:SELECT model_no FROM pdtable_113", JetStoredValues::kFieldTooSmall, ""},
        {"model_no TEXT(5)", "pd_demo:SELECT model_no FROM pdtable_113 WHERE model_no = 'P1001'", "",
         "P1001|"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.fields) + " <- " + c.sql);
        {
            Connection conn;
            conn.Open("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + mdb + ";");
            conn.Execute("CREATE TABLE target (" + std::string(c.fields) + ")");
        }
        const std::string sql = c.sql;
        try {
            if (sql.rfind("pd_demo:", 0) == 0)
                cris.DBImport2Access("pd_demo", sql.substr(8), mdb, "target", true);
            else
                cris.RISDumpImport2Access(dump, "pd_money", sql, mdb, "target", true);
            EXPECT_STREQ(c.refusal, "");
        } catch (const AppError& e) {
            // The engine's text, as the text driver passes it on.
            EXPECT_EQ(e.description().substr(0, e.description().find("\r\n")),
                      std::string("[Microsoft][ODBC Text Driver] ") + c.refusal);
        }
        Connection conn;
        conn.Open("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + mdb + ";");
        Recordset rs = conn.Execute("SELECT * FROM target");
        std::string stands;
        for (; !rs.Eof(); rs.MoveNext()) {
            std::vector<std::string> values;
            for (int f = 0; f < rs.Fields().Count(); ++f)
                values.push_back(rs.Fields()[f].Value().ToText());
            stands += Join(values, " ") + "|";
        }
        EXPECT_EQ(stands, c.stands);
        rs.Close();
        conn.Execute("DROP TABLE target");
    }
}
