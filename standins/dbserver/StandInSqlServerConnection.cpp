// The stand-in server's SQL Server connection.
#include "standins/dbserver/StandInSqlServerConnection.h"

#include "platform/AppError.h"
#include "platform/Environment.h"
#include "platform/RegistryStore.h"
#include "platform/TextUtil.h"
#include "platform/ado/AdoTypes.h"
#include "platform/ado/Connection.h"
#include "standins/dbserver/SchemaTables.h"
#include "standins/dbserver/StandInQuery.h"
#include "standins/dbserver/StandInSchemaRowset.h"

namespace {

const char* kSource = "Microsoft OLE DB Provider for ODBC Drivers";
const char* kPrefix = "[Microsoft][ODBC SQL Server Driver][SQL Server]";
const char* kAliasKey = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\MSSQLServer\\Client\\ConnectTo";

[[noreturn]] void RaiseSql(const std::string& text, long number = adoerr::kUnspecified)
{
    throw AppError(number, kSource, kPrefix + text);
}

JetEngine::Dialect SqlServerDialect()
{
    return {kSource, kPrefix, adVarChar, adLongVarChar};
}

bool IsKnownServer(const std::string& server)
{
    const std::string name = Trim(server);
    if (EqualsNoCase(name, "(local)") || name == "." || EqualsNoCase(name, "localhost") ||
        EqualsNoCase(name, ComputerName()))
        return true;
    RegistryStore registry;
    if (registry.Load() == RegistryStore::LoadResult::Failed)
        return false;
    for (const std::string& alias : registry.ValueNames(kAliasKey))
        if (EqualsNoCase(alias, name))
            return true;
    return false;
}

std::vector<std::string> Words(const std::string& sql)
{
    std::vector<std::string> words;
    for (const std::string& w : Split(ReplaceAll(ReplaceAll(ReplaceAll(sql, "\t", " "), "\r", " "), "\n", " "), " "))
        if (!w.empty())
            words.push_back(w);
    return words;
}

std::string Unquoted(std::string s)
{
    s = Trim(s);
    if (s.size() >= 2 && s.front() == '\'' && s.back() == '\'')
        return ReplaceAll(s.substr(1, s.size() - 2), "''", "'");
    return s;
}

// The arguments of "EXEC procedure a,b,c".
std::vector<std::string> ProcedureArguments(const std::string& sql, size_t procedureEnd)
{
    std::vector<std::string> args;
    for (const std::string& a : Split(sql.substr(procedureEnd), ","))
        args.push_back(Unquoted(a));
    return args;
}

} // namespace

StandInSqlServerConnection::StandInSqlServerConnection(const std::string& connectionString)
{
    const std::string serverName = Connection::Item(connectionString, "Server");
    if (IsBlank(serverName) || !IsKnownServer(serverName))
        throw AppError(adoerr::kUnspecified, kSource,
                       "[Microsoft][ODBC SQL Server Driver][DBNETLIB]SQL Server does not exist or access denied.");
    server_ = std::make_unique<DbServer>(DbServer::EnvironmentRoot());
    const bool trusted = EqualsNoCase(Trim(Connection::Item(connectionString, "Trusted_Connection")), "True") ||
                         EqualsNoCase(Trim(Connection::Item(connectionString, "Trusted_Connection")), "Yes");
    if (trusted) {
        // The Windows login of the administrator who runs the program.
        login_ = "SYSTEM";
    } else {
        const std::string uid = Connection::Item(connectionString, "Uid");
        const std::string pwd = Connection::Item(connectionString, "Pwd");
        const auto found = server_->FindUser(uid);
        if (IsBlank(uid) || !found || ToUpper(pwd) != found->password)
            RaiseSql("Login failed for user '" + uid + "'.");
        login_ = found->name;
    }
    std::string database = Trim(Connection::Item(connectionString, "Database"));
    if (database.empty())
        database = "master";
    if (!server_->HasSqlDatabase(database))
        RaiseSql("Cannot open database requested in login '" + database + "'. Login fails.");
    database_ = database;
    actingAs_ = login_;
}

