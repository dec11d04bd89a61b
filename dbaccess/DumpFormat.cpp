// Building and parsing the lines of RIS dump files.
#include "dbaccess/DumpFormat.h"

#include "dbaccess/RisSqlText.h"
#include "platform/TextUtil.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <locale.h>

namespace {

std::string joinNames(const std::vector<DumpColumn>& columns, std::string_view sep)
{
    std::string s;
    for (size_t i = 0; i < columns.size(); ++i) {
        if (i)
            s += sep;
        s += columns[i].name;
    }
    return s;
}

bool parseLong(std::string_view s, long& v)
{
    if (s.empty())
        return false;
    auto r = std::from_chars(s.data(), s.data() + s.size(), v);
    return r.ec == std::errc() && r.ptr == s.data() + s.size();
}

} // namespace

std::string DumpFormat::DefaultSchemaLine(std::string_view schema)
{
    return std::string(kDefaultSchema) + std::string(schema);
}

std::string DumpFormat::CreateSchemaLine(std::string_view schema, std::string_view rest)
{
    return std::string(kCreateSchema) + std::string(schema) + std::string(rest);
}

std::string DumpFormat::CreateTableLine(std::string_view table, const std::vector<DumpColumn>& columns)
{
    std::string s = std::string(kCreateTable) + std::string(table) + " (";
    for (size_t i = 0; i < columns.size(); ++i) {
        if (i)
            s += ", ";
        s += ColumnEntryText(columns[i]);
    }
    return s + ")";
}

std::string DumpFormat::InsertLine(std::string_view table, const std::vector<DumpColumn>& columns)
{
    std::string marks;
    for (size_t i = 0; i < columns.size(); ++i)
        marks += i ? ", ?" : "?";
    return std::string(kInsertInto) + std::string(table) + " (" + joinNames(columns, ", ") + ") values (" + marks + ")";
}

std::string DumpFormat::VariableLayoutLine(const std::vector<DumpColumn>& columns)
{
    std::string s = std::string(kVariable) + " ";
    for (const DumpColumn& c : columns)
        s += c.name + " ";
    return s;
}

std::string DumpFormat::FixedHeaderLine(const std::vector<DumpFixedField>& fields)
{
    std::string s;
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i)
            s += ' ';
        s += fields[i].name + " " + std::to_string(fields[i].first) + " " + std::to_string(fields[i].last);
    }
    return s;
}

std::string DumpFormat::IndexLine(std::string_view table, std::string_view column)
{
    return std::string(kCreateUniqueIndex) + "u" + std::string(table) + " on " + std::string(table) + " (" +
           std::string(column) + ")";
}

std::string DumpFormat::GrantLine(std::string_view table)
{
    return std::string(kGrant) + std::string(table) + " to PUBLIC";
}

void DumpFormat::AppendVariableRow(std::string& out, const DumpRow& values, const std::vector<bool>& quoted)
{
    for (size_t i = 0; i < values.size(); ++i) {
        if (!values[i]) {
            out += "  ";
            continue;
        }
        if (i < quoted.size() && quoted[i]) {
            // A quote inside is doubled; the text between quotes goes as it is.
            out += '\'';
            const std::string& v = *values[i];
            for (size_t from = 0;;) {
                const size_t quote = v.find('\'', from);
                if (quote == std::string::npos) {
                    out.append(v, from);
                    break;
                }
                out.append(v, from, quote + 1 - from);
                out += '\'';
                from = quote + 1;
            }
            out += "' ";
        } else {
            out += *values[i];
            out += ' ';
        }
    }
}

bool DumpFormat::AppendFixedRow(std::string& out, const DumpRow& values, const std::vector<DumpFixedField>& fields)
{
    const size_t start = out.size();
    for (size_t i = 0; i < fields.size(); ++i) {
        const size_t width = static_cast<size_t>(fields[i].last - fields[i].first + 1);
        const std::string* v = i < values.size() && values[i] ? &*values[i] : nullptr;
        if (v && v->size() > width) {
            out.resize(start);
            return false;
        }
        size_t used = 0;
        if (v) {
            out += *v;
            used = v->size();
        }
        out.append(width - used + 1, ' ');
    }
    return true;
}

namespace {

// The text of value i of the row, emptied, keeping the room it had.
std::string& valueAt(DumpRow& row, size_t i)
{
    std::string& v = row[i] ? *row[i] : row[i].emplace();
    v.clear();
    return v;
}

} // namespace

DumpRow DumpFormat::ParseVariableRow(std::string_view line, size_t columnCount)
{
    DumpRow row;
    ParseVariableRowInto(line, columnCount, row);
    return row;
}

