// The stand-in database server of one environment: under <root>/db/ a catalogue of database
// users (with passwords, privileges and tablespaces), tablespaces with their sizes, RIS
// schemas mapped to database users and table grants, and one SQLite file per database user
// holding that user's tables; beside it the RIS schema file with its "SCHNAME=" lines.
#pragma once

#include "standins/dbserver/SqliteDb.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

struct DbUser {
    std::string name; // upper case, as the database keeps it
    std::string password;
    std::string defaultTablespace;
    std::string temporaryTablespace;
};

struct DbTablespace {
    std::string name; // upper case
    std::string datafile;
    long long sizeBytes = 0;
    long long nextBytes = 0; // 0: no autoextend
    long long maxBytes = 0;
};

struct RisSchemaEntry {
    std::string name;   // lower case
    std::string dbUser; // upper case
    std::string dbType; // "oracle" or "mssql"
    std::string dbName;
    std::string definition; // the clauses after the name, as the create statement gave them
};

class DbServer {
public:
    // The host root of the environment this process works in: the ROOT= line of the RIS
    // parameter file named by RIS_PARAMETERS, else StandInRoot(). Raises a RIS error when the
    // parameter file cannot be read or names no root.
    static std::string EnvironmentRoot();

    // Opens the server kept under hostRoot, laying out a fresh one (database "ORCL", the
    // tablespaces SYSTEM, USER_DATA and TEMPORARY_DATA and the user SYSTEM) on first use.
    explicit DbServer(const std::string& hostRoot);
    ~DbServer();

    const std::string& Root() const { return root_; }
    std::string DatabaseName();

    // Users. Names are compared without regard to case.
    std::optional<DbUser> FindUser(const std::string& name);
    std::vector<DbUser> Users(); // by name
    // Creates the user or sets the password of an existing one (a grant "identified by").
    void SetUserPassword(const std::string& name, const std::string& password);
    void SetUserTablespace(const std::string& name, const std::string& tablespace, bool temporary);
    // Drops the user, its tables (its file) and its grants. Its RIS schemas stay defined.
    void DropUser(const std::string& name);
    void GrantPrivilege(const std::string& user, const std::string& privilege);
    bool HasPrivilege(const std::string& user, const std::string& privilege);
    bool IsDba(const std::string& user);

    // Tablespaces.
    std::optional<DbTablespace> FindTablespace(const std::string& name);
    std::vector<DbTablespace> Tablespaces();
    void CreateTablespace(const DbTablespace& ts);
    // Takes the tablespace out of the catalogue; the tables in it are the caller's to drop.
    void DropTablespace(const std::string& name);
    // Free bytes: the current size (grown by its steps up to the limit while the users' files
    // need it) less the bytes of the users' files that live in it.
    long long FreeBytes(const DbTablespace& ts);

    // RIS schemas; names compared without regard to case.
    std::optional<RisSchemaEntry> FindSchema(const std::string& name);
    std::vector<RisSchemaEntry> Schemas(); // in order of creation
    void CreateSchema(const RisSchemaEntry& schema);
    void DropSchema(const std::string& name);

    // Table grants (kept for unloads): per database user and table, each grantee with the
    // privileges granted to it. A second grant to the same grantee adds its privileges.
    static constexpr const char* kAllTablePrivileges = "select, insert, delete, update";
    void AddGrant(const std::string& dbUser, const std::string& table, const std::string& grantee,
                  const std::string& privileges = kAllTablePrivileges);
    // Takes the privileges from the grantee; a grantee left with none holds no grant.
    void RevokeGrant(const std::string& dbUser, const std::string& table, const std::string& grantee,
                     const std::string& privileges);
    std::vector<std::string> GrantsOn(const std::string& dbUser, const std::string& table);
    // The grantees of a grant's "to <list>" (a revoke's "from <list>"), each as the catalogue
    // keeps it: PUBLIC, or a user the database knows, named without quotes in any letter case or
    // in quotes exactly as it is stored. The grant statement and the load's grant lines both
    // take their grantees here, so the server keeps no grant its own load would refuse. Raises
    // for the whole list as the database refuses the whole statement: RIS_E_UNKNOWN_USER
    // (ORA-01917) for a name of no user, and "with grant option", which no grant here carries,
    // by name (RIS_E_SYNTAX_ERROR, as any other word after a grantee).
    std::vector<std::string> Grantees(const std::string& list);
    // Whether a grantee the catalogue keeps is PUBLIC or a user that stands.
    bool GranteeStands(const std::string& grantee);
    // The privileges the grantee holds on the table as a grant writes them, in the order
    // "select, insert, delete, update" and then any other; empty when it holds none.
    std::string GrantedPrivileges(const std::string& dbUser, const std::string& table, const std::string& grantee);
    // The privileges of a grant statement ("select, insert", "all", "all privileges") in that
    // order; raises RIS_E_DATABASE_ERROR (ORA-00990) for a word that is no table privilege.
    static std::string TablePrivileges(const std::string& written);
    void DropGrants(const std::string& dbUser, const std::string& table);
    // AddGrant and DropGrants on the catalogue as the connection db names it (`catalogue`: the
    // name it is attached under there, as SQL writes it): for grants that must be committed in
    // one transaction with that connection's tables.
    static void AddGrantIn(SqliteDb& db, const std::string& catalogue, const std::string& dbUser,
                           const std::string& table, const std::string& grantee, const std::string& privileges);
    static void DropGrantsIn(SqliteDb& db, const std::string& catalogue, const std::string& dbUser,
                             const std::string& table);
    // The host path of the catalogue's file.
    std::string CatalogueHostPath() const;
    // The tables of the user that have grants recorded.
    std::vector<std::string> GrantedTables(const std::string& dbUser);

    // The SQL Server side of the same server: its databases, and per database the logins
    // (the server's users) that are users of it. Names compared without regard to case.
    std::vector<std::string> SqlDatabases(); // in order of creation
    void CreateSqlDatabase(const std::string& name);
    bool HasSqlDatabase(const std::string& name);
    std::vector<std::string> SqlDatabaseUsers(const std::string& database);
    bool IsSqlDatabaseUser(const std::string& database, const std::string& user);
    void AddSqlDatabaseUser(const std::string& database, const std::string& user);
    void DropSqlDatabaseUser(const std::string& database, const std::string& user);

    // The SQLite file of a user's tables (host path), whether it stands or not.
    std::string UserDatabasePath(const std::string& user) const;
    // The same, raising RIS_E_DATABASE_ERROR (ORA-01157, naming the file and the user) when the
    // file is gone: every user got its file when it was made, so a missing one holds tables that
    // are lost, and no road may read them as none.
    std::string RequireUserDatabase(const std::string& user) const;
    // A connection to the user's file with the server's functions (ServerSqlFunctions); raises
    // as RequireUserDatabase, and never makes a file.
    std::unique_ptr<SqliteDb> OpenUserDatabase(const std::string& user);

    // The RIS schema file: host path and the Windows path risbatch reports.
    std::string SchemaFileHostPath() const;
    std::string SchemaFileWinPath() const;
    void WriteSchemaFile();

private:
    std::string root_;
    std::unique_ptr<SqliteDb> catalogue_;
};