StandInSqlServerConnection::~StandInSqlServerConnection() = default;

void StandInSqlServerConnection::RequireSysadmin() const
{
    if (!server_->IsDba(login_))
        RaiseSql("User does not have permission to perform this action.");
}

void StandInSqlServerConnection::CreateLogin(const std::string& user, const std::string& password)
{
    RequireSysadmin();
    if (!IsIdentifier(user))
        RaiseSql("Incorrect syntax near '" + user + "'.", adoerr::kSyntaxError);
    if (server_->FindUser(user))
        RaiseSql("The server principal '" + user + "' already exists.");
    server_->SetUserPassword(user, password);
    server_->GrantPrivilege(user, "CONNECT");
}

Recordset StandInSqlServerConnection::Execute(const std::string& sql)
{
    long recordsAffected = 0;
    return ExecuteCounted(sql, recordsAffected);
}

Recordset StandInSqlServerConnection::OpenSchema(int schema, const std::vector<Variant>& restrictions)
{
    std::string owner = restrictions.size() > 1 && !restrictions[1].IsEmpty() ? Trim(restrictions[1].ToText()) : "";
    owner = owner.empty() ? actingAs_ : ToUpper(owner);
    const std::string file = server_->FindUser(owner) ? server_->UserDatabasePath(owner) : std::string();
    return StandInSchemaRowset::Build(schema, restrictions, database_, owner, file, kSource);
}

