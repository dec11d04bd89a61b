// Reading text tables into SQLite.
#include "platform/ado/TextTableLoader.h"

#include "platform/AppError.h"
#include "platform/TextUtil.h"
#include "platform/NumberValue.h"
#include "platform/PaddedText.h"
#include "platform/RisTimestamp.h"
#include "platform/ado/AdoTypes.h"
#include "platform/ado/JetEngine.h"
#include "platform/ado/JetSqlTranslator.h"
#include "platform/ado/Variant.h"

#include <sqlite3.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <string_view>

namespace {

[[noreturn]] void Fail(const std::string& description)
{
    throw AppError(adoerr::kUnspecified, "Microsoft OLE DB Provider for ODBC Drivers",
                   "[Microsoft][ODBC Text Driver] " + description);
}

void Exec(sqlite3* db, const std::string& sql)
{
    char* err = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &err) != SQLITE_OK) {
        const std::string message = err ? err : "unknown error";
        sqlite3_free(err);
        Fail(message);
    }
}

// The collations of number columns kept as text: every digit counted, or (a column of the
// server's doubles) as the double nearest to each number.
const char* const kNumberCollation = "tw_number";
const char* const kDoubleCollation = "tw_double";
// The collations of the server's char and moment columns.
const char* const kCharCollation = "tw_char";
const char* const kMomentCollation = "tw_moment";

