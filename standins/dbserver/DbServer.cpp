// The stand-in database server's catalogue and files.
#include "standins/dbserver/DbServer.h"

#include "dbaccess/DumpGrantLine.h"
#include "platform/Environment.h"
#include "platform/HostFiles.h"
#include "platform/TextUtil.h"
#include "platform/WinPath.h"
#include "standins/dbserver/CharComparison.h"
#include "standins/dbserver/RisErrorBlock.h"
#include "standins/dbserver/ServerSqlFunctions.h"

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {

constexpr long long kMb = 1024LL * 1024LL;

const char* kCatalogueSchema = R"(
CREATE TABLE IF NOT EXISTS settings(key TEXT PRIMARY KEY, value TEXT);
CREATE TABLE IF NOT EXISTS users(name TEXT PRIMARY KEY, password TEXT NOT NULL,
  default_ts TEXT NOT NULL, temp_ts TEXT NOT NULL);
CREATE TABLE IF NOT EXISTS privileges(user TEXT NOT NULL, privilege TEXT NOT NULL,
  PRIMARY KEY(user, privilege));
CREATE TABLE IF NOT EXISTS tablespaces(name TEXT PRIMARY KEY, datafile TEXT, size_bytes INTEGER,
  next_bytes INTEGER, max_bytes INTEGER);
CREATE TABLE IF NOT EXISTS schemas(seq INTEGER PRIMARY KEY AUTOINCREMENT, name TEXT UNIQUE NOT NULL,
  db_user TEXT NOT NULL, db_type TEXT, db_name TEXT, definition TEXT);
CREATE TABLE IF NOT EXISTS sql_databases(seq INTEGER PRIMARY KEY AUTOINCREMENT,
  name TEXT UNIQUE NOT NULL COLLATE NOCASE);
CREATE TABLE IF NOT EXISTS sql_database_users(db TEXT NOT NULL COLLATE NOCASE, user TEXT NOT NULL,
  PRIMARY KEY(db, user));
CREATE TABLE IF NOT EXISTS grants(db_user TEXT NOT NULL, table_name TEXT NOT NULL, grantee TEXT NOT NULL,
  privileges TEXT, PRIMARY KEY(db_user, table_name, grantee));
)";

DbUser userFromRow(const std::vector<std::optional<std::string>>& r)
{
    return DbUser{r[0].value_or(""), r[1].value_or(""), r[2].value_or(""), r[3].value_or("")};
}

DbTablespace tablespaceFromRow(const std::vector<std::optional<std::string>>& r)
{
    return DbTablespace{r[0].value_or(""), r[1].value_or(""), std::stoll(r[2].value_or("0")),
                        std::stoll(r[3].value_or("0")), std::stoll(r[4].value_or("0"))};
}

RisSchemaEntry schemaFromRow(const std::vector<std::optional<std::string>>& r)
{
    return RisSchemaEntry{r[0].value_or(""), r[1].value_or(""), r[2].value_or(""), r[3].value_or(""),
                          r[4].value_or("")};
}

long long fileSize(const std::string& path)
{
    std::error_code ec;
    auto n = fs::file_size(path, ec);
    return ec ? 0 : static_cast<long long>(n);
}

// The dictionary and the schema file change together: a schema file that cannot be written
// takes the dictionary's change back, so neither names a schema the other does not.
template <typename Change>
void changeWithSchemaFile(SqliteDb& catalogue, DbServer& server, Change change)
{
    catalogue.InSavepoint("schema_file", [&] {
        change();
        server.WriteSchemaFile();
    });
}

} // namespace

std::string DbServer::EnvironmentRoot()
{
    const std::string params = GetEnvVar("RIS_PARAMETERS");
    if (Trim(params).empty())
        return StandInRoot();
    std::ifstream in(HostPath(Trim(params)), std::ios::binary);
    if (!in)
        RaiseRisError("RIS_E_CANT_OPEN_PARMS_FILE", "Cannot open the RIS parameters file '" + params + "'.");
    std::string line;
    while (std::getline(in, line)) {
        line = TrimWhite(line);
        if (StartsWithNoCase(line, "ROOT=")) {
            std::string root = TrimWhite(line.substr(5));
            if (!root.empty())
                return HostPath(root);
        }
    }
    RaiseRisError("RIS_E_INV_PARMS_FILE", "The RIS parameters file '" + params + "' names no ROOT.");
}

