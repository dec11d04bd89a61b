// Statement execution of the stand-in RIS clients.
#include "standins/dbserver/RisSession.h"

#include "dbaccess/DumpFormat.h"
#include "dbaccess/RisSqlText.h"
#include "platform/TextUtil.h"
#include "standins/dbserver/RisColumnType.h"
#include "standins/dbserver/RisDictionaryQuery.h"
#include "standins/dbserver/RisErrorBlock.h"
#include "standins/dbserver/SchemaTables.h"
#include "standins/dbserver/ServerSqlRules.h"
#include "standins/dbserver/StoredValueSql.h"

#include <algorithm>

namespace {

const char* kCrLf = "\r\n";

// The first n significant words of a statement, lower case, joined by one blank.
std::string leadingWords(const std::string& statement, size_t n)
{
    std::vector<std::string> words;
    for (const SqlToken& t : RisSqlText::Significant(statement)) {
        if (words.size() == n)
            break;
        words.push_back(ToLower(t.text));
    }
    return Join(words, " ");
}

// The text after a leading phrase matched without regard to case and to the run of blanks.
std::string afterPhrase(const std::string& statement, size_t words)
{
    size_t pos = 0;
    for (size_t w = 0; w < words; ++w) {
        pos = statement.find_first_not_of(" \t\r\n", pos);
        while (pos < statement.size() && statement.find_first_of(" \t\r\n(", pos) != pos)
            ++pos;
    }
    return TrimWhite(statement.substr(std::min(pos, statement.size())));
}

std::string firstWord(const std::string& text)
{
    size_t end = text.find_first_of(" \t\r\n(");
    return text.substr(0, end);
}

std::string flatten(const std::string& s)
{
    std::string out;
    bool blank = false;
    for (char c : s) {
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            blank = true;
            continue;
        }
        if (blank && !out.empty())
            out += ' ';
        blank = false;
        out += c;
    }
    return out;
}

std::string rows(long long n, const char* verb)
{
    return std::to_string(n) + (n == 1 ? " row " : " rows ") + verb + "." + kCrLf;
}

// Position of a keyword as a whole word outside quotes and parentheses, from pos.
size_t findKeyword(const std::string& text, std::string_view word, size_t pos = 0)
{
    int depth = 0;
    char quote = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (quote) {
            if (c == quote)
                quote = 0;
            continue;
        }
        if (c == '\'' || c == '"')
            quote = c;
        else if (c == '(')
            ++depth;
        else if (c == ')')
            --depth;
        else if (depth == 0 && i >= pos && EqualsNoCase(text.substr(i, word.size()), word) &&
                 (i == 0 || std::string(" \t\r\n)").find(text[i - 1]) != std::string::npos) &&
                 (i + word.size() == text.size() ||
                  std::string(" \t\r\n(").find(text[i + word.size()]) != std::string::npos))
            return i;
    }
    return std::string::npos;
}

} // namespace

RisSession::RisSession(DbServer& server) : server_(server) {}

RisSession::~RisSession() = default;

int RisSession::RunBatch(std::string_view text, std::string& out)
{
    return RunBatch(text, [&out](const std::string& answer, const std::string&) { out += answer; });
}

int RisSession::RunBatch(std::string_view text,
                         const std::function<void(const std::string& answer, const std::string& statement)>& answer)
{
    int failed = 0;
    // A UTF-8 byte-order mark is no part of the first statement, as for the dump readers.
    if (text.substr(0, DumpFormat::kUtf8Mark.size()) == DumpFormat::kUtf8Mark)
        text.remove_prefix(DumpFormat::kUtf8Mark.size());
    try {
        for (const std::string& statement : RisSqlText::SplitStatements(text)) {
            std::string out;
            try {
                Execute(statement, out);
            } catch (const AppError& e) {
                out += FormatRisErrorBlock(e);
                ++failed;
                noteLostWork(out);
            }
            if (!out.empty())
                answer(out, statement);
            if (quit_)
                break;
        }
    } catch (const AppError&) {
        rollbackOpen();
        throw;
    }
    if (!open_work_.empty()) {
        rollbackOpen();
        answer(std::string("Uncommitted work rolled back.") + kCrLf, std::string());
    }
    return failed;
}

void RisSession::setAutocommit(bool on, std::string& out)
{
    if (on)
        commitOpen();
    autocommit_ = on;
    out += std::string("Statement processed.") + kCrLf;
}

