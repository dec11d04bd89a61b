// Values as the server stores and compares them, for the looks of the project copy.
#include "projcopy/StoredValue.h"

#include "platform/TextUtil.h"

#include <algorithm>
#include <cstdlib>

namespace {

// A char value as the server compares it: blank-padded, so trailing blanks do not count.
std::string padded(const std::optional<std::string>& v)
{
    std::string t = v.value_or("");
    t.erase(std::min(t.find_last_not_of(' ') + 1, t.size()));
    return t;
}

} // namespace

std::string PlainDecimal(const std::string& text)
{
    std::string t = Trim(text);
    bool negative = false;
    if (!t.empty() && (t[0] == '-' || t[0] == '+')) {
        negative = t[0] == '-';
        t.erase(0, 1);
    }
    const size_t point = t.find('.');
    std::string whole = t.substr(0, point), part = point == std::string::npos ? std::string() : t.substr(point + 1);
    auto digits = [](const std::string& s) {
        return std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
    };
    if ((whole.empty() && part.empty()) || !digits(whole) || !digits(part))
        return {};
    whole.erase(0, std::min(whole.find_first_not_of('0'), whole.size()));
    part.erase(std::min(part.find_last_not_of('0') + 1, part.size()));
    if (part.find_first_not_of('0') == std::string::npos)
        part.clear();
    std::string out = whole.empty() ? "0" : whole;
    if (!part.empty())
        out += "." + part;
    return negative && out != "0" ? "-" + out : out;
}

int ScaleOf(const std::string& type)
{
    const std::string t = ToLower(Trim(type));
    if (t.rfind("int", 0) == 0 || t.rfind("smallint", 0) == 0 || t.rfind("integer", 0) == 0)
        return 0;
    if (t.rfind("decimal", 0) != 0)
        return -1;
    const size_t comma = t.find(','), close = t.find(')');
    if (t.find('(') == std::string::npos)
        return -1;
    if (comma == std::string::npos || close == std::string::npos || close < comma)
        return 0;
    const std::string digits = Trim(t.substr(comma + 1, close - comma - 1));
    return !digits.empty() && digits.find_first_not_of("0123456789") == std::string::npos ? std::stoi(digits) : -1;
}

std::string RoundedTo(const std::string& plain, int scale)
{
    if (scale < 0 || plain.empty())
        return plain;
    const bool negative = plain[0] == '-';
    const std::string t = negative ? plain.substr(1) : plain;
    const size_t point = t.find('.');
    const std::string part = point == std::string::npos ? std::string() : t.substr(point + 1);
    if (static_cast<int>(part.size()) <= scale)
        return plain;
    std::string digits = t.substr(0, point) + part.substr(0, static_cast<size_t>(scale));
    if (part[static_cast<size_t>(scale)] >= '5') {
        long i = static_cast<long>(digits.size()) - 1;
        for (; i >= 0 && digits[static_cast<size_t>(i)] == '9'; --i)
            digits[static_cast<size_t>(i)] = '0';
        if (i < 0)
            digits.insert(0, "1");
        else
            ++digits[static_cast<size_t>(i)];
    }
    const size_t whole = digits.size() - static_cast<size_t>(scale);
    std::string out = digits.substr(0, whole).empty() ? "0" : digits.substr(0, whole);
    if (scale > 0)
        out += "." + digits.substr(whole);
    return PlainDecimal((negative ? "-" : "") + out);
}

bool SameStoredValue(const std::optional<std::string>& stored, const std::optional<std::string>& written, bool text,
                     const std::string& type)
{
    // A Null is no text of blanks, whatever the padding.
    if (text)
        return stored.has_value() == written.has_value() && padded(stored) == padded(written);
    const std::string x = Trim(stored.value_or("")), y = Trim(written.value_or(""));
    if (x.empty() || y.empty())
        return x == y;
    const std::string px = PlainDecimal(x), py = RoundedTo(PlainDecimal(y), ScaleOf(type));
    if (!px.empty() && !py.empty())
        return px == py;
    char* endX = nullptr;
    char* endY = nullptr;
    const double dx = std::strtod(x.c_str(), &endX), dy = std::strtod(y.c_str(), &endY);
    if (*endX || *endY)
        return x == y;
    return dx == dy;
}

