// The Oracle connection ("Provider=MSDAORA.1;...") to the stand-in server: logs on as a
// database user of the catalogue, runs the user statements through the server manager's own
// code, answers dba_users from the catalogue, and runs other statements on the tables of the
// current schema's database user.
#pragma once

#include "platform/ado/ConnectionProvider.h"
#include "standins/dbserver/DbServer.h"

#include <memory>
#include <string>

class StandInOracleConnection : public ConnectionProvider {
public:
    // Raises ORA-12154 for a data source that names no database of the server (the database
    // name, optionally with a domain: "ORCL", "orcl.world") and ORA-01017 for a wrong user or
    // password, as the provider's unspecified error.
    explicit StandInOracleConnection(const std::string& connectionString);
    ~StandInOracleConnection() override;

    Recordset Execute(const std::string& sql) override;
    // Statements on the user's tables count the rows they changed; the others count 0.
    Recordset ExecuteCounted(const std::string& sql, long& recordsAffected) override;
    // The tables of the schema restriction's user, or of the current schema when that is
    // empty; TABLE_SCHEMA is the user's name.
    Recordset OpenSchema(int schema, const std::vector<Variant>& restrictions) override;

private:
    std::unique_ptr<DbServer> server_;
    std::string user_;          // upper case
    std::string password_;
    std::string currentSchema_; // upper case; the user's own until ALTER SESSION changes it
};
