// Comparison, order, rounding and aggregates of numbers on the stand-in server.
#include "standins/dbserver/ServerNumberFunctions.h"

#include "standins/dbserver/ServerSqlFunctions.h"
#include "standins/dbserver/ServerValues.h"

#include <sqlite3.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <optional>
#include <string>

namespace {

bool isNull(sqlite3_value* v) { return sqlite3_value_type(v) == SQLITE_NULL; }

// A value that is a number to the engine: whole, real, or a number kept as a blob.
bool isNumber(sqlite3_value* v)
{
    const int type = sqlite3_value_type(v);
    return type == SQLITE_INTEGER || type == SQLITE_FLOAT || ServerValues::IsWideNumber(v);
}

// A text that reads as a number of more digits than a double holds.
bool isWideText(sqlite3_value* v)
{
    if (sqlite3_value_type(v) != SQLITE_TEXT)
        return false;
    const auto n = ServerValues::NumberOf(v);
    return n && n->IsWide();
}

// A number argument (a text read as its number); fails the call with the database's refusal.
std::optional<NumberValue> numberArgument(sqlite3_context* ctx, sqlite3_value* v)
{
    auto n = ServerValues::NumberOf(v);
    if (!n)
        sqlite3_result_error(ctx, ServerSqlFunctions::kOracleInvalidNumber, -1);
    return n;
}

int compareBytes(sqlite3_value* a, sqlite3_value* b)
{
    const bool text = sqlite3_value_type(a) == SQLITE_TEXT;
    const void* x = text ? static_cast<const void*>(sqlite3_value_text(a)) : sqlite3_value_blob(a);
    const void* y = text ? static_cast<const void*>(sqlite3_value_text(b)) : sqlite3_value_blob(b);
    const int nx = sqlite3_value_bytes(a), ny = sqlite3_value_bytes(b);
    const int c = nx && ny ? std::memcmp(x, y, static_cast<size_t>(std::min(nx, ny))) : 0;
    return c != 0 ? (c < 0 ? -1 : 1) : nx < ny ? -1 : nx > ny ? 1 : 0;
}

// Two values that are not NULL: numbers by their value (a text beside a number as the number it
// reads as, as the database converts it), else as the engine orders them: numbers, then texts,
// then other blobs, texts and blobs by their bytes.
int compareValues(sqlite3_value* a, sqlite3_value* b)
{
    const bool na = isNumber(a), nb = isNumber(b);
    if (na || nb) {
        const auto x = ServerValues::NumberOf(a), y = ServerValues::NumberOf(b);
        if (x && y)
            return NumberValue::Compare(*x, *y);
    }
    const auto rank = [](sqlite3_value* v, bool number) {
        return number ? 0 : sqlite3_value_type(v) == SQLITE_TEXT ? 1 : 2;
    };
    const int ra = rank(a, na), rb = rank(b, nb);
    if (ra != rb)
        return ra < rb ? -1 : 1;
    return compareBytes(a, b);
}

void negated(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    if (isNull(argv[0])) {
        sqlite3_result_null(ctx);
        return;
    }
    const auto n = numberArgument(ctx, argv[0]);
    if (!n)
        return;
    if (n->whole && n->i != LLONG_MIN)
        sqlite3_result_int64(ctx, -n->i);
    else if (!n->whole && !n->IsWide())
        sqlite3_result_double(ctx, -n->d);
    else
        ServerValues::Result(ctx, NumberValue::Of(n->Exact().Negated()));
}

void needsEveryDigit(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    const auto numeric = [](sqlite3_value* v) {
        return sqlite3_value_type(v) == SQLITE_INTEGER || sqlite3_value_type(v) == SQLITE_FLOAT;
    };
    sqlite3_result_int(ctx, ServerValues::IsWideNumber(argv[0]) || ServerValues::IsWideNumber(argv[1]) ||
                                (isWideText(argv[0]) && numeric(argv[1])) ||
                                (isWideText(argv[1]) && numeric(argv[0])));
}

void compared(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    if (isNull(argv[0]) || isNull(argv[1]))
        sqlite3_result_null(ctx);
    else
        sqlite3_result_int(ctx, compareValues(argv[0], argv[1]));
}

void orderKey(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    if (isNull(argv[0])) {
        sqlite3_result_null(ctx);
        return;
    }
    // Any other value after every number: its own order follows from the next key.
    const std::string key = isNumber(argv[0]) ? ServerValues::NumberOf(argv[0])->Exact().OrderKey() : "\xFF";
    sqlite3_result_blob(ctx, key.data(), static_cast<int>(key.size()), SQLITE_TRANSIENT);
}

void rounded(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    for (int a = 0; a < argc; ++a)
        if (isNull(argv[a])) {
            sqlite3_result_null(ctx);
            return;
        }
    const auto n = numberArgument(ctx, argv[0]);
    std::optional<NumberValue> places = argc > 1 ? numberArgument(ctx, argv[1]) : NumberValue{true, 0, 0, std::nullopt};
    if (!n || !places)
        return;
    // The decimals are a whole number, cut towards zero as the database cuts them.
    const double d = places->whole ? static_cast<double>(places->i) : std::trunc(places->Real());
    const long decimals = static_cast<long>(std::fmax(std::fmin(d, 1000), -1000));
    if (n->whole && decimals >= 0)
        sqlite3_result_int64(ctx, n->i);
    else
        ServerValues::Result(ctx, NumberValue::Of(n->Exact().Rounded(decimals)));
}

void absolute(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    if (isNull(argv[0])) {
        sqlite3_result_null(ctx);
        return;
    }
    const auto n = numberArgument(ctx, argv[0]);
    if (!n)
        return;
    if (n->whole && n->i != LLONG_MIN)
        sqlite3_result_int64(ctx, n->i < 0 ? -n->i : n->i);
    else if (!n->whole && !n->IsWide())
        sqlite3_result_double(ctx, std::fabs(n->d));
    else
        ServerValues::Result(ctx, NumberValue::Of(n->Exact().Abs()));
}

// The state of an aggregate lives on the heap; the engine's context holds a pointer to it, and
// the final call (which the engine makes also for a query that failed) frees it.
template <typename State>
State* stateOf(sqlite3_context* ctx)
{
    auto** slot = static_cast<State**>(sqlite3_aggregate_context(ctx, sizeof(State*)));
    if (!slot) {
        sqlite3_result_error_nomem(ctx);
        return nullptr;
    }
    if (!*slot)
        *slot = new State();
    return *slot;
}

template <typename State>
State* takeState(sqlite3_context* ctx)
{
    auto** slot = static_cast<State**>(sqlite3_aggregate_context(ctx, 0));
    State* state = slot ? *slot : nullptr;
    if (slot)
        *slot = nullptr;
    return state;
}

struct Sum {
    long long count = 0;
    bool whole = true;
    long long i = 0;
    DecimalNumber exact;
};

void sumStep(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    if (isNull(argv[0]))
        return;
    const auto n = numberArgument(ctx, argv[0]);
    Sum* s = n ? stateOf<Sum>(ctx) : nullptr;
    if (!s)
        return;
    ++s->count;
    long long sum = 0;
    if (s->whole && n->whole && !__builtin_add_overflow(s->i, n->i, &sum)) {
        s->i = sum;
        return;
    }
    if (s->whole) {
        s->exact = DecimalNumber::OfInteger(s->i);
        s->whole = false;
    }
    s->exact = s->exact + n->Exact();
}

template <bool average>
void sumFinal(sqlite3_context* ctx)
{
    Sum* s = takeState<Sum>(ctx);
    if (!s || s->count == 0) {
        sqlite3_result_null(ctx);
    } else {
        const DecimalNumber total = s->whole ? DecimalNumber::OfInteger(s->i) : s->exact;
        ServerValues::Result(ctx, NumberValue::Of(average ? DecimalNumber::Divide(total, DecimalNumber::OfInteger(s->count))
                                                           : total.RoundedToDigits(DecimalNumber::kMaxDigits)));
    }
    delete s;
}

struct Extreme {
    sqlite3_value* best = nullptr;
    ~Extreme() { sqlite3_value_free(best); }
};

template <int sign>
void extremeStep(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    if (isNull(argv[0]))
        return;
    Extreme* e = stateOf<Extreme>(ctx);
    if (!e || (e->best && compareValues(argv[0], e->best) * sign <= 0))
        return;
    sqlite3_value_free(e->best);
    e->best = sqlite3_value_dup(argv[0]);
}

void extremeFinal(sqlite3_context* ctx)
{
    Extreme* e = takeState<Extreme>(ctx);
    if (e && e->best)
        sqlite3_result_value(ctx, e->best);
    else
        sqlite3_result_null(ctx);
    delete e;
}

// The least or greatest of several arguments; NULL when one is NULL.
template <int sign>
void extremeOf(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    int best = 0;
    for (int a = 0; a < argc; ++a) {
        if (isNull(argv[a])) {
            sqlite3_result_null(ctx);
            return;
        }
        if (compareValues(argv[a], argv[best]) * sign > 0)
            best = a;
    }
    sqlite3_result_value(ctx, argv[best]);
}

} // namespace

