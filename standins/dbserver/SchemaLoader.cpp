// Load of a dump file into a schema.
#include "standins/dbserver/SchemaLoader.h"

#include "dbaccess/DumpReader.h"
#include "platform/TextUtil.h"
#include "standins/dbserver/LockedOutputFile.h"
#include "standins/dbserver/RisErrorBlock.h"
#include "standins/dbserver/RisSqlText.h"
#include "standins/dbserver/SchemaTables.h"

#include <memory>

namespace {

const char* kCrLf = "\r\n";

// The open table block being loaded.
struct TableLoad {
    std::string table;
    bool skip = true;
    std::unique_ptr<SqliteStatement> insert;
    long long loaded = 0;
    long long rejected = 0;
    std::string firstRejection;
};

std::string insertSql(const std::string& table, const std::vector<DumpColumn>& columns)
{
    std::string sql = "INSERT INTO " + RisSqlText::QuoteName(table) + " (";
    std::string values;
    for (size_t i = 0; i < columns.size(); ++i) {
        sql += (i ? ", " : "") + RisSqlText::QuoteName(ToLower(columns[i].name));
        values += (i ? ", ?" : "?") + std::to_string(i + 1);
    }
    return sql + ") VALUES (" + values + ")";
}

// "create [unique] index <name> on <table> (<columns>)"
bool parseIndexLine(const std::string& line, RisIndex& idx)
{
    std::vector<SqlToken> t = RisSqlText::Significant(line);
    size_t i = 1;
    if (i < t.size() && EqualsNoCase(t[i].text, "unique")) {
        idx.unique = true;
        ++i;
    }
    if (i + 3 >= t.size() || !EqualsNoCase(t[i].text, "index") || !EqualsNoCase(t[i + 2].text, "on"))
        return false;
    idx.name = t[i + 1].text;
    idx.table = ToLower(t[i + 3].text);
    size_t open = line.find('(');
    size_t close = open == std::string::npos ? open : RisSqlText::MatchingParen(line, open);
    if (close == std::string::npos)
        return false;
    idx.columns = RisSqlText::SplitTopLevel(line.substr(open + 1, close - open - 1));
    return !idx.columns.empty();
}

// The table of "grant ... on <table> to <grantee>" and its grantee.
bool parseGrantLine(const std::string& line, std::string& table, std::string& grantee)
{
    std::vector<SqlToken> t = RisSqlText::Significant(line);
    for (size_t i = 0; i + 3 < t.size(); ++i)
        if (EqualsNoCase(t[i].text, "on") && EqualsNoCase(t[i + 2].text, "to")) {
            table = ToLower(t[i + 1].text);
            grantee = t[i + 3].text;
            return true;
        }
    return false;
}

std::string viewName(const std::string& line)
{
    std::vector<SqlToken> t = RisSqlText::Significant(line);
    return t.size() > 2 ? ToLower(t[2].text) : std::string();
}

} // namespace

void SchemaLoader::report(const std::string& line, std::string& console)
{
    console += line + kCrLf;
    if (log_)
        log_->Write(line + kCrLf);
}

void SchemaLoader::reportError(const AppError& e, std::string& console, LoadCounts& counts)
{
    const std::string block = FormatRisErrorBlock(e);
    console += block;
    if (log_)
        log_->Write(block);
    ++counts.errors;
}

