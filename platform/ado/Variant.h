// The value of a recordset field: Empty, Null, a whole number, a floating number, a text, a
// date, a Boolean, a currency amount or a decimal number of more digits than a double holds,
// converted the way the original's values are.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

class DecimalNumber;
struct LocalTime;
struct NumberValue;

class Variant {
public:
    enum class Kind { Empty, Null, Long, Double, Text, Date, Bool, Currency, Decimal };

    Variant() = default;
    Variant(int v) : kind_(Kind::Long), long_(v) {}
    Variant(long v) : kind_(Kind::Long), long_(v) {}
    Variant(long long v) : kind_(Kind::Long), long_(v) {}
    Variant(double v) : kind_(Kind::Double), double_(v) {}
    Variant(bool v) : kind_(Kind::Bool), long_(v ? 1 : 0) {}
    Variant(std::string v) : kind_(Kind::Text), text_(std::move(v)) {}
    Variant(const char* v) : kind_(Kind::Text), text_(v) {}

    static Variant Null();
    // A date as days since 30 December 1899 with the time as the fraction of a day.
    static Variant FromDate(double oleDate);
    static Variant FromDate(const LocalTime& t);
    // A currency amount: a whole number of ten-thousandths, exact over the whole range
    // -922337203685477.5808 to 922337203685477.5807.
    static Variant FromCurrency(long long tenThousandths);
    // A number of a numeric field: a Decimal, holding every digit, for a number of more
    // significant digits than a double holds and for a whole number of more than 15 digits
    // (which a double would show rounded or in exponent form); a Double for any other (the fast
    // path). A whole number stays whole only in a whole-number field (Variant(long long)).
    static Variant FromNumber(const NumberValue& n);
    static Variant FromNumber(const DecimalNumber& n);
    // The number a text reads as (NumberValue::Read) in the form FromNumber gives it; nothing
    // for a text that is no number.
    static std::optional<Variant> FromNumberText(std::string_view text);

    Kind kind() const { return kind_; }
    bool IsNull() const { return kind_ == Kind::Null; }
    bool IsEmpty() const { return kind_ == Kind::Empty; }
    bool IsNumber() const
    {
        return kind_ == Kind::Long || kind_ == Kind::Double || kind_ == Kind::Bool || kind_ == Kind::Currency ||
               kind_ == Kind::Decimal;
    }
    // The amount in ten-thousandths of a currency value; nothing for any other kind.
    std::optional<long long> CurrencyAmount() const
    {
        return kind_ == Kind::Currency ? std::optional<long long>(long_) : std::nullopt;
    }

    // Text form: Empty and Null give "", numbers their shortest exact form (a currency amount
    // with every decimal it holds, a decimal every digit written plainly: "12345678901234567891",
    // "-0.000123"), Booleans "True" or "False", dates "yyyy-mm-dd" or "yyyy-mm-dd hh:nn:ss".
    std::string ToText() const;
    // Numeric form: Empty and Null give 0; a text that is not a number gives 0 (see AsNumber).
    double ToDouble() const;
    long long ToLong() const;   // rounded half to even, like the original's conversion (a decimal exactly)
    bool ToBool() const;
    // The number a value stands for, or nothing when it is a text that is no number, or Null.
    // A decimal gives the nearest double.
    std::optional<double> AsNumber() const;
    // The same number with every digit: a double as the shortest decimal that reads back as it,
    // a decimal or a text of a number as written. Nothing where AsNumber gives nothing, and for
    // an infinity.
    std::optional<DecimalNumber> ExactNumber() const;
    // The date a value stands for (dates, numbers as day counts, date texts), or nothing.
    std::optional<double> AsDate() const;
    LocalTime ToLocalTime() const;

    // Same kind and value; Null equals Null.
    bool operator==(const Variant& o) const;

private:
    Kind kind_ = Kind::Empty;
    long long long_ = 0;
    double double_ = 0;
    std::string text_;
};

// "yyyy-mm-dd", "yyyy-mm-dd hh:nn[:ss]", "mm/dd/yyyy [hh:nn[:ss]]" and "dd.mm.yyyy [...]"
// read as a date; nothing for anything else.
std::optional<double> ParseDateText(const std::string& text);
// "yyyy-mm-dd" when the time is midnight, else "yyyy-mm-dd hh:nn:ss".
std::string FormatDateText(double oleDate);
// A whole text that is a decimal number (blanks around allowed, "." as separator).
std::optional<double> ParseNumberText(const std::string& text);
// Shortest text that reads back as the same double; whole numbers without a point, and a whole
// number written plainly with the digits of the number the double stands for, never its binary
// digits (9999999999999990000, not 9999999999999989760).
std::string FormatNumberText(double v);

// A decimal number text (blanks around, a sign, "." and an exponent allowed) as a currency
// amount in ten-thousandths, exactly, rounded half to even at the fourth decimal; nothing for a
// text that is no number or a number beyond the currency range.
std::optional<long long> ParseCurrencyText(const std::string& text);
// The currency amount a double rounds to at the fourth decimal, never its binary digits beyond the
// 15 a double keeps; nothing beyond the range.
std::optional<long long> CurrencyOfDouble(double v);
// "-922337203685477.5808", "12.5", "3": the amount without trailing zeros of its decimals.
std::string FormatCurrencyText(long long tenThousandths);
