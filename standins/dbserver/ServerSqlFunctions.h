// The SQLite functions that the stand-in server's statements are rewritten to (ServerSqlRules),
// so that arithmetic, concatenation and string functions compute as the database does, not as
// SQLite would: Oracle never divides whole numbers as whole numbers, refuses a division by zero
// and a text that is no number, takes NULL as the empty string in a concatenation and keeps no
// empty string (it is NULL); SQL Server divides whole numbers as whole numbers, refuses a
// division by zero and concatenates texts with "+".
#pragma once

struct sqlite3;

class ServerSqlFunctions {
public:
    // Registers every function of both databases on the connection (their names differ), so
    // that a view made with them reads on every connection of the server.
    static void Register(sqlite3* db);

    // The database's own texts of the refusals, as the functions fail with them.
    static constexpr const char* kOracleDivideByZero = "ORA-01476: divisor is equal to zero";
    static constexpr const char* kOracleInvalidNumber = "ORA-01722: invalid number";
    static constexpr const char* kSqlServerDivideByZero = "Divide by zero error encountered.";
};
