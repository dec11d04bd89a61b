// The blank-padded comparison of character columns.
#include "standins/dbserver/CharComparison.h"

#include "dbaccess/RisSqlText.h"
#include "platform/AppError.h"
#include "platform/PaddedText.h"
#include "platform/TextUtil.h"
#include "standins/dbserver/RisColumnType.h"
#include "standins/dbserver/SqliteDb.h"

#include <sqlite3.h>

#include <algorithm>
#include <iterator>
#include <vector>

namespace {

// PRAGMA user_version of a user's file whose character columns all declare the collation and
// whose moments all stand in their whole form.
constexpr int kDeclaredVersion = 2;
// How long a connection waits for the file before it leaves the declarations to the next one.
constexpr int kWaitMs = 200;

int collate(void*, int na, const void* a, int nb, const void* b)
{
    return PaddedText::Compare(std::string_view(static_cast<const char*>(a), static_cast<size_t>(na)),
                               std::string_view(static_cast<const char*>(b), static_cast<size_t>(nb)));
}

bool isWord(const SqlToken& t, std::string_view word)
{
    return t.kind == SqlToken::Kind::Word && EqualsNoCase(t.text, word);
}

bool isSymbol(const SqlToken& t, char c)
{
    return t.kind == SqlToken::Kind::Symbol && t.text.size() == 1 && t.text[0] == c;
}

bool significant(const SqlToken& t)
{
    return t.kind != SqlToken::Kind::Space && t.kind != SqlToken::Kind::Comment;
}

// The words a table constraint begins with.
const char* const kConstraintWords[] = {"CONSTRAINT", "PRIMARY", "UNIQUE", "CHECK", "FOREIGN"};

// The ")" that closes the "(" at open; tokens.size() when there is none.
size_t closing(const std::vector<SqlToken>& tokens, size_t open)
{
    int depth = 0;
    for (size_t i = open; i < tokens.size(); ++i) {
        if (isSymbol(tokens[i], '('))
            ++depth;
        else if (isSymbol(tokens[i], ')') && --depth == 0)
            return i;
    }
    return tokens.size();
}

// The names of a table's character columns.
std::vector<std::string> charColumns(SqliteDb& db, const std::string& table)
{
    std::vector<std::string> names;
    for (auto& r : db.QueryRows("SELECT name, type FROM pragma_table_info(?1)", {table})) {
        const auto type = RisColumnType::Parse(r[1].value_or(""));
        if (type && type->kind() == RisColumnType::Kind::Char)
            names.push_back(r[0].value_or(""));
    }
    return names;
}

// Orders the table's indexes by the declared comparison. A unique index that would then find a
// value twice ('a' beside 'a  ', both stored when values were compared exactly) is made again
// comparing exactly, so that the rows stand as they were stored.
void reindex(SqliteDb& db, const std::string& table)
{
    const std::vector<std::string> chars = charColumns(db, table);
    for (auto& index : db.QueryRows("SELECT name, \"unique\" FROM pragma_index_list(?1)", {table})) {
        const std::string name = index[0].value_or("");
        try {
            db.InSavepoint("char_reindex", [&] { db.Exec("REINDEX " + RisSqlText::QuoteName(name)); });
            continue;
        } catch (const AppError& e) {
            if (index[1].value_or("0") != "1" || e.description().find("UNIQUE") == std::string::npos)
                throw;
        }
        std::vector<std::string> columns;
        for (auto& c : db.QueryRows("SELECT name FROM pragma_index_info(?1) ORDER BY seqno", {name})) {
            const std::string column = c[0].value_or("");
            const bool isChar = std::any_of(chars.begin(), chars.end(),
                                            [&](const std::string& n) { return EqualsNoCase(n, column); });
            columns.push_back(RisSqlText::QuoteName(column) + (isChar ? " COLLATE BINARY" : ""));
        }
        db.Exec("DROP INDEX " + RisSqlText::QuoteName(name));
        db.Exec("CREATE UNIQUE INDEX " + RisSqlText::QuoteName(name) + " ON " + RisSqlText::QuoteName(table) + " (" +
                Join(columns, ", ") + ")");
    }
}

int userVersion(SqliteDb& db) { return std::stoi(db.QueryText("PRAGMA user_version").value_or("0")); }

// Each date alone a timestamp or date column holds from before becomes that day's first moment,
// the form the server now stores, so that it is found by the moment as every new row is. A
// unique index that already holds both forms of one moment keeps the row as it stood.
void momentsInWholeForm(SqliteDb& db)
{
    for (auto& t : db.QueryRows("SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite%'")) {
        const std::string table = t[0].value_or("");
        for (auto& c : db.QueryRows("SELECT name, type FROM pragma_table_info(?1)", {table})) {
            const auto type = RisColumnType::Parse(c[1].value_or(""));
            if (!type || !type->IsMoment())
                continue;
            const std::string column = RisSqlText::QuoteName(c[0].value_or(""));
            db.Exec("UPDATE OR IGNORE " + RisSqlText::QuoteName(table) + " SET " + column + " = " + column +
                    " || ':00:00:00' WHERE typeof(" + column + ") = 'text' AND length(" + column + ") = 10");
        }
    }
}

} // namespace

