// Statements that store values as the stand-in server's database keeps them: each value an
// INSERT or UPDATE stores goes through the server's store function of its column's declared type
// (ServerValues), so that a decimal is rounded to its scale and refused beyond its precision, a
// whole-number column rounds, and a number stored into a character column takes the database's
// text, on every way in.
#pragma once

#include "standins/dbserver/ServerSqlRules.h"

#include <string>
#include <string_view>
#include <vector>

struct sqlite3;

struct StoredColumn {
    std::string name;
    std::string type; // declared
};

class StoredValueSql {
public:
    // The expression that gives what a column of the declared type keeps of valueSql (one call of
    // a function per value and row, no statement of its own): what a load's prepared INSERT puts
    // in place of each "?n".
    static std::string Value(const std::string& valueSql, const std::string& declaredType, const std::string& column,
                             ServerDialect dialect);

    // "INSERT INTO <table> (<columns>) VALUES (Value(?1, ...), ...)" for a load: the columns as
    // given, their types as the table declares them.
    static std::string InsertSql(const std::string& table, const std::vector<std::string>& columns, sqlite3* db);

    // The INSERT (VALUES or a query) or UPDATE ... SET with every value it stores passed through
    // Value, the table's columns read from db (a table qualified by an attached schema from that
    // schema). Any other statement, one whose form is not one of these, or a table db does not
    // know is returned unchanged: the database then refuses it, or the table's checks guard it.
    static std::string Statement(std::string_view sql, sqlite3* db, ServerDialect dialect);

    // The columns of the table in the schema ("main" or an attached one), in order; none when
    // the table does not exist.
    static std::vector<StoredColumn> Columns(sqlite3* db, const std::string& schema, const std::string& table);
};
