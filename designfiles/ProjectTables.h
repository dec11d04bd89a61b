// How the design file tools reach the project tables: a query as a recordset and a statement,
// through the program's database access object unless a test puts its own in place.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

class Recordset;

struct ProjectTables {
    // SELECT statement on a schema; the result is a disconnected recordset. Raises AppError.
    std::function<Recordset(const std::string& schema, const std::string& sql)> read;
    // Data-changing statement on a schema, committed; the rows it changed as the database
    // reports them, -1 when it reports none. Raises AppError.
    std::function<int32_t(const std::string& schema, const std::string& sql)> write;

    // Both through gCRIS: the rows decide which files move, so a read is used only when whole
    // (DBReadWhole with lock type 3: its table unloaded whole and as many rows as the server
    // counts); DBWrite.
    static ProjectTables Cris();
};