DbServer::DbServer(const std::string& hostRoot) : root_(hostRoot)
{
    std::error_code ec;
    fs::create_directories(root_ + "/db/users", ec);
    if (ec)
        RaiseRisError("RIS_E_CANT_OPEN_DB", "Cannot create the database folder under '" + root_ + "': " + ec.message());
    catalogue_ = std::make_unique<SqliteDb>(CatalogueHostPath());
    catalogue_->Exec("PRAGMA synchronous = OFF");
    catalogue_->Exec(kCatalogueSchema);
    // A catalogue made before grants kept their privileges: those grants were of every one.
    if (!catalogue_->QueryText("SELECT 1 FROM pragma_table_info('grants') WHERE name = 'privileges'")) {
        try {
            catalogue_->Exec("ALTER TABLE grants ADD COLUMN privileges TEXT");
        } catch (const AppError&) {
            if (!catalogue_->QueryText("SELECT 1 FROM pragma_table_info('grants') WHERE name = 'privileges'"))
                throw; // not another program that added it at the same time
        }
    }
    if (!catalogue_->QueryText("SELECT value FROM settings WHERE key = 'dbname'")) {
        catalogue_->Exec("BEGIN IMMEDIATE");
        if (!catalogue_->QueryText("SELECT value FROM settings WHERE key = 'dbname'")) {
            catalogue_->Run("INSERT INTO settings VALUES ('dbname', 'ORCL')", {});
            CreateTablespace({"SYSTEM", "d:\\orant\\database\\sys1orcl.ora", 200 * kMb, 0, 0});
            CreateTablespace({"USER_DATA", "d:\\orant\\database\\usr1orcl.ora", 500 * kMb, 20 * kMb, 2000 * kMb});
            CreateTablespace({"TEMPORARY_DATA", "d:\\orant\\database\\tmp1orcl.ora", 100 * kMb, 0, 0});
            SetUserPassword("SYSTEM", "MANAGER");
            GrantPrivilege("SYSTEM", "DBA");
        }
        catalogue_->Exec("COMMIT");
    }
    if (!fs::exists(SchemaFileHostPath()))
        WriteSchemaFile();
}

DbServer::~DbServer() = default;

std::string DbServer::DatabaseName()
{
    return catalogue_->QueryText("SELECT value FROM settings WHERE key = 'dbname'").value_or("ORCL");
}

std::optional<DbUser> DbServer::FindUser(const std::string& name)
{
    auto rows = catalogue_->QueryRows("SELECT name, password, default_ts, temp_ts FROM users WHERE name = ?1",
                                      {ToUpper(Trim(name))});
    if (rows.empty())
        return std::nullopt;
    return userFromRow(rows[0]);
}

std::vector<DbUser> DbServer::Users()
{
    std::vector<DbUser> users;
    for (auto& r : catalogue_->QueryRows("SELECT name, password, default_ts, temp_ts FROM users ORDER BY name"))
        users.push_back(userFromRow(r));
    return users;
}

void DbServer::SetUserPassword(const std::string& name, const std::string& password)
{
    const std::string u = ToUpper(Trim(name));
    if (FindUser(u)) {
        catalogue_->Run("UPDATE users SET password = ?2 WHERE name = ?1", {u, ToUpper(password)});
        return;
    }
    // A new user's (empty) data file, made before the user: from then on its absence is a loss.
    // A file that stands without its user was left by a drop that did not end; its tables are
    // not the new user's.
    const std::string file = UserDatabasePath(u);
    std::error_code ec;
    fs::remove(file, ec);
    { SqliteDb made(file); }
    catalogue_->Run("INSERT INTO users VALUES (?1, ?2, 'SYSTEM', 'SYSTEM')", {u, ToUpper(password)});
}

void DbServer::SetUserTablespace(const std::string& name, const std::string& tablespace, bool temporary)
{
    catalogue_->Run(temporary ? "UPDATE users SET temp_ts = ?2 WHERE name = ?1"
                              : "UPDATE users SET default_ts = ?2 WHERE name = ?1",
                    {ToUpper(Trim(name)), ToUpper(Trim(tablespace))});
}

void DbServer::DropUser(const std::string& name)
{
    const std::string u = ToUpper(Trim(name));
    // The tables go first: a drop that does not end leaves a user whose tables are gone, which
    // every road names as lost and a second drop ends, never a file that a new user would find.
    std::error_code ec;
    fs::remove(UserDatabasePath(u), ec);
    catalogue_->InSavepoint("drop_user", [&] {
        catalogue_->Run("DELETE FROM users WHERE name = ?1", {u});
        catalogue_->Run("DELETE FROM privileges WHERE user = ?1", {u});
        // The grants it held go with it, as they go in the database: a dump would name a
        // grantee no load finds.
        catalogue_->Run("DELETE FROM grants WHERE db_user = ?1 OR grantee = ?1", {u});
        catalogue_->Run("DELETE FROM sql_database_users WHERE user = ?1", {u});
    });
}

