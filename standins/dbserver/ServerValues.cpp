// Values as the stand-in server's databases keep them.
#include "standins/dbserver/ServerValues.h"

#include "platform/RisTimestamp.h"
#include "standins/dbserver/RisColumnType.h"
#include "standins/dbserver/ServerSqlFunctions.h"

#include <sqlite3.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <string>
#include <vector>

namespace {

enum class Db { Oracle, SqlServer };

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
    if (!type || (storage == SQLITE_BLOB && !ServerValues::IsWideNumber(v))) {
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
        // The date alone is that day's first moment, kept in the one form every moment has, so
        // that an index, a group and a comparison take both spellings as one.
        if (type->IsMoment() && storage == SQLITE_TEXT && sqlite3_value_bytes(v) == 10)
            if (const auto full = RisTimestamp::Moment(ServerValues::TextOf(v))) {
                sqlite3_result_text(ctx, full->data(), static_cast<int>(full->size()), SQLITE_TRANSIENT);
                return;
            }
        const bool isChar = type->kind() == RisColumnType::Kind::Char;
        if (isChar && oracle && storage == SQLITE_FLOAT && !std::isfinite(sqlite3_value_double(v))) {
            fail(ctx, "ORA-01426: numeric overflow" + columnPart(argc, argv)); // no number the database holds
            return;
        }
        if (isChar && storage != SQLITE_TEXT) {
            // A number into a character column: the database's text of it, every digit; SQL
            // Server writes a wide one plainly and leaves the rest to the column.
            const std::string text = oracle ? ServerValues::OracleTextOf(v)
                                            : storage == SQLITE_BLOB ? ServerValues::NumberOf(v)->Exact().PlainText()
                                                                     : std::string();
            if (!oracle && storage != SQLITE_BLOB)
                sqlite3_result_value(ctx, v);
            else if (cast && static_cast<int>(text.size()) > type->length())
                fail(ctx, "ORA-25137: Data value out of range");
            else
                sqlite3_result_text(ctx, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
            return;
        }
        if (cast && isChar && sqlite3_value_bytes(v) > type->length())
            fail(ctx, oracle ? "ORA-25137: Data value out of range" : "String or binary data would be truncated.");
        else
            sqlite3_result_value(ctx, v);
        return;
    }
    const std::optional<NumberValue> read = ServerValues::NumberOf(v);
    if (!read) {
        fail(ctx, oracle ? std::string(ServerSqlFunctions::kOracleInvalidNumber) + columnPart(argc, argv)
                         : "Error converting data type varchar to numeric.");
        return;
    }
    const NumberValue& n = *read;
    const RisColumnType::Kind kind = type->kind();
    const bool wholeColumn = kind == RisColumnType::Kind::SmallInt || kind == RisColumnType::Kind::Int;
    const int scale = wholeColumn ? 0 : kind == RisColumnType::Kind::Decimal ? type->scale() : -1;
    const int precision = kind == RisColumnType::Kind::Decimal ? type->precision() : 0;
    const auto beyondPrecision = [&] {
        fail(ctx, (oracle ? ServerValues::kOracleBeyondPrecision : ServerValues::kSqlServerBeyondPrecision) +
                      columnPart(argc, argv));
    };
    if (type->IsBinary()) {
        // A binary number keeps the double nearest to the number, as the database converts it.
        if (const double nearest = n.Real(); n.IsWide() && std::isfinite(nearest)) {
            sqlite3_result_double(ctx, nearest);
            return;
        }
    }
    if (!n.IsWide() && (n.whole || !std::isfinite(n.d))) {
        if (n.whole && precision > 0 && wholeDigits(n.i) > precision - std::max(scale, 0))
            beyondPrecision();
        else
            ServerValues::Result(ctx, n); // an infinity: the column's check refuses it as an overflow
        return;
    }
    if (!n.IsWide() && scale >= 0) {
        // A value that has no more decimals than the scale stays as it is (what a load of a dump
        // reads in every row), found without reading its digits: it is the double nearest to its
        // scaled whole number divided back.
        static constexpr double kPowers[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7, 1e8,
                                             1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15, 1e16};
        constexpr int kLast = static_cast<int>(std::size(kPowers)) - 1;
        if (scale <= kLast) {
            const double scaled = std::round(n.d * kPowers[scale]);
            const int digits = precision > 0 ? precision : kLast;
            if (std::fabs(scaled) < 9e15 && scaled / kPowers[scale] == n.d &&
                std::fabs(scaled) < kPowers[std::min(digits, kLast)]) {
                if (scale == 0)
                    sqlite3_result_int64(ctx, static_cast<long long>(scaled));
                else
                    sqlite3_result_double(ctx, n.d);
                return;
            }
        }
    } else if (!n.IsWide()) {
        sqlite3_result_double(ctx, n.d); // a double holds it: no digit beyond what the column keeps
        return;
    }
    // Every digit: rounded to the scale (SQL Server cuts a value into a whole-number column), or
    // to the digits the database keeps of a number without one; refused beyond the precision.
    DecimalNumber x = n.Exact();
    if (scale >= 0)
        x = x.Rounded(scale, !oracle && wholeColumn ? DecimalNumber::Rounding::TowardZero
                                                    : DecimalNumber::Rounding::HalfAwayFromZero);
    else
        x = x.RoundedToDigits(DecimalNumber::kMaxDigits);
    if (precision > 0 && !x.IsZero() && x.Exponent() > precision - scale) {
        beyondPrecision();
        return;
    }
    ServerValues::Result(ctx, NumberValue::Of(x));
}

// Oracle's MOD: the remainder with the sign of m, and m itself for n = 0.
void oracleMod(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    NumberValue n[2];
    for (int a = 0; a < 2; ++a) {
        const std::optional<NumberValue> read = ServerValues::NumberOf(argv[a]);
        if (!read) {
            fail(ctx, std::string(ServerSqlFunctions::kOracleInvalidNumber));
            return;
        }
        n[a] = *read;
    }
    if (n[1].IsZero())
        sqlite3_result_value(ctx, argv[0]);
    else if (n[0].whole && n[1].whole)
        sqlite3_result_int64(ctx, n[1].i == -1 ? 0 : n[0].i % n[1].i);
    else
        ServerValues::Result(ctx, NumberValue::Of(DecimalNumber::Remainder(n[0].Exact(), n[1].Exact())));
}

// The number a literal stands for, read by the server's own reading of number texts (the
// statements are rewritten to it, so that the engine never reads a literal itself); with a
// binary type after it, the double nearest to that number, as the database converts a literal
// compared with such a column.
void numberLiteral(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    const std::optional<NumberValue> n = ServerValues::NumberOf(argv[0]);
    if (!n) {
        fail(ctx, ServerSqlFunctions::kOracleInvalidNumber);
        return;
    }
    const RisColumnType* type = argc > 1 ? typeArgument(argv) : nullptr;
    if (type && type->IsBinary())
        sqlite3_result_double(ctx, n->Real());
    else
        ServerValues::Result(ctx, *n);
}

} // namespace