void BindText(sqlite3_stmt* st, int index, const std::string& text)
{
    sqlite3_bind_text(st, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

// A number the engine would not keep with every digit, bound as the blob of its digits, which no
// affinity converts; the column is then kept as text (keepText).
bool BindWide(sqlite3_stmt* st, int index, const DecimalNumber& n)
{
    const std::string digits = n.PlainText();
    sqlite3_bind_blob(st, index, digits.data(), static_cast<int>(digits.size()), SQLITE_TRANSIENT);
    return true;
}

// Binds the field's value; true when it is a number that only the text of its digits keeps.
bool BindField(sqlite3_stmt* st, int index, const TextColumn& column, const std::string& rawText, bool fixed)
{
    const std::string text = fixed ? TrimRight(rawText) : rawText;
    if (text.empty()) {
        sqlite3_bind_null(st, index);
        return false;
    }
    if (IsAdoIntegerType(column.adoType) || column.adoType == adBoolean) {
        const std::optional<NumberValue> read = NumberValue::Read(text);
        std::optional<double> n;
        if (read) {
            // 2^63: a number beyond every whole number of 64 bits keeps its digits.
            if (column.adoType != adBoolean && !read->whole && std::fabs(read->Real()) >= 9223372036854775808.0)
                return BindWide(st, index, read->Exact().Rounded(0));
            if (read->whole) {
                sqlite3_bind_int64(st, index, read->i);
                return false;
            }
            n = read->Real();
        } else {
            n = ParseNumberText(text);
        }
        if (!n && column.adoType == adBoolean) {
            const std::string t = Trim(text);
            if (EqualsNoCase(t, "True") || EqualsNoCase(t, "Yes"))
                n = -1;
            else if (EqualsNoCase(t, "False") || EqualsNoCase(t, "No"))
                n = 0;
        }
        if (n && std::isfinite(*n) && std::fabs(*n) < 9223372036854775808.0)
            sqlite3_bind_int64(st, index, static_cast<sqlite3_int64>(std::nearbyint(*n)));
        else
            sqlite3_bind_null(st, index);
    } else if (IsAdoFloatType(column.adoType)) {
        if (const std::optional<NumberValue> n = NumberValue::Read(text)) {
            // A column of the server's doubles holds doubles, whatever digits their texts show.
            if (n->BeyondDouble() && column.server != TextColumn::Server::Double)
                return BindWide(st, index, n->Exact());
            sqlite3_bind_double(st, index, n->Real());
        } else if (const auto d = ParseNumberText(text)) {
            sqlite3_bind_double(st, index, *d);
        } else {
            sqlite3_bind_null(st, index);
        }
    } else if (IsAdoDateType(column.adoType)) {
        const auto d = ParseDateText(text);
        if (d)
            BindText(st, index, FormatDateText(*d));
        else
            sqlite3_bind_null(st, index);
    } else if (column.server == TextColumn::Server::Char) {
        // Read as the fixed layout reads it and as the server compares it, a text of blanks
        // being a text.
        const std::string_view shown = PaddedText::WithoutTrailingBlanks(text);
        sqlite3_bind_text(st, index, shown.data(), static_cast<int>(shown.size()), SQLITE_TRANSIENT);
    } else {
        BindText(st, index, text);
    }
    return false;
}

bool IsNumberColumn(const TextColumn& column)
{
    return (IsAdoIntegerType(column.adoType) || IsAdoFloatType(column.adoType)) && column.adoType != adBoolean;
}

std::string_view ViewOf(const void* data, int size)
{
    return std::string_view(static_cast<const char*>(data), static_cast<size_t>(size));
}

// Numbers before any other text, numbers by `compare`, other texts by their bytes.
template <typename NumberCompare>
int CompareNumbersFirst(std::string_view x, std::string_view y, NumberCompare compare)
{
    const std::optional<NumberValue> nx = NumberValue::Read(x), ny = NumberValue::Read(y);
    if (nx && ny)
        return compare(*nx, *ny);
    if (nx || ny)
        return nx ? -1 : 1;
    const int c = x.compare(y);
    return c < 0 ? -1 : c > 0 ? 1 : 0;
}

// Two texts of a number column kept as text: numbers by value, every digit counted.
int CompareNumberTexts(void*, int na, const void* a, int nb, const void* b)
{
    return CompareNumbersFirst(ViewOf(a, na), ViewOf(b, nb), NumberValue::Compare);
}

// Two texts of a column of the server's doubles kept as text: numbers as the doubles nearest to
// them, which is what such a column holds and how the server compares a number with it.
int CompareDoubleTexts(void*, int na, const void* a, int nb, const void* b)
{
    return CompareNumbersFirst(ViewOf(a, na), ViewOf(b, nb), [](const NumberValue& x, const NumberValue& y) {
        const double dx = x.Real(), dy = y.Real();
        return dx < dy ? -1 : dx > dy ? 1 : 0;
    });
}

// The server keeps no empty text (it reads '' as NULL): the empty text a statement compares
// with is none of the values of its columns, and sorts before them.
int CompareEmpty(std::string_view x, std::string_view y)
{
    return x.empty() == y.empty() ? 0 : x.empty() ? -1 : 1;
}

// Two texts of a column of the server's char values: blank-padded.
int CompareCharTexts(void*, int na, const void* a, int nb, const void* b)
{
    const std::string_view x = ViewOf(a, na), y = ViewOf(b, nb);
    if (const int empty = CompareEmpty(x, y))
        return empty;
    return PaddedText::Compare(x, y);
}

// Two texts of a column of the server's moments, each as the moment it writes: the date alone
// is that day's first moment.
int CompareMomentTexts(void*, int na, const void* a, int nb, const void* b)
{
    const std::string_view x = ViewOf(a, na), y = ViewOf(b, nb);
    if (const int empty = CompareEmpty(x, y))
        return empty;
    std::string xRoom, yRoom;
    const int c = RisTimestamp::Compared(x, xRoom).compare(RisTimestamp::Compared(y, yRoom));
    return c < 0 ? -1 : c > 0 ? 1 : 0;
}

// tw_read_number('<literal>'): the number a literal of a statement writes, read by NumberValue as
// the server reads it: a whole number of 64 bits as such, any other as the double nearest to it
// (a number of more digits than a double holds as the text of its digits).
void ReadNumber(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
    const std::optional<NumberValue> n =
        text ? NumberValue::Read(std::string_view(text, static_cast<size_t>(sqlite3_value_bytes(argv[0]))))
             : std::nullopt;
    if (!n) {
        sqlite3_result_error(ctx, "tw_read_number: no number", -1);
    } else if (n->whole) {
        sqlite3_result_int64(ctx, n->i);
    } else if (n->IsWide()) {
        const std::string digits = n->Exact().PlainText();
        sqlite3_result_text(ctx, digits.data(), static_cast<int>(digits.size()), SQLITE_TRANSIENT);
    } else {
        sqlite3_result_double(ctx, n->d);
    }
}

// The collation a column is declared with, after its type; none for the driver's own columns
// and the server's numbers kept as numbers.
std::string CollationOf(const TextColumn& column, bool keptAsText)
{
    if (keptAsText)
        return std::string(" COLLATE ") +
               (column.server == TextColumn::Server::Double ? kDoubleCollation : kNumberCollation);
    if (column.server == TextColumn::Server::Char)
        return std::string(" COLLATE ") + kCharCollation;
    if (column.server == TextColumn::Server::Moment)
        return std::string(" COLLATE ") + kMomentCollation;
    return {};
}

// tw_number_text(v): the text of every digit of a number value (a double as the shortest text
// that reads back as it, a blob of digits as its text); NULL and texts as they are.
void NumberText(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    sqlite3_value* v = argv[0];
    std::string text;
    switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER:
        text = std::to_string(sqlite3_value_int64(v));
        break;
    case SQLITE_FLOAT:
        text = FormatNumberText(sqlite3_value_double(v));
        break;
    case SQLITE_BLOB: {
        const auto* bytes = static_cast<const char*>(sqlite3_value_blob(v));
        text.assign(bytes ? bytes : "", static_cast<size_t>(sqlite3_value_bytes(v)));
        break;
    }
    default:
        sqlite3_result_value(ctx, v);
        return;
    }
    sqlite3_result_text(ctx, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

// The table made again with its number columns kept as text where keepText says so: the
// values of such a column all become the text of their digits, so that the column's collation
// compares every one of them.
void KeepAsText(sqlite3* db, const std::string& table, const TextTableSchema& schema,
                const std::vector<bool>& keepText)
{
    const std::string loaded = table + "_loaded";
    Exec(db, "ALTER TABLE " + JetSqlTranslator::QuoteIdent(table) + " RENAME TO " +
                 JetSqlTranslator::QuoteIdent(loaded));
    std::string create = "CREATE TABLE " + JetSqlTranslator::QuoteIdent(table) + " (";
    std::string select = "SELECT ";
    for (size_t i = 0; i < schema.columns.size(); ++i) {
        const TextColumn& c = schema.columns[i];
        const std::string name = JetSqlTranslator::QuoteIdent(c.name);
        create += (i ? ", " : "") + name + " " + (keepText[i] ? TextTableLoader::ExactDeclaredType(c) : c.sqlType) +
                  CollationOf(c, keepText[i]);
        select += (i ? ", " : "") + (keepText[i] ? "tw_number_text(" + name + ")" : name);
    }
    Exec(db, create + ")");
    Exec(db, "INSERT INTO " + JetSqlTranslator::QuoteIdent(table) + " " + select + " FROM " +
                 JetSqlTranslator::QuoteIdent(loaded));
    Exec(db, "DROP TABLE " + JetSqlTranslator::QuoteIdent(loaded));
}

} // namespace

std::vector<std::string> TextTableLoader::SplitDelimited(const std::string& line, char delimiter)
{
    std::vector<std::string> fields;
    size_t i = 0;
    const size_t n = line.size();
    while (true) {
        std::string field;
        if (i < n && line[i] == '"' && !(i + 1 < n && line[i + 1] == '"')) {
            ++i;
            while (i < n) {
                if (line[i] == '"') {
                    if (i + 1 < n && line[i + 1] == '"') {
                        field += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                field += line[i++];
            }
        }
        while (i < n && line[i] != delimiter) {
            if (line[i] == '"' && i + 1 < n && line[i + 1] == '"') {
                field += '"';
                i += 2;
            } else {
                field += line[i++];
            }
        }
        fields.push_back(std::move(field));
        if (i >= n)
            break;
        ++i;   // the delimiter
    }
    return fields;
}

void TextTableLoader::Register(sqlite3* db)
{
    sqlite3_create_collation_v2(db, kNumberCollation, SQLITE_UTF8, nullptr, CompareNumberTexts, nullptr);
    sqlite3_create_collation_v2(db, kDoubleCollation, SQLITE_UTF8, nullptr, CompareDoubleTexts, nullptr);
    sqlite3_create_collation_v2(db, kCharCollation, SQLITE_UTF8, nullptr, CompareCharTexts, nullptr);
    sqlite3_create_collation_v2(db, kMomentCollation, SQLITE_UTF8, nullptr, CompareMomentTexts, nullptr);
    sqlite3_create_function_v2(db, "tw_read_number", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, ReadNumber,
                               nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(db, "tw_number_text", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, NumberText,
                               nullptr, nullptr, nullptr);
}

std::string TextTableLoader::ExactDeclaredType(const TextColumn& column)
{
    // No "INT" in the name, which would give the column whole-number affinity.
    const std::string type = column.sqlType == "SMALLINT" ? std::string("SHORT")
                             : column.sqlType == "INTEGER" ? std::string("LONG")
                                                            : column.sqlType;
    return type + JetEngine::kAsTextSuffix;
}

void TextTableLoader::Load(sqlite3* db, const std::string& table, const std::string& textFileHostPath,
                           const TextTableSchema& schemaIn, Numbers numbers)
{
    std::ifstream in(textFileHostPath, std::ios::binary);
    if (!in)
        Fail("Could not open the text file '" + textFileHostPath + "'.");
    TextTableSchema schema = schemaIn;
    std::string line;
    const bool fixed = schema.format == TextTableSchema::Format::FixedLength;
    if (schema.colNameHeader && std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        // Without described columns the header names them, all as text.
        if (schema.columns.empty() && !fixed)
            for (const std::string& name : SplitDelimited(line, schema.delimiter))
                schema.columns.push_back(TextTableSchema::DescribeColumn(Trim(name), "char", 255));
    }
    if (schema.columns.empty())
        Fail("No columns are described for the text file '" + textFileHostPath + "'.");

    std::string create = "CREATE TABLE " + JetSqlTranslator::QuoteIdent(table) + " (";
    std::string insert = "INSERT INTO " + JetSqlTranslator::QuoteIdent(table) + " VALUES (";
    for (size_t i = 0; i < schema.columns.size(); ++i) {
        create += (i ? ", " : "") + JetSqlTranslator::QuoteIdent(schema.columns[i].name) + " " +
                  schema.columns[i].sqlType + CollationOf(schema.columns[i], false);
        insert += i ? ", ?" : "?";
    }
    Exec(db, create + ")");
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, (insert + ")").c_str(), -1, &st, nullptr) != SQLITE_OK)
        Fail(sqlite3_errmsg(db));
    Exec(db, "BEGIN");
    try {
        const int count = static_cast<int>(schema.columns.size());
        std::vector<bool> keepText(schema.columns.size(), false);
        if (numbers == Numbers::EveryDigit)
            for (int c = 0; c < count; ++c)
                keepText[c] = IsNumberColumn(schema.columns[c]);
        const auto bind = [&](int c, const std::string& text, bool fixedLayout) {
            if (BindField(st, c + 1, schema.columns[c], text, fixedLayout))
                keepText[c] = true;
        };
        while (std::getline(in, line)) {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            if (line.empty())
                continue;
            if (fixed) {
                size_t at = 0;
                for (int c = 0; c < count; ++c) {
                    const long w = schema.columns[c].width > 0 ? schema.columns[c].width : 0;
                    const std::string piece = at < line.size() ? line.substr(at, w) : std::string();
                    at += w;
                    bind(c, Trim(piece).empty() ? std::string() : piece, true);
                }
            } else {
                const std::vector<std::string> fields = SplitDelimited(line, schema.delimiter);
                for (int c = 0; c < count; ++c)
                    bind(c, c < static_cast<int>(fields.size()) ? fields[c] : std::string(), false);
            }
            if (sqlite3_step(st) != SQLITE_DONE)
                Fail(sqlite3_errmsg(db));
            sqlite3_reset(st);
        }
        sqlite3_finalize(st);
        st = nullptr;
        if (std::find(keepText.begin(), keepText.end(), true) != keepText.end())
            KeepAsText(db, table, schema, keepText);
        Exec(db, "COMMIT");
    } catch (...) {
        sqlite3_finalize(st);
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}
