// A decimal number of any length as the database computes with it: a whole mantissa (GMP) and a
// decimal scale, so that a number of 38 digits keeps every digit on its way in, through
// arithmetic and rounding, and out again as text. The stand-in server stores and computes with
// it; the program reads and compares what the server stored with it.
#pragma once

#include <gmpxx.h>

#include <optional>
#include <string>
#include <string_view>

class DecimalNumber {
public:
    // The most significant digits the database keeps of a number: more are rounded away.
    static constexpr int kMaxDigits = 38;

    DecimalNumber() = default; // 0

    // A text that is a number as a whole (blanks at both ends allowed): digits with an optional
    // sign, point and exponent. Anything else is none. An exponent beyond any number the
    // database holds is kept as far as the caller needs to see that (an overflow, or 0).
    static std::optional<DecimalNumber> Parse(std::string_view text);
    static DecimalNumber OfInteger(long long v);
    // The shortest decimal that reads back as the double (finite): the number a statement or a
    // dump wrote and the double stands for.
    static DecimalNumber OfDouble(double v);

    int Sign() const { return sgn(mantissa_); }
    bool IsZero() const { return Sign() == 0; }
    bool IsWhole() const { return scale_ <= 0; }
    // The significant digits (0 for 0): 120.50 has 4.
    int Digits() const;
    // The number is 0.d1d2...dn x 10^Exponent(): 120.5 has 3, 0.05 has -1 (0 for 0).
    long Exponent() const { return Digits() - scale_; }

    int Compare(const DecimalNumber& other) const;
    bool operator==(const DecimalNumber& other) const { return Compare(other) == 0; }

    DecimalNumber operator+(const DecimalNumber& other) const;
    DecimalNumber operator-(const DecimalNumber& other) const;
    DecimalNumber operator*(const DecimalNumber& other) const;
    DecimalNumber Negated() const;
    DecimalNumber Abs() const { return Sign() < 0 ? Negated() : *this; }
    // The quotient to `digits` significant digits, rounded half away from zero. divisor is not 0.
    static DecimalNumber Divide(const DecimalNumber& dividend, const DecimalNumber& divisor, int digits = kMaxDigits);
    // The remainder of the quotient cut towards zero, with the sign of the dividend (exact).
    static DecimalNumber Remainder(const DecimalNumber& dividend, const DecimalNumber& divisor);

    // Rounded to `scale` decimals (a negative scale rounds to tens, hundreds ...), half away from
    // zero, half to the even last digit, or cut towards zero.
    enum class Rounding { HalfAwayFromZero, HalfToEven, TowardZero };
    DecimalNumber Rounded(long scale, Rounding rounding = Rounding::HalfAwayFromZero) const;
    // Rounded to `digits` significant digits, half away from zero.
    DecimalNumber RoundedToDigits(int digits) const;

    // The number as a 64-bit whole number, when it is one.
    std::optional<long long> ToInteger() const;
    // The nearest double (an infinity beyond the range of a double).
    double ToDouble() const;

    // "-12.5", "0.05", "120": every digit, no exponent.
    std::string PlainText() const;
    // With exactly `decimals` decimals ("1.50"), the number rounded to them first.
    std::string FixedText(int decimals) const;
    // As the database writes a number into a text: whole numbers plainly, no zero before the
    // point (".5", "-.25"), and the exponent form ("1.5E+70") only for a number whose plain
    // text would be longer than 64 characters.
    std::string OracleText() const;
    // A key whose byte order is the order of the numbers, so that numbers sort by it byte by byte.
    std::string OrderKey() const;

private:
    DecimalNumber(mpz_class mantissa, long scale);
    void normalize(); // no trailing zero in the mantissa; 0 has scale 0

    mpz_class mantissa_; // value = mantissa_ x 10^-scale_
    long scale_ = 0;
};
