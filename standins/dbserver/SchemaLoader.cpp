// Load of a dump file into a schema.
#include "standins/dbserver/SchemaLoader.h"

#include "dbaccess/DumpReader.h"
#include "platform/TextUtil.h"
#include "standins/dbserver/DumpLoadCheck.h"
#include "standins/dbserver/LockedOutputFile.h"
#include "standins/dbserver/RisErrorBlock.h"
#include "standins/dbserver/RisSqlText.h"
#include "standins/dbserver/SchemaTables.h"

#include <algorithm>
#include <functional>
#include <memory>

namespace {

const char* kCrLf = "\r\n";

// The open table block being loaded.
struct TableLoad {
    std::string table;
    bool skip = true;
    std::unique_ptr<SqliteStatement> insert;
    DumpLayout layout = DumpLayout::Variable;
    std::vector<bool> quoted;
    std::vector<DumpFixedField> fields;
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

// Both index lines the unload client writes: "create unique index" and "create index".
bool isIndexLine(const DumpItem& item)
{
    return item.kind == DumpItemKind::IndexLine ||
           (item.kind == DumpItemKind::OtherLine && StartsWithNoCase(TrimWhite(item.line), "create index "));
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

LoadCounts SchemaLoader::Load(const RisTransferRequest& request, const std::string& dumpFile, std::string& console)
{
    LoadCounts counts;
    std::unique_ptr<DumpReader> reader;
    try {
        reader = std::make_unique<DumpReader>(dumpFile);
    } catch (const AppError&) {
        RaiseRisError("RIS_E_CANT_OPEN_FILE", "Cannot open the dump file '" + dumpFile + "'.");
    }

    std::string schema;
    SqliteDb* db = nullptr;
    std::string owner;
    std::vector<SqliteDb*> begun;                        // databases whose transaction is open
    std::vector<std::function<void()>> catalogueChanges; // grants, made once the load is committed
    auto useSchema = [&](const std::string& name) {
        schema = ToLower(name);
        owner = session_.Schema(schema).dbUser;
        db = &session_.Database(schema);
        if (std::find(begun.begin(), begun.end(), db) == begun.end()) {
            db->Exec("BEGIN IMMEDIATE");
            begun.push_back(db);
        }
        report("Loading into schema " + schema + ".", console);
    };
    // One step that changes the schema is undone alone when it fails.
    auto inSavepoint = [&](const std::function<void()>& step) {
        db->Exec("SAVEPOINT item");
        try {
            step();
        } catch (const AppError&) {
            db->Exec("ROLLBACK TO item");
            db->Exec("RELEASE item");
            throw;
        }
        db->Exec("RELEASE item");
    };

    TableLoad current;
    auto finishTable = [&]() {
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
    auto reject = [&](const DumpItem& item, const std::string& why) {
        ++current.rejected;
        ++counts.rowsRejected;
        if (current.firstRejection.empty())
            current.firstRejection = "line " + std::to_string(item.lineNumber) + ": " + why;
        if (bad_)
            bad_->Write(item.line + kCrLf);
    };
    auto notUnderstood = [&](const DumpItem& item) {
        RaiseRisError("RIS_E_SYNTAX_ERROR", "Line " + std::to_string(item.lineNumber) +
                                                " of the dump is not understood and was not loaded: " +
                                                item.line.substr(0, 60));
    };

    DumpLoadCheck check(dumpFile);
    try {
        if (!request.schema.empty())
            useSchema(request.schema);
        DumpItem item;
        for (;;) {
            try {
                if (!reader->Next(item))
                    break;
            } catch (const AppError& e) {
                check.Refuse(e.description());
            }
            check.Take(item);
            try {
                switch (item.kind) {
                case DumpItemKind::SchemaLine:
                    if (request.schema.empty()) {
                        if (item.schemaName.empty())
                            RaiseRisError("RIS_E_NO_DEFAULT_SCHEMA", "The schema line of the dump names no schema.");
                        useSchema(item.schemaName);
                    }
                    break;
                case DumpItemKind::CreateTable: {
                    finishTable();
                    current.table = ToLower(item.table);
                    if (!request.tables.Contains(current.table))
                        break;
                    std::vector<RisColumn> columns;
                    for (const DumpColumn& c : item.columns)
                        columns.push_back(SchemaTables::ParseColumnDefinitions(c.name + " " + c.type)[0]);
                    inSavepoint([&]() {
                        SchemaTables tables(*db);
                        const bool exists = tables.HasTable(current.table);
                        if (exists && request.mode == "new")
                            RaiseRisError("RIS_E_TABLE_EXISTS", "Table '" + current.table +
                                                                    "' already exists in schema '" + schema + "'.");
                        if (exists && request.mode == "clear")
                            tables.DropTable(current.table);
                        if (!exists || request.mode == "clear")
                            tables.CreateTable(current.table, columns);
                        current.insert = std::make_unique<SqliteStatement>(*db, insertSql(current.table, item.columns));
                    });
                    if (request.mode == "clear")
                        catalogueChanges.push_back([this, owner = owner, table = current.table]() {
                            session_.Server().DropGrants(owner, table);
                        });
                    current.skip = false;
                    ++counts.tables;
                    break;
                }
                case DumpItemKind::LayoutLine:
                    current.layout = item.layout;
                    current.fields = item.fixedFields;
                    for (const DumpColumn& c : item.columns)
                        current.quoted.push_back(DumpFormat::IsQuotedType(c.type));
                    break;
                case DumpItemKind::Row: {
                    if (current.skip)
                        break;
                    if (!DumpLoadCheck::RowMatchesColumns(item.line, item.values, current.layout, current.quoted, current.fields)) {
                        reject(item, "its fields do not line up with the columns of the table");
                        break;
                    }
                    current.insert->Reset();
                    for (size_t i = 0; i < item.values.size(); ++i) {
                        if (item.values[i])
                            current.insert->BindText(static_cast<int>(i) + 1, *item.values[i]);
                        else
                            current.insert->BindNull(static_cast<int>(i) + 1);
                    }
                    bool inserted = false;
                    std::string why;
                    try {
                        while (current.insert->Step()) {
                        }
                        inserted = true;
                    } catch (const AppError& e) {
                        why = e.description();
                    }
                    if (inserted) {
                        ++current.loaded;
                        ++counts.rowsLoaded;
                    } else {
                        reject(item, why);
                    }
                    break;
                }
                case DumpItemKind::EndOfTable:
                case DumpItemKind::EndOfSchema:
                    finishTable();
                    break;
                case DumpItemKind::GrantLine: {
                    finishTable();
                    std::string table, grantee;
                    if (!parseGrantLine(item.line, table, grantee))
                        notUnderstood(item);
                    if (request.grants.given && request.grants.Contains(table)) {
                        if (!SchemaTables(*db).HasTable(table))
                            RaiseRisError("RIS_E_UNKNOWN_RELATION", "Grant on table '" + table + "', which does not exist.");
                        catalogueChanges.push_back([this, owner = owner, table, grantee]() {
                            session_.Server().AddGrant(owner, table, grantee);
                        });
                    }
                    break;
                }
                case DumpItemKind::InsertLine:
                    break;
                case DumpItemKind::IndexLine:
                case DumpItemKind::OtherLine:
                    finishTable();
                    if (isIndexLine(item)) {
                        RisIndex idx;
                        if (!parseIndexLine(item.line, idx))
                            notUnderstood(item);
                        if (request.indexes.given && request.indexes.Contains(idx.table)) {
                            inSavepoint([&]() {
                                if (request.mode == "clear")
                                    db->Exec("DROP INDEX IF EXISTS " + RisSqlText::QuoteName(ToLower(idx.name)));
                                SchemaTables(*db).CreateIndex(idx);
                            });
                            report("Index " + ToLower(idx.name) + " created.", console);
                        }
                    } else if (StartsWithNoCase(TrimWhite(item.line), "create view ")) {
                        const std::string view = viewName(item.line);
                        if (request.views.given && request.views.Contains(view)) {
                            inSavepoint([&]() {
                                if (request.mode == "clear")
                                    db->Exec("DROP VIEW IF EXISTS " + RisSqlText::QuoteName(view));
                                SchemaTables(*db).CreateView(TrimWhite(item.line));
                            });
                            report("View " + view + " created.", console);
                        }
                    } else if (!TrimWhite(item.line).empty()) {
                        notUnderstood(item);
                    }
                    break;
                }
            } catch (const AppError& e) {
                // A failing table, index, view or grant is passed over and the load goes on;
                // an output that cannot be written, or no schema to load into, stops it.
                if (RisErrorName(e) == "RIS_E_CANT_WRITE_FILE" || !db)
                    throw;
                if (item.kind == DumpItemKind::CreateTable)
                    current.skip = true;
                reportError(e.source().rfind("RIS_E_", 0) == 0 ? e
                                                               : AppError(kRisErrorNumber, "RIS_E_DATABASE_ERROR", e.description()),
                            console, counts);
            }
        }
        check.Finish();
        finishTable();
        for (SqliteDb* open : begun)
            open->Exec("COMMIT");
        begun.clear();
    } catch (const AppError& e) {
        current = TableLoad();
        for (SqliteDb* open : begun) {
            try {
                open->Exec("ROLLBACK");
            } catch (const AppError&) {
            }
        }
        throw AppError(kRisErrorNumber, RisErrorName(e), e.description() + " The load was undone: no table was changed.");
    }
    for (const std::function<void()>& change : catalogueChanges) {
        try {
            change();
        } catch (const AppError& e) {
            reportError(AppError(kRisErrorNumber, RisErrorName(e), e.description()), console, counts);
        }
    }
    report(std::to_string(counts.tables) + " tables loaded: " + std::to_string(counts.rowsLoaded) + " rows, " +
               std::to_string(counts.rowsRejected) + " rejected.",
           console);
    return counts;
}
