// A number in the one form the database keeps it in and the program reads it back: whole while
// it stays within 64 bits, a double while one holds it exactly (at most 15 significant digits),
// else every digit (wide). The stand-in server stores numbers in this form, and the text driver
// and the recordsets read and compare them by it, so that both sides agree on every digit.
#pragma once

#include "platform/DecimalNumber.h"

#include <optional>
#include <string_view>

struct NumberValue {
    // The most significant digits of which every double reads back as the same digits.
    static constexpr int kDoubleDigits = 15;

    bool whole = true;
    long long i = 0;
    double d = 0;
    std::optional<DecimalNumber> wide;

    // The form a number is kept in (an infinity beyond the range of a double).
    static NumberValue Of(const DecimalNumber& n);
    // A text that is a number as a whole (blanks at both ends allowed): digits with an optional
    // sign, point and exponent. Anything else, hexadecimal included, is none. Read without a
    // copy and without the decimal arithmetic unless it has more digits than a double holds.
    static std::optional<NumberValue> Read(std::string_view text);

    bool IsWide() const { return wide.has_value(); }
    // Whether a double would not show every digit of the number: a wide number, or a whole
    // number of more than 15 digits (written in exponent form, and from 2^53 on rounded).
    bool BeyondDouble() const
    {
        constexpr long long kWholeDoubleLimit = 1000000000000000LL; // 10^15
        return IsWide() || (whole && (i <= -kWholeDoubleLimit || i >= kWholeDoubleLimit));
    }
    double Real() const { return whole ? static_cast<double>(i) : wide ? wide->ToDouble() : d; }
    bool IsZero() const { return whole ? i == 0 : wide ? wide->IsZero() : d == 0.0; }
    // Every digit of the number (a double as the shortest decimal that reads back as it).
    DecimalNumber Exact() const;

    // -1, 0 or 1 by value, every digit counted where a wide number takes part.
    static int Compare(const NumberValue& a, const NumberValue& b);
};
