// Values as the server stores and compares them, for every look that reads back what a change
// left: the decimals a declared column type keeps, a typed or written number as such a column
// keeps it, and two values compared as the server compares them.
#pragma once

#include "platform/DecimalNumber.h"

#include <optional>
#include <string>
#include <string_view>

class StoredValue {
public:
    // How the server compares the values of a column: numbers by value, char text blank-padded,
    // anything else (dates and times) exactly.
    enum class Kind { Number, Char, Other };

    // The decimals a column of the declared RIS type keeps: s of "decimal(p,s)", 0 of
    // "decimal(p)", "smallint", "int" and "integer" (letter case and blanks inside the
    // parentheses do not count); -1 for any other type (double, real, decimal without
    // precision, which keep 38 significant digits) and for a text that is no RIS type.
    static int ScaleOf(std::string_view declared);
    // Whether the declared type is the server's char type (char, char(n)), whose values it
    // compares blank-padded.
    static bool IsCharType(std::string_view declared);

    // A typed or written number (blanks at both ends allowed, an exponent too) as a column of
    // the scale stores it: rounded half away from zero to `scale` decimals, or for a scale of -1
    // to the 38 significant digits the server keeps; every digit kept within them. None for a
    // text that is no number, and for one beyond every number the server holds (which it
    // refuses).
    static std::optional<DecimalNumber> Number(std::string_view text, int scale);

    // A char value as the server compares it: without its trailing blanks (leading ones count).
    static std::string BlankPadded(std::string_view text);

    // Whether two values of a column of the kind are the same as the server compares them: Null
    // and the empty text alike (the server keeps no empty text), numbers by value ("1e2" and
    // "100.0"; a text that is no number exactly), char text blank-padded, any other exactly.
    static bool Same(const std::optional<std::string>& a, const std::optional<std::string>& b, Kind kind);

    // Whether a value read back from a column of the declared type is the one written into it:
    // Same, the written number taken as the column stores it (Number) first, so 1.505 written
    // into a decimal(10,2) is the 1.51 read back.
    static bool SameAsWritten(const std::optional<std::string>& stored, const std::optional<std::string>& written,
                              Kind kind, std::string_view declared);
};
