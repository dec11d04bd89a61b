// Inputs, names and the definition lists of the column length change.
#include "dbtools/CharColumnChange.h"

#include "dbaccess/SqlLiteral.h"
#include "platform/TextUtil.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace {

// The pattern operator of the system's language: "*" any run, "?" one character, "#" one
// digit, "[abc]", "[a-z]" and "[!abc]" one character of (or not of) the list.
bool PatternMatch(std::string_view pattern, std::string_view text)
{
    if (pattern.empty())
        return text.empty();
    const char p = pattern[0];
    if (p == '*') {
        for (size_t i = 0; i <= text.size(); ++i)
            if (PatternMatch(pattern.substr(1), text.substr(i)))
                return true;
        return false;
    }
    if (text.empty())
        return false;
    const char c = text[0];
    if (p == '?')
        return PatternMatch(pattern.substr(1), text.substr(1));
    if (p == '#')
        return std::isdigit(static_cast<unsigned char>(c)) && PatternMatch(pattern.substr(1), text.substr(1));
    if (p == '[') {
        const size_t close = pattern.find(']', 1);
        if (close == std::string_view::npos)
            return c == '[' && PatternMatch(pattern.substr(1), text.substr(1));
        std::string_view list = pattern.substr(1, close - 1);
        const bool negate = !list.empty() && list[0] == '!';
        if (negate)
            list.remove_prefix(1);
        bool in = false;
        for (size_t i = 0; i < list.size(); ++i) {
            if (i + 2 < list.size() && list[i + 1] == '-') {
                in = in || (c >= list[i] && c <= list[i + 2]);
                i += 2;
            } else {
                in = in || c == list[i];
            }
        }
        return in != negate && PatternMatch(pattern.substr(close + 1), text.substr(1));
    }
    return p == c && PatternMatch(pattern.substr(1), text.substr(1));
}

} // namespace

double LeadingNumber(const std::string& text)
{
    const std::string t = TrimLeft(text);
    size_t i = 0;
    if (i < t.size() && (t[i] == '+' || t[i] == '-'))
        ++i;
    const size_t digitsFrom = i;
    while (i < t.size() && std::isdigit(static_cast<unsigned char>(t[i])))
        ++i;
    if (i < t.size() && t[i] == '.') {
        ++i;
        while (i < t.size() && std::isdigit(static_cast<unsigned char>(t[i])))
            ++i;
    }
    if (i == digitsFrom || (i == digitsFrom + 1 && t[digitsFrom] == '.'))
        return 0;
    return std::strtod(t.substr(0, i).c_str(), nullptr);
}

int32_t ParseLengthText(const std::string& text)
{
    const double value = std::nearbyint(LeadingNumber(text)); // halves to even
    return static_cast<int32_t>(std::clamp(value, static_cast<double>(std::numeric_limits<int32_t>::min()),
                                           static_cast<double>(std::numeric_limits<int32_t>::max())));
}

std::string BackupDumpFileName(const std::string& backupDir, const std::string& schema, const LocalTime& at)
{
    std::string dir = backupDir;
    if (dir.empty() || dir.back() != '\\')
        dir += '\\';
    return dir + schema + FormatLocalTime(at, "_yyyy-mm-dd_hhnnss") + ".dmp";
}

bool IsAffectedCharField(const std::string& name, int adoType, long definedSize, const std::string& searchLower,
                         int32_t newLength)
{
    return IsAdoDataTypeString(static_cast<int16_t>(adoType)) && PatternMatch("*" + searchLower, ToLower(name)) &&
           definedSize - 1 != newLength;
}

std::string GetPipingTableName(const std::string& table)
{
    const std::string name = ToLower(table);
    for (const std::string& family : Split("pdtable_12,pdtable_34,pdtable_50,pdtable_67,pdtable_80", ","))
        if (PatternMatch(family + "_*", name))
            return family;
    return {};
}

void CharColumnChange::Add(const std::string& table, const std::string& column, long presentLength)
{
    const std::string oldDefinition = column + " char(" + std::to_string(presentLength) + ")";
    if (!ContainsNoCase(oldDefinitions_, oldDefinition)) {
        oldDefinitions_.push_back(oldDefinition);
        newDefinitions_.push_back(column + " char(" + std::to_string(newLength_) + ")");
    }
    if (!ContainsNoCase(tables_, table))
        tables_.push_back(table);
    if (!IsAffected(table, column))
        columns_.push_back({table, column});
}

bool CharColumnChange::IsAffected(const std::string& table, const std::string& column) const
{
    return std::any_of(columns_.begin(), columns_.end(), [&](const AffectedColumn& c) {
        return EqualsNoCase(c.table, table) && EqualsNoCase(c.column, column);
    });
}

std::string CharColumnChange::StatusText() const
{
    const std::string separator(1, '\x01');
    return Join(oldDefinitions_, separator) + " -> " + Join(newDefinitions_, separator);
}
