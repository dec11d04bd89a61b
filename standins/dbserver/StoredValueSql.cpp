// Stored values of INSERT and UPDATE statements on the stand-in server.
#include "standins/dbserver/StoredValueSql.h"

#include "dbaccess/RisSqlText.h"
#include "platform/AppError.h"
#include "platform/TextUtil.h"
#include "standins/dbserver/RisColumnType.h"

#include <sqlite3.h>

namespace {

using Kind = SqlToken::Kind;

std::string sqlText(const std::string& s) { return "'" + ReplaceAll(s, "'", "''") + "'"; }

class Wrapper {
public:
    Wrapper(std::string_view sql, sqlite3* db, ServerDialect dialect)
        : t_(RisSqlText::Tokenize(sql)), db_(db), dialect_(dialect), sql_(sql)
    {
        for (size_t i = 0; i < t_.size(); ++i)
            if (t_[i].kind != Kind::Space && t_[i].kind != Kind::Comment)
                sig_.push_back(i);
    }

    std::string Run()
    {
        if (sig_.size() < 3)
            return sql_;
        const std::string first = upper(0);
        if (first == "INSERT" && upper(1) == "INTO")
            return insert();
        if (first == "UPDATE")
            return update();
        return sql_;
    }

private:
    std::string upper(size_t s) const { return s < sig_.size() && t_[sig_[s]].kind == Kind::Word ? ToUpper(t_[sig_[s]].text) : ""; }
    bool symbol(size_t s, const char* text) const
    {
        return s < sig_.size() && t_[sig_[s]].kind == Kind::Symbol && t_[sig_[s]].text == text;
    }
    std::string raw(size_t from, size_t to) const // token indexes
    {
        std::string s;
        for (size_t i = from; i < to && i < t_.size(); ++i)
            s += t_[i].text;
        return s;
    }
    // The significant position of the ")" that closes the "(" at s; npos when none.
    size_t closing(size_t s) const
    {
        int depth = 0;
        for (size_t k = s; k < sig_.size(); ++k) {
            if (symbol(k, "("))
                ++depth;
            else if (symbol(k, ")") && --depth == 0)
                return k;
        }
        return std::string::npos;
    }
    // The table named at s ("t" or "schema.t"): its columns; s moves past it.
    bool table(size_t& s)
    {
        if (s >= sig_.size() || t_[sig_[s]].kind != Kind::Word)
            return false;
        std::string schema = "main", name = RisSqlText::UnquoteName(t_[sig_[s]].text);
        if (symbol(s + 1, ".") && s + 2 < sig_.size() && t_[sig_[s + 2]].kind == Kind::Word) {
            schema = name;
            name = RisSqlText::UnquoteName(t_[sig_[s + 2]].text);
            s += 2;
        }
        ++s;
        columns_ = StoredValueSql::Columns(db_, schema, name);
        return !columns_.empty();
    }
    const StoredColumn* column(const std::string& written) const
    {
        const std::string name = RisSqlText::UnquoteName(written);
        for (const StoredColumn& c : columns_)
            if (EqualsNoCase(c.name, name))
                return &c;
        return nullptr;
    }
    std::string value(const std::string& text, const StoredColumn& c) const
    {
        return StoredValueSql::Value(text, c.type, c.name, dialect_);
    }
    // The items between significant positions from and to, split at top-level commas: each as
    // a range of significant positions.
    std::vector<std::pair<size_t, size_t>> items(size_t from, size_t to) const
    {
        std::vector<std::pair<size_t, size_t>> list;
        int depth = 0;
        size_t start = from;
        for (size_t k = from; k < to; ++k) {
            if (symbol(k, "("))
                ++depth;
            else if (symbol(k, ")"))
                --depth;
            else if (depth == 0 && symbol(k, ",")) {
                list.emplace_back(start, k);
                start = k + 1;
            }
        }
        list.emplace_back(start, to);
        return list;
    }
    std::string text(size_t from, size_t to) const { return raw(sig_[from], sig_[to - 1] + 1); }

    std::string insert();
    std::string update();

