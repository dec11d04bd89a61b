// The value of a recordset field: Empty, Null, a whole number, a floating number, a text, a
// date or a Boolean, converted the way the original's values are.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

struct LocalTime;

class Variant {
public:
    enum class Kind { Empty, Null, Long, Double, Text, Date, Bool };

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

    Kind kind() const { return kind_; }
    bool IsNull() const { return kind_ == Kind::Null; }
    bool IsEmpty() const { return kind_ == Kind::Empty; }
    bool IsNumber() const { return kind_ == Kind::Long || kind_ == Kind::Double || kind_ == Kind::Bool; }

    // Text form: Empty and Null give "", numbers their shortest exact form, Booleans "True" or
    // "False", dates "yyyy-mm-dd" or "yyyy-mm-dd hh:nn:ss".
    std::string ToText() const;
    // Numeric form: Empty and Null give 0; a text that is not a number gives 0 (see AsNumber).
    double ToDouble() const;
    long long ToLong() const;   // rounded half to even, like the original's conversion
    bool ToBool() const;
    // The number a value stands for, or nothing when it is a text that is no number, or Null.
    std::optional<double> AsNumber() const;
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
// Shortest text that reads back as the same double; whole numbers without a point.
std::string FormatNumberText(double v);