void RisSession::commitOpen()
{
    while (!open_work_.empty()) {
        try {
            open_work_.front()->Exec("COMMIT");
        } catch (const AppError& e) {
            // Named as the same cause is named at every other step (a full disk, a lock).
            SchemaTables::RaiseTranslated(e, "");
        }
        open_work_.erase(open_work_.begin());
    }
}

void RisSession::rollbackOpen()
{
    std::vector<SqliteDb*> open = std::move(open_work_);
    open_work_.clear();
    for (SqliteDb* db : open)
        if (db->InTransaction())
            db->Exec("ROLLBACK");
}

void RisSession::noteLostWork(std::string& out)
{
    bool lost = false;
    for (SqliteDb* db : open_work_)
        lost = lost || !db->InTransaction();
    if (!lost)
        return;
    // The rest of the work is undone with it, so that nothing of the transaction stays.
    rollbackOpen();
    out += std::string("The failure ended the transaction: every change since the last commit was rolled back.") +
           kCrLf;
}

void RisSession::Execute(const std::string& statement, std::string& out)
{
    const std::string two = leadingWords(statement, 2);
    const std::string one = leadingWords(statement, 1);
    // A definition commits the open work first, as the database does; only a statement known
    // to be one, so that a mistyped or unknown statement fails with the work still open.
    const bool definition = two == "create schema" || two == "drop schema" || two == "create table" ||
                            two == "alter table" || two == "drop table" || one == "grant" || one == "revoke" ||
                            two == "create index" || two == "create unique" || two == "create view" ||
                            two == "drop view" || two == "drop index";
    if (definition && !open_work_.empty())
        commitOpen();
    if (one == "quit" || one == "exit") {
        quit_ = true;
    } else if (two == "default schema") {
        SetDefaultSchema(afterPhrase(statement, 2));
    } else if (two == "create schema") {
        createSchema(statement, out);
    } else if (two == "drop schema") {
        dropSchema(statement, out);
    } else if (two == "create table") {
        createTable(statement, out);
    } else if (two == "alter table") {
        alterTable(statement, out);
    } else if (two == "drop table") {
        auto [schema, table] = qualified(firstWord(afterPhrase(statement, 2)));
        SchemaTables tables(Database(schema));
        tables.DropTable(ToLower(table));
        server_.DropGrants(Schema(schema).dbUser, table);
        out += std::string("Table dropped.") + kCrLf;
    } else if (one == "grant" || one == "revoke") {
        grant(statement, one == "revoke", out);
    } else if (one == "commit") {
        commitOpen();
        out += std::string("Commit complete.") + kCrLf;
    } else if (one == "rollback") {
        // With autocommit on, every statement was committed when it ran: nothing is undone.
        rollbackOpen();
        out += std::string(autocommit_ ? "Rollback complete: autocommit is on, nothing to roll back."
                                       : "Rollback complete.") + kCrLf;
    } else if (leadingWords(statement, 3) == "set transaction autocommit") {
        const std::string words = leadingWords(statement, 5);
        const size_t at = std::string("set transaction autocommit ").size();
        const std::string word = words.size() > at ? words.substr(at) : std::string();
        if (word != "on" && word != "off")
            RaiseRisError("RIS_E_SYNTAX_ERROR", "\"set transaction autocommit on\" or \"off\" expected.");
        setAutocommit(word == "on", out);
    } else if (leadingWords(statement, 3) == "show schema names") {
        showSchemaNames(out);
    } else if (leadingWords(statement, 4) == "show schema file location" || two == "show schema") {
        out += "SCHEMA FILE NAME: " + server_.SchemaFileWinPath() + kCrLf;
    } else if (one == "select" && IsDictionaryQuery(statement)) {
        AnswerDictionaryQuery(server_, statement, default_, out);
    } else if (one == "select" || one == "insert" || one == "update" || one == "delete" || two == "create index" ||
               two == "create unique" || two == "create view" || two == "drop view" || two == "drop index") {
        runSql(statement, one == "create" || one == "drop" ? two : one, out);
    } else if (one == "set" || two == "close schema") {
        out += std::string("Statement processed.") + kCrLf;
    } else {
        RaiseRisError("RIS_E_SYNTAX_ERROR", "Unknown statement '" + flatten(statement).substr(0, 60) + "'.");
    }
}

