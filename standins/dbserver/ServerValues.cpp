// Values as the stand-in server's databases keep them.
#include "standins/dbserver/ServerValues.h"

#include "standins/dbserver/RisColumnType.h"
#include "standins/dbserver/ServerSqlFunctions.h"

#include <sqlite3.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <string>
#include <vector>

namespace {

enum class Db { Oracle, SqlServer };

// A number as decimal digits: 0.<digits> x 10^exponent, digits without trailing zeros ("" is 0).
struct Decimal {
    bool negative = false;
    std::string digits;
    int exponent = 0;
};

// The shortest decimal that reads back as the double: the digits a statement or a dump wrote.
Decimal decimalOf(double v)
{
    Decimal d;
    d.negative = std::signbit(v);
    const double a = std::fabs(v);
    if (a == 0.0)
        return d;
    char buf[64];
    for (int precision = 15; precision <= 17; ++precision) {
        std::snprintf(buf, sizeof buf, "%.*e", precision - 1, a);
        if (std::strtod(buf, nullptr) == a)
            break;
    }
    const std::string s = buf; // "d.ddde+XX"
    const size_t e = s.find('e');
    d.digits = s.substr(0, 1) + (e > 2 ? s.substr(2, e - 2) : std::string());
    d.exponent = std::atoi(s.c_str() + e + 1) + 1;
    while (!d.digits.empty() && d.digits.back() == '0')
        d.digits.pop_back();
    return d;
}

double valueOf(const Decimal& d)
{
    if (d.digits.empty())
        return 0.0;
    const std::string text = std::string(d.negative ? "-" : "") + "0." + d.digits + "e" + std::to_string(d.exponent);
    return std::strtod(text.c_str(), nullptr);
}

// Rounds to scale decimals, half away from zero, as the database rounds a value into a
// decimal column (Oracle: 1/2 into decimal(10,0) is 1); SQL Server cuts a value into a whole
// number column instead (cut).
Decimal roundTo(Decimal d, int scale, bool cut = false)
{
    const long keep = static_cast<long>(d.exponent) + scale;
    if (keep >= static_cast<long>(d.digits.size()))
        return d;
    const bool up = !cut && keep >= 0 && d.digits[static_cast<size_t>(keep)] >= '5';
    d.digits.resize(static_cast<size_t>(std::max(keep, 0L)));
    if (up) {
        size_t at = d.digits.size();
        while (at > 0 && d.digits[at - 1] == '9')
            d.digits[--at] = '0';
        if (at == 0) {
            d.digits.insert(d.digits.begin(), '1');
            ++d.exponent;
        } else {
            ++d.digits[at - 1];
        }
    }
    while (!d.digits.empty() && d.digits.back() == '0')
        d.digits.pop_back();
    if (d.digits.empty())
        d = Decimal(); // no negative zero
    return d;
}

// The declared type of a column, read once per program and type: a load calls this for every
// value of every row, and a statement's own memory of it goes with each reset.
const RisColumnType* typeArgument(sqlite3_value** argv)
{
    struct Known {
        std::string text;
        std::optional<RisColumnType> type;
    };
    thread_local std::vector<Known> known;
    const std::string_view text(reinterpret_cast<const char*>(sqlite3_value_text(argv[1])),
                                static_cast<size_t>(sqlite3_value_bytes(argv[1])));
    for (const Known& k : known)
        if (k.text == text)
            return k.type ? &*k.type : nullptr;
    if (known.size() == 64)
        known.clear(); // not kept without end for a program that makes tables of ever new types
    known.push_back({std::string(text), RisColumnType::Parse(text)});
    return known.back().type ? &*known.back().type : nullptr;
}

// The digits of a whole number (none for 0, which fits every precision).
int wholeDigits(long long v)
{
    unsigned long long m = v < 0 ? 0ULL - static_cast<unsigned long long>(v) : static_cast<unsigned long long>(v);
    int digits = 0;
    for (; m > 0; m /= 10)
        ++digits;
    return digits;
}

void fail(sqlite3_context* ctx, const std::string& text) { sqlite3_result_error(ctx, text.c_str(), -1); }

std::string columnPart(int argc, sqlite3_value** argv)
{
    if (argc <= 2)
        return {};
    return std::string(ServerValues::kColumnMark) + "'" + ServerValues::TextOf(argv[2]) + "')";
}

// The value a column of the declared type keeps, or the database's refusal. A cast converts by
// the same rules, and refuses a text longer than its character type.
template <Db db, bool cast>
void storeAs(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    sqlite3_value* v = argv[0];
    const int storage = sqlite3_value_type(v);
    const RisColumnType* type = storage == SQLITE_NULL ? nullptr : typeArgument(argv);
    if (!type || storage == SQLITE_BLOB) {
        sqlite3_result_value(ctx, v);
        return;
    }
    const bool oracle = db == Db::Oracle;
    // Oracle keeps no empty text, in any column.
    if (oracle && storage == SQLITE_TEXT && sqlite3_value_bytes(v) == 0) {
        sqlite3_result_null(ctx);
        return;
    }
    if (!type->IsNumeric()) {
        if (type->kind() == RisColumnType::Kind::Char && oracle && storage == SQLITE_FLOAT &&
            !std::isfinite(sqlite3_value_double(v))) {
            fail(ctx, "ORA-01426: numeric overflow" + columnPart(argc, argv)); // no number the database holds
            return;
        }
        if (type->kind() == RisColumnType::Kind::Char && oracle && storage != SQLITE_TEXT) {
            const std::string text = storage == SQLITE_INTEGER ? std::to_string(sqlite3_value_int64(v))
                                                               : ServerValues::OracleNumberText(sqlite3_value_double(v));
            if (cast && static_cast<int>(text.size()) > type->length())
                fail(ctx, "ORA-25137: Data value out of range");
            else
                sqlite3_result_text(ctx, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
            return;
        }
        if (cast && type->kind() == RisColumnType::Kind::Char && sqlite3_value_bytes(v) > type->length())
            fail(ctx, oracle ? "ORA-25137: Data value out of range" : "String or binary data would be truncated.");
        else
            sqlite3_result_value(ctx, v);
        return;
    }
    const std::optional<ServerNumber> read = ServerValues::NumberOf(v);
    if (!read) {
        fail(ctx, oracle ? std::string(ServerSqlFunctions::kOracleInvalidNumber) + columnPart(argc, argv)
                         : "Error converting data type varchar to numeric.");
        return;
    }
    const ServerNumber n = *read;
    const RisColumnType::Kind kind = type->kind();
    const bool wholeColumn = kind == RisColumnType::Kind::SmallInt || kind == RisColumnType::Kind::Int;
    const int scale = wholeColumn ? 0 : kind == RisColumnType::Kind::Decimal ? type->scale() : -1;
    if (n.whole || scale < 0 || !std::isfinite(n.d)) {
        if (!n.whole && wholeColumn)
            sqlite3_result_double(ctx, n.d); // beyond any whole number: the column's check refuses it
        else if (n.whole && kind == RisColumnType::Kind::Decimal && type->precision() > 0 &&
                 wholeDigits(n.i) > type->precision() - std::max(scale, 0))
            fail(ctx, (oracle ? ServerValues::kOracleBeyondPrecision : ServerValues::kSqlServerBeyondPrecision) +
                          columnPart(argc, argv));
        else if (n.whole)
            sqlite3_result_int64(ctx, n.i);
        else
            sqlite3_result_double(ctx, n.d);
        return;
    }
    // A value that has no more decimals than the scale stays as it is (what a load of a dump
    // reads in every row), found without reading its digits: it is the double nearest to its
    // scaled whole number divided back.
    static constexpr double kPowers[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7, 1e8,
                                         1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15, 1e16};
    constexpr int kLast = static_cast<int>(std::size(kPowers)) - 1;
    if (scale <= kLast) {
        const double scaled = std::round(n.d * kPowers[scale]);
        const int precision = kind == RisColumnType::Kind::Decimal && type->precision() > 0 ? type->precision() : kLast;
        if (std::fabs(scaled) < 9e15 && scaled / kPowers[scale] == n.d &&
            std::fabs(scaled) < kPowers[std::min(precision, kLast)]) {
            if (scale == 0)
                sqlite3_result_int64(ctx, static_cast<long long>(scaled));
            else
                sqlite3_result_double(ctx, n.d);
            return;
        }
    }
    const Decimal rounded = roundTo(decimalOf(n.d), scale, !oracle && wholeColumn);
    if (kind == RisColumnType::Kind::Decimal && type->precision() > 0 &&
        !rounded.digits.empty() && rounded.exponent > type->precision() - scale) {
        fail(ctx, (oracle ? ServerValues::kOracleBeyondPrecision : ServerValues::kSqlServerBeyondPrecision) +
                      columnPart(argc, argv));
        return;
    }
    const double r = valueOf(rounded);
    if (scale == 0 && std::fabs(r) < 9.2e18)
        sqlite3_result_int64(ctx, static_cast<long long>(r));
    else
        sqlite3_result_double(ctx, r);
}

// Oracle's MOD: the remainder with the sign of m, and m itself for n = 0.
void oracleMod(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    ServerNumber n[2];
    for (int a = 0; a < 2; ++a) {
        const std::optional<ServerNumber> read = ServerValues::NumberOf(argv[a]);
        if (!read) {
            fail(ctx, std::string(ServerSqlFunctions::kOracleInvalidNumber));
            return;
        }
        n[a] = *read;
    }
    if (n[1].IsZero()) {
        sqlite3_result_value(ctx, argv[0]);
    } else if (n[0].whole && n[1].whole) {
        sqlite3_result_int64(ctx, n[1].i == -1 ? 0 : n[0].i % n[1].i);
    } else {
        sqlite3_result_double(ctx, std::fmod(n[0].Real(), n[1].Real()));
    }
}

} // namespace

std::optional<ServerNumber> ServerValues::NumberInText(std::string_view text)
{
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return std::nullopt;
    text = text.substr(first, text.find_last_not_of(' ') - first + 1);
    size_t p = 0, digits = 0;
    bool plain = true;
    if (p < text.size() && (text[p] == '+' || text[p] == '-'))
        ++p;
    for (; p < text.size() && std::isdigit(static_cast<unsigned char>(text[p])); ++p)
        ++digits;
    if (p < text.size() && text[p] == '.') {
        plain = false;
        for (++p; p < text.size() && std::isdigit(static_cast<unsigned char>(text[p])); ++p)
            ++digits;
    }
    if (digits == 0)
        return std::nullopt;
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
    // Read without a copy: a load reads every number of its rows here.
    const char* from = text.data() + (text[0] == '+' ? 1 : 0);
    const char* to = text.data() + text.size();
    if (plain) {
        long long v = 0;
        const auto [end, ec] = std::from_chars(from, to, v);
        if (ec == std::errc() && end == to)
            return ServerNumber{true, v, 0};
    }
    double d = 0;
    const auto [end, ec] = std::from_chars(from, to, d);
    if (ec == std::errc() && end == to)
        return ServerNumber{false, 0, d};
    return ServerNumber{false, 0, std::strtod(std::string(text).c_str(), nullptr)}; // beyond a double: infinity or 0
}

std::string ServerValues::TextOf(sqlite3_value* v)
{
    const unsigned char* t = sqlite3_value_text(v);
    const int n = sqlite3_value_bytes(v);
    return t ? std::string(reinterpret_cast<const char*>(t), static_cast<size_t>(n)) : std::string();
}

std::optional<ServerNumber> ServerValues::NumberOf(sqlite3_value* v)
{
    switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER:
        return ServerNumber{true, sqlite3_value_int64(v), 0};
    case SQLITE_FLOAT:
        return ServerNumber{false, 0, sqlite3_value_double(v)};
    default:
        break;
    }
    const char* text = reinterpret_cast<const char*>(sqlite3_value_text(v));
    if (!text)
        return NumberInText({});
    return NumberInText(std::string_view(text, static_cast<size_t>(sqlite3_value_bytes(v))));
}

