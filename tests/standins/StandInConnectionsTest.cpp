// The Oracle and SQL Server connections of the stand-in server: log-on, the statements and
// procedures they answer from the catalogue, and the tables of the user they act as.
#include "standins/dbserver/StandInConnections.h"

#include "platform/AppError.h"
#include "platform/Environment.h"
#include "platform/WinPath.h"
#include "platform/ado/AdoTypes.h"
#include "platform/ado/Connection.h"
#include "standins/dbserver/DbServer.h"
#include "standins/dbserver/RisSession.h"
#include "support/TestEnvironment.h"
#include "support/Raised.h"

#include <gtest/gtest.h>

using testsupport::Raised;

namespace {

const std::string kOracle = "Provider=MSDAORA.1;Data Source=ORCL;";
const std::string kSql = "Driver={SQL Server};Server=(local);";

class StandInConnectionsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // A server of its own for each test: the connections find it through the root.
        savedRoot_ = GetEnvVar("TARNWICK_ROOT");
        SetEnvVar("TARNWICK_ROOT", root_.host());
        server_ = std::make_unique<DbServer>(StandInRoot());
        server_->SetUserPassword("ADMIN1", "SECRET");
        server_->GrantPrivilege("ADMIN1", "DBA");
        server_->SetUserPassword("PD_T", "PD_T");
        server_->CreateSqlDatabase("master");
        server_->CreateSqlDatabase("pds");
        RisSession session(*server_);
        std::string out;
        session.Execute("create schema pd_t on database (oracle, dbname ORCL, ostype nt) user pd_t.pd_t@ORCL", out);
        session.SetDefaultSchema("pd_t");
        session.Execute("create table models (model_no char(10))", out);
        session.Execute("insert into models values ('M1')", out);
        StandInConnections::Register();
    }
    void TearDown() override
    {
        server_.reset();
        SetEnvVar("TARNWICK_ROOT", savedRoot_);
        Connection::RegisterProvider(ProviderKind::Oracle, nullptr);
        Connection::RegisterProvider(ProviderKind::SqlServer, nullptr);
    }

    static Connection Open(const std::string& cs)
    {
        Connection c;
        c.Open(cs);
        return c;
    }

    testsupport::ScopedDir root_{"connections"};
    std::string savedRoot_;
    std::unique_ptr<DbServer> server_;
};

} // namespace

TEST_F(StandInConnectionsTest, OracleLogOnNeedsTheDatabaseAndTheRightPassword)
{
    AppError e = Raised([] { Open("Provider=MSDAORA.1;Data Source=OTHER;User Id=admin1;Password=secret;"); });
    EXPECT_EQ(e.number(), adoerr::kUnspecified);
    EXPECT_EQ(e.description(), "ORA-12154: TNS:could not resolve service name");
    e = Raised([] { Open(kOracle + "User Id=admin1;Password=wrong;"); });
    EXPECT_EQ(e.description(), "ORA-01017: invalid username/password; logon denied");
    Open("Provider=MSDAORA.1;Data Source=orcl.world;User Id=Admin1;Password=secret;");
}

TEST_F(StandInConnectionsTest, OracleUsersGoThroughTheServerManagersRules)
{
    Connection admin = Open(kOracle + "User Id=admin1;Password=secret;");
    admin.Execute("create user tw_u identified by pw");
    admin.Execute("alter user tw_u default tablespace USER_DATA");
    EXPECT_EQ(server_->FindUser("TW_U")->defaultTablespace, "USER_DATA");
    AppError e = Raised([&] { admin.Execute("create user tw_u identified by pw"); });
    EXPECT_EQ(e.description(), "ORA-01920: user name 'TW_U' conflicts with another user or role name");
    EXPECT_EQ(admin.Execute("SELECT 1 FROM dba_users WHERE(username = 'TW_U')").RecordCount(), 1);
    admin.Execute("drop user tw_u cascade");
    EXPECT_EQ(admin.Execute("SELECT 1 FROM dba_users WHERE(username = 'TW_U')").RecordCount(), 0);

    Connection user = Open(kOracle + "User Id=pd_t;Password=pd_t;");
    e = Raised([&] { user.Execute("SELECT username FROM dba_users"); });
    EXPECT_EQ(e.description(), "ORA-00942: table or view does not exist");
    e = Raised([&] { user.Execute("create user x identified by y"); });
    EXPECT_EQ(e.description(), "ORA-01031: insufficient privileges");
}

TEST_F(StandInConnectionsTest, OracleSessionReadsTheTablesOfItsCurrentSchema)
{
    Connection admin = Open(kOracle + "User Id=admin1;Password=secret;");
    EXPECT_THROW(admin.Execute("SELECT model_no FROM models"), AppError);
    admin.Execute("ALTER SESSION SET CURRENT_SCHEMA = pd_t");
    Recordset rs = admin.Execute("SELECT model_no FROM models");
    ASSERT_EQ(rs.RecordCount(), 1);
    EXPECT_EQ(rs.Fields()[0].Value().ToText(), "M1");
    const AppError e = Raised([&] { admin.Execute("ALTER SESSION SET CURRENT_SCHEMA = nobody"); });
    EXPECT_EQ(e.description(), "ORA-01435: user does not exist");
}