void DumpFormat::ParseVariableRowInto(std::string_view line, size_t columnCount, DumpRow& row)
{
    row.resize(columnCount);
    size_t p = 0;
    const size_t n = line.size();
    for (size_t c = 0; c < columnCount; ++c) {
        if (p >= n) {
            row[c].reset();
            continue;
        }
        if (line[p] == ' ') { // the blank that stands for NULL, then its closing blank
            row[c].reset();
            p += 2;
            continue;
        }
        std::string& v = valueAt(row, c);
        if (line[p] == '\'') {
            ++p;
            // Up to the closing quote; a doubled quote inside is one.
            while (p < n) {
                size_t q = line.find('\'', p);
                if (q == std::string_view::npos)
                    q = n;
                v.append(line.substr(p, q - p));
                p = q;
                if (p >= n)
                    break;
                if (p + 1 < n && line[p + 1] == '\'') {
                    v += '\'';
                    p += 2;
                    continue;
                }
                ++p;
                break;
            }
        } else {
            size_t e = line.find(' ', p);
            if (e == std::string_view::npos)
                e = n;
            v.assign(line.substr(p, e - p));
            p = e;
        }
        ++p; // the blank after the value
    }
}

DumpRow DumpFormat::ParseFixedRow(std::string_view line, const std::vector<DumpFixedField>& fields,
                                  const std::vector<DumpColumn>& columns)
{
    DumpRow row;
    ParseFixedRowInto(line, fields, columns, row);
    return row;
}

void DumpFormat::ParseFixedRowInto(std::string_view line, const std::vector<DumpFixedField>& fields,
                                   const std::vector<DumpColumn>& columns, DumpRow& row)
{
    row.resize(fields.size());
    for (size_t c = 0; c < fields.size(); ++c) {
        const DumpFixedField& f = fields[c];
        const size_t b = static_cast<size_t>(f.first > 0 ? f.first - 1 : 0);
        std::string_view field = b >= line.size() ? std::string_view()
                                                  : line.substr(b, static_cast<size_t>(f.last - f.first + 1));
        const size_t last = field.find_last_not_of(' ');
        if (last != std::string_view::npos)
            valueAt(row, c).assign(field.substr(0, last + 1));
        else if (c < columns.size() && columns[c].notNull)
            valueAt(row, c).assign(1, ' ');
        else
            row[c].reset();
    }
}

bool DumpFormat::ParseFixedHeader(std::string_view line, std::vector<DumpFixedField>& fields)
{
    fields.clear();
    std::vector<std::string> words;
    for (const std::string& w : Split(Trim(line), " "))
        if (!w.empty())
            words.push_back(w);
    if (words.empty() || words.size() % 3 != 0)
        return false;
    for (size_t i = 0; i < words.size(); i += 3) {
        DumpFixedField f;
        f.name = words[i];
        if (!parseLong(words[i + 1], f.first) || !parseLong(words[i + 2], f.last) || f.first < 1 || f.last < f.first)
            return false;
        fields.push_back(std::move(f));
    }
    return true;
}

bool DumpFormat::ParseCreateTableLine(std::string_view line, std::string& table, std::vector<DumpColumn>& columns)
{
    std::string list;
    if (!SplitCreateTableLine(line, table, list))
        return false;
    columns = ParseColumnList(list);
    return true;
}

bool DumpFormat::SplitCreateTableLine(std::string_view line, std::string& table, std::string& columnList)
{
    std::string l = Trim(line);
    if (!StartsWithNoCase(l, kCreateTable))
        return false;
    const size_t open = l.find(" (");
    const size_t close = l.rfind(')');
    if (open == std::string::npos || close == std::string::npos || close < open)
        return false;
    table = Trim(std::string_view(l).substr(kCreateTable.size(), open - kCreateTable.size()));
    columnList = Trim(std::string_view(l).substr(open + 2, close - open - 2));
    return true;
}

std::vector<DumpColumn> DumpFormat::ParseColumnList(std::string_view list)
{
    std::vector<DumpColumn> columns;
    for (const std::string& def : RisSqlText::SplitTopLevel(list))
        columns.push_back(ParseColumnEntry(def));
    return columns;
}

DumpColumnEntry DumpFormat::SplitColumnEntry(std::string_view entry)
{
    DumpColumnEntry e;
    const std::string d = TrimWhite(entry);
    const size_t blank = d.find_first_of(" \t");
    e.name = d.substr(0, blank);
    if (blank == std::string::npos)
        return e;
    const std::string rest = TrimWhite(std::string_view(d).substr(blank));
    // The type runs to the closing parenthesis of its arguments, else to the next blank.
    const size_t open = rest.find('(');
    const size_t nextBlank = rest.find_first_of(" \t");
    size_t end = nextBlank;
    const bool arguments = open != std::string::npos && (nextBlank == std::string::npos || open < nextBlank ||
                                                         TrimWhite(rest.substr(nextBlank, open - nextBlank)).empty());
    if (arguments) {
        const size_t close = RisSqlText::MatchingParen(rest, open);
        end = close == std::string::npos ? close : close + 1;
    }
    e.type = rest.substr(0, end);
    if (end != std::string::npos)
        for (const std::string& w : Split(ReplaceAll(rest.substr(end), "\t", " "), " "))
            if (!w.empty())
                e.rest += (e.rest.empty() ? "" : " ") + w;
    return e;
}

