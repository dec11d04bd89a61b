// Decimal numbers of any length on GMP's whole numbers.
#include "platform/DecimalNumber.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace {

// Beyond these decimal exponents a number is no number the database or a double holds: larger
// ones overflow, smaller ones are 0. Keeping them bounded keeps every computation small.
constexpr long kLargestExponent = 400;
constexpr long kSmallestExponent = -400;

mpz_class powerOfTen(unsigned long n)
{
    mpz_class p;
    mpz_ui_pow_ui(p.get_mpz_t(), 10, n);
    return p;
}

std::string digitsOf(const mpz_class& m)
{
    std::string s = m.get_str();
    if (!s.empty() && s[0] == '-')
        s.erase(0, 1);
    return s;
}

} // namespace

DecimalNumber::DecimalNumber(mpz_class mantissa, long scale) : mantissa_(std::move(mantissa)), scale_(scale)
{
    normalize();
}

void DecimalNumber::normalize()
{
    if (mantissa_ == 0) {
        scale_ = 0;
        return;
    }
    while (mpz_divisible_ui_p(mantissa_.get_mpz_t(), 10)) {
        mpz_divexact_ui(mantissa_.get_mpz_t(), mantissa_.get_mpz_t(), 10);
        --scale_;
    }
    if (Exponent() > kLargestExponent) { // an overflow whatever its digits: kept as one
        mantissa_ = Sign();
        scale_ = -kLargestExponent;
    } else if (Exponent() < kSmallestExponent) {
        mantissa_ = 0;
        scale_ = 0;
    }
}

std::optional<DecimalNumber> DecimalNumber::Parse(std::string_view text)
{
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return std::nullopt;
    text = text.substr(first, text.find_last_not_of(' ') - first + 1);
    size_t p = 0;
    bool negative = false;
    if (text[p] == '+' || text[p] == '-')
        negative = text[p++] == '-';
    std::string digits;
    long decimals = 0;
    for (; p < text.size() && std::isdigit(static_cast<unsigned char>(text[p])); ++p)
        digits += text[p];
    if (p < text.size() && text[p] == '.')
        for (++p; p < text.size() && std::isdigit(static_cast<unsigned char>(text[p])); ++p, ++decimals)
            digits += text[p];
    if (digits.empty())
        return std::nullopt;
    long exponent = 0;
    if (p < text.size() && (text[p] == 'e' || text[p] == 'E')) {
        ++p;
        bool down = false;
        if (p < text.size() && (text[p] == '+' || text[p] == '-'))
            down = text[p++] == '-';
        const size_t start = p;
        for (; p < text.size() && std::isdigit(static_cast<unsigned char>(text[p])); ++p)
            exponent = std::min(exponent * 10 + (text[p] - '0'), 100000000L); // far beyond any number
        if (p == start)
            return std::nullopt;
        if (down)
            exponent = -exponent;
    }
    if (p != text.size())
        return std::nullopt;
    const size_t lead = digits.find_first_not_of('0');
    if (lead == std::string::npos)
        return DecimalNumber();
    mpz_class m(digits.substr(lead), 10);
    if (negative)
        m = -m;
    return DecimalNumber(std::move(m), decimals - exponent);
}

DecimalNumber DecimalNumber::OfInteger(long long v)
{
    mpz_class m;
    mpz_set_si(m.get_mpz_t(), v);
    return DecimalNumber(std::move(m), 0);
}

DecimalNumber DecimalNumber::OfDouble(double v)
{
    if (v == 0.0 || !std::isfinite(v))
        return DecimalNumber();
    // The shortest digits, whatever the program's locale says a decimal point is.
    char buf[64];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific);
    return ec == std::errc() ? *Parse(std::string_view(buf, static_cast<size_t>(end - buf))) : DecimalNumber();
}

int DecimalNumber::Digits() const
{
    if (IsZero())
        return 0;
    if (mantissa_.fits_slong_p()) {
        const long v = mantissa_.get_si();
        unsigned long m = v < 0 ? 0UL - static_cast<unsigned long>(v) : static_cast<unsigned long>(v);
        int n = 0;
        for (; m > 0; m /= 10)
            ++n;
        return n;
    }
    return static_cast<int>(digitsOf(mantissa_).size());
}

