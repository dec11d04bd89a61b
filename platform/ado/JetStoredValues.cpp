// Values converted for the fields of an Access database as its engine stores them.
#include "platform/ado/JetStoredValues.h"

#include "platform/NumberValue.h"
#include "platform/TextUtil.h"
#include "platform/ado/AdoTypes.h"
#include "platform/ado/JetSqlTranslator.h"
#include "platform/ado/Variant.h"

#include <sqlite3.h>

#include <cctype>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <optional>

namespace {

constexpr const char* kFunction = "jet_store";

// ---- the conversion -------------------------------------------------------------------------

std::string textOf(sqlite3_value* v)
{
    const auto* p = reinterpret_cast<const char*>(sqlite3_value_text(v));
    return p ? std::string(p, static_cast<size_t>(sqlite3_value_bytes(v))) : std::string();
}

// The number a value stands for; nothing for a text that is no number.
std::optional<double> numberOf(sqlite3_value* v)
{
    switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER:
        return static_cast<double>(sqlite3_value_int64(v));
    case SQLITE_FLOAT:
        return sqlite3_value_double(v);
    default:
        return ParseNumberText(textOf(v));
    }
}

bool isBlankText(sqlite3_value* v)
{
    const int storage = sqlite3_value_type(v);
    return (storage == SQLITE_TEXT || storage == SQLITE_BLOB) && Trim(textOf(v)).empty();
}

// The range of a whole-number field; false for any other.
bool wholeRange(int type, long long& low, long long& high)
{
    switch (type) {
    case adSmallInt:
        low = -32768, high = 32767;
        return true;
    case adInteger:
        low = INT32_MIN, high = INT32_MAX;
        return true;
    case adUnsignedTinyInt:
        low = 0, high = 255;
        return true;
    case adTinyInt:
        low = -128, high = 127;
        return true;
    case adBigInt:
        low = INT64_MIN, high = INT64_MAX;
        return true;
    default:
        return false;
    }
}

void storeWhole(sqlite3_context* ctx, sqlite3_value* v, long long low, long long high)
{
    if (sqlite3_value_type(v) == SQLITE_INTEGER) {
        const long long n = sqlite3_value_int64(v);
        if (n < low || n > high)
            return sqlite3_result_error(ctx, JetStoredValues::kNumericOverflow, -1);
        return sqlite3_result_int64(ctx, n);
    }
    const std::optional<double> n = numberOf(v);
    if (!n)
        return sqlite3_result_error(ctx, JetStoredValues::kTypeMismatch, -1);
    const double whole = std::nearbyint(*n); // half to even, as the engine rounds
    if (!std::isfinite(whole) || whole < static_cast<double>(low) || whole >= static_cast<double>(high) + 1.0)
        return sqlite3_result_error(ctx, JetStoredValues::kNumericOverflow, -1);
    sqlite3_result_int64(ctx, static_cast<long long>(whole));
}

// A number of more digits than a double holds, for a field that is no Single: kept with every
// digit, as the text of its digits in a blob that no affinity converts (a whole number from 2^53
// on, a text or blob of a wide number); nothing for any other value.
std::optional<std::string> everyDigit(sqlite3_value* v, int type)
{
    constexpr long long kExactWhole = 1LL << 53;
    if (type == adSingle)
        return std::nullopt;
    std::optional<NumberValue> n;
    if (sqlite3_value_type(v) == SQLITE_INTEGER)
        n = NumberValue{true, sqlite3_value_int64(v), 0, std::nullopt};
    else if (sqlite3_value_type(v) == SQLITE_TEXT || sqlite3_value_type(v) == SQLITE_BLOB)
        n = NumberValue::Read(TrimWhite(textOf(v)));
    if (!n || !(n->IsWide() || (n->whole && (n->i > kExactWhole || n->i < -kExactWhole))))
        return std::nullopt;
    return n->Exact().PlainText();
}

void storeFloating(sqlite3_context* ctx, sqlite3_value* v, int type)
{
    if (const std::optional<std::string> digits = everyDigit(v, type))
        return sqlite3_result_blob(ctx, digits->data(), static_cast<int>(digits->size()), SQLITE_TRANSIENT);
    const std::optional<double> n = numberOf(v);
    if (!n)
        return sqlite3_result_error(ctx, JetStoredValues::kTypeMismatch, -1);
    if (!std::isfinite(*n) || (type == adSingle && std::fabs(*n) > FLT_MAX))
        return sqlite3_result_error(ctx, JetStoredValues::kNumericOverflow, -1);
    if (sqlite3_value_type(v) == SQLITE_INTEGER || sqlite3_value_type(v) == SQLITE_FLOAT)
        return sqlite3_result_value(ctx, v);
    sqlite3_result_double(ctx, *n);
}