RisSchemaEntry RisSession::Schema(const std::string& schema)
{
    const std::string name = ToLower(Trim(schema));
    auto entry = server_.FindSchema(name);
    if (!entry)
        RaiseRisError("RIS_E_UNKNOWN_SCHEMA", "Schema '" + name + "' is not defined.");
    if (!server_.FindUser(entry->dbUser))
        RaiseRisError("RIS_E_CANT_CONNECT", "Schema '" + name + "': ORA-01017: invalid username/password; logon "
                                            "denied (database user " + entry->dbUser + ")");
    return *entry;
}

SqliteDb& RisSession::Database(const std::string& schema)
{
    const std::string name = ToLower(Trim(schema));
    auto it = open_.find(name);
    if (it != open_.end())
        return *it->second;
    RisSchemaEntry entry = Schema(name);
    userFile(name, entry.dbUser);
    auto db = server_.OpenUserDatabase(entry.dbUser);
    // The dictionary's list of the schema's tables (T) and views (V), as a second source beside
    // the unload client's listing.
    db->Exec("CREATE TEMP VIEW IF NOT EXISTS ris5tables AS SELECT lower(name) AS table_name, "
             "CASE type WHEN 'view' THEN 'V' ELSE 'T' END AS table_type FROM main.sqlite_master "
             "WHERE type IN ('table', 'view') AND name NOT LIKE 'sqlite%'");
    SqliteDb& ref = *db;
    open_[name] = std::move(db);
    return ref;
}

std::string RisSession::userFile(const std::string& schema, const std::string& dbUser)
{
    // A schema's user got its file with the schema: a file gone is data lost, never an empty
    // schema, as a database refuses a user whose data file it cannot find.
    try {
        return server_.RequireUserDatabase(dbUser);
    } catch (const AppError& e) {
        RaiseRisError(RisErrorName(e), "Schema '" + schema + "': " + e.description());
    }
}

void RisSession::SetDefaultSchema(const std::string& schema)
{
    const std::string name = ToLower(Trim(firstWord(schema)));
    if (name.empty())
        RaiseRisError("RIS_E_SYNTAX_ERROR", "A schema name must follow \"default schema\".");
    Database(name);
    default_ = name;
}

std::string RisSession::requireDefault()
{
    if (default_.empty())
        RaiseRisError("RIS_E_NO_DEFAULT_SCHEMA", "No default schema is set.");
    return default_;
}

std::pair<std::string, std::string> RisSession::qualified(const std::string& name)
{
    size_t dot = name.find('.');
    if (dot != std::string::npos)
        return {ToLower(name.substr(0, dot)), ToLower(name.substr(dot + 1))};
    return {requireDefault(), ToLower(name)};
}