void DbServer::GrantPrivilege(const std::string& user, const std::string& privilege)
{
    catalogue_->Run("INSERT OR IGNORE INTO privileges VALUES (?1, ?2)",
                    {ToUpper(Trim(user)), ToUpper(Trim(privilege))});
}

bool DbServer::HasPrivilege(const std::string& user, const std::string& privilege)
{
    return catalogue_
        ->QueryText("SELECT 1 FROM privileges WHERE user = ?1 AND privilege = ?2",
                    {ToUpper(Trim(user)), ToUpper(Trim(privilege))})
        .has_value();
}

bool DbServer::IsDba(const std::string& user) { return HasPrivilege(user, "DBA"); }

std::optional<DbTablespace> DbServer::FindTablespace(const std::string& name)
{
    auto rows = catalogue_->QueryRows(
        "SELECT name, datafile, size_bytes, next_bytes, max_bytes FROM tablespaces WHERE name = ?1",
        {ToUpper(Trim(name))});
    if (rows.empty())
        return std::nullopt;
    return tablespaceFromRow(rows[0]);
}

std::vector<DbTablespace> DbServer::Tablespaces()
{
    std::vector<DbTablespace> list;
    for (auto& r : catalogue_->QueryRows(
             "SELECT name, datafile, size_bytes, next_bytes, max_bytes FROM tablespaces ORDER BY name"))
        list.push_back(tablespaceFromRow(r));
    return list;
}

void DbServer::CreateTablespace(const DbTablespace& ts)
{
    catalogue_->Run("INSERT INTO tablespaces VALUES (?1, ?2, ?3, ?4, ?5)",
                    {ToUpper(Trim(ts.name)), ts.datafile, std::to_string(ts.sizeBytes),
                     std::to_string(ts.nextBytes), std::to_string(ts.maxBytes)});
}

void DbServer::DropTablespace(const std::string& name)
{
    catalogue_->Run("DELETE FROM tablespaces WHERE name = ?1", {ToUpper(Trim(name))});
}

long long DbServer::FreeBytes(const DbTablespace& ts)
{
    long long used = 0;
    for (auto& r : catalogue_->QueryRows("SELECT name FROM users WHERE default_ts = ?1", {ts.name}))
        used += fileSize(UserDatabasePath(r[0].value_or("")));
    if (EqualsNoCase(ts.name, "SYSTEM"))
        used += fileSize(CatalogueHostPath());
    long long size = ts.sizeBytes;
    if (ts.nextBytes > 0)
        while (size < used && size + ts.nextBytes <= ts.maxBytes)
            size += ts.nextBytes;
    return size > used ? size - used : 0;
}

std::optional<RisSchemaEntry> DbServer::FindSchema(const std::string& name)
{
    auto rows = catalogue_->QueryRows("SELECT name, db_user, db_type, db_name, definition FROM schemas WHERE name = ?1",
                                      {ToLower(Trim(name))});
    if (rows.empty())
        return std::nullopt;
    return schemaFromRow(rows[0]);
}

std::vector<RisSchemaEntry> DbServer::Schemas()
{
    std::vector<RisSchemaEntry> list;
    for (auto& r : catalogue_->QueryRows("SELECT name, db_user, db_type, db_name, definition FROM schemas ORDER BY seq"))
        list.push_back(schemaFromRow(r));
    return list;
}

void DbServer::CreateSchema(const RisSchemaEntry& s)
{
    changeWithSchemaFile(*catalogue_, *this, [&] {
        catalogue_->Run("INSERT INTO schemas(name, db_user, db_type, db_name, definition) VALUES (?1, ?2, ?3, ?4, ?5)",
                        {ToLower(Trim(s.name)), ToUpper(Trim(s.dbUser)), s.dbType, s.dbName, s.definition});
    });
}

void DbServer::DropSchema(const std::string& name)
{
    changeWithSchemaFile(*catalogue_, *this, [&] { catalogue_->Run("DELETE FROM schemas WHERE name = ?1", {ToLower(Trim(name))}); });
}

std::string DbServer::TablePrivileges(const std::string& written)
{
    std::string fault;
    const std::string privileges = DumpGrantLine::Privileges(written, fault);
    if (!fault.empty())
        RaiseRisError("RIS_E_DATABASE_ERROR", fault);
    return privileges;
}

