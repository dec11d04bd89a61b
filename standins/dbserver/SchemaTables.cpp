// RIS tables over a user's SQLite file.
#include "standins/dbserver/SchemaTables.h"

#include "dbaccess/DumpFormat.h"
#include "dbaccess/RisSqlText.h"
#include "platform/AppError.h"
#include "platform/TextUtil.h"
#include "standins/dbserver/CharComparison.h"
#include "standins/dbserver/ReservedWords.h"
#include "standins/dbserver/RisColumnType.h"
#include "standins/dbserver/RisErrorBlock.h"
#include "standins/dbserver/ServerSqlRules.h"
#include "standins/dbserver/ServerValues.h"

#include <algorithm>
#include <iterator>
#include <string_view>

namespace {

std::string checkName(const std::string& column) { return "ck_" + column; }

// The constraint that refuses a number beyond the range of a double, which SQLite would keep as
// an infinity: the database stores no such number (it overflows), so no unload or query has to
// give one back.
constexpr std::string_view kOverflowPrefix = "ov_";
std::string overflowName(const std::string& column) { return std::string(kOverflowPrefix) + column; }
// How SQLite names the refusal of that constraint; the column's name follows.
std::string overflowFailure() { return "CHECK constraint failed: " + std::string(kOverflowPrefix); }

// The constraint that refuses a line feed in a character value: a dump ends its row there and
// has no way to carry one, so a value the unload could not write is never stored.
constexpr std::string_view kLineFeedPrefix = "lf_";
std::string lineFeedFailure() { return "CHECK constraint failed: " + std::string(kLineFeedPrefix); }

std::string insertTriggerName(const std::string& table) { return "ris_no_empty_text_i_" + table; }

// The text of a view as it was given, kept after the statement SQLite runs for it when the two
// differ, so that an unload writes the view as the database was given it.
constexpr std::string_view kViewTextMark = "/*ris-view-text:";

std::string hexOf(const std::string& text)
{
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    for (unsigned char c : text) {
        hex += digits[c >> 4];
        hex += digits[c & 15];
    }
    return hex;
}

std::string textOfHex(std::string_view hex)
{
    const auto value = [](char c) { return c <= '9' ? c - '0' : c - 'a' + 10; };
    std::string text;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        text += static_cast<char>(value(hex[i]) * 16 + value(hex[i + 1]));
    return text;
}

std::string columnSql(const RisColumn& c)
{
    auto type = RisColumnType::Parse(c.type);
    std::string q = RisSqlText::QuoteName(c.name);
    std::string sql = q + " " + c.type;
    if (type->kind() == RisColumnType::Kind::Char)
        sql += CharComparison::DeclarationSuffix();
    if (c.notNull)
        sql += " NOT NULL";
    // The line feed stands in the check as a literal: char(10) would be computed again for
    // every row, which a load of a million rows pays for.
    if (type->kind() == RisColumnType::Kind::Char)
        sql += " CONSTRAINT " + RisSqlText::QuoteName(std::string(kLineFeedPrefix) + c.name) + " CHECK (" + q +
               " IS NULL OR instr(" + q + ", '\n') = 0)";
    // Checked first, so that an overflowing number is named as that in any numeric column.
    if (type->IsNumeric())
        sql += " CONSTRAINT " + RisSqlText::QuoteName(overflowName(c.name)) + " CHECK (" + q + " IS NULL OR typeof(" +
               q + ") <> 'real' OR abs(" + q + ") <= 1.7976931348623157e308)";
    sql += " CONSTRAINT " + RisSqlText::QuoteName(checkName(c.name)) + " CHECK (" + q + " IS NULL OR (" +
           type->CheckExpression(q) + "))";
    return sql;
}

} // namespace