// A currency amount is kept as the engine keeps it, exactly: a whole amount as an integer, one
// that a double carries to its four decimals as that double (so that conditions and sums on the
// column compute as before), and only an amount of more digits than a double holds as its text,
// kept from conversion as a blob.
void storeCurrency(sqlite3_context* ctx, sqlite3_value* v)
{
    std::optional<long long> amount;
    switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER: {
        const long long n = sqlite3_value_int64(v);
        if (n >= -922337203685477LL && n <= 922337203685477LL)
            amount = n * 10000;
        break;
    }
    case SQLITE_FLOAT:
        amount = CurrencyOfDouble(sqlite3_value_double(v));
        break;
    default:
        amount = ParseCurrencyText(textOf(v));
        if (!amount && !ParseNumberText(textOf(v)))
            return sqlite3_result_error(ctx, JetStoredValues::kTypeMismatch, -1);
        break;
    }
    if (!amount)
        return sqlite3_result_error(ctx, JetStoredValues::kNumericOverflow, -1);
    if (*amount % 10000 == 0)
        return sqlite3_result_int64(ctx, *amount / 10000);
    const std::string text = FormatCurrencyText(*amount);
    const double d = std::strtod(text.c_str(), nullptr);
    if (CurrencyOfDouble(d) == amount)
        return sqlite3_result_double(ctx, d);
    sqlite3_result_blob(ctx, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

void storeText(sqlite3_context* ctx, sqlite3_value* v, int type, long size)
{
    std::string text;
    switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER:
        text = std::to_string(sqlite3_value_int64(v));
        break;
    case SQLITE_FLOAT:
        text = FormatNumberText(sqlite3_value_double(v));
        break;
    default:
        text = textOf(v);
        break;
    }
    const bool longText = type == adLongVarChar || type == adLongVarWChar;
    // The system's texts are one byte per character.
    if (!longText && size > 0 && static_cast<long>(text.size()) > size)
        return sqlite3_result_error(ctx, JetStoredValues::kFieldTooSmall, -1);
    if (sqlite3_value_type(v) == SQLITE_TEXT)
        return sqlite3_result_value(ctx, v);
    sqlite3_result_text(ctx, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

// jet_store(value, ado type, defined size)
void store(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    sqlite3_value* v = argv[0];
    const int type = sqlite3_value_int(argv[1]);
    const long size = static_cast<long>(sqlite3_value_int64(argv[2]));
    if (sqlite3_value_type(v) == SQLITE_NULL)
        return sqlite3_result_null(ctx);
    long long low = 0, high = 0;
    const bool numeric = wholeRange(type, low, high) || IsAdoFloatType(type);
    // An empty text is no number: the field gets none, as a recordset field does.
    if (numeric && isBlankText(v))
        return sqlite3_result_null(ctx);
    if (wholeRange(type, low, high))
        return storeWhole(ctx, v, low, high);
    if (type == adCurrency)
        return storeCurrency(ctx, v);
    if (IsAdoFloatType(type))
        return storeFloating(ctx, v, type);
    if (IsAdoTextType(type) && type != adGUID)
        return storeText(ctx, v, type, size);
    sqlite3_result_value(ctx, v); // dates, Booleans, GUIDs and binary data as given
}

// ---- the statements -------------------------------------------------------------------------

struct Token {
    enum class Kind { Space, Text, Name, Word, Number, Symbol };
    Kind kind;
    std::string text;
};

bool isWordChar(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '$' || static_cast<unsigned char>(c) >= 0x80;
}

// The SQLite text of a translated statement as words, names, texts, numbers and symbols.
std::vector<Token> tokenize(const std::string& s)
{
    std::vector<Token> out;
    size_t i = 0;
    const auto quoted = [&](char close) {
        size_t j = i + 1;
        while (j < s.size() && !(s[j] == close && (j + 1 >= s.size() || s[j + 1] != close || close == ']')))
            j += s[j] == close ? 2 : 1;
        return std::min(j + 1, s.size());
    };
    while (i < s.size()) {
        const char c = s[i];
        size_t end = i + 1;
        Token::Kind kind = Token::Kind::Symbol;
        if (std::isspace(static_cast<unsigned char>(c))) {
            while (end < s.size() && std::isspace(static_cast<unsigned char>(s[end])))
                ++end;
            kind = Token::Kind::Space;
        } else if (c == '-' && i + 1 < s.size() && s[i + 1] == '-') {
            end = std::min(s.find('\n', i), s.size());
            kind = Token::Kind::Space;
        } else if (c == '/' && i + 1 < s.size() && s[i + 1] == '*') {
            const size_t close = s.find("*/", i + 2);
            end = close == std::string::npos ? s.size() : close + 2;
            kind = Token::Kind::Space;
        } else if (c == '\'') {
            end = quoted('\'');
            kind = Token::Kind::Text;
        } else if (c == '"' || c == '`' || c == '[') {
            end = quoted(c == '[' ? ']' : c);
            kind = Token::Kind::Name;
        } else if (std::isdigit(static_cast<unsigned char>(c)) ||
                   (c == '.' && i + 1 < s.size() && std::isdigit(static_cast<unsigned char>(s[i + 1])))) {
            while (end < s.size() && (std::isdigit(static_cast<unsigned char>(s[end])) || s[end] == '.'))
                ++end;
            if (end < s.size() && (s[end] == 'e' || s[end] == 'E')) {
                size_t e = end + 1;
                if (e < s.size() && (s[e] == '+' || s[e] == '-'))
                    ++e;
                if (e < s.size() && std::isdigit(static_cast<unsigned char>(s[e]))) {
                    while (e < s.size() && std::isdigit(static_cast<unsigned char>(s[e])))
                        ++e;
                    end = e;
                }
            }
            kind = Token::Kind::Number;
        } else if (isWordChar(c)) {
            while (end < s.size() && isWordChar(s[end]))
                ++end;
            kind = Token::Kind::Word;
        }
        out.push_back({kind, s.substr(i, end - i)});
        i = end;
    }
    return out;
}

bool isSymbol(const Token& t, char c) { return t.kind == Token::Kind::Symbol && t.text[0] == c; }
bool isWord(const Token& t, const char* w) { return t.kind == Token::Kind::Word && EqualsNoCase(t.text, w); }

size_t skipSpace(const std::vector<Token>& t, size_t i)
{
    while (i < t.size() && t[i].kind == Token::Kind::Space)
        ++i;
    return i;
}

std::string join(const std::vector<Token>& t, size_t from, size_t to)
{
    std::string s;
    for (size_t i = from; i < to && i < t.size(); ++i)
        s += t[i].text;
    return s;
}

// A name as the table knows it: without its quotes.
std::string nameOf(const Token& t)
{
    if (t.kind != Token::Kind::Name)
        return t.text;
    const char close = t.text[0] == '[' ? ']' : t.text[0];
    return ReplaceAll(t.text.substr(1, t.text.size() - 2), std::string(2, close), std::string(1, close));
}

const JetStoredValues::Column* columnNamed(const std::vector<JetStoredValues::Column>& columns, const std::string& name)
{
    for (const auto& c : columns)
        if (EqualsNoCase(c.name, name))
            return &c;
    return nullptr;
}

// The expression of tokens [from, to) for a column: a currency amount written as a number
// becomes its text, so that no digit is lost to a double before it is converted.
std::string exactFor(const std::vector<Token>& t, size_t from, size_t to, const JetStoredValues::Column& column)
{
    if (column.adoType == adCurrency) {
        std::vector<const Token*> words;
        for (size_t i = from; i < to; ++i)
            if (t[i].kind != Token::Kind::Space)
                words.push_back(&t[i]);
        const bool signed_ = words.size() == 2 && (isSymbol(*words[0], '-') || isSymbol(*words[0], '+'));
        if ((words.size() == 1 || signed_) && words.back()->kind == Token::Kind::Number)
            return "'" + (signed_ ? words[0]->text : std::string()) + words.back()->text + "'";
    }
    return join(t, from, to);
}

std::string stored(const std::string& expression, const JetStoredValues::Column& column)
{
    return std::string(kFunction) + "(" + expression + ", " + std::to_string(column.adoType) + ", " +
           std::to_string(column.definedSize) + ")";
}

// "VALUES (..), (..)" with each currency amount written as a number kept to its last digit.
std::string exactValues(const std::vector<Token>& t, size_t from, const std::vector<const JetStoredValues::Column*>& columns)
{
    std::string out;
    int depth = 0;
    size_t item = 0, itemStart = from;
    for (size_t i = from; i < t.size(); ++i) {
        const bool closesRow = isSymbol(t[i], ')') && depth == 1;
        if (depth == 1 && (closesRow || isSymbol(t[i], ','))) {
            out += item < columns.size() ? exactFor(t, itemStart, i, *columns[item]) : join(t, itemStart, i);
            ++item;
            itemStart = i + 1;
        }
        if (isSymbol(t[i], '(')) {
            if (++depth == 1) {
                item = 0;
                itemStart = i + 1;
            }
        } else if (isSymbol(t[i], ')')) {
            --depth;
        }
        if (depth == 0 || (depth == 1 && (isSymbol(t[i], '(') || isSymbol(t[i], ',') || closesRow)))
            out += t[i].text;
    }
    return out;
}

} // namespace

void JetStoredValues::Register(sqlite3* db)
{
    sqlite3_create_function_v2(db, kFunction, 3, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, store, nullptr, nullptr,
                               nullptr);
}

bool JetStoredValues::IsRefusal(const std::string& message)
{
    return message == kFieldTooSmall || message == kNumericOverflow || message == kTypeMismatch;
}

std::string JetStoredValues::Insert(const std::string& target, const std::string& rest, const std::vector<Column>& columns)
{
    const std::string unchanged = "INSERT INTO " + target + " " + rest;
    const std::vector<Token> t = tokenize(rest);
    size_t i = skipSpace(t, 0);
    std::vector<const Column*> into;
    if (i < t.size() && isSymbol(t[i], '(')) {
        const size_t first = skipSpace(t, i + 1);
        if (first < t.size() && !isWord(t[first], "SELECT") && !isWord(t[first], "WITH") && !isWord(t[first], "VALUES")) {
            for (i = first; i < t.size() && !isSymbol(t[i], ')'); i = skipSpace(t, i + 1)) {
                if (isSymbol(t[i], ','))
                    continue;
                const Column* c = t[i].kind == Token::Kind::Name || t[i].kind == Token::Kind::Word
                                      ? columnNamed(columns, nameOf(t[i]))
                                      : nullptr;
                if (!c)
                    return unchanged; // the engine names what it does not know
                into.push_back(c);
            }
            if (i >= t.size())
                return unchanged;
            i = skipSpace(t, i + 1);
        }
    }
    if (into.empty())
        for (const Column& c : columns)
            into.push_back(&c);
    if (i >= t.size() || into.empty() || isWord(t[i], "DEFAULT"))
        return unchanged;
    const std::string source = isWord(t[i], "VALUES") ? exactValues(t, i, into) : join(t, i, t.size());
    std::vector<std::string> sourceNames, names, values;
    for (size_t k = 0; k < into.size(); ++k) {
        const std::string name = JetSqlTranslator::QuoteIdent("c" + std::to_string(k + 1));
        sourceNames.push_back(name);
        names.push_back(JetSqlTranslator::QuoteIdent(into[k]->name));
        values.push_back(stored(name, *into[k]));
    }
    return "WITH \"jet_source\"(" + Join(sourceNames, ", ") + ") AS (" + source + ") INSERT INTO " + target + " (" +
           Join(names, ", ") + ") SELECT " + Join(values, ", ") + " FROM \"jet_source\"";
}

std::string JetStoredValues::UpdatedTable(const std::string& sql)
{
    const std::vector<Token> t = tokenize(sql);
    size_t i = skipSpace(t, 0);
    if (i >= t.size() || !isWord(t[i], "UPDATE"))
        return {};
    std::string table;
    for (i = skipSpace(t, i + 1); i < t.size(); i = skipSpace(t, i + 1)) {
        if (t[i].kind != Token::Kind::Name && t[i].kind != Token::Kind::Word)
            return {};
        table = nameOf(t[i]);
        const size_t next = skipSpace(t, i + 1);
        if (next >= t.size() || !isSymbol(t[next], '.'))
            break;
        i = next;
    }
    return table;
}

std::string JetStoredValues::Update(const std::string& sql, const std::vector<Column>& columns)
{
    const std::vector<Token> t = tokenize(sql);
    size_t set = 0;
    while (set < t.size() && !isWord(t[set], "SET"))
        ++set;
    if (set >= t.size())
        return sql;
    std::string out = join(t, 0, set + 1);
    int depth = 0;
    const Column* column = nullptr;
    bool assigned = false; // the "=" of the assignment under way is read
    size_t from = set + 1;
    for (size_t i = set + 1; i <= t.size(); ++i) {
        const bool end = i == t.size() || (depth == 0 && (isSymbol(t[i], ',') || isWord(t[i], "WHERE")));
        if (end) {
            out += column ? " " + stored(exactFor(t, from, i, *column), *column) + " " : join(t, from, i);
            if (i < t.size())
                out += join(t, i, isWord(t[i], "WHERE") ? t.size() : i + 1);
            if (i == t.size() || isWord(t[i], "WHERE"))
                break;
            column = nullptr;
            assigned = false;
            from = i + 1;
            continue;
        }
        if (isSymbol(t[i], '('))
            ++depth;
        else if (isSymbol(t[i], ')'))
            --depth;
        else if (depth == 0 && !assigned && isSymbol(t[i], '=')) {
            assigned = true;
            std::string name;
            for (size_t k = from; k < i; ++k)
                if (t[k].kind == Token::Kind::Name || t[k].kind == Token::Kind::Word)
                    name = nameOf(t[k]);
            column = columnNamed(columns, name);
            out += join(t, from, i + 1);
            from = i + 1;
        }
    }
    return out;
}