void DbServer::AddGrant(const std::string& dbUser, const std::string& table, const std::string& grantee,
                        const std::string& privileges)
{
    AddGrantIn(*catalogue_, "main", dbUser, table, grantee, privileges);
}

void DbServer::AddGrantIn(SqliteDb& db, const std::string& catalogue, const std::string& dbUser,
                          const std::string& table, const std::string& grantee, const std::string& privileges)
{
    const auto rows = db.QueryRows("SELECT privileges FROM " + catalogue + ".grants WHERE db_user = ?1 AND "
                                   "table_name = ?2 AND grantee = ?3",
                                   {ToUpper(dbUser), ToLower(table), ToUpper(grantee)});
    const std::string had = rows.empty() ? std::string() : rows[0][0].value_or(kAllTablePrivileges);
    const std::string now = TablePrivileges(had.empty() ? privileges : had + ", " + privileges);
    db.Run("INSERT OR REPLACE INTO " + catalogue + ".grants(db_user, table_name, grantee, privileges) VALUES (?1, ?2, "
           "?3, ?4)",
           {ToUpper(dbUser), ToLower(table), ToUpper(grantee), now});
}

void DbServer::RevokeGrant(const std::string& dbUser, const std::string& table, const std::string& grantee,
                           const std::string& privileges)
{
    const std::vector<std::string> taken = Split(TablePrivileges(privileges), ", ");
    std::vector<std::string> left;
    for (const std::string& p : Split(GrantedPrivileges(dbUser, table, grantee), ", "))
        if (!p.empty() && std::find(taken.begin(), taken.end(), p) == taken.end())
            left.push_back(p);
    if (left.empty())
        catalogue_->Run("DELETE FROM grants WHERE db_user = ?1 AND table_name = ?2 AND grantee = ?3",
                        {ToUpper(dbUser), ToLower(table), ToUpper(grantee)});
    else
        catalogue_->Run("UPDATE grants SET privileges = ?4 WHERE db_user = ?1 AND table_name = ?2 AND grantee = ?3",
                        {ToUpper(dbUser), ToLower(table), ToUpper(grantee), Join(left, ", ")});
}

std::string DbServer::GrantedPrivileges(const std::string& dbUser, const std::string& table, const std::string& grantee)
{
    const auto rows = catalogue_->QueryRows("SELECT privileges FROM grants WHERE db_user = ?1 AND table_name = ?2 AND "
                                            "grantee = ?3",
                                            {ToUpper(dbUser), ToLower(table), ToUpper(grantee)});
    if (rows.empty())
        return {};
    return rows[0][0].value_or(kAllTablePrivileges);
}

std::vector<std::string> DbServer::Grantees(const std::string& list)
{
    std::string fault;
    const std::vector<std::string> names = DumpGrantLine::Grantees(list, fault);
    if (!fault.empty())
        RaiseRisError("RIS_E_SYNTAX_ERROR", fault);
    for (const std::string& name : names)
        if (name.empty() || !GranteeStands(name))
            RaiseRisError("RIS_E_UNKNOWN_USER", "ORA-01917: user or role '" + name + "' does not exist");
    return names;
}

bool DbServer::GranteeStands(const std::string& grantee)
{
    if (grantee == "PUBLIC")
        return true;
    const std::optional<DbUser> user = FindUser(grantee);
    return user && user->name == grantee;
}

std::vector<std::string> DbServer::GrantsOn(const std::string& dbUser, const std::string& table)
{
    std::vector<std::string> list;
    for (auto& r : catalogue_->QueryRows("SELECT grantee FROM grants WHERE db_user = ?1 AND table_name = ?2 "
                                         "ORDER BY grantee",
                                         {ToUpper(dbUser), ToLower(table)}))
        list.push_back(r[0].value_or(""));
    return list;
}

void DbServer::DropGrants(const std::string& dbUser, const std::string& table)
{
    DropGrantsIn(*catalogue_, "main", dbUser, table);
}

void DbServer::DropGrantsIn(SqliteDb& db, const std::string& catalogue, const std::string& dbUser,
                            const std::string& table)
{
    db.Run("DELETE FROM " + catalogue + ".grants WHERE db_user = ?1 AND table_name = ?2",
           {ToUpper(dbUser), ToLower(table)});
}

std::string DbServer::CatalogueHostPath() const { return root_ + "/db/catalogue.db"; }