std::string CharComparison::DeclarationSuffix() { return std::string(" COLLATE ") + kCollation; }

void CharComparison::Register(sqlite3* db)
{
    if (sqlite3_create_collation_v2(db, kCollation, SQLITE_UTF8, nullptr, collate, nullptr) != SQLITE_OK)
        throw AppError(sqlite3_errcode(db), "CharComparison", sqlite3_errmsg(db));
}

std::string CharComparison::DeclarationWithCollation(const std::string& sql)
{
    std::vector<SqlToken> tokens = RisSqlText::Tokenize(sql);
    // The column list: from the first "(" to the ")" that closes it.
    size_t open = 0;
    while (open < tokens.size() && !isSymbol(tokens[open], '('))
        ++open;
    const size_t close = closing(tokens, open);
    if (close >= tokens.size())
        return sql;
    std::vector<size_t> after; // where a collation goes: behind the type of a character column
    for (size_t begin = open + 1; begin < close;) {
        size_t end = begin;
        for (int depth = 0; end < close && !(depth == 0 && isSymbol(tokens[end], ',')); ++end)
            depth += isSymbol(tokens[end], '(') ? 1 : isSymbol(tokens[end], ')') ? -1 : 0;
        std::vector<size_t> words;
        bool hasCollation = false;
        for (size_t i = begin; i < end; ++i)
            if (significant(tokens[i])) {
                words.push_back(i);
                hasCollation = hasCollation || isWord(tokens[i], "COLLATE");
            }
        // "name char" or "name char(n)"; a table constraint ("primary key (...)") has no type.
        if (words.size() >= 2 && isWord(tokens[words[1]], "char") && !hasCollation &&
            !std::any_of(std::begin(kConstraintWords), std::end(kConstraintWords),
                         [&](const char* w) { return isWord(tokens[words[0]], w); })) {
            size_t typeEnd = words[1] + 1;
            if (words.size() >= 3 && isSymbol(tokens[words[2]], '('))
                typeEnd = closing(tokens, words[2]) + 1;
            if (typeEnd <= end)
                after.push_back(typeEnd);
        }
        begin = end + 1;
    }
    if (after.empty())
        return sql;
    for (auto at = after.rbegin(); at != after.rend(); ++at)
        tokens.insert(tokens.begin() + static_cast<std::ptrdiff_t>(*at),
                      {SqlToken{SqlToken::Kind::Space, " "}, SqlToken{SqlToken::Kind::Word, "COLLATE"},
                       SqlToken{SqlToken::Kind::Space, " "}, SqlToken{SqlToken::Kind::Word, kCollation}});
    return RisSqlText::Join(tokens);
}

void CharComparison::KeepDeclared(SqliteDb& db)
{
    if (userVersion(db) >= kDeclaredVersion)
        return;
    sqlite3_busy_timeout(db.Handle(), kWaitMs);
    try {
        db.Exec("BEGIN IMMEDIATE");
    } catch (const AppError&) {
        sqlite3_busy_timeout(db.Handle(), SqliteDb::kBusyWaitMs);
        return; // another program writes the file: the next connection declares it
    }
    sqlite3_busy_timeout(db.Handle(), SqliteDb::kBusyWaitMs);
    try {
        if (userVersion(db) < kDeclaredVersion) {
            std::vector<std::pair<std::string, std::string>> changed;
            for (auto& r : db.QueryRows("SELECT name, sql FROM sqlite_master WHERE type = 'table' AND sql IS NOT NULL "
                                        "AND name NOT LIKE 'sqlite%' ORDER BY rowid")) {
                const std::string sql = r[1].value_or("");
                // A UNIQUE or PRIMARY KEY in the declaration (which the server never writes) has an
                // index of its own that cannot be made again: such a table keeps its comparison.
                if (db.QueryText("SELECT 1 FROM pragma_index_list(?1) WHERE origin <> 'c'", {r[0].value_or("")}))
                    continue;
                if (std::string declared = RisColumnType::WithCurrentNumberChecks(DeclarationWithCollation(sql));
                    declared != sql)
                    changed.emplace_back(r[0].value_or(""), std::move(declared));
            }
            if (!changed.empty()) {
                // The declarations change in place, the rows stay; the new schema version makes
                // every connection (this one included) read them anew.
                const long long version = std::stoll(db.QueryText("PRAGMA schema_version").value_or("0"));
                db.Exec("PRAGMA writable_schema = ON");
                for (const auto& [table, sql] : changed)
                    db.Run("UPDATE sqlite_master SET sql = ?2 WHERE type = 'table' AND name = ?1", {table, sql});
                db.Exec("PRAGMA schema_version = " + std::to_string(version + 1));
                db.Exec("PRAGMA writable_schema = OFF");
                for (const auto& change : changed)
                    reindex(db, change.first);
            }
            momentsInWholeForm(db);
            db.Exec("PRAGMA user_version = " + std::to_string(kDeclaredVersion));
        }
        db.Exec("COMMIT");
    } catch (const AppError&) {
        sqlite3_exec(db.Handle(), "PRAGMA writable_schema = OFF", nullptr, nullptr, nullptr);
        if (db.InTransaction())
            sqlite3_exec(db.Handle(), "ROLLBACK", nullptr, nullptr, nullptr);
    }
}
