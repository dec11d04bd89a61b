// Answers of the stand-in server's connections as recordsets: a statement run over small
// tables made in memory from the catalogue (dictionary views), or over a database user's own
// tables.
#pragma once

#include "platform/AppError.h"
#include "platform/ado/JetEngine.h"
#include "platform/ado/Recordset.h"
#include "standins/dbserver/ServerSqlRules.h"

#include <optional>
#include <string>
#include <vector>

struct MemoryTable {
    std::string name;
    std::vector<std::string> columns; // "name TYPE", as a create-table statement takes them
    std::vector<std::vector<std::optional<std::string>>> rows;
};

class StandInQuery {
public:
    // Runs sql on the tables, made in an empty database in memory, computing as the server of
    // the connection does (ServerSqlRules).
    static Recordset OverTables(const std::vector<MemoryTable>& tables, const std::string& sql,
                                const JetEngine::Dialect& dialect, ServerDialect server);
    // Runs sql on the SQLite file of a database user (host path, which must stand: a missing
    // one is not made). recordsAffected, when given, receives the rows the statement changed, or
    // -1 for a statement that returns rows.
    static Recordset OnUserDatabase(const std::string& hostPath, const std::string& sql,
                                    const JetEngine::Dialect& dialect, ServerDialect server,
                                    long* recordsAffected = nullptr);
};