int DecimalNumber::Compare(const DecimalNumber& other) const
{
    const int a = Sign(), b = other.Sign();
    if (a != b || a == 0)
        return a < b ? -1 : a > b ? 1 : 0;
    // Of two numbers of one sign, the one with more digits before the point is the farther from 0.
    const long ea = Exponent(), eb = other.Exponent();
    if (ea != eb)
        return (ea > eb) == (a > 0) ? 1 : -1;
    if (scale_ == other.scale_)
        return cmp(mantissa_, other.mantissa_) < 0 ? -1 : cmp(mantissa_, other.mantissa_) > 0 ? 1 : 0;
    const long scale = std::max(scale_, other.scale_);
    const mpz_class x = mantissa_ * powerOfTen(static_cast<unsigned long>(scale - scale_));
    const mpz_class y = other.mantissa_ * powerOfTen(static_cast<unsigned long>(scale - other.scale_));
    return cmp(x, y) < 0 ? -1 : cmp(x, y) > 0 ? 1 : 0;
}

DecimalNumber DecimalNumber::operator+(const DecimalNumber& other) const
{
    if (other.IsZero())
        return *this;
    if (IsZero())
        return other;
    const long scale = std::max(scale_, other.scale_);
    return DecimalNumber(mantissa_ * powerOfTen(static_cast<unsigned long>(scale - scale_)) +
                             other.mantissa_ * powerOfTen(static_cast<unsigned long>(scale - other.scale_)),
                         scale);
}

DecimalNumber DecimalNumber::operator-(const DecimalNumber& other) const { return *this + other.Negated(); }

DecimalNumber DecimalNumber::operator*(const DecimalNumber& other) const
{
    return DecimalNumber(mantissa_ * other.mantissa_, scale_ + other.scale_);
}

DecimalNumber DecimalNumber::Negated() const
{
    DecimalNumber n = *this;
    n.mantissa_ = -n.mantissa_;
    return n;
}

DecimalNumber DecimalNumber::Divide(const DecimalNumber& dividend, const DecimalNumber& divisor, int digits)
{
    if (dividend.IsZero() || divisor.IsZero())
        return DecimalNumber();
    // The whole quotient of the dividend scaled up has one digit more than is kept: that digit
    // decides the rounding, as what it cuts off is less than one unit of it.
    const long up = std::max(0L, static_cast<long>(digits) + 1 + divisor.Digits() - dividend.Digits());
    const mpz_class q = abs(dividend.mantissa_) * powerOfTen(static_cast<unsigned long>(up)) / abs(divisor.mantissa_);
    DecimalNumber quotient(dividend.Sign() == divisor.Sign() ? q : mpz_class(-q),
                           up + dividend.scale_ - divisor.scale_);
    return quotient.RoundedToDigits(digits);
}

DecimalNumber DecimalNumber::Remainder(const DecimalNumber& dividend, const DecimalNumber& divisor)
{
    if (divisor.IsZero())
        return dividend;
    const long scale = std::max(dividend.scale_, divisor.scale_);
    const mpz_class x = dividend.mantissa_ * powerOfTen(static_cast<unsigned long>(scale - dividend.scale_));
    const mpz_class y = divisor.mantissa_ * powerOfTen(static_cast<unsigned long>(scale - divisor.scale_));
    mpz_class r;
    mpz_tdiv_r(r.get_mpz_t(), x.get_mpz_t(), y.get_mpz_t());
    return DecimalNumber(std::move(r), scale);
}

DecimalNumber DecimalNumber::Rounded(long scale, Rounding rounding) const
{
    if (scale_ <= scale)
        return *this;
    if (Exponent() < -scale)
        return DecimalNumber(); // less than a tenth of the last digit kept
    const mpz_class unit = powerOfTen(static_cast<unsigned long>(scale_ - scale));
    mpz_class q, r;
    mpz_tdiv_qr(q.get_mpz_t(), r.get_mpz_t(), mantissa_.get_mpz_t(), unit.get_mpz_t());
    const int half = cmp(abs(r) * 2, unit); // what is cut off against half a unit
    if ((rounding == Rounding::HalfAwayFromZero && half >= 0) ||
        (rounding == Rounding::HalfToEven && (half > 0 || (half == 0 && mpz_odd_p(q.get_mpz_t())))))
        q += Sign();
    return DecimalNumber(std::move(q), scale);
}