void RisSession::createSchema(const std::string& statement, std::string& out)
{
    const std::string rest = afterPhrase(statement, 2);
    const std::string name = ToLower(firstWord(rest));
    SchemaTables::RequireName(name, "schema");
    if (server_.FindSchema(name))
        RaiseRisError("RIS_E_SCHEMA_EXISTS", "Schema '" + name + "' is already defined.");
    const std::string clauses = TrimWhite(rest.substr(name.size()));
    size_t db = findKeyword(clauses, "database");
    size_t open = db == std::string::npos ? db : clauses.find('(', db);
    size_t close = open == std::string::npos ? open : RisSqlText::MatchingParen(clauses, open);
    if (close == std::string::npos)
        RaiseRisError("RIS_E_SYNTAX_ERROR", "\"on database (...)\" expected after the schema name.");
    std::vector<std::string> items = RisSqlText::SplitTopLevel(clauses.substr(open + 1, close - open - 1));
    RisSchemaEntry entry;
    entry.name = name;
    entry.dbType = items.empty() ? "" : ToLower(items[0]);
    if (entry.dbType != "oracle" && entry.dbType != "mssql")
        RaiseRisError("RIS_E_INV_DB_TYPE", "Unknown database type '" + entry.dbType + "'.");
    for (const std::string& item : items)
        if (StartsWithNoCase(item, "dbname "))
            entry.dbName = Trim(item.substr(7));
    size_t user = findKeyword(clauses, "user", close);
    if (user == std::string::npos)
        RaiseRisError("RIS_E_SYNTAX_ERROR", "\"user\" expected after the database clause.");
    std::string spec = TrimWhite(clauses.substr(user + 4));
    std::string password, atDb;
    const size_t dot = spec.find('.');
    if (dot != std::string::npos && dot + 1 < spec.size() && spec[dot + 1] == '\'') {
        // A quoted password ('' for a quote inside) may hold "@" and ".".
        size_t close = dot + 2;
        while ((close = spec.find('\'', close)) != std::string::npos && close + 1 < spec.size() && spec[close + 1] == '\'')
            close += 2;
        if (close == std::string::npos)
            RaiseRisError("RIS_E_SYNTAX_ERROR", "The password of \"user\" lacks its closing quote.");
        password = ReplaceAll(spec.substr(dot + 2, close - dot - 2), "''", "'");
        const std::string rest = TrimWhite(spec.substr(close + 1));
        if (!rest.empty() && rest.front() == '@')
            atDb = rest.substr(1);
        spec = spec.substr(0, dot);
    } else {
        if (size_t at = spec.find('@'); at != std::string::npos) {
            atDb = spec.substr(at + 1);
            spec = spec.substr(0, at);
        }
        if (size_t d = spec.find('.'); d != std::string::npos) {
            password = spec.substr(d + 1);
            spec = spec.substr(0, d);
        }
    }
    const std::string serverDb = server_.DatabaseName();
    for (const std::string& d : {entry.dbName, atDb})
        if (!d.empty() && !EqualsNoCase(d, serverDb))
            RaiseRisError("RIS_E_CANT_CONNECT", "ORA-12154: TNS:could not resolve service name '" + d + "'");
    if (entry.dbName.empty())
        entry.dbName = serverDb;
    auto dbUser = server_.FindUser(spec);
    if (!dbUser || (!password.empty() && ToUpper(password) != dbUser->password))
        RaiseRisError("RIS_E_CANT_CONNECT", "ORA-01017: invalid username/password; logon denied (user " +
                                                ToUpper(spec) + ")");
    entry.dbUser = dbUser->name;
    // The definition is kept without the password, as the unload writes it again.
    entry.definition = TrimWhite(clauses.substr(0, user)) + " user " + ToLower(dbUser->name);
    userFile(name, entry.dbUser); // a user whose tables are lost gets no schema that reads them as none
    server_.CreateSchema(entry);
    out += "Schema " + name + " created." + kCrLf;
}

void RisSession::dropSchema(const std::string& statement, std::string& out)
{
    const std::string rest = afterPhrase(statement, 2);
    const std::string name = ToLower(firstWord(rest));
    const bool force = EqualsNoCase(TrimWhite(rest.substr(name.size())), "force");
    auto entry = server_.FindSchema(name);
    if (!entry)
        RaiseRisError("RIS_E_UNKNOWN_SCHEMA", "Schema '" + name + "' is not defined.");
    if (!force && server_.FindUser(entry->dbUser)) {
        userFile(name, entry->dbUser);
        auto db = server_.OpenUserDatabase(entry->dbUser);
        if (!SchemaTables(*db).Tables().empty())
            RaiseRisError("RIS_E_SCHEMA_NOT_EMPTY", "Schema '" + name + "' still has tables; use \"force\".");
    }
    open_.erase(name);
    attached_.erase(name);
    if (default_ == name)
        default_.clear();
    server_.DropSchema(name);
    out += "Schema " + name + " dropped." + kCrLf;
}

void RisSession::createTable(const std::string& statement, std::string& out)
{
    const std::string rest = afterPhrase(statement, 2);
    size_t open = rest.find('(');
    size_t close = open == std::string::npos ? open : RisSqlText::MatchingParen(rest, open);
    if (close == std::string::npos || !TrimWhite(rest.substr(close + 1)).empty())
        RaiseRisError("RIS_E_SYNTAX_ERROR", "\"create table <name> (<columns>)\" expected.");
    // One name before the column list: "create table t as select ... (...)" is no definition.
    const std::string name = TrimWhite(rest.substr(0, open));
    if (name.empty() || name.find_first_of(" \t\r\n") != std::string::npos)
        RaiseRisError("RIS_E_SYNTAX_ERROR", "\"create table <name> (<columns>)\" expected; a table is not made "
                                            "from a query.");
    auto [schema, table] = qualified(name);
    std::vector<RisColumn> columns = SchemaTables::ParseColumnDefinitions(rest.substr(open + 1, close - open - 1));
    SchemaTables(Database(schema)).CreateTable(table, columns);
    out += std::string("Table created.") + kCrLf;
}

