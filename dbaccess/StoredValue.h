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
    // dates and times by the moment they write, anything else exactly.
    enum class Kind { Number, Char, Moment, Other };

    // How a column of the declared RIS type compares its values: its kind and, for a number, the
    // decimals it keeps (ScaleOf). A text that is no RIS type compares exactly.
    struct Comparison {
        Kind kind = Kind::Other;
        int scale = -1;
        bool binary = false; // a double or real column: it keeps the double nearest to the number
    };
    static Comparison ComparisonOf(std::string_view declared);

    // The decimals a column of the declared RIS type keeps: s of "decimal(p,s)", 0 of
    // "decimal(p)", "smallint", "int" and "integer" (letter case and blanks inside the
    // parentheses do not count); -1 for any other type (double, real, decimal without
    // precision, which keep 38 significant digits) and for a text that is no RIS type.
    static int ScaleOf(std::string_view declared);
    // Whether the declared type is the server's char type (char, char(n)), whose values it
    // compares blank-padded.
    static bool IsCharType(std::string_view declared);
    // Whether the declared type is one the server keeps as a double (double, real).
    static bool IsBinaryType(std::string_view declared);
    // A typed or written number as a double or real column keeps it: the double nearest to it,
    // written as the shortest number that reads back as that double. None for a text that is no
    // number and for one beyond the range of a double.
    static std::optional<DecimalNumber> NearestDouble(std::string_view text);

    // A typed or written number (blanks at both ends allowed, an exponent too) as a column of
    // the scale stores it: rounded half away from zero to `scale` decimals, or for a scale of -1
    // to the 38 significant digits the server keeps; every digit kept within them. None for a
    // text that is no number, and for one beyond every number the server holds (which it
    // refuses).
    static std::optional<DecimalNumber> Number(std::string_view text, int scale);

    // A char value as the server compares it: without its trailing blanks (leading ones count).
    static std::string BlankPadded(std::string_view text);
    // A date and time as the moment the server reads it (RisTimestamp::Compared): the date alone
    // ("2024-03-01") is that day at 00:00:00 ("2024-03-01:00:00:00"); any other text as it is.
    static std::string Moment(std::string_view text);

    // The value as one text that is another's exactly when the server takes both for the same
    // value of the column: Null for Null and the empty text (the server keeps no empty text); a
    // number as the column stores it (Number), written plainly ("1.5" of "1.50", "+1.500" and
    // "15e-1" in a decimal(10,2); "0" of "-0.00"); a char text blank-padded; a date and time by
    // its Moment; a text that is no number, and any other value, as it is. Reads a number's
    // digits only where its text is not already so written. Copies nothing where it can: the
    // view is of a part of the value itself, or else of room (whose text it replaces), and holds
    // while both do.
    static std::optional<std::string_view> Compared(const std::optional<std::string>& value, const Comparison& column,
                                                    std::string& room);

    // Whether two values of a column of the kind are the same as the server compares them: Null
    // and the empty text alike (the server keeps no empty text), numbers by value ("1e2" and
    // "100.0"; a text that is no number exactly), char text blank-padded, any other exactly.
    static bool Same(const std::optional<std::string>& a, const std::optional<std::string>& b, Kind kind);

    // Whether a value read back from a column of the declared type is the one written into it:
    // Same, the written number taken as the column stores it (Number, or NearestDouble for a
    // double or real column) first, so 1.505 written into a decimal(10,2) is the 1.51 read back.
    static bool SameAsWritten(const std::optional<std::string>& stored, const std::optional<std::string>& written,
                              Kind kind, std::string_view declared);
};
