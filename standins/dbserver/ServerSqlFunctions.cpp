// Arithmetic, concatenation and string functions of the stand-in server's databases.
#include "standins/dbserver/ServerSqlFunctions.h"

#include "standins/dbserver/ServerNumberFunctions.h"
#include "standins/dbserver/ServerValues.h"

#include <sqlite3.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

namespace {

enum class Db { Oracle, SqlServer };

using Number = NumberValue;

Number whole(long long v) { return Number{true, v, 0, std::nullopt}; }

// The number of an argument that is not NULL. A text is taken as the number it reads as, as
// both databases convert a text operand; one that reads as none fails the call with the
// database's refusal (false).
bool numberOf(sqlite3_context* ctx, sqlite3_value* v, Db db, const Number* other, Number& out)
{
    if (auto n = ServerValues::NumberOf(v)) {
        out = *n;
        return true;
    }
    const std::string text = ServerValues::TextOf(v);
    const std::string refusal =
        db == Db::Oracle ? std::string(ServerSqlFunctions::kOracleInvalidNumber)
                         : "Conversion failed when converting the varchar value '" + text + "' to data type " +
                               (other && !other->whole ? "float." : "int.");
    sqlite3_result_error(ctx, refusal.c_str(), -1);
    return false;
}

void result(sqlite3_context* ctx, const Number& n) { ServerValues::Result(ctx, n); }

// A text result: the empty text is NULL in Oracle.
void oracleText(sqlite3_context* ctx, const std::string& s)
{
    if (s.empty())
        sqlite3_result_null(ctx);
    else
        sqlite3_result_text(ctx, s.data(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
}

bool anyNull(int argc, sqlite3_value** argv)
{
    for (int a = 0; a < argc; ++a)
        if (sqlite3_value_type(argv[a]) == SQLITE_NULL)
            return true;
    return false;
}

// Both operands as numbers; false when one is NULL (the result is then NULL) or is refused.
bool operands(sqlite3_context* ctx, sqlite3_value** argv, Db db, Number& a, Number& b)
{
    if (anyNull(2, argv)) {
        sqlite3_result_null(ctx);
        return false;
    }
    if (sqlite3_value_type(argv[1]) == SQLITE_INTEGER || sqlite3_value_type(argv[1]) == SQLITE_FLOAT)
        return numberOf(ctx, argv[1], db, nullptr, b) && numberOf(ctx, argv[0], db, &b, a);
    return numberOf(ctx, argv[0], db, nullptr, a) && numberOf(ctx, argv[1], db, &a, b);
}

// Whole numbers within 64 bits are computed as they are; any other operands with every digit
// (a double as the decimal it stands for: 0.1 + 0.2 is 0.3), the result rounded to the digits
// the database keeps.
template <typename WholeOp, typename ExactOp>
Number arithmetic(const Number& a, const Number& b, WholeOp wholeOp, ExactOp exactOp)
{
    long long r = 0;
    if (a.whole && b.whole && !wholeOp(a.i, b.i, &r))
        return whole(r);
    return Number::Of(exactOp(a.Exact(), b.Exact()).RoundedToDigits(DecimalNumber::kMaxDigits));
}

const auto kAdd = [](long long x, long long y, long long* r) { return __builtin_add_overflow(x, y, r); };
const auto kSub = [](long long x, long long y, long long* r) { return __builtin_sub_overflow(x, y, r); };
const auto kMul = [](long long x, long long y, long long* r) { return __builtin_mul_overflow(x, y, r); };
const auto kExactAdd = [](const DecimalNumber& x, const DecimalNumber& y) { return x + y; };
const auto kExactSub = [](const DecimalNumber& x, const DecimalNumber& y) { return x - y; };
const auto kExactMul = [](const DecimalNumber& x, const DecimalNumber& y) { return x * y; };

// The quotient to the digits the database keeps.
Number quotient(const Number& a, const Number& b)
{
    return Number::Of(DecimalNumber::Divide(a.Exact(), b.Exact()));
}

void addition(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    Number a, b;
    if (operands(ctx, argv, Db::Oracle, a, b))
        result(ctx, arithmetic(a, b, kAdd, kExactAdd));
}

void subtraction(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    Number a, b;
    if (operands(ctx, argv, Db::Oracle, a, b))
        result(ctx, arithmetic(a, b, kSub, kExactSub));
}

void multiplication(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    Number a, b;
    if (operands(ctx, argv, Db::Oracle, a, b))
        result(ctx, arithmetic(a, b, kMul, kExactMul));
}

// Oracle divides exactly: a whole quotient stays whole, any other is the real one.
void oracleDivision(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    Number a, b;
    if (!operands(ctx, argv, Db::Oracle, a, b))
        return;
    if (b.IsZero()) {
        sqlite3_result_error(ctx, ServerSqlFunctions::kOracleDivideByZero, -1);
        return;
    }
    if (a.whole && b.whole && !(a.i == LLONG_MIN && b.i == -1) && a.i % b.i == 0)
        result(ctx, whole(a.i / b.i));
    else
        result(ctx, quotient(a, b));
}

// SQL Server divides two whole numbers as whole numbers (cut towards zero).
void sqlServerDivision(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    Number a, b;
    if (!operands(ctx, argv, Db::SqlServer, a, b))
        return;
    if (b.IsZero())
        sqlite3_result_error(ctx, ServerSqlFunctions::kSqlServerDivideByZero, -1);
    else if (a.whole && b.whole && !(a.i == LLONG_MIN && b.i == -1))
        result(ctx, whole(a.i / b.i));
    else
        result(ctx, quotient(a, b));
}

void sqlServerModulo(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    Number a, b;
    if (!operands(ctx, argv, Db::SqlServer, a, b))
        return;
    if (b.IsZero())
        sqlite3_result_error(ctx, ServerSqlFunctions::kSqlServerDivideByZero, -1);
    else if (a.whole && b.whole)
        result(ctx, whole(b.i == -1 ? 0 : a.i % b.i));
    else
        result(ctx, Number::Of(DecimalNumber::Remainder(a.Exact(), b.Exact())));
}

// SQL Server's "+": two texts are joined, a text and a number added as numbers; NULL stays NULL.
void sqlServerPlus(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    if (anyNull(2, argv)) {
        sqlite3_result_null(ctx);
        return;
    }
    const auto isText = [](sqlite3_value* v) {
        return sqlite3_value_type(v) == SQLITE_TEXT ||
               (sqlite3_value_type(v) == SQLITE_BLOB && !ServerValues::IsWideNumber(v));
    };
    if (isText(argv[0]) && isText(argv[1])) {
        const std::string s = ServerValues::TextOf(argv[0]) + ServerValues::TextOf(argv[1]);
        sqlite3_result_text(ctx, s.data(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
        return;
    }
    Number a, b;
    if (operands(ctx, argv, Db::SqlServer, a, b))
        result(ctx, arithmetic(a, b, kAdd, kExactAdd));
}

// SQL Server's "-" and "*" on numbers, a text converted (or refused) as SQL Server does.
void sqlServerMinus(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    Number a, b;
    if (operands(ctx, argv, Db::SqlServer, a, b))
        result(ctx, arithmetic(a, b, kSub, kExactSub));
}

void sqlServerTimes(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    Number a, b;
    if (operands(ctx, argv, Db::SqlServer, a, b))
        result(ctx, arithmetic(a, b, kMul, kExactMul));
}

std::string oracleTextOf(sqlite3_value* v) { return ServerValues::OracleTextOf(v); }

// "||" and concat(): NULL counts as the empty text.
void oracleConcat(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    std::string s;
    for (int a = 0; a < argc; ++a)
        s += oracleTextOf(argv[a]);
    oracleText(ctx, s);
}

// A whole-number argument: Oracle cuts a real one towards zero.
bool positionOf(sqlite3_context* ctx, sqlite3_value* v, long long& out)
{
    Number n;
    if (!numberOf(ctx, v, Db::Oracle, nullptr, n))
        return false;
    out = n.whole ? n.i : static_cast<long long>(std::trunc(std::fmax(std::fmin(n.Real(), 9e18), -9e18)));
    return true;
}

// substr(text, position[, length]) by bytes: position 0 is 1, a negative one counts from the end;
// a length below 1 or a start beyond the text gives NULL.
void oracleSubstr(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    if (argc < 2 || argc > 3) {
        sqlite3_result_error(ctx, "ORA-00938: not enough arguments for function", -1);
        return;
    }
    if (anyNull(argc, argv)) {
        sqlite3_result_null(ctx);
        return;
    }
    const std::string s = oracleTextOf(argv[0]);
    long long position = 0, length = LLONG_MAX;
    if (!positionOf(ctx, argv[1], position) || (argc == 3 && !positionOf(ctx, argv[2], length)))
        return;
    const long long size = static_cast<long long>(s.size());
    const long long start = position > 0 ? position - 1 : position == 0 ? 0 : size + position;
    if (start < 0 || start >= size || length < 1) {
        sqlite3_result_null(ctx);
        return;
    }
    oracleText(ctx, s.substr(static_cast<size_t>(start), static_cast<size_t>(std::min(length, size - start))));
}

enum class Side { Left = 1, Right = 2, Both = 3 };

template <Side side>
void oracleTrim(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    if (argc < 1 || argc > 2) {
        sqlite3_result_error(ctx, "ORA-00938: not enough arguments for function", -1);
        return;
    }
    if (anyNull(argc, argv)) {
        sqlite3_result_null(ctx);
        return;
    }
    std::string s = oracleTextOf(argv[0]);
    const std::string set = argc == 2 ? oracleTextOf(argv[1]) : std::string(" ");
    if (static_cast<int>(side) & static_cast<int>(Side::Right)) {
        const size_t last = s.find_last_not_of(set);
        s.erase(last == std::string::npos ? 0 : last + 1);
    }
    if (static_cast<int>(side) & static_cast<int>(Side::Left))
        s.erase(0, std::min(s.find_first_not_of(set), s.size()));
    oracleText(ctx, s);
}

// replace(text, from[, to]): without "to" (or with NULL) every "from" is taken out; a NULL or
// empty "from" leaves the text as it is.
void oracleReplace(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    if (argc < 2 || argc > 3) {
        sqlite3_result_error(ctx, "ORA-00938: not enough arguments for function", -1);
        return;
    }
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    std::string s = oracleTextOf(argv[0]);
    const std::string from = oracleTextOf(argv[1]);
    const std::string to = argc == 3 ? oracleTextOf(argv[2]) : std::string();
    if (!from.empty()) {
        std::string out;
        size_t at = 0;
        for (size_t hit; (hit = s.find(from, at)) != std::string::npos; at = hit + from.size())
            out += s.substr(at, hit - at) + to;
        s = out + s.substr(at);
    }
    oracleText(ctx, s);
}

using Function = void (*)(sqlite3_context*, int, sqlite3_value**);

} // namespace

void ServerSqlFunctions::Register(sqlite3* db)
{
    const struct {
        const char* name;
        int arguments; // -1: any number, checked by the function
        Function function;
    } functions[] = {
        {"ris_add", 2, addition},          {"ris_sub", 2, subtraction},     {"ris_mul", 2, multiplication},
        {"ris_div", 2, oracleDivision},    {"ris_concat", -1, oracleConcat}, {"ris_substr", -1, oracleSubstr},
        {"ris_trim", -1, oracleTrim<Side::Both>}, {"ris_ltrim", -1, oracleTrim<Side::Left>},
        {"ris_rtrim", -1, oracleTrim<Side::Right>}, {"ris_replace", -1, oracleReplace},
        {"mss_div", 2, sqlServerDivision}, {"mss_mod", 2, sqlServerModulo}, {"mss_add", 2, sqlServerPlus},
        {"mss_sub", 2, sqlServerMinus},    {"mss_mul", 2, sqlServerTimes},
    };
    for (const auto& f : functions)
        sqlite3_create_function_v2(db, f.name, f.arguments, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, f.function,
                                   nullptr, nullptr, nullptr);
    ServerValues::Register(db);
    ServerNumberFunctions::Register(db);
}