DumpColumn DumpFormat::ParseColumnEntry(std::string_view entry)
{
    DumpColumnEntry e = SplitColumnEntry(entry);
    // What a column says of NULL follows its type; a name or a type is never the word "null".
    const bool notNull = EqualsNoCase(e.rest, "not null");
    return {std::move(e.name), std::move(e.type), notNull};
}

std::string DumpFormat::DeclaredType(std::string_view type)
{
    std::string t = ToLower(TrimWhite(type));
    const size_t open = t.find('(');
    const size_t close = t.rfind(')');
    if (open == std::string::npos || close == std::string::npos || close < open || close + 1 != t.size())
        return t;
    std::string declared = TrimWhite(std::string_view(t).substr(0, open)) + "(";
    for (size_t i = open + 1; i < close; ++i)
        if (t[i] != ' ' && t[i] != '\t')
            declared += t[i];
    return declared + ")";
}

std::string DumpFormat::ColumnEntryText(const DumpColumn& column)
{
    return column.name + " " + column.type + (column.notNull ? " not null" : "");
}

std::string DumpFormat::TableOfCreateLine(std::string_view line)
{
    std::string_view rest = line.substr(std::min(line.size(), kCreateTable.size()));
    rest.remove_prefix(std::min(rest.size(), rest.find_first_not_of(' ')));
    return std::string(rest.substr(0, std::min(rest.size(), rest.find_first_of(" ("))));
}

std::string DumpFormat::NameAfterKeyword(std::string_view text, size_t pos)
{
    size_t e = pos;
    while (e < text.size() && text[e] != ' ' && text[e] != '\r' && text[e] != '\n')
        ++e;
    return Trim(text.substr(pos, e - pos));
}

bool DumpFormat::IsNonFiniteNumber(std::string_view text)
{
    const std::string t = Trim(text);
    // Only a word (inf, nan), an exponent or more digits than a finite double has can leave the
    // range: the plain numbers of a large dump are passed without reading them.
    if (t.size() <= 300 && t.find_first_of("eEiInNpP") == std::string::npos)
        return false;
    // The C locale's decimal point, whatever the program's locale is.
    static const locale_t c = ::newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    char* end = nullptr;
    const double v = ::strtod_l(t.c_str(), &end, c);
    return !t.empty() && end == t.c_str() + t.size() && !std::isfinite(v);
}

bool DumpFormat::IsQuotedType(std::string_view type)
{
    const std::string t = ToLower(type);
    for (const char* w : {"smallint", "int", "decimal", "real", "double"})
        if (t.find(w) != std::string::npos)
            return false;
    return true;
}

long DumpFormat::FixedWidthOfType(std::string_view type)
{
    const std::string t = ToLower(Trim(type));
    if (t.find("smallint") != std::string::npos)
        return 6;
    if (t.find("int") != std::string::npos)
        return 11;
    const size_t open = t.find('(');
    if (t.find("decimal") != std::string::npos && open != std::string::npos && t.back() == ')') {
        // decimal(p,s) is written with its s decimals: a sign, its whole digits (a 0 where it
        // has none) and the point, at least as wide as any other number column.
        const std::string_view args = std::string_view(t).substr(open + 1, t.size() - open - 2);
        const size_t comma = args.find(',');
        long precision = 0, scale = 0;
        if (parseLong(Trim(args.substr(0, comma)), precision) &&
            (comma == std::string_view::npos || parseLong(Trim(args.substr(comma + 1)), scale)) && precision > 0 &&
            precision <= 38 && scale >= 0 && scale <= 127)
            return std::max<long>(24, 1 + std::max(precision - scale, 1L) + (scale > 0 ? 1 + scale : 0));
    }
    if (t.find("decimal") != std::string::npos || t.find("real") != std::string::npos ||
        t.find("double") != std::string::npos)
        return 24;
    if (t.find("char") != std::string::npos && open != std::string::npos && !t.empty() && t.back() == ')') {
        long n = 0;
        if (parseLong(Trim(std::string_view(t).substr(open + 1, t.size() - open - 2)), n) && n > 0)
            return n;
    }
    return 240;
}

std::vector<DumpFixedField> DumpFormat::FixedFieldsFor(const std::vector<DumpColumn>& columns)
{
    std::vector<DumpFixedField> fields;
    long next = 1;
    for (const DumpColumn& c : columns) {
        DumpFixedField f{c.name, next, next + FixedWidthOfType(c.type) - 1};
        next = f.last + 2;
        fields.push_back(std::move(f));
    }
    return fields;
}
