// What a connection kind implements: the text-file driver, Access databases, and later the
// Oracle and SQL Server connections to the stand-in server.
#pragma once

#include "platform/ado/Recordset.h"

#include <string>
#include <vector>

enum class ProviderKind { TextDriver, Access, Oracle, SqlServer };

class ConnectionProvider {
public:
    virtual ~ConnectionProvider() = default;
    // Runs one statement. A statement that returns rows gives an open recordset, any other a
    // closed one. Raises AppError with the provider's number, source and description.
    virtual Recordset Execute(const std::string& sql) = 0;
    // Execute that also gives the records the statement changed: -1 for a statement that
    // returns rows, and from a provider that does not count.
    virtual Recordset ExecuteCounted(const std::string& sql, long& recordsAffected)
    {
        recordsAffected = -1;
        return Execute(sql);
    }
    // A schema rowset (SchemaEnum) under restrictions by position, an Empty one restricting
    // nothing. Raises kNotCapable unless the provider keeps a catalogue.
    virtual Recordset OpenSchema(int schema, const std::vector<Variant>& restrictions);
};