std::string ServerValues::TextOf(sqlite3_value* v)
{
    const unsigned char* t = sqlite3_value_text(v);
    const int n = sqlite3_value_bytes(v);
    return t ? std::string(reinterpret_cast<const char*>(t), static_cast<size_t>(n)) : std::string();
}

std::optional<NumberValue> ServerValues::NumberOf(sqlite3_value* v)
{
    switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER:
        return NumberValue{true, sqlite3_value_int64(v), 0, std::nullopt};
    case SQLITE_FLOAT:
        return NumberValue{false, 0, sqlite3_value_double(v), std::nullopt};
    case SQLITE_BLOB: {
        const auto* bytes = static_cast<const char*>(sqlite3_value_blob(v));
        const auto n = DecimalNumber::Parse(std::string_view(bytes ? bytes : "", static_cast<size_t>(sqlite3_value_bytes(v))));
        if (!n)
            return std::nullopt;
        return NumberValue::Of(*n);
    }
    default:
        break;
    }
    const char* text = reinterpret_cast<const char*>(sqlite3_value_text(v));
    if (!text)
        return NumberValue::Read({});
    return NumberValue::Read(std::string_view(text, static_cast<size_t>(sqlite3_value_bytes(v))));
}

bool ServerValues::IsWideNumber(sqlite3_value* v)
{
    if (sqlite3_value_type(v) != SQLITE_BLOB)
        return false;
    const auto* bytes = static_cast<const char*>(sqlite3_value_blob(v));
    return bytes && DecimalNumber::Parse(std::string_view(bytes, static_cast<size_t>(sqlite3_value_bytes(v))));
}

void ServerValues::Result(sqlite3_context* ctx, const NumberValue& n)
{
    if (n.whole) {
        sqlite3_result_int64(ctx, n.i);
    } else if (n.wide) {
        const std::string text = n.wide->PlainText();
        sqlite3_result_blob(ctx, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
    } else {
        sqlite3_result_double(ctx, n.d);
    }
}

std::string ServerValues::OracleTextOf(sqlite3_value* v)
{
    switch (sqlite3_value_type(v)) {
    case SQLITE_NULL:
        return {};
    case SQLITE_INTEGER:
        return std::to_string(sqlite3_value_int64(v));
    case SQLITE_FLOAT:
        return OracleNumberText(sqlite3_value_double(v));
    case SQLITE_BLOB:
        if (const auto n = NumberOf(v))
            return n->Exact().OracleText();
        return TextOf(v);
    default:
        return TextOf(v);
    }
}

std::string ServerValues::OracleNumberText(double v)
{
    if (v == 0.0)
        return "0";
    if (!std::isfinite(v))
        return v > 0 ? "~" : "-~"; // as Oracle shows its infinities
    if (v == std::trunc(v) && std::fabs(v) < 1e15)
        return std::to_string(static_cast<long long>(v));
    return DecimalNumber::OfDouble(v).OracleText();
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
    sqlite3_create_function_v2(db, "ris_number", 1, flags, nullptr, numberLiteral, nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(db, "ris_number", 2, flags, nullptr, numberLiteral, nullptr, nullptr, nullptr);
}
