// What a connection kind implements: the text-file driver, Access databases, and later the
// Oracle and SQL Server connections to the stand-in server.
#pragma once

#include "platform/ado/Recordset.h"

#include <string>

enum class ProviderKind { TextDriver, Access, Oracle, SqlServer };

class ConnectionProvider {
public:
    virtual ~ConnectionProvider() = default;
    // Runs one statement. A statement that returns rows gives an open recordset, any other a
    // closed one. Raises AppError with the provider's number, source and description.
    virtual Recordset Execute(const std::string& sql) = 0;
};
