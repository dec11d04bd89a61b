// Field values and their conversions between numbers, texts and dates.
#include "platform/ado/Variant.h"

#include "platform/Clock.h"
#include "platform/DecimalNumber.h"
#include "platform/NumberValue.h"
#include "platform/TextUtil.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

// Days from 1970-01-01 of a civil date (proleptic Gregorian).
long long DaysFromCivil(long long y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

void CivilFromDays(long long z, int& y, int& m, int& d)
{
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(static_cast<long long>(yoe) + era * 400 + (m <= 2));
}

// 1899-12-30, the zero of the date numbers, counted from 1970-01-01.
constexpr long long kOleEpochDays = -25569;

bool ValidDate(int y, int m, int d)
{
    if (y < 100 || y > 9999 || m < 1 || m > 12 || d < 1)
        return false;
    static const int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (d > kDays[m - 1])
        return false;
    const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    return !(m == 2 && d == 29 && !leap);
}

double OleDate(int y, int m, int d, int hh, int nn, int ss)
{
    return static_cast<double>(DaysFromCivil(y, m, d) - kOleEpochDays) + (hh * 3600 + nn * 60 + ss) / 86400.0;
}

// Reads up to `maxDigits` digits at pos; false when there is none.
bool ReadInt(const std::string& s, size_t& pos, int& out, size_t maxDigits = 4)
{
    size_t start = pos;
    out = 0;
    while (pos < s.size() && pos - start < maxDigits && s[pos] >= '0' && s[pos] <= '9')
        out = out * 10 + (s[pos++] - '0');
    return pos > start;
}

} // namespace

Variant Variant::Null()
{
    Variant v;
    v.kind_ = Kind::Null;
    return v;
}

Variant Variant::FromDate(double oleDate)
{
    Variant v;
    v.kind_ = Kind::Date;
    v.double_ = oleDate;
    return v;
}

Variant Variant::FromCurrency(long long tenThousandths)
{
    Variant v;
    v.kind_ = Kind::Currency;
    v.long_ = tenThousandths;
    return v;
}

Variant Variant::FromNumber(const NumberValue& n)
{
    if (!n.BeyondDouble())
        return Variant(n.Real());
    Variant v;
    v.kind_ = Kind::Decimal;
    v.text_ = n.Exact().PlainText();
    return v;
}

Variant Variant::FromNumber(const DecimalNumber& n)
{
    return FromNumber(NumberValue::Of(n));
}

std::optional<Variant> Variant::FromNumberText(std::string_view text)
{
    const std::optional<NumberValue> n = NumberValue::Read(text);
    if (!n)
        return std::nullopt;
    return FromNumber(*n);
}

Variant Variant::FromDate(const LocalTime& t)
{
    return FromDate(OleDate(t.year, t.month, t.day, t.hour, t.minute, t.second) + t.millisecond / 86400000.0);
}

std::string Variant::ToText() const
{
    switch (kind_) {
    case Kind::Empty:
    case Kind::Null:
        return {};
    case Kind::Long:
        return std::to_string(long_);
    case Kind::Double:
        return FormatNumberText(double_);
    case Kind::Text:
    case Kind::Decimal:
        return text_;
    case Kind::Date:
        return FormatDateText(double_);
    case Kind::Bool:
        return long_ ? "True" : "False";
    case Kind::Currency:
        return FormatCurrencyText(long_);
    }
    return {};
}

std::optional<double> Variant::AsNumber() const
{
    switch (kind_) {
    case Kind::Empty:
        return 0.0;
    case Kind::Null:
        return std::nullopt;
    case Kind::Long:
        return static_cast<double>(long_);
    case Kind::Bool:
        return long_ ? -1.0 : 0.0;   // True is -1, as in the original's Booleans
    case Kind::Currency:
        return static_cast<double>(long_) / 10000.0;
    case Kind::Double:
    case Kind::Date:
        return double_;
    case Kind::Text:
    case Kind::Decimal:
        return ParseNumberText(text_);
    }
    return std::nullopt;
}

