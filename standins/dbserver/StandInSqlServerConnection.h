// The SQL Server connection ("Driver={SQL Server};...") to the stand-in server: logins are the
// server's users, each SQL Server database keeps its own users; answers the login and user
// procedures and statements, sysusers and sp_databases, and runs other statements on the
// tables of the login it acts as.
#pragma once

#include "platform/ado/ConnectionProvider.h"
#include "standins/dbserver/DbServer.h"

#include <memory>
#include <string>

class StandInSqlServerConnection : public ConnectionProvider {
public:
    // The server must be this computer ("(local)", ".", "localhost", its name) or a name of
    // the SQL client's alias list in the registry. Raises the driver's errors for an unknown
    // server, a failed login or a database the server does not have.
    explicit StandInSqlServerConnection(const std::string& connectionString);
    ~StandInSqlServerConnection() override;

    Recordset Execute(const std::string& sql) override;
    // Statements on the login's tables count the rows they changed; the others count 0.
    Recordset ExecuteCounted(const std::string& sql, long& recordsAffected) override;
    // The tables of the schema restriction's login, or of the login acted as when that is
    // empty; TABLE_CATALOG is the database, TABLE_SCHEMA the login.
    Recordset OpenSchema(int schema, const std::vector<Variant>& restrictions) override;

private:
    void RequireSysadmin() const;
    void CreateLogin(const std::string& user, const std::string& password);

    std::unique_ptr<DbServer> server_;
    std::string login_;    // upper case
    std::string database_; // as the server names it
    std::string actingAs_; // the login of EXECUTE AS, else login_
};
