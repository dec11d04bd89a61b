// Oracle and SQL Server users created, dropped and looked up over a connection of their own,
// without RIS.
#include "dbaccess/CRIS.h"

#include "dbaccess/CRISWork.h"
#include "dbaccess/ConnectionString.h"
#include "dbaccess/DbBase.h"
#include "dbaccess/SchemaStatements.h"
#include "platform/Clock.h"
#include "platform/TextUtil.h"
#include "platform/ado/AdoTypes.h"

namespace {

// One call's connection, closed and released however the call ends.
class OwnConnection {
public:
    explicit OwnConnection(const std::string& connectionString)
    {
        conn_.emplace();
        conn_->Open(connectionString, "", "", -1);
    }
    ~OwnConnection() { WaitForMdbUnlock(conn_, false); }
    OwnConnection(const OwnConnection&) = delete;
    OwnConnection& operator=(const OwnConnection&) = delete;

    void Run(const std::string& sql) { conn_->Execute(sql); }
    bool HasRows(const std::string& query)
    {
        std::optional<Recordset> rs;
        rs.emplace();
        rs->SetCursorLocation(adUseClient);
        try {
            rs->Open(query, *conn_, adOpenStatic, adLockOptimistic, adCmdText);
        } catch (...) {
            CloseRecordset(rs, false);
            throw;
        }
        const bool found = rs->RecordCount() != 0;
        CloseRecordset(rs, false);
        return found;
    }

private:
    std::optional<Connection> conn_;
};

void CheckOracleServer(const std::string& server, const std::string& adminUser, const std::string& adminPassword)
{
    CheckConnectionPart("Server name", server);
    CheckConnectionPart("User name", adminUser);
    CheckConnectionPassword(adminPassword);
}

// The user statements always log in with a name and password, also when the user is blank.
std::string SqlAdminConnectString(const std::string& server, const std::string& database,
                                  const std::string& adminUser, const std::string& adminPassword)
{
    CheckConnectionPart("Server name", server);
    CheckConnectionPart("Database name", database);
    CheckConnectionPart("User name", adminUser);
    CheckConnectionPassword(adminPassword);
    return "Driver={SQL Server};Server=" + server + ";Database=" + database + ";Uid=" + adminUser +
           ";Pwd=" + adminPassword + ";";
}

void CheckUsers(const std::vector<std::string>& users)
{
    for (const std::string& u : users)
        CheckStatementName("User name", u);
}

void CheckPasswords(const std::vector<std::string>& passwords, bool oracle)
{
    for (const std::string& p : passwords)
        CheckCredential("Password", p, oracle);
}

} // namespace

void CRIS::ORACreateUser(const std::string& server, const std::string& adminUser, const std::string& adminPassword,
                         const std::vector<std::string>& users, const std::vector<std::string>& passwords,
                         const std::string& defaultTablespace, const std::string& temporaryTablespace)
{
    WithErrorSource("CRIS::ORACreateUser", [&] {
        CheckOracleServer(server, adminUser, adminPassword);
        CheckUsers(users);
        CheckPasswords(passwords, true);
        CheckStatementName("Tablespace name", defaultTablespace);
        CheckStatementName("Tablespace name", temporaryTablespace);
        OwnConnection conn(OracleConnectString(server, adminUser, adminPassword));
        if (users.size() != passwords.size())
            RaiseError("", "User count does not match password count");
        for (size_t i = 0; i < users.size(); ++i) {
            for (const std::string& sql :
                 OracleCreateUserStatements(users[i], passwords[i], defaultTablespace, temporaryTablespace))
                conn.Run(sql);
            DoEvents();
        }
        conn.Run("commit");
    });
}

void CRIS::SQLCreateUser(const std::string& server, const std::string& database, const std::string& adminUser,
                         const std::string& adminPassword, const std::vector<std::string>& users,
                         const std::vector<std::string>& passwords)
{
    WithErrorSource("CRIS::SQLCreateUser", [&] {
        const std::string connectString = SqlAdminConnectString(server, database, adminUser, adminPassword);
        CheckStatementName("Database name", database);
        CheckUsers(users);
        CheckPasswords(passwords, false);
        OwnConnection conn(connectString);
        if (users.size() != passwords.size())
            RaiseError("", "User count does not match password count");
        for (size_t i = 0; i < users.size(); ++i) {
            long loginError = 0;
            try {
                conn.Run(SqlCreateLoginStatement(users[i], passwords[i], database));
            } catch (const AppError& e) {
                loginError = e.number();
            }
            // A server that does not know "CREATE LOGIN" takes the older procedure; any other
            // failure (the login exists already) goes on to the database user.
            if (loginError == adoerr::kSyntaxError)
                conn.Run(SqlAddLoginStatement(users[i], passwords[i], database));
            conn.Run(SqlAddUserStatement(users[i]));
            conn.Run(SqlGrantAllStatement(users[i]));
            DoEvents();
        }
    });
}

void CRIS::ORADropUser(const std::string& server, const std::string& adminUser, const std::string& adminPassword,
                       const std::vector<std::string>& users)
{
    WithErrorSource("CRIS::ORADropUser", [&] {
        CheckOracleServer(server, adminUser, adminPassword);
        CheckUsers(users);
        OwnConnection conn(OracleConnectString(server, adminUser, adminPassword));
        for (const std::string& user : users) {
            // A user that cannot be dropped (already gone) is passed over.
            try {
                conn.Run(OracleDropUserStatement(user));
            } catch (const AppError&) {
            }
            DoEvents();
        }
        conn.Run("commit");
    });
}

void CRIS::SQLDropUser(const std::string& server, const std::string& database, const std::string& adminUser,
                       const std::string& adminPassword, const std::vector<std::string>& users)
{
    WithErrorSource("CRIS::SQLDropUser", [&] {
        const std::string connectString = SqlAdminConnectString(server, database, adminUser, adminPassword);
        CheckUsers(users);
        OwnConnection conn(connectString);
        for (const std::string& user : users) {
            for (const std::string& sql : {SqlDropUserStatement(user), SqlDropLoginStatement(user)}) {
                try {
                    conn.Run(sql);
                } catch (const AppError&) {
                }
            }
            DoEvents();
        }
    });
}

bool CRIS::IsORAUserExists(const std::string& server, const std::string& adminUser, const std::string& adminPassword,
                           const std::string& user)
{
    return WithErrorSource("CRIS::IsORAUserExists", [&] {
        CheckOracleServer(server, adminUser, adminPassword);
        OwnConnection conn(OracleConnectString(server, adminUser, adminPassword));
        return conn.HasRows(OracleUserExistsQuery(user));
    });
}

bool CRIS::IsSQLUserExists(const std::string& server, const std::string& database, const std::string& adminUser,
                           const std::string& adminPassword, const std::string& user)
{
    return WithErrorSource("CRIS::IsSQLUserExists", [&] {
        const std::string connectString = SqlAdminConnectString(server, database, adminUser, adminPassword);
        OwnConnection conn(connectString);
        return conn.HasRows(SqlUserExistsQuery(user));
    });
}
