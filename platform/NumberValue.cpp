// Numbers in the form the database keeps them in.
#include "platform/NumberValue.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>

namespace {

// How many significant digits a number text has, from its first digit that is not 0 (its
// trailing zeros counted): at most 15 are always the digits of the nearest double.
size_t significantDigits(std::string_view digits)
{
    const size_t lead = digits.find_first_not_of("0.");
    if (lead == std::string_view::npos)
        return 0;
    size_t n = 0;
    for (size_t i = lead; i < digits.size(); ++i)
        n += digits[i] != '.';
    return n;
}

} // namespace

NumberValue NumberValue::Of(const DecimalNumber& n)
{
    if (const std::optional<long long> i = n.ToInteger())
        return NumberValue{true, *i, 0, std::nullopt};
    if (n.Digits() <= kDoubleDigits && n.Exponent() >= -300 && n.Exponent() <= 300)
        return NumberValue{false, 0, n.ToDouble(), std::nullopt};
    if (n.Exponent() > 300 && !std::isfinite(n.ToDouble()))
        return NumberValue{false, 0, n.ToDouble(), std::nullopt}; // beyond any number: the overflow it is
    return NumberValue{false, 0, 0, n};
}

DecimalNumber NumberValue::Exact() const
{
    if (whole)
        return DecimalNumber::OfInteger(i);
    return wide ? *wide : DecimalNumber::OfDouble(d);
}

std::optional<NumberValue> NumberValue::Read(std::string_view text)
{
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return std::nullopt;
    text = text.substr(first, text.find_last_not_of(' ') - first + 1);
    size_t p = 0, digits = 0;
    bool plain = true;
    if (p < text.size() && (text[p] == '+' || text[p] == '-'))
        ++p;
    const size_t mantissa = p;
    for (; p < text.size() && std::isdigit(static_cast<unsigned char>(text[p])); ++p)
        ++digits;
    if (p < text.size() && text[p] == '.') {
        plain = false;
        for (++p; p < text.size() && std::isdigit(static_cast<unsigned char>(text[p])); ++p)
            ++digits;
    }
    if (digits == 0)
        return std::nullopt;
    const size_t mantissaEnd = p;
    if (p < text.size() && (text[p] == 'e' || text[p] == 'E')) {
        plain = false;
        ++p;
        if (p < text.size() && (text[p] == '+' || text[p] == '-'))
            ++p;
        const size_t exponent = p;
        while (p < text.size() && std::isdigit(static_cast<unsigned char>(text[p])))
            ++p;
        if (p == exponent)
            return std::nullopt;
    }
    if (p != text.size())
        return std::nullopt;
    const char* from = text.data() + (text[0] == '+' ? 1 : 0);
    const char* to = text.data() + text.size();
    if (plain) {
        long long v = 0;
        const auto [end, ec] = std::from_chars(from, to, v);
        if (ec == std::errc() && end == to)
            return NumberValue{true, v, 0, std::nullopt};
    }
    // More digits than a double holds: every one of them is kept.
    if (digits > kDoubleDigits &&
        significantDigits(text.substr(mantissa, mantissaEnd - mantissa)) > static_cast<size_t>(kDoubleDigits))
        return Of(*DecimalNumber::Parse(text));
    double d = 0;
    const auto [end, ec] = std::from_chars(from, to, d);
    if (ec == std::errc() && end == to)
        return NumberValue{false, 0, d, std::nullopt};
    // Beyond a double: infinity or 0 (read without the locale's decimal point: the connections
    // run inside the windows' process).
    const std::optional<DecimalNumber> beyond = DecimalNumber::Parse(text);
    return NumberValue{false, 0, beyond ? beyond->ToDouble() : 0.0, std::nullopt};
}

int NumberValue::Compare(const NumberValue& a, const NumberValue& b)
{
    if (a.whole && b.whole)
        return a.i < b.i ? -1 : a.i > b.i ? 1 : 0;
    // A double, and a whole number a double holds exactly, compare as doubles; an infinity
    // (beyond every number kept) has no digits to compare.
    constexpr long long kExactWhole = 1LL << 53;
    const auto real = [&](const NumberValue& n) {
        return !n.IsWide() && (!n.whole || (n.i >= -kExactWhole && n.i <= kExactWhole));
    };
    const double x = a.Real(), y = b.Real();
    if ((real(a) && real(b)) || !std::isfinite(x) || !std::isfinite(y))
        return x < y ? -1 : x > y ? 1 : 0;
    return a.Exact().Compare(b.Exact());
}