LoadCounts SchemaLoader::Load(const RisTransferRequest& request, const std::string& dumpFile, long commitCount,
                              std::string& console)
{
    LoadCounts counts;
    std::unique_ptr<DumpReader> reader;
    try {
        reader = std::make_unique<DumpReader>(dumpFile);
    } catch (const AppError& e) {
        RaiseRisError("RIS_E_CANT_OPEN_FILE", "Cannot open the dump file '" + dumpFile + "'.");
    }
    if (commitCount < 1)
        commitCount = 1000;

    std::string schema = request.schema;
    SqliteDb* db = nullptr;
    std::string owner;
    auto useSchema = [&](const std::string& name) {
        schema = ToLower(name);
        owner = session_.Schema(schema).dbUser;
        db = &session_.Database(schema);
        report("Loading into schema " + schema + ".", console);
    };
    if (!schema.empty())
        useSchema(schema);

    bool inTransaction = false;
    long pending = 0;
    auto commit = [&]() {
        if (inTransaction)
            db->Exec("COMMIT");
        inTransaction = false;
        pending = 0;
    };
    TableLoad current;
    auto finishTable = [&]() {
        commit();
        if (!current.skip) {
            report("Table " + current.table + ": " + std::to_string(current.loaded) + " rows loaded, " +
                       std::to_string(current.rejected) + " rows rejected.",
                   console);
            if (current.rejected > 0)
                reportError(AppError(kRisErrorNumber, "RIS_E_ROWS_REJECTED",
                                     std::to_string(current.rejected) + " rows of table '" + current.table +
                                         "' were rejected (" + current.firstRejection + "); see the bad file."),
                            console, counts);
        }
        current = TableLoad();
    };

    DumpItem item;
    while (reader->Next(item)) {
        try {
            switch (item.kind) {
            case DumpItemKind::SchemaLine:
                if (request.schema.empty() && !item.schemaName.empty())
                    useSchema(item.schemaName);
                break;
            case DumpItemKind::CreateTable: {
                finishTable();
                current.table = ToLower(item.table);
                if (!request.tables.Contains(current.table))
                    break;
                if (!db)
                    RaiseRisError("RIS_E_NO_DEFAULT_SCHEMA", "The dump names no schema before table '" + current.table + "'.");
                SchemaTables tables(*db);
                std::vector<RisColumn> columns;
                for (const DumpColumn& c : item.columns)
                    columns.push_back(SchemaTables::ParseColumnDefinitions(c.name + " " + c.type)[0]);
                const bool exists = tables.HasTable(current.table);
                if (exists && request.mode == "new")
                    RaiseRisError("RIS_E_TABLE_EXISTS", "Table '" + current.table + "' already exists in schema '" +
                                                            schema + "'.");
                if (exists && request.mode == "clear") {
                    tables.DropTable(current.table);
                    session_.Server().DropGrants(owner, current.table);
                }
                if (!exists || request.mode == "clear")
                    tables.CreateTable(current.table, columns);
                current.insert = std::make_unique<SqliteStatement>(*db, insertSql(current.table, item.columns));
                current.skip = false;
                ++counts.tables;
                break;
            }
            case DumpItemKind::Row: {
                if (current.skip)
                    break;
                if (!inTransaction) {
                    db->Exec("BEGIN");
                    inTransaction = true;
                }
                current.insert->Reset();
                for (size_t i = 0; i < item.values.size(); ++i) {
                    if (item.values[i])
                        current.insert->BindText(static_cast<int>(i) + 1, *item.values[i]);
                    else
                        current.insert->BindNull(static_cast<int>(i) + 1);
                }
                try {
                    while (current.insert->Step()) {
                    }
                    ++current.loaded;
                    ++counts.rowsLoaded;
                } catch (const AppError& e) {
                    ++current.rejected;
                    ++counts.rowsRejected;
                    if (current.firstRejection.empty())
                        current.firstRejection = "line " + std::to_string(item.lineNumber) + ": " + e.description();
                    if (bad_)
                        bad_->Write(item.line + kCrLf);
                }
                if (++pending >= commitCount)
                    commit();
                break;
            }
            case DumpItemKind::EndOfTable:
                finishTable();
                break;
            case DumpItemKind::IndexLine: {
                finishTable();
                RisIndex idx;
                if (!parseIndexLine(item.line, idx))
                    RaiseRisError("RIS_E_SYNTAX_ERROR", "Unreadable index line " + std::to_string(item.lineNumber) + ".");
                if (db && request.indexes.given && request.indexes.Contains(idx.table)) {
                    if (request.mode == "clear")
                        db->Exec("DROP INDEX IF EXISTS " + RisSqlText::QuoteName(ToLower(idx.name)));
                    SchemaTables(*db).CreateIndex(idx);
                    report("Index " + ToLower(idx.name) + " created.", console);
                }
                break;
            }
            case DumpItemKind::GrantLine: {
                finishTable();
                std::string table, grantee;
                if (db && request.grants.given && parseGrantLine(item.line, table, grantee) &&
                    request.grants.Contains(table)) {
                    if (!SchemaTables(*db).HasTable(table))
                        RaiseRisError("RIS_E_UNKNOWN_RELATION", "Grant on table '" + table + "', which does not exist.");
                    session_.Server().AddGrant(owner, table, grantee);
                }
                break;
            }
            case DumpItemKind::OtherLine:
                if (db && StartsWithNoCase(TrimWhite(item.line), "create view ") && request.views.given &&
                    request.views.Contains(viewName(item.line))) {
                    finishTable();
                    if (request.mode == "clear")
                        db->Exec("DROP VIEW IF EXISTS " + RisSqlText::QuoteName(viewName(item.line)));
                    SchemaTables(*db).CreateView(TrimWhite(item.line));
                    report("View " + viewName(item.line) + " created.", console);
                }
                break;
            case DumpItemKind::EndOfSchema:
                finishTable();
                break;
            default:
                break;
            }
        } catch (const AppError& e) {
            // A failing table is passed over with its rows; the load goes on with the next one.
            if (inTransaction) {
                db->Exec("ROLLBACK");
                inTransaction = false;
            }
            if (item.kind == DumpItemKind::CreateTable)
                current.skip = true;
            reportError(e.source().rfind("RIS_E_", 0) == 0 ? e : AppError(kRisErrorNumber, "RIS_E_DATABASE_ERROR", e.description()),
                        console, counts);
            if (!db)
                throw;
        }
    }
    finishTable();
    report(std::to_string(counts.tables) + " tables loaded: " + std::to_string(counts.rowsLoaded) + " rows, " +
               std::to_string(counts.rowsRejected) + " rejected.",
           console);
    return counts;
}