Recordset StandInSqlServerConnection::ExecuteCounted(const std::string& sqlText, long& recordsAffected)
{
    recordsAffected = 0;
    std::string sql = TrimWhite(sqlText);
    while (!sql.empty() && sql.back() == ';')
        sql = TrimWhite(sql.substr(0, sql.size() - 1));
    std::vector<std::string> w = Words(sql);
    if (w.empty())
        RaiseSql("Incorrect syntax near ';'.", adoerr::kSyntaxError);
    // Procedures run with or without EXEC.
    size_t p = EqualsNoCase(w[0], "EXEC") || EqualsNoCase(w[0], "EXECUTE") ? 1 : 0;
    const std::string first = w.size() > p ? ToLower(w[p]) : std::string();

    if (first == "sp_databases") {
        Recordset rs;
        rs.Fields().Append("DATABASE_NAME", adVarChar, 128);
        rs.Fields().Append("DATABASE_SIZE", adInteger, 4);
        rs.Fields().Append("REMARKS", adVarChar, 254);
        rs.Open();
        for (const std::string& db : server_->SqlDatabases())
            rs.AddNew({"DATABASE_NAME", "DATABASE_SIZE", "REMARKS"}, {Variant(db), Variant(1024), Variant::Null()});
        if (rs.RecordCount() != 0)
            rs.MoveFirst();
        recordsAffected = -1;
        return rs;
    }
    const size_t procedureEnd = p < w.size() ? sql.find(w[p]) + w[p].size() : sql.size();
    if (first == "sp_addlogin") {
        const std::vector<std::string> args = ProcedureArguments(sql, procedureEnd);
        CreateLogin(args[0], args.size() > 1 ? args[1] : std::string());
        return Recordset();
    }
    if (first == "sp_adduser" || first == "sp_dropuser" || first == "sp_droplogin") {
        const std::string user = ToUpper(ProcedureArguments(sql, procedureEnd)[0]);
        RequireSysadmin();
        if (first == "sp_adduser") {
            if (!server_->FindUser(user))
                RaiseSql("'" + user + "' is not a valid login or you do not have permission.");
            if (server_->IsSqlDatabaseUser(database_, user))
                RaiseSql("User or role '" + user + "' already exists in the current database.");
            server_->AddSqlDatabaseUser(database_, user);
        } else if (first == "sp_dropuser") {
            if (!server_->IsSqlDatabaseUser(database_, user))
                RaiseSql("User '" + user + "' does not exist in the current database.");
            server_->DropSqlDatabaseUser(database_, user);
        } else {
            if (!server_->FindUser(user))
                RaiseSql("Login '" + user + "' does not exist.");
            server_->DropUser(user);
        }
        return Recordset();
    }
    if (p == 0 && w.size() >= 3 && EqualsNoCase(w[0], "CREATE") && EqualsNoCase(w[1], "LOGIN")) {
        // CREATE LOGIN u WITH PASSWORD = 'p'[, DEFAULT_DATABASE = d, CHECK_POLICY = OFF]
        const size_t at = FindNoCase(sql, "PASSWORD");
        const size_t eq = at == std::string::npos ? at : sql.find('=', at);
        if (eq == std::string::npos)
            RaiseSql("Incorrect syntax near '" + w[2] + "'.", adoerr::kSyntaxError);
        std::string rest = Trim(sql.substr(eq + 1));
        size_t end = 1;
        while (end < rest.size() && !(rest[end] == '\'' && (end + 1 >= rest.size() || rest[end + 1] != '\'')))
            end += rest[end] == '\'' ? 2 : 1;
        CreateLogin(w[2], Unquoted(rest.substr(0, end + 1)));
        return Recordset();
    }
    if (p == 0 && w.size() == 4 && EqualsNoCase(w[0], "GRANT") && EqualsNoCase(w[1], "ALL") &&
        EqualsNoCase(w[2], "TO")) {
        RequireSysadmin();
        if (!server_->IsSqlDatabaseUser(database_, w[3]))
            RaiseSql("Cannot find the user '" + w[3] + "', because it does not exist or you do not have permission.");
        return Recordset();
    }
    if (p == 0 && w.size() == 1 && EqualsNoCase(w[0], "REVERT")) {
        actingAs_ = login_;
        return Recordset();
    }
    if (p == 1 && w.size() >= 3 && EqualsNoCase(w[1], "AS") && StartsWithNoCase(w[2], "LOGIN")) {
        const size_t eq = sql.find('=');
        const std::string name = eq == std::string::npos ? std::string() : ToUpper(Unquoted(sql.substr(eq + 1)));
        if (!server_->FindUser(name))
            RaiseSql("Cannot execute as the server principal because the principal \"" + name + "\" does not exist.");
        actingAs_ = name;
        return Recordset();
    }
    if (p == 1)
        RaiseSql("Could not find stored procedure '" + (w.size() > 1 ? w[1] : std::string()) + "'.");
    if (FindNoCase(sql, "sysusers") != std::string::npos) {
        MemoryTable users{"sysusers", {"uid INTEGER", "name VARCHAR(128)"}, {}};
        users.rows.push_back({"1", "dbo"});
        users.rows.push_back({"2", "guest"});
        long uid = 5;
        for (const std::string& u : server_->SqlDatabaseUsers(database_))
            users.rows.push_back({std::to_string(uid++), u});
        recordsAffected = -1;
        return StandInQuery::OverTables({users}, sql, SqlServerDialect(), ServerDialect::SqlServer);
    }
    std::string file;
    try {
        file = server_->RequireUserDatabase(actingAs_);
    } catch (const AppError& e) {
        RaiseSql("Cannot open the tables of login '" + actingAs_ + "': " + e.description());
    }
    try {
        return StandInQuery::OnUserDatabase(file, sql, SqlServerDialect(), ServerDialect::SqlServer, &recordsAffected);
    } catch (const AppError& e) {
        if (SchemaTables::IsNumericOverflow(e))
            RaiseSql("Arithmetic overflow error converting expression to data type float.");
        if (const std::string column = SchemaTables::LineFeedColumn(e); !column.empty())
            RaiseSql("The statement conflicted with the CHECK constraint \"lf_" + column + "\": " +
                     SchemaTables::LineFeedText(column));
        throw;
    }
}
