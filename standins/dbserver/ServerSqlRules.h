// The statements of the stand-in server's clients and connections turned into SQLite text that
// computes as the database behind them does: every arithmetic operator, concatenation, empty
// string and string function that SQLite would evaluate by its own rules becomes a call of the
// server's functions (ServerSqlFunctions), which the connection must have registered.
#pragma once

#include <string>
#include <string_view>

struct sqlite3;

enum class ServerDialect {
    Oracle,    // the RIS clients and the Oracle connection
    SqlServer, // the SQL Server connection
};

class ServerSqlRules {
public:
    // Oracle: "+", "-", "*", "/" and "||" become ris_add, ris_sub, ris_mul, ris_div and
    // ris_concat by Oracle's precedence ("||" binds as "+"); '' becomes NULL; substr, trim,
    // ltrim, rtrim, replace and concat become their ris_ functions. A "%" outside a string
    // raises AppError "ORA-00911: invalid character" (source "ServerSqlRules"): Oracle has no
    // such operator.
    // mod() becomes ris_mod and CAST(x AS <type the server stores>) ris_cast(x, '<type>'); a
    // number literal or arithmetic compared with a string literal compares with the number the
    // text reads as (ORA-01722 when it reads as none).
    // SQL Server: "+", "-", "*", "/" and "%" become mss_add, mss_sub, mss_mul, mss_div and
    // mss_mod.
    // Both keep every digit of a number: every number literal but a whole one of 64 bits becomes
    // ris_number('<literal>'), which the server reads itself, a sign before anything but a
    // literal ris_neg; an ordering
    // comparison, a BETWEEN and a comparison with such a literal compare every digit where a
    // number the engine holds as a blob takes part (ris_exact, ris_cmp); each ORDER BY term
    // orders by ris_order(<term>) first; sum, min, max, abs and round (and Oracle's avg) become
    // their ris_ functions. A CAST to a decimal whose precision or scale the database refuses
    // raises its ORA- text.
    // Both refuse the engine's own forms, which the databases do not know, with their texts: its
    // functions and tables (sqlite_..., typeof, glob), the server's own functions called by name,
    // the triggers it keeps and x'..' literals; Oracle also "collate" and the bit operators "&",
    // "|", "~", "<<" and ">>".
    // An expression of a select list that changes and has no alias is given its own text as
    // its alias, so that the result column is named as the statement wrote it. Strings,
    // quoted names and comments stay as they are; a statement without any of these is returned
    // unchanged.
    // With db, the connection of the statement's tables: a literal compared with a column of one
    // of them is read as that column's type reads it (StatementColumns): a number compared with
    // a double or real column as ris_number('<literal>', '<type>'), the double nearest to it; the
    // date alone compared with a timestamp or date column as the day's first moment.
    static std::string Rewrite(std::string_view sql, ServerDialect dialect, sqlite3* db = nullptr);
};
