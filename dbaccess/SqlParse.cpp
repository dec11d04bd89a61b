// Keyword search outside quotes, table word and WHERE condition of a SELECT.
#include "dbaccess/SqlParse.h"

#include "platform/AppError.h"
#include "platform/TextUtil.h"

#include <cctype>
#include <vector>

namespace {

const char* const kSource = "CRIS::ParseSQL";

bool IsWordChar(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '$';
}

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// For each position of the statement: whether it stands outside '...', "..." and [...].
// A doubled quote inside a quoted text closes and reopens it, which leaves it quoted.
std::vector<bool> OutsideQuotes(const std::string& sql)
{
    std::vector<bool> outside(sql.size(), true);
    char close = 0;
    for (size_t i = 0; i < sql.size(); ++i) {
        const char c = sql[i];
        if (close) {
            outside[i] = false;
            if (c == close)
                close = 0;
        } else if (c == '\'' || c == '"') {
            outside[i] = false;
            close = c;
        } else if (c == '[') {
            outside[i] = false;
            close = ']';
        }
    }
    return outside;
}

// The first whole-word, unquoted occurrence of the keyword at or after from; npos when none.
size_t FindKeyword(const std::string& sql, const std::vector<bool>& outside, const std::string& keyword,
                   size_t from)
{
    for (size_t p = FindNoCase(sql, keyword, from); p != std::string::npos;
         p = FindNoCase(sql, keyword, p + 1)) {
        const size_t end = p + keyword.size();
        if (outside[p] && (p == 0 || !IsWordChar(sql[p - 1])) && (end >= sql.size() || !IsWordChar(sql[end])))
            return p;
    }
    return std::string::npos;
}

size_t FindUnquoted(const std::string& sql, const std::vector<bool>& outside, char c, size_t from)
{
    for (size_t p = sql.find(c, from); p != std::string::npos; p = sql.find(c, p + 1))
        if (outside[p])
            return p;
    return std::string::npos;
}

} // namespace

SelectParts ParseSelect(const std::string& sql)
{
    if (Trim(sql).empty())
        RaiseError(kSource, "SQL statement not defined");
    const std::vector<bool> outside = OutsideQuotes(sql);

    SelectParts parts;
    size_t from = FindKeyword(sql, outside, "FROM", 0);
    while (from != std::string::npos && (from + 4 >= sql.size() || !IsSpace(sql[from + 4])))
        from = FindKeyword(sql, outside, "FROM", from + 4);
    if (from == std::string::npos)
        RaiseError(kSource, "Table name not found in SQL statement");

    size_t start = from + 4;
    while (start < sql.size() && IsSpace(sql[start]))
        ++start;
    size_t end = start;
    while (end < sql.size() && !IsSpace(sql[end]) && sql[end] != ';' && sql[end] != ',')
        ++end;
    if (end == start)
        RaiseError(kSource, "Table name not found in SQL statement");
    parts.table = sql.substr(start, end - start);
    parts.tableStart = start;
    parts.tableLength = end - start;

    const size_t where = FindKeyword(sql, outside, "WHERE", end);
    if (where == std::string::npos)
        return parts;
    const size_t s = where + 5;
    size_t stop = std::string::npos;
    // Tried in this order, not by position: GROUP wins even over an earlier ORDER.
    for (const char* keyword : {"GROUP", "HAVING", "ORDER"}) {
        stop = FindKeyword(sql, outside, keyword, s);
        if (stop != std::string::npos)
            break;
    }
    if (stop == std::string::npos)
        stop = FindUnquoted(sql, outside, ';', s);
    if (stop == std::string::npos)
        stop = sql.size();
    // The condition goes on the unload's one parameter line: line breaks and tabs between
    // its words become blanks; one inside a quoted value cannot be passed on.
    std::string condition = sql.substr(s, stop - s);
    bool passable = true;
    for (size_t i = 0; i < condition.size(); ++i) {
        char& c = condition[i];
        if (c == '\r' || c == '\n' || c == '\t') {
            if (outside[s + i])
                c = ' ';
            else
                passable = false;
        }
    }
    condition = Trim(condition);
    if (!passable || FindNoCase(condition, "UCASE") != std::string::npos
        || FindNoCase(condition, "LCASE") != std::string::npos || condition.find('"') != std::string::npos)
        condition.clear();
    parts.condition = std::move(condition);
    return parts;
}

std::string RedirectSelect(const std::string& sql, const SelectParts& parts, const std::string& textFile)
{
    return sql.substr(0, parts.tableStart) + textFile + " AS [" + parts.table + "]"
           + sql.substr(parts.tableStart + parts.tableLength);
}

std::string WithoutStatementSemicolons(const std::string& sql)
{
    const std::vector<bool> outside = OutsideQuotes(sql);
    std::string out;
    out.reserve(sql.size());
    for (size_t i = 0; i < sql.size(); ++i)
        if (!(outside[i] && sql[i] == ';'))
            out += sql[i];
    return out;
}