void SchemaTables::keepNoEmptyText(const std::string& table)
{
    // The database keeps no empty text: '' stored by any way in (a statement, a load, a
    // connection, a computed value) is NULL, as a NOT NULL column then refuses it.
    const std::string t = RisSqlText::QuoteName(table);
    const std::string inserted = RisSqlText::QuoteName(insertTriggerName(table));
    const std::string updated = RisSqlText::QuoteName("ris_no_empty_text_u_" + table);
    db_.Exec("DROP TRIGGER IF EXISTS " + inserted + "; DROP TRIGGER IF EXISTS " + updated);
    std::vector<std::string> names, when, set;
    for (const RisColumn& c : Columns(table)) {
        if (!EmptyTextIsNull(c))
            continue;
        const std::string q = RisSqlText::QuoteName(c.name);
        names.push_back(q);
        when.push_back("length(NEW." + q + ") = 0");
        set.push_back(q + " = CASE WHEN length(" + q + ") = 0 THEN NULL ELSE " + q + " END");
    }
    if (names.empty())
        return;
    const std::string action = " FOR EACH ROW WHEN " + Join(when, " OR ") + " BEGIN UPDATE " + t + " SET " +
                               Join(set, ", ") + " WHERE rowid = NEW.rowid; END";
    db_.Exec("CREATE TRIGGER " + inserted + " AFTER INSERT ON " + t + action);
    db_.Exec("CREATE TRIGGER " + updated + " AFTER UPDATE OF " + Join(names, ", ") + " ON " + t + action);
}

bool SchemaTables::EmptyTextIsNull(const RisColumn& column)
{
    auto type = RisColumnType::Parse(column.type);
    return type && type->kind() == RisColumnType::Kind::Char;
}

void SchemaTables::DropEmptyTextInsertTrigger(const std::string& table)
{
    db_.Exec("DROP TRIGGER IF EXISTS " + RisSqlText::QuoteName(insertTriggerName(table)));
}

std::vector<RisColumn> SchemaTables::ParseColumnDefinitions(std::string_view list)
{
    std::vector<RisColumn> columns;
    // Split and read as every reader of a dump reads a create-table line's columns.
    for (const std::string& def : RisSqlText::SplitTopLevel(list)) {
        const DumpColumnEntry entry = DumpFormat::SplitColumnEntry(def);
        if (entry.type.empty())
            RaiseRisError("RIS_E_SYNTAX_ERROR", "Incomplete column definition '" + TrimWhite(def) + "'.");
        RisColumn col;
        col.name = ToLower(entry.name);
        SchemaTables::RequireName(col.name, "column");
        const size_t open = entry.type.find('(');
        if (open != std::string::npos && RisSqlText::MatchingParen(entry.type, open) == std::string::npos)
            RaiseRisError("RIS_E_SYNTAX_ERROR", "Missing ')' in the type of column '" + col.name + "'.");
        auto type = RisColumnType::Parse(entry.type);
        if (!type)
            RaiseRisError("RIS_E_INV_TYPE", "Invalid type '" + entry.type + "' of column '" + col.name + "'.");
        if (const std::string refusal = type->Refusal(); !refusal.empty())
            RaiseRisError("RIS_E_INV_TYPE", "Invalid type '" + entry.type + "' of column '" + col.name + "' (" +
                                                refusal + ").");
        col.type = type->declared();
        const std::string t = ToLower(entry.rest);
        if (t == "not null")
            col.notNull = true;
        else if (!t.empty() && t != "null")
            RaiseRisError("RIS_E_SYNTAX_ERROR", "Unexpected '" + entry.rest + "' after column '" + col.name + "'.");
        for (const RisColumn& other : columns)
            if (other.name == col.name)
                RaiseRisError("RIS_E_DUP_COLUMN", "Column '" + col.name +
                                                      "' is defined twice (ORA-00957: duplicate column name).");
        columns.push_back(col);
    }
    if (columns.empty())
        RaiseRisError("RIS_E_SYNTAX_ERROR", "A table needs at least one column.");
    return columns;
}