void RisSession::alterTable(const std::string& statement, std::string& out)
{
    const std::string rest = afterPhrase(statement, 2);
    const std::string name = firstWord(rest);
    std::string action = TrimWhite(rest.substr(name.size()));
    if (!StartsWithNoCase(action, "add "))
        RaiseRisError("RIS_E_SYNTAX_ERROR", "Only \"alter table <name> add <column> <type>\" is supported.");
    action = TrimWhite(action.substr(4));
    if (StartsWithNoCase(action, "column "))
        action = TrimWhite(action.substr(7));
    if (action.size() > 1 && action.front() == '(' && action.back() == ')')
        action = action.substr(1, action.size() - 2);
    auto [schema, table] = qualified(name);
    SchemaTables tables(Database(schema));
    for (const RisColumn& c : SchemaTables::ParseColumnDefinitions(action))
        tables.AddColumn(table, c);
    out += std::string("Table altered.") + kCrLf;
}

void RisSession::grant(const std::string& statement, bool revoke, std::string& out)
{
    size_t on = findKeyword(statement, "on");
    size_t to = on == std::string::npos ? on : findKeyword(statement, revoke ? "from" : "to", on + 2);
    if (to == std::string::npos)
        RaiseRisError("RIS_E_SYNTAX_ERROR", revoke ? "\"revoke <privileges> on <table> from <user>\" expected."
                                                   : "\"grant <privileges> on <table> to <user>\" expected.");
    auto [schema, table] = qualified(TrimWhite(statement.substr(on + 2, to - on - 2)));
    SqliteDb& db = Database(schema);
    SchemaTables tables(db);
    if (!tables.HasTable(table) && !tables.HasView(table))
        RaiseRisError("RIS_E_UNKNOWN_RELATION", "Table or view '" + table + "' does not exist in schema '" + schema + "'.");
    const std::string owner = Schema(schema).dbUser;
    // Each grantee holds what was granted, no more: an unload writes it so, and a load gives it
    // back; a revoke takes only the privileges it names from the grantees it names.
    const size_t verb = statement.find_first_not_of(" \t\r\n") + (revoke ? 6 : 5);
    const std::string privileges = DbServer::TablePrivileges(statement.substr(verb, on - verb));
    // Every grantee is known before anything changes: the load of a dump refuses a grant to a
    // user that does not stand, so the statement refuses it too.
    const std::vector<std::string> grantees = server_.Grantees(statement.substr(to + (revoke ? 4 : 2)));
    if (revoke) {
        for (const std::string& g : grantees)
            if (server_.GrantedPrivileges(owner, table, g).empty())
                RaiseRisError("RIS_E_DATABASE_ERROR", "ORA-01927: cannot REVOKE privileges you did not grant (" + g +
                                                          " holds none on '" + table + "')");
        for (const std::string& g : grantees)
            server_.RevokeGrant(owner, table, g, privileges);
        out += std::string("Revoke succeeded.") + kCrLf;
        return;
    }
    for (const std::string& g : grantees)
        server_.AddGrant(owner, table, g, privileges);
    out += std::string("Grant succeeded.") + kCrLf;
}

void RisSession::showSchemaNames(std::string& out)
{
    for (const RisSchemaEntry& s : server_.Schemas())
        out += "Schema name:'" + s.name + "'" + kCrLf;
}

