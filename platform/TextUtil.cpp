// Byte-string helpers.
#include "platform/TextUtil.h"

#include <algorithm>
#include <cctype>

namespace {
char up(char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); }
char low(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }
} // namespace

std::string ToUpper(std::string_view s)
{
    std::string r(s);
    std::transform(r.begin(), r.end(), r.begin(), up);
    return r;
}

std::string ToLower(std::string_view s)
{
    std::string r(s);
    std::transform(r.begin(), r.end(), r.begin(), low);
    return r;
}

bool EqualsNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (low(a[i]) != low(b[i]))
            return false;
    return true;
}

bool NoCaseLess::operator()(std::string_view a, std::string_view b) const
{
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return static_cast<unsigned char>(low(x)) < static_cast<unsigned char>(low(y));
    });
}

bool ContainsNoCase(const std::vector<std::string>& names, std::string_view name)
{
    for (const std::string& n : names)
        if (EqualsNoCase(n, name))
            return true;
    return false;
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix)
{
    return s.size() >= prefix.size() && EqualsNoCase(s.substr(0, prefix.size()), prefix);
}

bool EndsWithNoCase(std::string_view s, std::string_view suffix)
{
    return s.size() >= suffix.size() && EqualsNoCase(s.substr(s.size() - suffix.size()), suffix);
}

size_t FindNoCase(std::string_view hay, std::string_view needle, size_t from)
{
    if (needle.empty())
        return from <= hay.size() ? from : std::string_view::npos;
    if (hay.size() < needle.size())
        return std::string_view::npos;
    for (size_t i = from; i + needle.size() <= hay.size(); ++i)
        if (EqualsNoCase(hay.substr(i, needle.size()), needle))
            return i;
    return std::string_view::npos;
}

std::string TrimLeft(std::string_view s)
{
    size_t b = s.find_first_not_of(' ');
    return b == std::string_view::npos ? std::string() : std::string(s.substr(b));
}

std::string TrimRight(std::string_view s)
{
    size_t e = s.find_last_not_of(' ');
    return e == std::string_view::npos ? std::string() : std::string(s.substr(0, e + 1));
}

std::string Trim(std::string_view s) { return TrimRight(TrimLeft(s)); }

std::string Capitalised(std::string_view s)
{
    std::string text(s);
    if (!text.empty())
        text[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
    return text;
}

std::string WithoutEndingPeriods(std::string_view s)
{
    while (!s.empty() && s.back() == '.')
        s.remove_suffix(1);
    return std::string(s);
}

std::string TrimWhite(std::string_view s)
{
    const char* ws = " \t\r\n";
    size_t b = s.find_first_not_of(ws);
    if (b == std::string_view::npos)
        return {};
    size_t e = s.find_last_not_of(ws);
    return std::string(s.substr(b, e - b + 1));
}

bool IsBlank(std::string_view s) { return s.find_first_not_of(' ') == std::string_view::npos; }

std::vector<std::string> Split(std::string_view s, std::string_view sep)
{
    std::vector<std::string> out;
    if (sep.empty()) {
        out.emplace_back(s);
        return out;
    }
    size_t pos = 0;
    for (;;) {
        size_t n = s.find(sep, pos);
        if (n == std::string_view::npos) {
            out.emplace_back(s.substr(pos));
            return out;
        }
        out.emplace_back(s.substr(pos, n - pos));
        pos = n + sep.size();
    }
}

std::string Join(const std::vector<std::string>& parts, std::string_view sep)
{
    std::string r;
    for (size_t i = 0; i < parts.size(); ++i) {
        if (i)
            r += sep;
        r += parts[i];
    }
    return r;
}

std::string ReplaceAll(std::string s, std::string_view from, std::string_view to)
{
    if (from.empty())
        return s;
    size_t pos = 0;
    while ((pos = s.find(from, pos)) != std::string::npos) {
        s.replace(pos, from.size(), to);
        pos += to.size();
    }
    return s;
}

bool IsIdentifier(std::string_view s)
{
    if (s.empty())
        return false;
    return std::all_of(s.begin(), s.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
    });
}

bool GlobMatch(std::string_view pattern, std::string_view text, const GlobRules& rules)
{
    auto isAny = [&](char c) { return rules.anyRun.find(c) != std::string_view::npos; };
    auto isOne = [&](char c) { return rules.oneChar.find(c) != std::string_view::npos; };
    auto same = [&](char a, char b) { return rules.ignoreCase ? low(a) == low(b) : a == b; };
    size_t p = 0, t = 0, star = std::string_view::npos, mark = 0;
    while (t < text.size()) {
        if (p < pattern.size() && isAny(pattern[p])) {
            star = p++;
            mark = t;
        } else if (p < pattern.size() && (isOne(pattern[p]) || same(pattern[p], text[t]))) {
            ++p;
            ++t;
        } else if (star != std::string_view::npos) {
            p = star + 1;
            t = ++mark;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && isAny(pattern[p]))
        ++p;
    return p == pattern.size();
}