    std::vector<SqlToken> t_;
    std::vector<size_t> sig_; // indexes of the significant tokens
    sqlite3* db_;
    ServerDialect dialect_;
    std::string sql_;
    std::vector<StoredColumn> columns_;
};

std::string Wrapper::insert()
{
    size_t s = 2;
    if (!table(s))
        return sql_;
    std::vector<const StoredColumn*> targets;
    if (symbol(s, "(")) {
        const size_t close = closing(s);
        if (close == std::string::npos)
            return sql_;
        for (const auto& [from, to] : items(s + 1, close)) {
            const StoredColumn* c = to == from + 1 ? column(t_[sig_[from]].text) : nullptr;
            if (!c)
                return sql_; // the database names the column it does not know
            targets.push_back(c);
        }
        s = close + 1;
    } else {
        for (const StoredColumn& c : columns_)
            targets.push_back(&c);
    }
    if (s >= sig_.size())
        return sql_;
    std::string out = raw(0, sig_[s]);
    if (upper(s) == "VALUES") {
        size_t at = sig_[s];
        for (size_t g = s + 1; g < sig_.size(); ++g) {
            if (!symbol(g, "("))
                continue;
            const size_t close = closing(g);
            if (close == std::string::npos)
                return sql_;
            const auto list = items(g + 1, close);
            if (list.size() != targets.size() || close == g + 1)
                return sql_;
            for (size_t k = 0; k < list.size(); ++k) {
                out += raw(at, sig_[list[k].first]) + value(text(list[k].first, list[k].second), *targets[k]);
                at = sig_[list[k].second - 1] + 1;
            }
            g = close;
        }
        return out + raw(at, t_.size());
    }
    if (upper(s) != "SELECT" && upper(s) != "WITH" && !symbol(s, "("))
        return sql_;
    // The query's columns taken by position, each stored as its column keeps it.
    std::string names, values;
    for (size_t k = 0; k < targets.size(); ++k) {
        const std::string name = "c" + std::to_string(k + 1);
        names += (k ? ", " : "") + name;
        values += (k ? ", " : "") + value("ris_q." + name, *targets[k]);
    }
    return out + "WITH ris_q(" + names + ") AS (" + raw(sig_[s], t_.size()) + ") SELECT " + values + " FROM ris_q";
}

std::string Wrapper::update()
{
    size_t s = 1;
    if (!table(s) || upper(s) != "SET")
        return sql_;
    size_t end = s + 1;
    for (int depth = 0; end < sig_.size(); ++end) {
        if (symbol(end, "("))
            ++depth;
        else if (symbol(end, ")"))
            --depth;
        else if (depth == 0 && (upper(end) == "WHERE" || upper(end) == "RETURNING" || upper(end) == "FROM"))
            break;
    }
    std::string out = raw(0, sig_[s + 1]);
    size_t at = sig_[s + 1];
    for (const auto& [from, to] : items(s + 1, end)) {
        const StoredColumn* c = from < to ? column(t_[sig_[from]].text) : nullptr;
        // "c = value"; "(a, b) = (query)" stays as written, guarded by the table's checks.
        if (!c || !symbol(from + 1, "=") || to <= from + 2)
            continue;
        out += raw(at, sig_[from + 2]) + value(text(from + 2, to), *c);
        at = sig_[to - 1] + 1;
    }
    return out + raw(at, t_.size());
}

} // namespace

std::string StoredValueSql::Value(const std::string& valueSql, const std::string& declaredType,
                                  const std::string& column, ServerDialect dialect)
{
    return std::string(dialect == ServerDialect::Oracle ? "ris_store(" : "mss_store(") + valueSql + ", " +
           sqlText(declaredType) + ", " + sqlText(column) + ")";
}

std::string StoredValueSql::InsertSql(const std::string& table, const std::vector<std::string>& columns, sqlite3* db)
{
    const std::vector<StoredColumn> declared = Columns(db, "main", table);
    std::string sql = "INSERT INTO " + RisSqlText::QuoteName(table) + " (";
    std::string values;
    for (size_t i = 0; i < columns.size(); ++i) {
        sql += (i ? ", " : "") + RisSqlText::QuoteName(columns[i]);
        std::string v = "?" + std::to_string(i + 1);
        // A load binds texts: only a number and a moment need converting (a character value
        // is kept as the text it is), so a character column costs no call per row.
        for (const StoredColumn& c : declared)
            if (EqualsNoCase(c.name, columns[i]))
                if (const auto type = RisColumnType::Parse(c.type); type && type->kind() != RisColumnType::Kind::Char)
                    v = Value(v, c.type, c.name, ServerDialect::Oracle);
        values += (i ? ", " : "") + v;
    }
    return sql + ") VALUES (" + values + ")";
}

std::string StoredValueSql::Statement(std::string_view sql, sqlite3* db, ServerDialect dialect)
{
    return Wrapper(sql, db, dialect).Run();
}

std::vector<StoredColumn> StoredValueSql::Columns(sqlite3* db, const std::string& schema, const std::string& table)
{
    std::vector<StoredColumn> columns;
    sqlite3_stmt* st = nullptr;
    // A list cut short would let the values of the columns it lacks in unconverted: a failed
    // read is raised, never taken for the table's columns.
    if (sqlite3_prepare_v2(db, "SELECT name, type FROM pragma_table_info(?1, ?2)", -1, &st, nullptr) != SQLITE_OK)
        throw AppError(sqlite3_errcode(db), "StoredValueSql::Columns", sqlite3_errmsg(db));
    sqlite3_bind_text(st, 1, table.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(st, 2, schema.c_str(), -1, SQLITE_TRANSIENT);
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        const auto text = [&](int c) {
            const unsigned char* v = sqlite3_column_text(st, c);
            return v ? std::string(reinterpret_cast<const char*>(v)) : std::string();
        };
        columns.push_back({text(0), ToLower(text(1))});
    }
    if (rc != SQLITE_DONE) {
        const AppError failure(sqlite3_errcode(db), "StoredValueSql::Columns", sqlite3_errmsg(db));
        sqlite3_finalize(st);
        throw failure;
    }
    sqlite3_finalize(st);
    return columns;
}