void ServerNumberFunctions::Register(sqlite3* db)
{
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    const struct {
        const char* name;
        int arguments;
        void (*function)(sqlite3_context*, int, sqlite3_value**);
    } scalars[] = {
        {"ris_neg", 1, negated},       {"ris_exact", 2, needsEveryDigit}, {"ris_cmp", 2, compared},
        {"ris_order", 1, orderKey},    {"ris_round", 1, rounded},         {"ris_round", 2, rounded},
        {"ris_abs", 1, absolute},      {"ris_min", -1, extremeOf<-1>},    {"ris_max", -1, extremeOf<1>},
    };
    for (const auto& f : scalars)
        sqlite3_create_function_v2(db, f.name, f.arguments, flags, nullptr, f.function, nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(db, "ris_sum", 1, flags, nullptr, nullptr, sumStep, sumFinal<false>, nullptr);
    sqlite3_create_function_v2(db, "ris_avg", 1, flags, nullptr, nullptr, sumStep, sumFinal<true>, nullptr);
    sqlite3_create_function_v2(db, "ris_min", 1, flags, nullptr, nullptr, extremeStep<-1>, extremeFinal, nullptr);
    sqlite3_create_function_v2(db, "ris_max", 1, flags, nullptr, nullptr, extremeStep<1>, extremeFinal, nullptr);
}
