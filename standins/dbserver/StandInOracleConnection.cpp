// The stand-in server's Oracle connection.
#include "standins/dbserver/StandInOracleConnection.h"

#include "platform/AppError.h"
#include "platform/TextUtil.h"
#include "platform/ado/AdoTypes.h"
#include "platform/ado/Connection.h"
#include "standins/dbserver/ServerManagerSession.h"
#include "standins/dbserver/SchemaTables.h"
#include "standins/dbserver/StandInQuery.h"
#include "standins/dbserver/StandInSchemaRowset.h"

namespace {

const char* kSource = "Microsoft OLE DB Provider for Oracle";

[[noreturn]] void RaiseOra(const std::string& text)
{
    throw AppError(adoerr::kUnspecified, kSource, text);
}

JetEngine::Dialect OracleDialect()
{
    return {kSource, "", adVarChar, adLongVarChar};
}

std::string FirstWords(const std::string& sql, size_t count)
{
    std::vector<std::string> words;
    for (const std::string& w : Split(ReplaceAll(ReplaceAll(TrimWhite(sql), "\t", " "), "\n", " "), " ")) {
        if (w.empty())
            continue;
        words.push_back(ToLower(w));
        if (words.size() == count)
            break;
    }
    return Join(words, " ");
}

// The statements the server manager's code answers: users, grants, tablespaces.
bool IsServerManagerStatement(const std::string& head)
{
    for (const char* s : {"create user", "drop user", "alter user", "create tablespace", "drop tablespace"})
        if (head == s)
            return true;
    return head.rfind("grant ", 0) == 0;
}

// The last ORA- line of the server manager's answer.
std::string OraLine(const std::string& out)
{
    std::string found = "ORA-00900: invalid SQL statement";
    for (const std::string& line : Split(ReplaceAll(out, "\r", ""), "\n"))
        if (line.rfind("ORA-", 0) == 0)
            found = line;
    return found;
}

} // namespace

StandInOracleConnection::StandInOracleConnection(const std::string& connectionString)
{
    const std::string dataSource = Trim(Connection::Item(connectionString, "Data Source"));
    const std::string user = Connection::Item(connectionString, "User Id");
    const std::string password = Connection::Item(connectionString, "Password");
    server_ = std::make_unique<DbServer>(DbServer::EnvironmentRoot());
    const std::string service = dataSource.substr(0, dataSource.find('.'));
    if (service.empty() || !EqualsNoCase(service, server_->DatabaseName()))
        RaiseOra("ORA-12154: TNS:could not resolve service name");
    const auto found = server_->FindUser(user);
    if (IsBlank(user) || !found || ToUpper(password) != found->password)
        RaiseOra("ORA-01017: invalid username/password; logon denied");
    user_ = found->name;
    password_ = password;
    currentSchema_ = user_;
}

StandInOracleConnection::~StandInOracleConnection() = default;

Recordset StandInOracleConnection::Execute(const std::string& sql)
{
    long recordsAffected = 0;
    return ExecuteCounted(sql, recordsAffected);
}

Recordset StandInOracleConnection::OpenSchema(int schema, const std::vector<Variant>& restrictions)
{
    std::string owner = restrictions.size() > 1 && !restrictions[1].IsEmpty() ? Trim(restrictions[1].ToText()) : "";
    owner = owner.empty() ? currentSchema_ : ToUpper(owner);
    const std::string file = server_->FindUser(owner) ? server_->UserDatabasePath(owner) : std::string();
    return StandInSchemaRowset::Build(schema, restrictions, "", owner, file, kSource);
}

Recordset StandInOracleConnection::ExecuteCounted(const std::string& sqlText, long& recordsAffected)
{
    recordsAffected = 0;
    std::string sql = TrimWhite(sqlText);
    while (!sql.empty() && sql.back() == ';')
        sql = TrimWhite(sql.substr(0, sql.size() - 1));
    const std::string head = FirstWords(sql, 2);
    if (head == "commit" || head == "rollback")
        return Recordset();
    if (head == "alter session") {
        const std::string lower = ToLower(sql);
        const size_t eq = lower.find("current_schema");
        const size_t sign = eq == std::string::npos ? eq : sql.find('=', eq);
        if (sign == std::string::npos)
            RaiseOra("ORA-02248: invalid option for ALTER SESSION");
        const std::string schema = ToUpper(Trim(sql.substr(sign + 1)));
        if (!server_->FindUser(schema))
            RaiseOra("ORA-01435: user does not exist");
        currentSchema_ = schema;
        return Recordset();
    }
    if (IsServerManagerStatement(head)) {
        ServerManagerSession session(*server_);
        std::string out;
        if (!session.ConnectAs(user_, password_, out))
            RaiseOra(OraLine(out));
        if (!session.Execute(sql, out))
            RaiseOra(OraLine(out));
        return Recordset();
    }
    if (FindNoCase(sql, "dba_users") != std::string::npos) {
        if (!server_->IsDba(user_))
            RaiseOra("ORA-00942: table or view does not exist");
        MemoryTable users{"dba_users", {"username VARCHAR(30)", "default_tablespace VARCHAR(30)",
                                        "temporary_tablespace VARCHAR(30)"}, {}};
        for (const DbUser& u : server_->Users())
            users.rows.push_back({u.name, u.defaultTablespace, u.temporaryTablespace});
        recordsAffected = -1;
        return StandInQuery::OverTables({users}, sql, OracleDialect(), ServerDialect::Oracle);
    }
    // Anything else reads or changes the tables of the current schema's user.
    std::string file;
    try {
        file = server_->RequireUserDatabase(currentSchema_);
    } catch (const AppError& e) {
        RaiseOra(e.description());
    }
    try {
        return StandInQuery::OnUserDatabase(file, sql, OracleDialect(), ServerDialect::Oracle, &recordsAffected);
    } catch (const AppError& e) {
        if (SchemaTables::IsNumericOverflow(e))
            RaiseOra("ORA-01426: numeric overflow");
        if (const std::string column = SchemaTables::LineFeedColumn(e); !column.empty())
            RaiseOra("ORA-02290: check constraint (" + ToUpper(currentSchema_) + ".LF_" + ToUpper(column) +
                     ") violated: " + SchemaTables::LineFeedText(column));
        if (e.source() == "ServerSqlRules")
            RaiseOra(e.description());
        throw;
    }
}
