// How the design file tools reach the project tables: a query as a recordset and a statement,
// through the program's database access object unless a test puts its own in place.
#pragma once

#include <functional>
#include <string>

class Recordset;

struct ProjectTables {
    // SELECT statement on a schema; the result is a disconnected recordset. Raises AppError.
    std::function<Recordset(const std::string& schema, const std::string& sql)> read;
    // Data-changing statement on a schema, committed. Raises AppError.
    std::function<void(const std::string& schema, const std::string& sql)> write;

    // Both through gCRIS (DBRead with lock type 3, DBWrite).
    static ProjectTables Cris();
};