void SchemaTables::RequireName(const std::string& name, const std::string& what)
{
    if (name.size() > kMaxNameLength)
        RaiseRisError("RIS_E_INV_NAME", "The " + what + " name '" + name.substr(0, 40) + "...' is longer than " +
                                            std::to_string(kMaxNameLength) + " characters.");
    if (!IsIdentifier(name))
        RaiseRisError("RIS_E_INV_NAME", "Invalid " + what + " name '" + name + "'.");
    if (IsReservedWord(name))
        RaiseRisError("RIS_E_INV_NAME", "The " + what + " name '" + name + "' is a reserved word (" +
                                            (what == "table" ? "ORA-00903: invalid table name"
                                                             : "ORA-00904: invalid identifier") + ").");
}

bool SchemaTables::HasTable(const std::string& table)
{
    return db_.QueryText("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?1 COLLATE NOCASE",
                         {table})
        .has_value();
}

bool SchemaTables::HasView(const std::string& view)
{
    return db_.QueryText("SELECT 1 FROM sqlite_master WHERE type = 'view' AND name = ?1 COLLATE NOCASE", {view})
        .has_value();
}

std::vector<std::string> SchemaTables::Tables()
{
    std::vector<std::string> list;
    for (auto& r : db_.QueryRows("SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite%' "
                                 "ORDER BY rowid"))
        list.push_back(r[0].value_or(""));
    return list;
}

std::vector<RisColumn> SchemaTables::Columns(const std::string& table)
{
    std::vector<RisColumn> cols;
    for (auto& r : db_.QueryRows("SELECT name, type, \"notnull\" FROM pragma_table_info(?1)", {table}))
        cols.push_back(RisColumn{r[0].value_or(""), ToLower(r[1].value_or("")), r[2].value_or("0") == "1"});
    return cols;
}

void SchemaTables::CreateTable(const std::string& table, const std::vector<RisColumn>& columns)
{
    const std::string t = ToLower(table);
    SchemaTables::RequireName(t, "table");
    if (HasTable(t))
        RaiseRisError("RIS_E_TABLE_EXISTS", "Table '" + t + "' already exists.");
    std::string sql = "CREATE TABLE " + RisSqlText::QuoteName(t) + " (";
    for (size_t i = 0; i < columns.size(); ++i)
        sql += (i ? ", " : "") + columnSql(columns[i]);
    sql += ")";
    try {
        db_.InSavepoint("new_table", [&] {
            db_.Exec(sql);
            keepNoEmptyText(t);
        });
    } catch (const AppError& e) {
        RaiseTranslated(e, "");
    }
}

void SchemaTables::AddColumn(const std::string& table, const RisColumn& column)
{
    if (!HasTable(table))
        RaiseRisError("RIS_E_UNKNOWN_RELATION", "Table '" + table + "' does not exist.");
    if (column.notNull)
        RaiseRisError("RIS_E_NOT_NULL_ADD", "A column added to a table cannot be NOT NULL.");
    try {
        db_.InSavepoint("new_column", [&] {
            db_.Exec("ALTER TABLE " + RisSqlText::QuoteName(table) + " ADD COLUMN " + columnSql(column));
            keepNoEmptyText(table);
        });
    } catch (const AppError& e) {
        RaiseTranslated(e, "");
    }
}

void SchemaTables::DropTable(const std::string& table)
{
    if (!HasTable(table))
        RaiseRisError("RIS_E_UNKNOWN_RELATION", "Table '" + table + "' does not exist.");
    db_.Exec("DROP TABLE " + RisSqlText::QuoteName(table));
}

void SchemaTables::DeleteRows(const std::string& table) { db_.Exec("DELETE FROM " + RisSqlText::QuoteName(table)); }

long long SchemaTables::RowCount(const std::string& table)
{
    return std::stoll(db_.QueryText("SELECT count(*) FROM " + RisSqlText::QuoteName(table)).value_or("0"));
}