DecimalNumber DecimalNumber::RoundedToDigits(int digits) const
{
    const int have = Digits();
    if (have <= digits)
        return *this;
    return Rounded(scale_ - (have - digits));
}

std::optional<long long> DecimalNumber::ToInteger() const
{
    if (!IsWhole() || Exponent() > 19)
        return std::nullopt;
    const mpz_class whole = mantissa_ * powerOfTen(static_cast<unsigned long>(-scale_));
    if (!whole.fits_slong_p())
        return std::nullopt;
    return whole.get_si();
}

double DecimalNumber::ToDouble() const
{
    if (IsZero())
        return 0.0;
    if (Exponent() > 310)
        return Sign() * std::numeric_limits<double>::infinity();
    const std::string text = mantissa_.get_str() + "e" + std::to_string(-scale_);
    double d = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), d);
    if (ec == std::errc::result_out_of_range) // below the least double: 0
        return Exponent() > 0 ? Sign() * std::numeric_limits<double>::infinity() : 0.0 * Sign();
    return d;
}

std::string DecimalNumber::PlainText() const
{
    if (IsZero())
        return "0";
    const std::string sign = Sign() < 0 ? "-" : "";
    const std::string digits = digitsOf(mantissa_);
    if (scale_ <= 0)
        return sign + digits + std::string(static_cast<size_t>(-scale_), '0');
    const size_t decimals = static_cast<size_t>(scale_);
    if (decimals >= digits.size())
        return sign + "0." + std::string(decimals - digits.size(), '0') + digits;
    return sign + digits.substr(0, digits.size() - decimals) + "." + digits.substr(digits.size() - decimals);
}

std::string DecimalNumber::FixedText(int decimals) const
{
    const DecimalNumber r = Rounded(decimals);
    if (decimals <= 0 || r.IsZero())
        return decimals <= 0 ? r.PlainText() : "0." + std::string(static_cast<size_t>(decimals), '0');
    std::string text = r.PlainText();
    const size_t point = text.find('.');
    const size_t have = point == std::string::npos ? 0 : text.size() - point - 1;
    if (point == std::string::npos)
        text += '.';
    return text + std::string(static_cast<size_t>(decimals) - have, '0');
}

std::string DecimalNumber::OracleText() const
{
    std::string text = PlainText();
    if (text.rfind("0.", 0) == 0)
        text.erase(0, 1);
    else if (text.rfind("-0.", 0) == 0)
        text.erase(1, 1);
    if (text.size() <= 64)
        return text;
    const std::string digits = digitsOf(mantissa_);
    const long e = Exponent() - 1;
    char exponent[24];
    std::snprintf(exponent, sizeof exponent, "E%c%02ld", e < 0 ? '-' : '+', std::labs(e));
    return std::string(Sign() < 0 ? "-" : "") + digits.substr(0, 1) +
           (digits.size() > 1 ? "." + digits.substr(1) : std::string()) + exponent;
}

std::string DecimalNumber::OrderKey() const
{
    if (IsZero())
        return std::string(1, '\x02');
    const bool negative = Sign() < 0;
    // The exponent first (the farther from 0, the larger), then the digits; for a negative
    // number every byte inverted, and a last byte above any digit, so that -0.1 sorts after -0.12.
    const unsigned long biased = static_cast<unsigned long>(Exponent() + 0x80000000L);
    std::string key(1, negative ? '\x01' : '\x03');
    for (int shift = 24; shift >= 0; shift -= 8) {
        const unsigned char b = static_cast<unsigned char>((biased >> shift) & 0xFF);
        key += static_cast<char>(negative ? 0xFF - b : b);
    }
    for (char d : digitsOf(mantissa_))
        key += static_cast<char>(negative ? 0xFF - static_cast<unsigned char>(d) : static_cast<unsigned char>(d));
    if (negative)
        key += '\xFF';
    return key;
}
