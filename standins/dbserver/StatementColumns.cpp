// The declared types of the columns a statement names.
#include "standins/dbserver/StatementColumns.h"

#include "dbaccess/RisSqlText.h"
#include "platform/AppError.h"
#include "platform/TextUtil.h"
#include "standins/dbserver/StoredValueSql.h"

namespace {

using Kind = SqlToken::Kind;

// Words that follow a table without being its alias.
bool endsTable(const std::string& upper)
{
    static const char* const words[] = {"WHERE", "SET",   "JOIN",   "INNER",     "LEFT",  "RIGHT",     "FULL",
                                        "OUTER", "CROSS", "NATURAL", "ON",       "USING", "GROUP",     "ORDER",
                                        "HAVING", "UNION", "INTERSECT", "MINUS", "EXCEPT", "LIMIT",    "VALUES",
                                        "SELECT", "WITH",  "OFFSET", "FOR",      "RETURNING", "DEFAULT", "AS"};
    for (const char* w : words)
        if (upper == w)
            return true;
    return false;
}

} // namespace

StatementColumns::StatementColumns(const std::vector<SqlToken>& tokens, sqlite3* db) : db_(db)
{
    std::vector<const SqlToken*> sig;
    for (const SqlToken& t : tokens)
        if (t.kind != Kind::Space && t.kind != Kind::Comment)
            sig.push_back(&t);
    const auto word = [&](size_t k) { return k < sig.size() && sig[k]->kind == Kind::Word; };
    const auto symbol = [&](size_t k, const char* s) {
        return k < sig.size() && sig[k]->kind == Kind::Symbol && sig[k]->text == s;
    };
    const auto upper = [&](size_t k) { return word(k) ? ToUpper(sig[k]->text) : std::string(); };
    for (size_t k = 0; k < sig.size(); ++k) {
        const std::string w = upper(k);
        if (w != "FROM" && w != "JOIN" && w != "UPDATE" && w != "INTO")
            continue;
        // A list of tables after FROM, one table after the others.
        for (size_t p = k + 1; word(p) && !endsTable(upper(p));) {
            Table t{"main", RisSqlText::UnquoteName(sig[p]->text), "", std::nullopt};
            if (symbol(p + 1, ".") && word(p + 2)) {
                t.schema = t.name;
                t.name = RisSqlText::UnquoteName(sig[p + 2]->text);
                p += 2;
            }
            ++p;
            if (upper(p) == "AS" && word(p + 1))
                ++p;
            if (word(p) && !endsTable(upper(p)))
                t.alias = RisSqlText::UnquoteName(sig[p++]->text);
            tables_.push_back(std::move(t));
            if (w != "FROM" || !symbol(p, ","))
                break;
            ++p;
        }
    }
}

const std::vector<std::pair<std::string, std::string>>& StatementColumns::columnsOf(const Table& t) const
{
    if (!t.columns) {
        t.columns.emplace();
        try {
            for (const StoredColumn& c : StoredValueSql::Columns(db_, t.schema, t.name))
                t.columns->emplace_back(c.name, c.type);
        } catch (const AppError&) {
            // A schema the connection does not know: the statement names no column of it here,
            // and the database refuses it when it runs.
        }
    }
    return *t.columns;
}

std::optional<RisColumnType> StatementColumns::TypeOf(const std::vector<std::string>& parts) const
{
    if (!db_ || parts.empty())
        return std::nullopt;
    const std::string column = RisSqlText::UnquoteName(parts.back());
    const std::string qualifier =
        parts.size() >= 2 ? RisSqlText::UnquoteName(parts[parts.size() - 2]) : std::string();
    std::optional<std::string> declared;
    for (const Table& t : tables_) {
        if (!qualifier.empty() && !EqualsNoCase(qualifier, t.alias.empty() ? t.name : t.alias))
            continue;
        for (const auto& [name, type] : columnsOf(t)) {
            if (!EqualsNoCase(name, column))
                continue;
            if (declared && *declared != type)
                return std::nullopt; // two columns of that name that read a value differently
            declared = type;
        }
    }
    return declared ? RisColumnType::Parse(*declared) : std::nullopt;
}