std::vector<RisIndex> SchemaTables::Indexes(const std::string& table)
{
    std::vector<RisIndex> list;
    for (auto& r : db_.QueryRows("SELECT m.name, l.\"unique\" FROM sqlite_master m JOIN pragma_index_list(?1) l "
                                 "ON l.name = m.name WHERE m.type = 'index' AND m.sql IS NOT NULL ORDER BY m.rowid",
                                 {table})) {
        RisIndex idx{r[0].value_or(""), ToLower(table), r[1].value_or("0") == "1", {}};
        for (auto& c : db_.QueryRows("SELECT name FROM pragma_index_info(?1) ORDER BY seqno", {idx.name}))
            idx.columns.push_back(c[0].value_or(""));
        list.push_back(idx);
    }
    return list;
}

void SchemaTables::CreateIndex(const RisIndex& index)
{
    RequireName(ToLower(index.name), "index");
    // A name the table lacks is refused: SQLite would index the quoted name as a constant text.
    const std::vector<RisColumn> columns = Columns(index.table);
    for (const std::string& name : index.columns)
        if (!columns.empty() && std::none_of(columns.begin(), columns.end(),
                                             [&](const RisColumn& c) { return EqualsNoCase(c.name, name); }))
            RaiseRisError("RIS_E_UNKNOWN_COLUMN", "Column '" + name + "' does not exist in table '" + index.table +
                                                      "' (ORA-00904: invalid identifier); index '" + index.name +
                                                      "' was not created.");
    for (size_t i = 0; i < index.columns.size(); ++i)
        for (size_t j = 0; j < i; ++j)
            if (EqualsNoCase(TrimWhite(index.columns[i]), TrimWhite(index.columns[j])))
                RaiseRisError("RIS_E_DUP_COLUMN", "Column '" + TrimWhite(index.columns[i]) + "' is named twice in index '" +
                                                      index.name + "' (ORA-00957: duplicate column name); index '" +
                                                      index.name + "' was not created.");
    std::string sql = std::string("CREATE ") + (index.unique ? "UNIQUE " : "") + "INDEX " +
                      RisSqlText::QuoteName(ToLower(index.name)) + " ON " + RisSqlText::QuoteName(index.table) + " (";
    for (size_t i = 0; i < index.columns.size(); ++i)
        sql += (i ? ", " : "") + RisSqlText::QuoteName(ToLower(index.columns[i]));
    sql += ")";
    try {
        db_.Exec(sql);
    } catch (const AppError& e) {
        // Every failure of an index is reported under one name, which callers may pass over.
        RaiseRisError("RIS_E_CREATE_INDEX", "Cannot create index '" + index.name + "' on table '" + index.table +
                                                "': " + e.description());
    }
}

std::vector<RisView> SchemaTables::Views()
{
    std::vector<RisView> list;
    for (auto& r : db_.QueryRows("SELECT name, sql FROM sqlite_master WHERE type = 'view' ORDER BY rowid")) {
        std::string sql = r[1].value_or("");
        if (const size_t mark = sql.rfind(kViewTextMark); mark != std::string::npos) {
            const size_t hex = mark + kViewTextMark.size();
            sql = textOfHex(std::string_view(sql).substr(hex, sql.find("*/", hex) - hex));
        }
        sql = ReplaceAll(ReplaceAll(sql, "\r", " "), "\n", " ");
        if (StartsWithNoCase(sql, "create view "))
            sql = "create view " + sql.substr(12); // the database keeps its own spelling of the keywords
        list.push_back(RisView{r[0].value_or(""), sql});
    }
    return list;
}

void SchemaTables::CreateView(const std::string& statement)
{
    // "create view [<schema>.]<name> [(<columns>)] as ..."
    const std::vector<SqlToken> words = RisSqlText::Significant(statement);
    std::string nameText, name;
    for (size_t i = 2; i < words.size() && words[i].text != "(" && !EqualsNoCase(words[i].text, "as"); ++i) {
        nameText += words[i].text;
        name = ReplaceAll(words[i].text, "\"", "");
    }
    RequireName(ToLower(name), "view");
    // The database takes a view only when its query can run: a view on a column or table that
    // does not exist is refused, not kept to fail at its first use.
    try {
        db_.InSavepoint("new_view", [&] {
            // The view computes as the database does; the unload gives it back as it was given.
            const std::string computed = ServerSqlRules::Rewrite(statement, ServerDialect::Oracle);
            db_.Exec(computed == statement ? statement
                                           : computed + " " + std::string(kViewTextMark) + hexOf(statement) + "*/");
            SqliteStatement check(db_, "SELECT * FROM " + nameText);
        });
    } catch (const AppError& e) {
        RaiseTranslated(e, "");
    }
}