std::vector<std::string> DbServer::GrantedTables(const std::string& dbUser)
{
    std::vector<std::string> list;
    for (auto& r : catalogue_->QueryRows("SELECT DISTINCT table_name FROM grants WHERE db_user = ?1 ORDER BY table_name",
                                         {ToUpper(dbUser)}))
        list.push_back(r[0].value_or(""));
    return list;
}

std::vector<std::string> DbServer::SqlDatabases()
{
    std::vector<std::string> list;
    for (auto& r : catalogue_->QueryRows("SELECT name FROM sql_databases ORDER BY seq"))
        list.push_back(r[0].value_or(""));
    return list;
}

void DbServer::CreateSqlDatabase(const std::string& name)
{
    catalogue_->Run("INSERT OR IGNORE INTO sql_databases(name) VALUES (?1)", {Trim(name)});
}

bool DbServer::HasSqlDatabase(const std::string& name)
{
    return catalogue_->QueryText("SELECT 1 FROM sql_databases WHERE name = ?1", {Trim(name)}).has_value();
}

std::vector<std::string> DbServer::SqlDatabaseUsers(const std::string& database)
{
    std::vector<std::string> list;
    for (auto& r : catalogue_->QueryRows("SELECT user FROM sql_database_users WHERE db = ?1 ORDER BY user",
                                         {Trim(database)}))
        list.push_back(r[0].value_or(""));
    return list;
}

bool DbServer::IsSqlDatabaseUser(const std::string& database, const std::string& user)
{
    return catalogue_
        ->QueryText("SELECT 1 FROM sql_database_users WHERE db = ?1 AND user = ?2", {Trim(database), ToUpper(Trim(user))})
        .has_value();
}

void DbServer::AddSqlDatabaseUser(const std::string& database, const std::string& user)
{
    catalogue_->Run("INSERT OR IGNORE INTO sql_database_users VALUES (?1, ?2)", {Trim(database), ToUpper(Trim(user))});
}

void DbServer::DropSqlDatabaseUser(const std::string& database, const std::string& user)
{
    catalogue_->Run("DELETE FROM sql_database_users WHERE db = ?1 AND user = ?2", {Trim(database), ToUpper(Trim(user))});
}

std::string DbServer::UserDatabasePath(const std::string& user) const
{
    return root_ + "/db/users/" + ToLower(Trim(user)) + ".db";
}

std::string DbServer::RequireUserDatabase(const std::string& user) const
{
    const std::string file = UserDatabasePath(user);
    if (!fs::exists(file))
        RaiseRisError("RIS_E_DATABASE_ERROR", "ORA-01157: cannot identify/lock data file '" + file +
                                                  "' of database user " + ToUpper(Trim(user)) +
                                                  "; its tables are lost, and nothing was read or changed.");
    return file;
}

std::unique_ptr<SqliteDb> DbServer::OpenUserDatabase(const std::string& user)
{
    auto db = std::make_unique<SqliteDb>(RequireUserDatabase(user), false);
    ServerSqlFunctions::Register(db->Handle());
    CharComparison::KeepDeclared(*db);
    // A stand-in needs no protection against power loss; the clients run statement by statement.
    db->Exec("PRAGMA synchronous = OFF");
    return db;
}

std::string DbServer::SchemaFileHostPath() const { return root_ + "/drives/c/win32app/ingr/share/schemas"; }

std::string DbServer::SchemaFileWinPath() const { return WinPathFromHost(SchemaFileHostPath()); }

void DbServer::WriteSchemaFile()
{
    std::ostringstream out;
    out << "# RIS schema file of database " << DatabaseName() << "\r\n";
    for (const RisSchemaEntry& s : Schemas()) {
        out << "SCHNAME=" << s.name << "\r\n";
        out << "SCHOWNER=" << s.dbUser << "\r\n";
        out << "DBTYPE=" << s.dbType << "\r\n";
        out << "DBNAME=" << s.dbName << "\r\n";
        out << "\r\n";
    }
    const std::string path = SchemaFileHostPath();
    std::error_code ec;
    fs::create_directories(fs::path(path).parent_path(), ec);
    // Written whole and flushed before it replaces the former file, which stays as it was when
    // any step fails (a full disk is found at the flush, not after the file is in place).
    try {
        HostWriteFile(SchemaFileWinPath(), out.str());
    } catch (const AppError& e) {
        RaiseRisError("RIS_E_CANT_WRITE_SCHEMA_FILE",
                      "Cannot write the RIS schema file '" + path + "': " + e.description() + ".");
    }
}