std::optional<DecimalNumber> Variant::ExactNumber() const
{
    switch (kind_) {
    case Kind::Null:
        return std::nullopt;
    case Kind::Empty:
        return DecimalNumber();
    case Kind::Long:
        return DecimalNumber::OfInteger(long_);
    case Kind::Bool:
        return DecimalNumber::OfInteger(long_ ? -1 : 0);
    case Kind::Currency:
        return DecimalNumber::Parse(FormatCurrencyText(long_));
    case Kind::Double:
    case Kind::Date:
        if (!std::isfinite(double_))
            return std::nullopt;
        return DecimalNumber::OfDouble(double_);
    case Kind::Text:
    case Kind::Decimal:
        return DecimalNumber::Parse(TrimWhite(text_));
    }
    return std::nullopt;
}

std::optional<double> Variant::AsDate() const
{
    if (kind_ == Kind::Text) {
        if (auto d = ParseDateText(text_))
            return d;
        return ParseNumberText(text_);
    }
    if (kind_ == Kind::Null)
        return std::nullopt;
    return AsNumber();
}

double Variant::ToDouble() const
{
    return AsNumber().value_or(0.0);
}

long long Variant::ToLong() const
{
    if (kind_ == Kind::Long || kind_ == Kind::Bool)
        return kind_ == Kind::Bool ? (long_ ? -1 : 0) : long_;
    if (kind_ == Kind::Currency) {
        // Exactly, half to even: a double would lose the last digits of a large amount.
        long long whole = long_ / 10000, rest = long_ % 10000;
        if (rest < 0) {
            whole -= 1;
            rest += 10000;
        }
        return whole + ((rest > 5000 || (rest == 5000 && whole % 2 != 0)) ? 1 : 0);
    }
    if (kind_ == Kind::Decimal) {
        // Exactly, half to even; beyond 64 bits the nearest end of the range.
        const DecimalNumber rounded = DecimalNumber::Parse(text_)->Rounded(0, DecimalNumber::Rounding::HalfToEven);
        if (const std::optional<long long> v = rounded.ToInteger())
            return *v;
        return rounded.Sign() < 0 ? INT64_MIN : INT64_MAX;
    }
    // Beyond 64 bits the nearest end of the range, which the conversion of a double cannot give.
    const double whole = std::nearbyint(ToDouble());
    if (whole >= 9223372036854775808.0)
        return INT64_MAX;
    if (!(whole >= -9223372036854775808.0))
        return whole < 0 ? INT64_MIN : 0; // NaN is 0
    return static_cast<long long>(whole);
}

bool Variant::ToBool() const
{
    if (kind_ == Kind::Text)
        return EqualsNoCase(Trim(text_), "True") || ToDouble() != 0;
    return ToDouble() != 0;
}

LocalTime Variant::ToLocalTime() const
{
    LocalTime t;
    const double v = AsDate().value_or(0.0);
    double days = std::floor(v);
    long long secs = std::llround((v - days) * 86400.0);
    if (secs >= 86400) {
        days += 1;
        secs -= 86400;
    }
    CivilFromDays(static_cast<long long>(days) + kOleEpochDays, t.year, t.month, t.day);
    t.hour = static_cast<int>(secs / 3600);
    t.minute = static_cast<int>(secs / 60 % 60);
    t.second = static_cast<int>(secs % 60);
    return t;
}

bool Variant::operator==(const Variant& o) const
{
    if (kind_ != o.kind_)
        return false;
    switch (kind_) {
    case Kind::Empty:
    case Kind::Null:
        return true;
    case Kind::Long:
    case Kind::Bool:
    case Kind::Currency:
        return long_ == o.long_;
    case Kind::Double:
    case Kind::Date:
        return double_ == o.double_;
    case Kind::Text:
    case Kind::Decimal:
        return text_ == o.text_;
    }
    return false;
}

std::optional<double> ParseNumberText(const std::string& text)
{
    const std::string t = TrimWhite(text);
    if (t.empty())
        return std::nullopt;
    const char* b = t.c_str();
    const char* e = b + t.size();
    if (*b == '+')
        ++b;
    double v = 0;
    auto [ptr, ec] = std::from_chars(b, e, v, std::chars_format::general);
    if (ec != std::errc() || ptr != e)
        return std::nullopt;
    return v;
}

