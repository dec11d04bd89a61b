// Values as the stand-in server's database keeps them: a number read from a text, the text of a
// number in a character value, and a value made into what a column of its declared type stores
// (rounded to a decimal's scale, refused beyond its precision, a number written as text into a
// character column). Every way in stores through the SQLite functions registered here, which the
// statements call through StoredValueSql.
#pragma once

#include <optional>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_value;

// A number as the server computes with it: whole while it stays within 64 bits.
struct ServerNumber {
    bool whole = true;
    long long i = 0;
    double d = 0;
    double Real() const { return whole ? static_cast<double>(i) : d; }
    bool IsZero() const { return whole ? i == 0 : d == 0.0; }
};

class ServerValues {
public:
    // A text that is a number as a whole (blanks at both ends allowed): digits with an optional
    // sign, point and exponent. Anything else, hexadecimal included, is none.
    static std::optional<ServerNumber> NumberInText(std::string_view text);

    // The number of a value that is not NULL: a whole or real one as it is, any other as the
    // number its text reads as (NumberInText); none when it reads as none.
    static std::optional<ServerNumber> NumberOf(sqlite3_value* v);
    // The text of a value, its bytes as they are ("" for NULL).
    static std::string TextOf(sqlite3_value* v);

    // A number as Oracle writes it into a text: whole numbers plainly, no zero before the point
    // (".5", "-.25"), "0" for a negative zero, and a number of 10^15 or more that is no exact
    // whole number of 64 bits in the form "1.0000E+25" (at least four decimals, as many as its
    // digits need).
    static std::string OracleNumberText(double v);

    // Registers ris_store(value, type, column) and mss_store(...), which give the value that a
    // column of the declared type keeps, or fail with the database's refusal; ris_cast(value,
    // type), Oracle's CAST; ris_mod(m, n), Oracle's MOD (mod(7, 0) is 7).
    static void Register(sqlite3* db);

    // The database's refusal of a value beyond the precision of its decimal column.
    static constexpr const char* kOracleBeyondPrecision =
        "ORA-01438: value larger than specified precision allowed for this column";
    static constexpr const char* kSqlServerBeyondPrecision = "Arithmetic overflow error converting numeric to data "
                                                             "type numeric.";
    // The text after which a refusal of ris_store names its column.
    static constexpr const char* kColumnMark = " (column ";
};