void RisSession::runSql(const std::string& statement, const std::string& verb, std::string& out)
{
    // The connection is the default schema's; without one, the schema the statement names first.
    std::string connSchema = default_;
    if (connSchema.empty()) {
        RisSqlText::RewriteQualifiers(statement, [&](const std::string& w) {
            if (connSchema.empty() && server_.FindSchema(w))
                connSchema = ToLower(w);
            return w + ".";
        });
    }
    if (connSchema.empty())
        requireDefault();
    SqliteDb& db = Database(connSchema);
    std::string sql = RisSqlText::RewriteQualifiers(statement, [&](const std::string& w) -> std::string {
        const std::string s = ToLower(w);
        if (s == connSchema)
            return "";
        if (!server_.FindSchema(s))
            return w + ".";
        if (!attached_[connSchema][s]) {
            // Attached only while its user's file stands: SQLite would make a lost one anew, empty.
            // Its character columns compare as the database does before this connection reads it.
            const std::string file = userFile(s, Schema(s).dbUser);
            server_.OpenUserDatabase(Schema(s).dbUser);
            db.Run("ATTACH DATABASE ?1 AS " + RisSqlText::QuoteName(s), {file});
            attached_[connSchema][s] = true;
        }
        return RisSqlText::QuoteName(s) + ".";
    });
    if (verb == "create index" || verb == "create unique") {
        // "create [unique] index name on table (columns)"
        auto tokens = RisSqlText::Significant(sql);
        RisIndex idx;
        size_t i = 1;
        if (i < tokens.size() && EqualsNoCase(tokens[i].text, "unique")) {
            idx.unique = true;
            ++i;
        }
        size_t on = findKeyword(sql, "on");
        size_t open = on == std::string::npos ? on : sql.find('(', on);
        size_t close = open == std::string::npos ? open : RisSqlText::MatchingParen(sql, open);
        if (i + 1 >= tokens.size() || !EqualsNoCase(tokens[i].text, "index") || close == std::string::npos)
            RaiseRisError("RIS_E_SYNTAX_ERROR", "\"create [unique] index <name> on <table> (<columns>)\" expected.");
        idx.name = tokens[i + 1].text;
        idx.table = ToLower(TrimWhite(sql.substr(on + 2, open - on - 2)));
        idx.columns = RisSqlText::SplitTopLevel(sql.substr(open + 1, close - open - 1));
        SchemaTables(db).CreateIndex(idx);
        out += std::string("Index created.") + kCrLf;
        return;
    }
    if (!autocommit_ && (verb == "insert" || verb == "update" || verb == "delete")) {
        if (!db.InTransaction())
            db.Exec("BEGIN");
        if (std::find(open_work_.begin(), open_work_.end(), &db) == open_work_.end())
            open_work_.push_back(&db);
    }
    if (verb == "create view") {
        SchemaTables(db).CreateView(sql);
        out += std::string("View created.") + kCrLf;
        return;
    }
    try {
        // Computed as the database computes, not as SQLite would.
        sql = ServerSqlRules::Rewrite(sql, ServerDialect::Oracle, db.Handle());
        // Every value stored is kept as its column keeps it.
        if (verb == "insert" || verb == "update")
            sql = StoredValueSql::Statement(sql, db.Handle(), ServerDialect::Oracle);
        SqliteStatement st(db, sql);
        if (verb == "select") {
            WriteQueryResult(st, connSchema, statement, out);
            return;
        }
        while (st.Step()) {
        }
    } catch (const AppError& e) {
        if (e.source().rfind("RIS_E_", 0) == 0)
            throw;
        SchemaTables::RaiseTranslated(e, connSchema);
    }
    if (verb == "insert")
        out += rows(db.Changes(), "inserted");
    else if (verb == "update")
        out += rows(db.Changes(), "updated");
    else if (verb == "delete")
        out += rows(db.Changes(), "deleted");
    else if (verb == "drop view") {
        // Its grants go with it, as a dropped table's do: a view made again under that name
        // holds only what is granted on it then.
        auto [schema, view] = qualified(firstWord(afterPhrase(statement, 2)));
        server_.DropGrants(Schema(schema).dbUser, view);
        out += std::string("View dropped.") + kCrLf;
    } else
        out += std::string("Index dropped.") + kCrLf;
}

void RisSession::WriteQueryResult(SqliteStatement& st, const std::string& schema, const std::string& statement,
                                  std::string& out)
{
    const int n = st.ColumnCount();
    out += "Default schema " + schema + kCrLf;
    out += "Query " + flatten(statement) + kCrLf;
    out += "Columns " + std::to_string(n) + kCrLf;
    out += std::string(kRisFrameWidth, '-') + kCrLf;
    std::vector<std::string> names;
    for (int c = 0; c < n; ++c)
        names.push_back(ToLower(st.ColumnName(c)));
    while (st.Step()) {
        out += kCrLf;
        for (int c = 0; c < n; ++c) {
            bool quoted = false;
            auto v = RisColumnType::StoredValueText(st, c, quoted);
            out += names[c] + ": " + (v ? (quoted ? "'" + *v + "'" : *v) : std::string()) + kCrLf;
        }
    }
    out += kCrLf;
    out += std::string("End of Data Found") + kCrLf;
}