std::string FormatNumberText(double v)
{
    if (std::isfinite(v) && v == std::trunc(v) && std::fabs(v) < 1e15)
        return std::to_string(static_cast<long long>(v));
    char buf[64];
    auto [ptr, ec] = std::to_chars(buf, buf + sizeof buf, v);
    const std::string text(buf, ptr);
    // Where the plain form is the shorter, a whole number from 10^15 on is written with every
    // digit of the double's binary value (9999999999999989760); the number the double stands for
    // is the shortest decimal that reads back as it (9999999999999990000), as long as that.
    if (std::isfinite(v) && v == std::trunc(v) && text.find_first_of("e.") == std::string::npos)
        return DecimalNumber::OfDouble(v).PlainText();
    return text;
}

std::optional<double> ParseDateText(const std::string& text)
{
    const std::string s = TrimWhite(text);
    size_t pos = 0;
    int a = 0, b = 0, c = 0;
    if (!ReadInt(s, pos, a) || pos >= s.size())
        return std::nullopt;
    const char sep = s[pos];
    if (sep != '-' && sep != '/' && sep != '.')
        return std::nullopt;
    ++pos;
    if (!ReadInt(s, pos, b, 2) || pos >= s.size() || s[pos] != sep)
        return std::nullopt;
    ++pos;
    if (!ReadInt(s, pos, c))
        return std::nullopt;
    int y, m, d;
    if (sep == '-') {
        y = a, m = b, d = c;
    } else if (sep == '/') {
        m = a, d = b, y = c;   // the US order that date literals between "#" use
    } else {
        d = a, m = b, y = c;
    }
    int hh = 0, nn = 0, ss = 0;
    if (pos < s.size() && (s[pos] == ' ' || s[pos] == 'T')) {
        while (pos < s.size() && (s[pos] == ' ' || s[pos] == 'T'))
            ++pos;
        if (!ReadInt(s, pos, hh, 2) || pos >= s.size() || s[pos] != ':')
            return std::nullopt;
        ++pos;
        if (!ReadInt(s, pos, nn, 2))
            return std::nullopt;
        if (pos < s.size() && s[pos] == ':') {
            ++pos;
            if (!ReadInt(s, pos, ss, 2))
                return std::nullopt;
        }
        if (hh > 23 || nn > 59 || ss > 59)
            return std::nullopt;
    }
    if (pos != s.size() || !ValidDate(y, m, d))
        return std::nullopt;
    return OleDate(y, m, d, hh, nn, ss);
}

std::string FormatDateText(double oleDate)
{
    const LocalTime t = Variant::FromDate(oleDate).ToLocalTime();
    char buf[40];
    if (t.hour == 0 && t.minute == 0 && t.second == 0)
        std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", t.year, t.month, t.day);
    else
        std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour,
                      t.minute, t.second);
    return buf;
}

std::optional<long long> ParseCurrencyText(const std::string& text)
{
    const std::optional<DecimalNumber> n = DecimalNumber::Parse(TrimWhite(text));
    if (!n)
        return std::nullopt;
    // Ten-thousandths, the last one rounded half to even: whole within 64 bits, or beyond the range.
    return (*n * DecimalNumber::OfInteger(10000)).Rounded(0, DecimalNumber::Rounding::HalfToEven).ToInteger();
}

std::optional<long long> CurrencyOfDouble(double v)
{
    if (!std::isfinite(v) || std::fabs(v) > 1e15)
        return std::nullopt;
    // From 10^11 on, the four decimals and the whole digits are more than the 15 a double keeps:
    // its exact value there shows its binary digits (100000000000000.1 as ...0.0938), so the
    // number it stands for, the shortest decimal that reads back as it, is rounded instead.
    if (std::fabs(v) >= 1e11)
        return (DecimalNumber::OfDouble(v) * DecimalNumber::OfInteger(10000))
            .Rounded(0, DecimalNumber::Rounding::HalfToEven)
            .ToInteger();
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.4f", v);   // the double's exact value, rounded half to even
    return ParseCurrencyText(buf);
}

std::string FormatCurrencyText(long long tenThousandths)
{
    const bool negative = tenThousandths < 0;
    const unsigned long long amount =
        negative ? 0ULL - static_cast<unsigned long long>(tenThousandths) : static_cast<unsigned long long>(tenThousandths);
    std::string text = (negative ? "-" : "") + std::to_string(amount / 10000);
    if (const unsigned long long rest = amount % 10000; rest != 0) {
        char decimals[8];
        std::snprintf(decimals, sizeof decimals, "%04llu", rest);
        std::string d = decimals;
        d.erase(d.find_last_not_of('0') + 1);
        text += "." + d;
    }
    return text;
}
