// RIS column types of the stand-in server.
#include "standins/dbserver/RisColumnType.h"

#include "dbaccess/DumpFormat.h"
#include "platform/TextUtil.h"
#include "platform/DecimalNumber.h"
#include "standins/dbserver/SqliteDb.h"

#include <sqlite3.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iterator>

namespace {

bool parseInt(std::string_view s, int& out)
{
    if (s.empty() || s.size() > 9)
        return false;
    int v = 0;
    for (char c : s) {
        if (c < '0' || c > '9')
            return false;
        v = v * 10 + (c - '0');
    }
    out = v;
    return true;
}

} // namespace

std::optional<RisColumnType> RisColumnType::Parse(std::string_view text)
{
    // Read as every reader of a dump reads a declared type.
    const std::string t = DumpFormat::DeclaredType(text);
    std::string word = t, args;
    const size_t open = t.find('(');
    if (open != std::string::npos) {
        if (t.back() != ')')
            return std::nullopt;
        word = t.substr(0, open);
        args = t.substr(open + 1, t.size() - open - 2);
    }
    RisColumnType type;
    std::vector<std::string> parts = args.empty() ? std::vector<std::string>{} : Split(args, ",");
    // Only the words the dump readers know: every other word would be read back as text.
    if (word == "char") {
        type.kind_ = Kind::Char;
        if (parts.size() > 1 || (parts.size() == 1 && (!parseInt(parts[0], type.length_) || type.length_ < 1)))
            return std::nullopt;
    } else if (word == "smallint") {
        type.kind_ = Kind::SmallInt;
    } else if (word == "int" || word == "integer") {
        type.kind_ = Kind::Int;
    } else if (word == "double") {
        type.kind_ = Kind::Double;
    } else if (word == "real") {
        type.kind_ = Kind::Real;
    } else if (word == "decimal") {
        type.kind_ = Kind::Decimal;
        if (parts.size() > 2 || (!parts.empty() && !parseInt(parts[0], type.precision_)) ||
            (parts.size() == 2 && !parseInt(parts[1], type.scale_)))
            return std::nullopt;
        // A precision alone is a scale of 0, as the database has it: decimal(10) keeps whole numbers.
        if (parts.size() == 1)
            type.scale_ = 0;
    } else if (word == "timestamp") {
        type.kind_ = Kind::Timestamp;
    } else if (word == "date") {
        type.kind_ = Kind::Date;
    } else {
        return std::nullopt;
    }
    if (type.kind_ != Kind::Char && type.kind_ != Kind::Decimal && !parts.empty())
        return std::nullopt;
    type.declared_ = t;
    return type;
}

std::string RisColumnType::Refusal() const
{
    if (kind_ != Kind::Decimal || declared_ == "decimal")
        return {};
    if (precision_ < 1 || precision_ > DecimalNumber::kMaxDigits)
        return "ORA-01727: numeric precision specifier is out of range (1 to 38)";
    if (scale_ > 127)
        return "ORA-01728: numeric scale specifier is out of range (-84 to 127)";
    return {};
}

bool RisColumnType::IsNumeric() const
{
    switch (kind_) {
    case Kind::SmallInt:
    case Kind::Int:
    case Kind::Double:
    case Kind::Real:
    case Kind::Decimal:
        return true;
    default:
        return false;
    }
}

std::string RisColumnType::WithCurrentNumberChecks(const std::string& createTableSql)
{
    // Only the server writes this check, always in this one spelling.
    return ReplaceAll(createTableSql, ") IN ('integer', 'real')", ") <> 'text'");
}

std::string RisColumnType::CheckExpression(const std::string& c) const
{
    switch (kind_) {
    case Kind::Char:
        // Lengths count bytes: the system's texts are one byte per character in any code page.
        return "length(CAST(" + c + " AS BLOB)) <= " + std::to_string(length_);
    case Kind::SmallInt:
        return "typeof(" + c + ") = 'integer' AND " + c + " BETWEEN -32768 AND 32767";
    case Kind::Int:
        return "typeof(" + c + ") = 'integer' AND " + c + " BETWEEN -2147483648 AND 2147483647";
    case Kind::Double:
    case Kind::Real:
    case Kind::Decimal:
        // A number: whole, real, or a blob holding every digit of one that a double cannot (no
        // list of three kinds here: the engine would build a table for it at every row).
        return "typeof(" + c + ") <> 'text'";
    case Kind::Timestamp:
    case Kind::Date: {
        // "yyyy-mm-dd:hh:mm:ss" as RIS writes it, or the date alone, each part within its
        // range: the text read back as a date and time gives itself again. The database takes a
        // time only after a ":", so "yyyy-mm-dd hh:mm:ss" is refused as it would be there.
        const std::string full = "CASE length(" + c + ") WHEN 10 THEN " + c + " || ' 00:00:00' WHEN 19 THEN substr(" +
                                 c + ", 1, 10) || ' ' || substr(" + c + ", 12) END";
        // The database knows no year 0 (the year before 1 is -1).
        return "typeof(" + c + ") = 'text' AND substr(" + c + ", 1, 4) <> '0000' AND coalesce(length(" + c +
               ") = 10 OR substr(" + c +
               ", 11, 1) = ':', 0) AND coalesce(strftime('%Y-%m-%d %H:%M:%S', julianday(" + full + ")) = " + full +
               ", 0)";
    }
    }
    return "1";
}