TEST_F(StandInConnectionsTest, SqlServerLogOn)
{
    AppError e = Raised([] { Open("Driver={SQL Server};Server=ELSEWHERE;Trusted_Connection=True;"); });
    EXPECT_NE(e.description().find("SQL Server does not exist or access denied."), std::string::npos);
    e = Raised([] { Open(kSql + "Uid=admin1;Pwd=nope;"); });
    EXPECT_EQ(e.description(), "[Microsoft][ODBC SQL Server Driver][SQL Server]Login failed for user 'admin1'.");
    e = Raised([] { Open(kSql + "Database=gone;Trusted_Connection=True;"); });
    EXPECT_NE(e.description().find("Cannot open database requested in login 'gone'."), std::string::npos);
    Open(kSql + "Database=pds;Trusted_Connection=True;");
}

TEST_F(StandInConnectionsTest, SqlServerLoginsDatabaseUsersAndDatabases)
{
    Connection admin = Open(kSql + "Database=pds;Uid=admin1;Pwd=secret;");
    Recordset dbs = admin.Execute("sp_databases");
    ASSERT_EQ(dbs.RecordCount(), 2);
    EXPECT_EQ(dbs.Fields()[0].Name(), "DATABASE_NAME");
    EXPECT_EQ(dbs.Fields()[0].Value().ToText(), "master");

    admin.Execute("CREATE LOGIN sq_a WITH PASSWORD = 'p''w', DEFAULT_DATABASE = pds, CHECK_POLICY = OFF;");
    AppError e = Raised([&] { admin.Execute("EXEC sp_addlogin sq_a,pw,pds"); });
    EXPECT_EQ(e.number(), adoerr::kUnspecified);
    EXPECT_NE(e.description().find("already exists"), std::string::npos);
    e = Raised([&] { admin.Execute("GRANT ALL TO sq_a"); });
    EXPECT_NE(e.description().find("Cannot find the user 'sq_a'"), std::string::npos);
    admin.Execute("EXEC sp_adduser sq_a");
    admin.Execute("GRANT ALL TO sq_a");
    EXPECT_EQ(admin.Execute("SELECT 1 FROM sysusers WHERE(Upper(name) = 'SQ_A');").RecordCount(), 1);
    // The login's password is the one the literal gave.
    Open(kSql + "Database=pds;Uid=sq_a;Pwd=p'w;");
    Connection master = Open(kSql + "Uid=admin1;Pwd=secret;");
    EXPECT_EQ(master.Execute("SELECT 1 FROM sysusers WHERE(Upper(name) = 'SQ_A');").RecordCount(), 0);

    admin.Execute("EXEC sp_dropuser sq_a");
    e = Raised([&] { admin.Execute("EXEC sp_dropuser sq_a"); });
    EXPECT_NE(e.description().find("does not exist in the current database"), std::string::npos);
    admin.Execute("EXEC sp_droplogin sq_a");
    EXPECT_FALSE(server_->FindUser("SQ_A"));
    e = Raised([&] { admin.Execute("EXEC sp_who"); });
    EXPECT_NE(e.description().find("Could not find stored procedure 'sp_who'."), std::string::npos);
}

TEST_F(StandInConnectionsTest, SqlServerActsAsAnotherLoginUntilRevert)
{
    Connection admin = Open(kSql + "Uid=admin1;Pwd=secret;");
    admin.Execute("EXECUTE AS LOGIN = 'pd_t'");
    EXPECT_EQ(admin.Execute("SELECT model_no FROM models").RecordCount(), 1);
    admin.Execute("REVERT");
    EXPECT_THROW(admin.Execute("SELECT model_no FROM models"), AppError);
}

TEST_F(StandInConnectionsTest, ANumberBeyondTheRangeOfANumberIsTheDatabasesOverflowAndStoresNothing)
{
    RisSession session(*server_);
    std::string out;
    session.Execute("create table pd_t.nums (k int, x double)", out);
    for (const auto& [cs, says] : {std::pair{kOracle + "User Id=pd_t;Password=pd_t;", "ORA-01426: numeric overflow"},
                                   std::pair{kSql + "Uid=pd_t;Pwd=pd_t;", "Arithmetic overflow error"}}) {
        const AppError e = Raised([&] { Open(cs).Execute("INSERT INTO nums VALUES (1, -1e400)"); });
        EXPECT_NE(e.description().find(says), std::string::npos) << e.description();
        EXPECT_EQ(session.Database("pd_t").QueryText("SELECT count(*) FROM nums"), "0");
    }
}
