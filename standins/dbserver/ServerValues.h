// Values as the stand-in server's database keeps them: a number read from a text, the text of a
// number in a character value, and a value made into what a column of its declared type stores
// (rounded to a decimal's scale, refused beyond its precision, a number written as text into a
// character column). Every way in stores through the SQLite functions registered here, which the
// statements call through StoredValueSql.
#pragma once

#include "platform/NumberValue.h"

#include <optional>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_context;
struct sqlite3_value;

class ServerValues {
public:
    // The number of a value that is not NULL: a whole or real one as it is, a wide one (a blob)
    // with every digit, any other as the number its text reads as (NumberValue::Read); none when it
    // reads as none.
    static std::optional<NumberValue> NumberOf(sqlite3_value* v);
    // Whether the value is a number kept with every digit (a blob that reads as a number).
    static bool IsWideNumber(sqlite3_value* v);
    // Gives the number as the server keeps it as the function's result.
    static void Result(sqlite3_context* ctx, const NumberValue& n);
    // The database's text of a number value (whole, real or wide); the bytes of any other value.
    static std::string OracleTextOf(sqlite3_value* v);
    // The text of a value, its bytes as they are ("" for NULL).
    static std::string TextOf(sqlite3_value* v);

    // A number as Oracle writes it into a text: whole numbers plainly, no zero before the point
    // (".5", "-.25"), "0" for a negative zero, and the exponent form ("1.5E+300") only where the
    // plain text would be longer than 64 characters (DecimalNumber::OracleText).
    static std::string OracleNumberText(double v);

    // Registers ris_store(value, type, column) and mss_store(...), which give the value that a
    // column of the declared type keeps, or fail with the database's refusal; ris_cast(value,
    // type), Oracle's CAST; ris_mod(m, n), Oracle's MOD (mod(7, 0) is 7); ris_number(text), the
    // number a literal stands for, read as NumberValue::Read reads it (every digit kept), and
    // ris_number(text, type), the same read as a column of that type compares it (the double
    // nearest to it for a double or real column). A double or real column keeps the double nearest
    // to a number; a timestamp or date column keeps the date alone as that day's first moment.
    static void Register(sqlite3* db);

    // The database's refusal of a value beyond the precision of its decimal column.
    static constexpr const char* kOracleBeyondPrecision =
        "ORA-01438: value larger than specified precision allowed for this column";
    static constexpr const char* kSqlServerBeyondPrecision = "Arithmetic overflow error converting numeric to data "
                                                             "type numeric.";
    // The text after which a refusal of ris_store names its column.
    static constexpr const char* kColumnMark = " (column ";
};
