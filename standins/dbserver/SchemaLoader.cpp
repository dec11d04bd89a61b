// Load of a dump file into a schema.
#include "standins/dbserver/SchemaLoader.h"

#include "dbaccess/DumpGrantLine.h"
#include "dbaccess/DumpReader.h"
#include "dbaccess/RisSqlText.h"
#include "platform/Environment.h"
#include "platform/HostFiles.h"
#include "platform/TextUtil.h"
#include "standins/dbserver/DumpLoadCheck.h"
#include "standins/dbserver/LoadGrants.h"
#include "standins/dbserver/LockedOutputFile.h"
#include "standins/dbserver/RisErrorBlock.h"
#include "standins/dbserver/SchemaTables.h"
#include "standins/dbserver/StoredValueSql.h"

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <memory>

namespace {

const char* kCrLf = "\r\n";

// For tests only, where no small file system can be mounted: the row of the load (counted from
// 1 over all tables) from which the database file may grow no further, so that SQLite fails
// with its own "database or disk is full" as soon as the load needs another page. 0: never.
long long diskFullRowForTests()
{
    return std::atoll(GetEnvVar("TARNWICK_TEST_DISK_FULL_AT_ROW").c_str());
}

// The open table block being loaded.
struct TableLoad {
    std::string table;
    std::vector<DumpColumn> columns; // of the create-table line
    bool skip = true;
    SqliteDb* db = nullptr; // the table's database
    std::unique_ptr<SqliteStatement> insert;
    // Per column of the insert: a column of the table that keeps no empty text. The load binds
    // NULL for an empty text there itself and puts its rows in without the table's trigger,
    // which it makes again when the table's rows are in.
    std::vector<bool> emptyIsNull;
    bool triggerOut = false;
    DumpLayout layout = DumpLayout::Variable;
    std::vector<bool> quoted;
    std::vector<DumpFixedField> fields;
    long long loaded = 0;
    long long rejected = 0;
    std::string firstRejection;
};

// Each value goes in as its column keeps it (a decimal rounded to its scale), by a function of
// the prepared statement: nothing more per row than that call.
std::string insertSql(SqliteDb& db, const std::string& table, const std::vector<DumpColumn>& columns)
{
    std::vector<std::string> names;
    for (const DumpColumn& c : columns)
        names.push_back(ToLower(c.name));
    return StoredValueSql::InsertSql(table, names, db.Handle());
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

// Both index lines the unload client writes: "create unique index" and "create index".
bool isIndexLine(const DumpItem& item)
{
    return item.kind == DumpItemKind::IndexLine ||
           (item.kind == DumpItemKind::OtherLine && StartsWithNoCase(TrimWhite(item.line), "create index "));
}

// Why the database refused a row, in the words a client reports it with (a number beyond the
// range of a number as the database's numeric overflow).
std::string refusalText(const AppError& e)
{
    try {
        SchemaTables::RaiseTranslated(e, "");
    } catch (const AppError& translated) {
        return translated.description();
    }
}

std::string viewName(const std::string& line)
{
    std::vector<SqlToken> t = RisSqlText::Significant(line);
    return t.size() > 2 ? ToLower(t[2].text) : std::string();
}

// One run of the load: the schema being loaded into, the transactions it keeps open, the
// table block being read and what it has counted and reported.
class LoadRun {
public:
    LoadRun(RisSession& session, LockedOutputFile* bad, LockedOutputFile* log, const RisTransferRequest& request,
            std::string& console)
        : session_(session), bad_(bad), log_(log), request_(request), console_(console), grants_(session.Server())
    {
    }

    // Loads the dump whose table blocks the whole-dump check counted as blocks.
    LoadCounts Run(DumpReader& reader, const std::string& dumpFile, const std::vector<DumpTableCount>& blocks);

private:
    void report(const std::string& line);
    void reportError(const AppError& e);
    void useSchema(const std::string& name);
    // One step that changes the schema is undone alone when it fails.
    void inSavepoint(const std::function<void()>& step);
    // After a failed step: a fault of the store (a full disk, an I/O error), or a transaction
    // that SQLite ended on its own, stops the whole load, as every later step would otherwise
    // be committed on its own into the old tables.
    void checkStillLoading(const AppError& e);
    void commitAll();
    // What the databases hold after a load that stopped, for its message.
    std::string stateAfterStop();
    void take(const DumpItem& item);
    void beginTable(const DumpItem& item);
    void loadRow(const DumpItem& item);
    void reject(const DumpItem& item, const std::string& why);
    void grantLine(const DumpItem& item);
    void otherLine(const DumpItem& item);
    void finishTable();
    [[noreturn]] static void notUnderstood(const DumpItem& item);

    RisSession& session_;
    LockedOutputFile* bad_;
    LockedOutputFile* log_;
    const RisTransferRequest& request_;
    std::string& console_;
    LoadCounts counts_;
    std::string schema_;
    SqliteDb* db_ = nullptr;
    std::string owner_;
    std::vector<std::pair<SqliteDb*, std::string>> begun_; // databases (and schemas) whose transaction is open
    std::vector<std::string> committed_;                   // schemas whose load is committed
    bool stopped_ = false;
    LoadGrants grants_; // made in each schema's transaction, right before its commit
    TableLoad current_;
    std::string dumpFile_;
    const long long diskFullRow_ = diskFullRowForTests();
};

void LoadRun::report(const std::string& line)
{
    console_ += line + kCrLf;
    if (log_)
        log_->Write(line + kCrLf);
}

void LoadRun::reportError(const AppError& e)
{
    const std::string block = FormatRisErrorBlock(e);
    console_ += block;
    if (log_)
        log_->Write(block);
    ++counts_.errors;
}

void LoadRun::useSchema(const std::string& name)
{
    schema_ = ToLower(name);
    owner_ = session_.Schema(schema_).dbUser;
    db_ = &session_.Database(schema_);
    if (std::find_if(begun_.begin(), begun_.end(), [&](const auto& b) { return b.first == db_; }) == begun_.end()) {
        grants_.BeforeBegin(*db_);
        db_->Exec("BEGIN IMMEDIATE");
        begun_.emplace_back(db_, schema_);
        grants_.AfterBegin(*db_);
    }
    report("Loading into schema " + schema_ + ".");
}

void LoadRun::inSavepoint(const std::function<void()>& step)
{
    db_->Exec("SAVEPOINT item");
    try {
        step();
    } catch (const AppError& e) {
        checkStillLoading(e);
        db_->Exec("ROLLBACK TO item");
        db_->Exec("RELEASE item");
        throw;
    }
    db_->Exec("RELEASE item");
}

void LoadRun::checkStillLoading(const AppError& e)
{
    bool ended = false;
    for (const auto& [db, schema] : begun_)
        ended = ended || !db->InTransaction();
    if (!ended && !IsStorageFault(e))
        return;
    stopped_ = true;
    const std::string name = e.source().rfind("RIS_E_", 0) == 0 ? e.source() : std::string("RIS_E_DATABASE_ERROR");
    std::string what = e.description();
    if (!what.empty() && what.back() != '.')
        what += '.';
    throw AppError(kRisErrorNumber, name, what + " The load stopped there.");
}

void LoadRun::commitAll()
{
    while (!begun_.empty()) {
        SqliteDb& db = *begun_.front().first;
        // The grants go with the tables in one commit; a catalogue that cannot be written stops
        // the load, a grant that fails alone is reported.
        grants_.Write(db, [this](const AppError& e) {
            checkStillLoading(e);
            reportError(AppError(kRisErrorNumber, RisErrorName(e), e.description()));
        });
        // For tests: points to stop at, or be killed at, right before the commit and after it.
        (void)InjectedFault("commit", db.Path());
        try {
            db.Exec("COMMIT");
        } catch (const AppError& e) {
            // Named as the database's failure it is (a full disk, a lock), like one at any row.
            RaiseRisError("RIS_E_DATABASE_ERROR", "The commit of the load into schema '" + begun_.front().second +
                                                      "' failed: " + e.description() + ".");
        }
        (void)InjectedFault("committed", db.Path());
        grants_.Restore(db);
        committed_.push_back(begun_.front().second);
        begun_.erase(begun_.begin());
    }
}

std::string LoadRun::stateAfterStop()
{
    std::vector<std::string> undone;
    for (const auto& [db, schema] : begun_) {
        try {
            if (db->InTransaction())
                db->Exec("ROLLBACK");
        } catch (const AppError&) {
            // A transaction that cannot be rolled back now ends unfinished with the connection,
            // which undoes it just the same.
        }
        grants_.Restore(*db);
        undone.push_back(schema);
    }
    begun_.clear();
    if (committed_.empty())
        return "The load was undone: no table was changed.";
    return "The load of schema " + Join(committed_, ", ") + " was committed; that of schema " + Join(undone, ", ") +
           " was undone and its tables are as they were.";
}

void LoadRun::notUnderstood(const DumpItem& item)
{
    RaiseRisError("RIS_E_SYNTAX_ERROR", "Line " + std::to_string(item.lineNumber) +
                                            " of the dump is not understood and was not loaded: " +
                                            item.line.substr(0, 60));
}

void LoadRun::finishTable()
{
    if (current_.triggerOut) {
        current_.insert.reset();
        try {
            SchemaTables(*current_.db).RemakeEmptyTextTriggers(current_.table);
        } catch (const AppError& e) {
            // A table committed without its rule would keep an empty text from every other
            // way in: the whole load stops and is undone instead.
            stopped_ = true;
            throw AppError(kRisErrorNumber, "RIS_E_DATABASE_ERROR",
                           "The rule of table '" + current_.table + "' that keeps no empty text could not be made "
                           "again after its rows: " + e.description() + ". The load stopped there.");
        }
        current_.triggerOut = false;
    }
    if (!current_.skip) {
        report("Table " + current_.table + ": " + std::to_string(current_.loaded) + " rows loaded, " +
               std::to_string(current_.rejected) + " rows rejected.");
        if (current_.rejected > 0)
            reportError(AppError(kRisErrorNumber, "RIS_E_ROWS_REJECTED",
                                 std::to_string(current_.rejected) + " rows of table '" + current_.table +
                                     "' were rejected (" + current_.firstRejection + "); see the bad file."));
    }
    current_ = TableLoad();
}

void LoadRun::beginTable(const DumpItem& item)
{
    finishTable();
    current_.table = ToLower(item.table);
    current_.columns = item.columns;
    if (!request_.tables.Contains(current_.table))
        return;
    // The columns as a create-table statement makes them, from the very text of the line.
    std::string table, list;
    DumpFormat::SplitCreateTableLine(item.line, table, list);
    const std::vector<RisColumn> columns = SchemaTables::ParseColumnDefinitions(list);
    std::string notNullFault;
    inSavepoint([&]() {
        SchemaTables tables(*db_);
        const bool exists = tables.HasTable(current_.table);
        if (exists && request_.mode == "new")
            RaiseRisError("RIS_E_TABLE_EXISTS",
                          "Table '" + current_.table + "' already exists in schema '" + schema_ + "'.");
        if (exists && request_.mode == "clear")
            tables.DropTable(current_.table);
        if (!exists || request_.mode == "clear")
            tables.CreateTable(current_.table, columns);
        const std::vector<RisColumn> standing = tables.Columns(current_.table);
        if (exists && request_.mode != "clear")
            notNullFault = DumpLoadCheck::NotNullFault(item.columns, standing, [&](const std::string& column) {
                const std::string q = RisSqlText::QuoteName(column);
                return std::stoll(db_->QueryText("SELECT count(*) FROM " + RisSqlText::QuoteName(current_.table) +
                                                 " WHERE " + q + " IS NULL")
                                      .value_or("0"));
            });
        for (const DumpColumn& c : item.columns) {
            const auto column = std::find_if(standing.begin(), standing.end(),
                                             [&](const RisColumn& s) { return EqualsNoCase(s.name, c.name); });
            current_.emptyIsNull.push_back(column != standing.end() && SchemaTables::EmptyTextIsNull(*column));
        }
        tables.DropEmptyTextInsertTrigger(current_.table);
        current_.insert = std::make_unique<SqliteStatement>(*db_, insertSql(*db_, current_.table, item.columns));
    });
    current_.db = db_;
    current_.triggerOut = true;
    if (request_.mode == "clear")
        grants_.DropGrants(*db_, owner_, current_.table);
    current_.skip = false;
    ++counts_.tables;
    // A table loaded into as it stands keeps its rows and its declarations: a NOT NULL the dump
    // declares and the table lacks is said, never made by dropping what stands.
    if (!notNullFault.empty())
        reportError(AppError(kRisErrorNumber, "RIS_E_NOT_NULL_DIFFERS",
                             "Table '" + current_.table + "' stands in schema '" + schema_ +
                                 "' otherwise than line " + std::to_string(item.lineNumber) + " of the dump file '" +
                                 dumpFile_ + "' declares it: " + notNullFault +
                                 ". The rows were loaded into the table as it stands, which stays without that NOT "
                                 "NULL."));
}

void LoadRun::reject(const DumpItem& item, const std::string& why)
{
    ++current_.rejected;
    ++counts_.rowsRejected;
    if (current_.firstRejection.empty())
        current_.firstRejection = "line " + std::to_string(item.lineNumber) + ": " + why;
    if (bad_)
        bad_->Write(item.line + kCrLf);
}

void LoadRun::loadRow(const DumpItem& item)
{
    if (current_.skip)
        return;
    if (!DumpLoadCheck::RowMatchesColumns(item.line, item.values, current_.layout, current_.quoted, current_.fields)) {
        reject(item, "its fields do not line up with the columns of the table");
        return;
    }
    if (counts_.rowsLoaded + 1 == diskFullRow_)
        db_->Exec("PRAGMA max_page_count = 1"); // the least SQLite takes is the present size
    current_.insert->Reset();
    for (size_t i = 0; i < item.values.size(); ++i) {
        // The values stay in the item until the row is in.
        const DumpValue& value = item.values[i];
        if (value && !(value->empty() && i < current_.emptyIsNull.size() && current_.emptyIsNull[i]))
            current_.insert->BindTextInPlace(static_cast<int>(i) + 1, *value);
        else
            current_.insert->BindNull(static_cast<int>(i) + 1);
    }
    try {
        while (current_.insert->Step()) {
        }
    } catch (const AppError& e) {
        checkStillLoading(e);
        reject(item, refusalText(e)); // the table refuses the row; the bad file keeps it
        return;
    }
    // Counted as the database counts the rows it took: a row it passed over without an error
    // (a trigger of the table's that ignores it) is not loaded, and the bad file keeps it.
    if (db_->Changes() != 1) {
        reject(item, "the database did not keep it");
        return;
    }
    ++current_.loaded;
    ++counts_.rowsLoaded;
}

void LoadRun::grantLine(const DumpItem& item)
{
    finishTable();
    DumpGrant grant;
    if (!DumpGrantLine::Split(item.line, grant))
        notUnderstood(item);
    const std::string table = ToLower(grant.table);
    const std::string privileges = DbServer::TablePrivileges(grant.privileges); // the grant as written, no more
    if (!request_.grants.given || !request_.grants.Contains(table))
        return;
    // A view's grants follow the views, which stand by then.
    if (!SchemaTables(*db_).HasTable(table) && !SchemaTables(*db_).HasView(table))
        RaiseRisError("RIS_E_UNKNOWN_RELATION", "Grant on table or view '" + table + "', which does not exist.");
    // The grantees as the grant statement takes them, no other way.
    std::vector<std::string> names;
    try {
        names = session_.Server().Grantees(grant.grantees);
    } catch (const AppError& e) {
        const std::string why = e.source() == "RIS_E_UNKNOWN_USER" ? " to a user the database does not know ("
                                                                   : " in a form no grant takes (";
        RaiseRisError(e.source(), "Line " + std::to_string(item.lineNumber) + " of the dump grants table '" + table +
                                      "'" + why + e.description() + "); that grant was not made.");
    }
    for (const std::string& name : names)
        grants_.AddGrant(*db_, owner_, table, name, privileges);
}

// Index and view lines; any other line that is not blank is reported.
void LoadRun::otherLine(const DumpItem& item)
{
    finishTable();
    if (isIndexLine(item)) {
        RisIndex idx;
        if (!parseIndexLine(item.line, idx))
            notUnderstood(item);
        if (!request_.indexes.given || !request_.indexes.Contains(idx.table))
            return;
        inSavepoint([&]() {
            // Only the table's own index of that name is replaced; another table's index of the
            // same name stays, and this one then fails as a name in use.
            if (request_.mode == "clear" &&
                db_->QueryText("SELECT 1 FROM sqlite_master WHERE type = 'index' AND name = ?1 COLLATE NOCASE AND "
                               "tbl_name = ?2 COLLATE NOCASE",
                               {ToLower(idx.name), idx.table}))
                db_->Exec("DROP INDEX " + RisSqlText::QuoteName(ToLower(idx.name)));
            SchemaTables(*db_).CreateIndex(idx);
        });
        report("Index " + ToLower(idx.name) + " created.");
    } else if (StartsWithNoCase(TrimWhite(item.line), "create view ")) {
        const std::string view = viewName(item.line);
        if (!request_.views.given || !request_.views.Contains(view))
            return;
        inSavepoint([&]() {
            if (request_.mode == "clear")
                db_->Exec("DROP VIEW IF EXISTS " + RisSqlText::QuoteName(view));
            SchemaTables(*db_).CreateView(TrimWhite(item.line));
        });
        // A view made anew holds the grants the dump gives it, as a table does.
        if (request_.mode == "clear")
            grants_.DropGrants(*db_, owner_, view);
        report("View " + view + " created.");
    } else if (StartsWithNoCase(TrimWhite(item.line), "grant ")) {
        grantLine(item); // a grant of other privileges than the unload writes
    } else if (!TrimWhite(item.line).empty()) {
        notUnderstood(item);
    }
}

void LoadRun::take(const DumpItem& item)
{
    switch (item.kind) {
    case DumpItemKind::SchemaLine:
        if (request_.schema.empty()) {
            if (item.schemaName.empty())
                RaiseRisError("RIS_E_NO_DEFAULT_SCHEMA", "The schema line of the dump names no schema.");
            useSchema(item.schemaName);
        }
        break;
    case DumpItemKind::CreateTable:
        beginTable(item);
        break;
    case DumpItemKind::InsertLine:
        break;
    case DumpItemKind::LayoutLine:
        current_.layout = item.layout;
        current_.fields = item.fixedFields;
        for (const DumpColumn& c : item.columns)
            current_.quoted.push_back(DumpFormat::IsQuotedType(c.type));
        break;
    case DumpItemKind::Row:
        loadRow(item);
        break;
    case DumpItemKind::EndOfTable:
    case DumpItemKind::EndOfSchema:
        finishTable();
        break;
    case DumpItemKind::GrantLine:
        grantLine(item);
        break;
    case DumpItemKind::IndexLine:
    case DumpItemKind::OtherLine:
        otherLine(item);
        break;
    }
}

LoadCounts LoadRun::Run(DumpReader& reader, const std::string& dumpFile, const std::vector<DumpTableCount>& blocks)
{
    std::vector<DumpTableCount> read; // the blocks as this pass reads them
    dumpFile_ = dumpFile;
    try {
        if (!request_.schema.empty())
            useSchema(request_.schema);
        DumpItem item;
        for (;;) {
            try {
                if (!reader.Next(item))
                    break;
            } catch (const AppError& e) {
                DumpLoadCheck::Refuse(dumpFile, e.description());
            }
            DumpLoadCheck::RefuseNul(dumpFile, item);
            if (item.kind == DumpItemKind::CreateTable)
                read.push_back({item.table, 0});
            else if (item.kind == DumpItemKind::Row && !read.empty())
                ++read.back().rows;
            try {
                take(item);
            } catch (const AppError& e) {
                // A failing table, index, view or grant is passed over and the load goes on;
                // an output that cannot be written, no schema to load into or a fault of the
                // store stops it.
                if (stopped_ || RisErrorName(e) == "RIS_E_CANT_WRITE_FILE" || !db_)
                    throw;
                checkStillLoading(e);
                if (item.kind == DumpItemKind::CreateTable)
                    current_.skip = true;
                reportError(e.source().rfind("RIS_E_", 0) == 0
                                ? e
                                : AppError(kRisErrorNumber, "RIS_E_DATABASE_ERROR", e.description()));
            }
        }
        finishTable();
        // The file read now must be the one proved whole before the load began.
        const bool same = read.size() == blocks.size() &&
                          std::equal(read.begin(), read.end(), blocks.begin(), [](const auto& a, const auto& b) {
                              return EqualsNoCase(a.table, b.table) && a.rows == b.rows;
                          });
        if (!same)
            DumpLoadCheck::Refuse(dumpFile, "it changed while it was being loaded");
        commitAll();
    } catch (const AppError& e) {
        current_ = TableLoad();
        throw AppError(kRisErrorNumber, RisErrorName(e), e.description() + " " + stateAfterStop());
    }
    report(std::to_string(counts_.tables) + " tables loaded: " + std::to_string(counts_.rowsLoaded) + " rows, " +
           std::to_string(counts_.rowsRejected) + " rejected.");
    return counts_;
}

} // namespace

LoadCounts SchemaLoader::Load(const RisTransferRequest& request, const std::string& dumpFile, std::string& console)
{
    std::unique_ptr<DumpReader> reader;
    if (const std::string kind = NonRegularFileKind(dumpFile); !kind.empty())
        DumpLoadCheck::Refuse(dumpFile, "it is " + kind + ", not a dump file");
    try {
        reader = std::make_unique<DumpReader>(dumpFile);
    } catch (const AppError&) {
        RaiseRisError("RIS_E_CANT_OPEN_FILE", "Cannot open the dump file '" + dumpFile + "'.");
    }
    const std::vector<DumpTableCount> blocks = DumpLoadCheck::CheckBeforeLoad(dumpFile, request);
    return LoadRun(session_, bad_, log_, request, console).Run(*reader, dumpFile, blocks);
}