std::string RisColumnType::ShortestDouble(double v)
{
    // The "%g" form, without the locale's decimal point: a connection runs inside the windows'
    // process, whose locale may write a comma.
    char buf[64];
    size_t length = 0;
    for (int precision = 15; precision <= 17; ++precision) {
        const auto written = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, precision);
        length = static_cast<size_t>(written.ptr - buf);
        double back = 0;
        std::from_chars(buf, buf + length, back);
        if (back == v)
            break;
    }
    return std::string(buf, length);
}

std::string RisColumnType::FormatInteger(long long v) const
{
    if (kind_ == Kind::Decimal && scale_ > 0)
        return std::to_string(v) + "." + std::string(static_cast<size_t>(scale_), '0');
    return std::to_string(v);
}

std::string RisColumnType::FormatReal(double v) const
{
    if (kind_ == Kind::Decimal && scale_ >= 0) {
        // A double stands for the shortest decimal that reads back as it (DecimalNumber::OfDouble),
        // which the server rounded to the scale when it stored it: its digits at the scale are
        // that number's. Within 15 digits (its whole digits and the scale) the double's own value
        // rounded to the scale gives them; beyond, that would show its binary digits (98765.4321
        // at scale 12 as 98765.432100000005, 10^24 as 999999999999999983222784).
        static constexpr double kFastBelow[] = {1e15, 1e14, 1e13, 1e12, 1e11, 1e10, 1e9, 1e8,
                                                1e7,  1e6,  1e5,  1e4,  1e3,  1e2,  1e1, 1e0};
        if (std::isfinite(v) &&
            (scale_ >= static_cast<int>(std::size(kFastBelow)) || std::fabs(v) >= kFastBelow[scale_]))
            return DecimalNumber::OfDouble(v).FixedText(scale_);
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.*f", scale_, v == 0 ? 0.0 : v); // no "-0.00": the database has no -0
        return buf;
    }
    return ShortestDouble(v);
}

std::string RisColumnType::FormatWide(const DecimalNumber& v) const
{
    if (kind_ == Kind::Decimal && scale_ >= 0)
        return v.FixedText(scale_);
    return WideNumberText(v);
}

std::optional<std::string> RisColumnType::formatPlain(const std::string& text) const
{
    // The server keeps such a number as its plain text, rounded to its column: an unload pads it
    // to the scale without reading its digits. Anything else takes the way through its digits.
    size_t point = std::string::npos, digits = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9')
            ++digits;
        else if (c == '.' && point == std::string::npos)
            point = i;
        else if (!(c == '-' && i == 0))
            return std::nullopt;
    }
    if (digits == 0)
        return std::nullopt;
    if (kind_ != Kind::Decimal || scale_ < 0)
        return text.size() <= kWideNumberWidth ? std::optional<std::string>(text) : std::nullopt;
    const size_t decimals = point == std::string::npos ? 0 : text.size() - point - 1;
    if (decimals > static_cast<size_t>(scale_))
        return std::nullopt;
    std::string padded = text;
    if (point == std::string::npos && scale_ > 0)
        padded += '.';
    return padded + std::string(static_cast<size_t>(scale_) - decimals, '0');
}

std::string RisColumnType::WideNumberText(const DecimalNumber& v)
{
    std::string text = v.PlainText();
    if (text.size() <= kWideNumberWidth)
        return text;
    // Far from the point: the digits with an exponent, as a double's text has it ("1.5e+300").
    text = v.OracleText();
    for (char& c : text)
        if (c == 'E')
            c = 'e';
    return text;
}

std::optional<std::string> RisColumnType::StoredValueText(const SqliteStatement& st, int col, bool& quoted)
{
    auto type = Parse(st.ColumnDeclType(col));
    const int storage = st.ColumnStorage(col);
    switch (storage) {
    case SQLITE_NULL:
        quoted = type ? type->IsQuoted() : false;
        return std::nullopt;
    case SQLITE_INTEGER:
        quoted = type ? type->IsQuoted() : false;
        return type ? type->FormatInteger(st.ColumnInt(col)) : std::to_string(st.ColumnInt(col));
    case SQLITE_FLOAT:
        quoted = type ? type->IsQuoted() : false;
        return type ? type->FormatReal(st.ColumnDouble(col)) : ShortestDouble(st.ColumnDouble(col));
    case SQLITE_BLOB:
        // A number kept with every digit, in any column, also a computed one.
        if (!type || type->IsNumeric()) {
            const std::string text = st.ColumnText(col);
            std::optional<std::string> formatted = type ? type->formatPlain(text) : std::nullopt;
            if (!formatted)
                if (const auto n = DecimalNumber::Parse(text))
                    formatted = type ? type->FormatWide(*n) : WideNumberText(*n);
            if (formatted) {
                quoted = false;
                return formatted;
            }
        }
        [[fallthrough]];
    default:
        quoted = type ? type->IsQuoted() : true;
        return st.ColumnText(col);
    }
}