std::string ServerValues::OracleNumberText(double v)
{
    if (v == 0.0)
        return "0";
    if (!std::isfinite(v))
        return v > 0 ? "~" : "-~"; // as Oracle shows its infinities
    if (v == std::trunc(v) && std::fabs(v) < 1e15)
        return std::to_string(static_cast<long long>(v));
    const Decimal d = decimalOf(v);
    const std::string sign = d.negative ? "-" : "";
    const bool scientific = d.exponent > 15 || d.exponent < -38;
    if (scientific) {
        std::string mantissa = d.digits.substr(0, 1) + "." + d.digits.substr(1);
        while (mantissa.size() < 6)
            mantissa += '0';
        const int e = d.exponent - 1;
        char exp[16];
        std::snprintf(exp, sizeof exp, "E%c%02d", e < 0 ? '-' : '+', std::abs(e));
        return sign + mantissa + exp;
    }
    if (d.exponent <= 0)
        return sign + "." + std::string(static_cast<size_t>(-d.exponent), '0') + d.digits;
    const size_t whole = static_cast<size_t>(d.exponent);
    std::string digits = d.digits;
    if (digits.size() <= whole)
        return sign + digits + std::string(whole - digits.size(), '0');
    return sign + digits.substr(0, whole) + "." + digits.substr(whole);
}

void ServerValues::Register(sqlite3* db)
{
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    sqlite3_create_function_v2(db, "ris_store", 3, flags, nullptr, storeAs<Db::Oracle, false>, nullptr, nullptr,
                               nullptr);
    sqlite3_create_function_v2(db, "mss_store", 3, flags, nullptr, storeAs<Db::SqlServer, false>, nullptr, nullptr,
                               nullptr);
    sqlite3_create_function_v2(db, "ris_cast", 2, flags, nullptr, storeAs<Db::Oracle, true>, nullptr, nullptr,
                               nullptr);
    sqlite3_create_function_v2(db, "ris_mod", 2, flags, nullptr, oracleMod, nullptr, nullptr, nullptr);
}