std::string SchemaTables::NumericOverflowText(const std::string& column)
{
    return "ORA-01426: numeric overflow (a value for column '" + column + "' lies beyond the range of a number).";
}

bool SchemaTables::IsNumericOverflow(const AppError& e)
{
    return e.description().find(overflowFailure()) != std::string::npos;
}

std::string SchemaTables::LineFeedColumn(const AppError& e)
{
    const std::string& m = e.description();
    const size_t at = m.find(lineFeedFailure());
    if (at == std::string::npos)
        return {};
    // The column's name ends the constraint's; an engine may add the statement after a blank.
    const size_t name = at + lineFeedFailure().size();
    return m.substr(name, m.find_first_of(" \r\n", name) - name);
}

std::string SchemaTables::LineFeedText(const std::string& column)
{
    return "a value of column '" + column + "' holds a line feed, which a RIS dump cannot carry, so the database " +
           "keeps none; nothing was stored.";
}

void SchemaTables::RaiseTranslated(const AppError& e, const std::string& schema)
{
    const std::string& m = e.description();
    const std::string in = schema.empty() ? std::string() : " in schema '" + schema + "'";
    auto after = [&](std::string_view prefix) { return Trim(m.substr(m.find(prefix) + prefix.size())); };
    if (m.find("no such table: ") != std::string::npos) {
        // Named as the statement wrote it: the engine puts its own name of the schema's file
        // before a table that a view names.
        std::string table = after("no such table: ");
        if (StartsWithNoCase(table, "main."))
            table.erase(0, 5);
        RaiseRisError("RIS_E_UNKNOWN_RELATION", "Table or view '" + table + "' does not exist" + in + ".");
    }
    // A value its column refuses (a decimal beyond its precision, a text that is no number in a
    // numeric column), in the database's words.
    if (m.find(ServerValues::kColumnMark) != std::string::npos && m.rfind("ORA-", 0) == 0)
        RaiseRisError("RIS_E_INV_VALUE", m + ".");
    if (m.find("no such column: ") != std::string::npos)
        RaiseRisError("RIS_E_UNKNOWN_COLUMN", "Column '" + after("no such column: ") + "' does not exist" + in + ".");
    if (m.find("already exists") != std::string::npos)
        RaiseRisError("RIS_E_TABLE_EXISTS", m + ".");
    if (IsNumericOverflow(e))
        RaiseRisError("RIS_E_DATABASE_ERROR", NumericOverflowText(after(overflowFailure())));
    if (const std::string column = LineFeedColumn(e); !column.empty())
        RaiseRisError("RIS_E_LINE_BREAK_IN_VALUE", "Refused" + in + ": " + LineFeedText(column));
    if (m.find("CHECK constraint failed: ck_") != std::string::npos)
        RaiseRisError("RIS_E_INV_VALUE",
                      "A value does not fit the type of column '" + after("CHECK constraint failed: ck_") + "'.");
    if (m.find("NOT NULL constraint failed") != std::string::npos)
        RaiseRisError("RIS_E_NULL_VALUE", "A NULL value is not allowed: " + m + ".");
    if (m.find("UNIQUE constraint failed") != std::string::npos)
        RaiseRisError("RIS_E_DUP_KEY", "Duplicate value in a unique index: " + m + ".");
    if (m.find("syntax error") != std::string::npos || m.find("incomplete input") != std::string::npos)
        RaiseRisError("RIS_E_SYNTAX_ERROR", "Syntax error: " + m + ".");
    if (m.find("database is locked") != std::string::npos)
        RaiseRisError("RIS_E_DB_LOCKED", "The database is in use by another program.");
    RaiseRisError("RIS_E_DATABASE_ERROR", m);
}
