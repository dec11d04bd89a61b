// Unload of a schema into a dump file.
#include "standins/dbserver/SchemaUnloader.h"

#include "dbaccess/DumpWriter.h"
#include "dbaccess/RisSqlText.h"
#include "platform/HostFiles.h"
#include "platform/OwnedLeftovers.h"
#include "platform/TextUtil.h"
#include "platform/WinPath.h"
#include "standins/dbserver/LockedOutputFile.h"
#include "standins/dbserver/RisColumnType.h"
#include "standins/dbserver/RisErrorBlock.h"
#include "standins/dbserver/SchemaTables.h"
#include "standins/dbserver/ServerSqlRules.h"
#include "standins/dbserver/ViewOrder.h"

#include <sqlite3.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <sys/stat.h>
#include <unordered_set>

namespace {

const char* kCrLf = "\r\n";

struct TablePlan {
    std::string table;
    std::vector<DumpColumn> columns;
    std::string select;
};

std::vector<DumpColumn> dumpColumns(const std::vector<RisColumn>& columns)
{
    std::vector<DumpColumn> out;
    for (const RisColumn& c : columns)
        out.push_back(DumpColumn{c.name, c.type, c.notNull});
    return out;
}

std::string indexLine(const RisIndex& idx)
{
    return std::string("create ") + (idx.unique ? "unique " : "") + "index " + idx.name + " on " + idx.table + " (" +
           Join(idx.columns, ", ") + ")";
}

// The row condition of a table as a filter of that table's own rows: one condition, kept
// inside parentheses, so that nothing in it can end the statement, comment out its rest or
// add the rows of another query.
std::string filterOf(const std::string& table, const std::string& condition, const std::string& schema, sqlite3* db)
{
    auto refuse = [&](const std::string& what) {
        RaiseRisError("RIS_E_SYNTAX_ERROR", "The condition for table '" + table + "' may only filter its rows; it holds " +
                                                what + ": " + condition);
    };
    const std::vector<SqlToken> tokens = RisSqlText::Tokenize(condition);
    int depth = 0;
    for (size_t i = 0; i < tokens.size(); ++i) {
        const SqlToken& t = tokens[i];
        if (t.kind == SqlToken::Kind::Word &&
            (EqualsNoCase(t.text, "union") || EqualsNoCase(t.text, "intersect") || EqualsNoCase(t.text, "except")))
            refuse("\"" + t.text + "\"");
        if (t.kind == SqlToken::Kind::Comment)
            refuse("a comment");
        if (t.kind != SqlToken::Kind::Symbol)
            continue;
        if (t.text == ";")
            refuse("a \";\"");
        if (t.text == "(")
            ++depth;
        if (t.text == ")" && --depth < 0)
            refuse("a \")\" without its \"(\"");
    }
    if (depth != 0)
        refuse("a \"(\" without its \")\"");
    // Computed as every statement of the server is, a literal read as the table's column
    // compared with it reads it: the condition is read behind its table's query, which has
    // nothing to rewrite.
    const std::string query = "SELECT * FROM " + RisSqlText::QuoteName(table) + " WHERE ";
    const std::string rewritten = ServerSqlRules::Rewrite(
        query + RisSqlText::RewriteQualifiers(
                    condition, [&](const std::string& w) { return EqualsNoCase(w, schema) ? std::string() : w + "."; }),
        ServerDialect::Oracle, db);
    return "(" + rewritten.substr(query.size()) + ")";
}

// "Table 't', column 'c', row n (<first column> <its value>)": where a refused value stands.
std::string valuePlace(const TablePlan& plan, const DumpRow& row, size_t c, long long rowNumber)
{
    std::string key;
    if (c > 0 && row[0])
        key = " (" + plan.columns[0].name + " " + *row[0] + ")";
    return "Table '" + plan.table + "', column '" + plan.columns[c].name + "', row " + std::to_string(rowNumber) + key;
}

// A value holding a line feed would split its row over two lines of the dump, and the format has
// no way to carry it: the unload refuses it rather than write a row that loads cut short. Every
// way in refuses one; a table made before that may still hold one. A carriage return alone ends
// no line of a dump and is written as it is.
void refuseLineFeeds(const TablePlan& plan, const DumpRow& row, long long rowNumber)
{
    for (size_t c = 0; c < row.size(); ++c) {
        if (!row[c] || row[c]->find('\n') == std::string::npos)
            continue;
        RaiseRisError("RIS_E_LINE_BREAK_IN_VALUE", valuePlace(plan, row, c, rowNumber) +
                                                       ": the value holds a line break, which a RIS dump cannot carry.");
    }
}

// An infinity, kept by a table made before the database refused numbers beyond its range, would
// be written as "inf", which no load takes back: the unload refuses it as the overflow it is.
void refuseNonFinite(const TablePlan& plan, const SqliteStatement& st, const DumpRow& row, long long rowNumber)
{
    for (size_t c = 0; c < row.size(); ++c) {
        const int col = static_cast<int>(c);
        if (st.ColumnStorage(col) != SQLITE_FLOAT || std::isfinite(st.ColumnDouble(col)))
            continue;
        RaiseRisError("RIS_E_DATABASE_ERROR", valuePlace(plan, row, c, rowNumber) + ": the stored value " + *row[c] +
                                                  " cannot be unloaded: " +
                                                  SchemaTables::NumericOverflowText(plan.columns[c].name));
    }
}

// The fields of the fixed layout: each column as wide as DumpFormat gives its type, which holds
// every number a double or 64 bits hold; a column whose rows to unload hold a number of more
// digits (a blob) as wide as every digit of it is written.
std::vector<DumpFixedField> fixedFields(SqliteDb& db, const TablePlan& plan)
{
    std::vector<std::string> checks;
    std::vector<size_t> numeric;
    for (size_t c = 0; c < plan.columns.size(); ++c) {
        const auto type = RisColumnType::Parse(plan.columns[c].type);
        if (type && type->IsNumeric() && type->kind() != RisColumnType::Kind::Int &&
            type->kind() != RisColumnType::Kind::SmallInt) {
            checks.push_back("max(typeof(" + RisSqlText::QuoteName(plan.columns[c].name) + ") = 'blob')");
            numeric.push_back(c);
        }
    }
    if (checks.empty())
        return {};
    const auto found = db.QueryRows("SELECT " + Join(checks, ", ") + " FROM (" + plan.select + ")");
    std::vector<DumpFixedField> fields = DumpFormat::FixedFieldsFor(plan.columns);
    bool widened = false;
    for (size_t k = 0; k < numeric.size(); ++k) {
        if (found.empty() || found[0][k].value_or("0") != "1")
            continue;
        const auto type = RisColumnType::Parse(plan.columns[numeric[k]].type);
        const long width = type->kind() == RisColumnType::Kind::Decimal && type->precision() > 0
                               ? type->precision() + 3 // sign, point and a 0 before it
                               : static_cast<long>(RisColumnType::kWideNumberWidth);
        DumpFixedField& f = fields[numeric[k]];
        f.last = std::max(f.last, f.first + width - 1);
        widened = true;
    }
    if (!widened)
        return {};
    for (size_t c = 1; c < fields.size(); ++c) {
        const long width = fields[c].last - fields[c].first;
        fields[c].first = fields[c - 1].last + 2;
        fields[c].last = fields[c].first + width;
    }
    return fields;
}

// The file the dump replaces: a symbolic link is followed to the file it names, which is
// written while the link stays; a name of no place, a read-only file, or one that is no regular
// file (a folder, a FIFO, a device), is refused before anything is written.
std::string dumpTarget(const std::string& dumpFile)
{
    RefuseNoPlace(dumpFile, "dump file");
    namespace fs = std::filesystem;
    const std::string given = HostPath(dumpFile);
    fs::path p = given;
    std::error_code ec;
    for (int hops = 0; fs::is_symlink(fs::symlink_status(p, ec)); ++hops) {
        const fs::path to = fs::read_symlink(p, ec);
        if (hops == 40 || ec)
            RaiseRisError("RIS_E_CANT_OPEN_FILE", "The dump file '" + dumpFile +
                                                      "' is a symbolic link that leads to no file; nothing was done.");
        p = to.is_absolute() ? to : p.parent_path() / to;
    }
    p = p.lexically_normal();
    struct stat st;
    if (::stat(p.c_str(), &st) == 0) {
        const std::string named = "The dump file '" + dumpFile + "'" +
                                  (p.string() == given ? std::string() : " (" + WinPathFromHost(p.string()) + ")");
        if (!S_ISREG(st.st_mode))
            RaiseRisError("RIS_E_CANT_OPEN_FILE", named + " is not a regular file; nothing was done.");
        if ((st.st_mode & S_IWUSR) == 0)
            RaiseRisError("RIS_E_CANT_OPEN_FILE", named + " is read-only; nothing was done.");
    }
    return p.string() == given ? dumpFile : WinPathFromHost(p.string());
}

// The dump is written to a file beside its place and moved there when whole.
class PartFile {
public:
    explicit PartFile(const std::string& dumpFile)
        : dumpFile_(dumpFile), part_(partName(dumpFile)), hold_(part_)
    {
    }
    ~PartFile()
    {
        if (!placed_)
            std::remove(HostPath(part_).c_str());
    }
    const std::string& Path() const { return part_; }
    void Place()
    {
        // A dump that replaces a file keeps that file's mode.
        struct stat old;
        if (::stat(HostPath(dumpFile_).c_str(), &old) == 0)
            ::chmod(HostPath(part_).c_str(), old.st_mode & 07777);
        if (std::rename(HostPath(part_).c_str(), HostPath(dumpFile_).c_str()) != 0)
            RaiseRisError("RIS_E_CANT_WRITE_FILE", "Cannot write file '" + dumpFile_ + "': " + std::strerror(errno));
        placed_ = true;
        hold_.Close();
    }

private:
    // The name carries this process's id, so that a run killed before it removed its file
    // leaves one that the next run knows as a leftover and removes.
    static std::string partName(const std::string& dumpFile)
    {
        RemoveOrphanedLeftovers(dumpFile, ".part");
        return OwnedLeftoverName(dumpFile, ".part");
    }

    std::string dumpFile_;
    std::string part_;
    LockedOutputFile hold_;
    bool placed_ = false;
};

} // namespace

void SchemaUnloader::Unload(const RisTransferRequest& request, const std::string& dumpOutput, std::string& console)
{
    const std::string dumpFile = dumpTarget(dumpOutput);
    const RisSchemaEntry schema = session_.Schema(request.schema);
    SqliteDb& db = session_.Database(request.schema);
    SchemaTables catalogue(db);

    // The tables in the order asked for: "all" in the order of creation, else as listed.
    std::vector<std::string> tables;
    if (request.tables.all) {
        tables = catalogue.Tables();
    } else {
        // One look at the catalogue for every name, however many the request holds.
        std::unordered_set<std::string> standing;
        for (const std::string& table : catalogue.Tables())
            standing.insert(ToLower(table));
        for (const std::string& name : request.tables.names) {
            if (!standing.count(ToLower(name)))
                RaiseRisError("RIS_E_UNKNOWN_RELATION",
                              "Table '" + name + "' does not exist in schema '" + schema.name + "'.");
            tables.push_back(ToLower(name));
        }
    }
    // Every statement is checked before the first byte is written.
    std::vector<TablePlan> plans;
    for (const std::string& table : tables) {
        TablePlan plan{table, dumpColumns(catalogue.Columns(table)), "SELECT * FROM " + RisSqlText::QuoteName(table)};
        const std::string condition = request.tables.ConditionFor(table);
        try {
            if (!condition.empty())
                plan.select += " WHERE " + filterOf(table, condition, schema.name, db.Handle());
            SqliteStatement check(db, plan.select);
        } catch (const AppError& e) {
            if (e.source().rfind("RIS_E_", 0) == 0)
                throw;
            SchemaTables::RaiseTranslated(e, schema.name);
        }
        plans.push_back(std::move(plan));
    }

    PartFile part(dumpFile);
    try {
        DumpWriter writer(part.Path());
        writer.WriteCreateSchemaLine(schema.name, " " + schema.definition);
        for (const TablePlan& plan : plans) {
            if (!request.withData) {
                writer.WriteLine(DumpFormat::CreateTableLine(plan.table, plan.columns));
                continue;
            }
            writer.BeginTable(plan.table, plan.columns, request.variable ? DumpLayout::Variable : DumpLayout::Fixed,
                              request.variable ? std::vector<DumpFixedField>() : fixedFields(db, plan));
            long long count = 0;
            SqliteStatement st(db, plan.select);
            DumpRow row(plan.columns.size());
            while (st.Step()) {
                for (size_t c = 0; c < plan.columns.size(); ++c) {
                    bool quoted = false;
                    row[c] = RisColumnType::StoredValueText(st, static_cast<int>(c), quoted);
                }
                refuseLineFeeds(plan, row, ++count);
                refuseNonFinite(plan, st, row, count);
                writer.WriteRow(row);
            }
            writer.EndTable();
            console += "Table " + plan.table + ": " + std::to_string(count) + (count == 1 ? " row" : " rows") +
                       " unloaded." + kCrLf;
        }
        // Each view after the views it reads, so that a load can make them in dump order.
        std::vector<RisView> views;
        if (request.views.given)
            for (const RisView& v : ViewsInMakeOrder(db, catalogue.Views()))
                if (request.views.Contains(v.name)) {
                    // Written as the server holds it, and said: a view whose table is gone makes
                    // no load of this dump whole.
                    if (const std::string fault = ViewThatCannotBeMade(db, v.name); !fault.empty())
                        console += "Warning: " + fault + "." + kCrLf;
                    writer.WriteLine(v.definition);
                    views.push_back(v);
                }
        if (request.indexes.given)
            for (const std::string& table : tables)
                if (request.indexes.Contains(table))
                    for (const RisIndex& idx : catalogue.Indexes(table))
                        writer.WriteLine(indexLine(idx));
        // Each grant as it was made: a load of the dump grants no more.
        const auto writeGrants = [&](const std::string& on) {
            for (const std::string& grantee : session_.Server().GrantsOn(schema.dbUser, on)) {
                // A grant kept from before the server refused grants to unknown users: no load
                // takes it, so it is left out and named.
                if (!session_.Server().GranteeStands(grantee)) {
                    console += "Warning: the grant on " + on + " to '" + grantee + "' is left out: ORA-01917: user "
                               "or role '" + grantee + "' does not exist, so no load could make it." + kCrLf;
                    continue;
                }
                const std::string privileges = session_.Server().GrantedPrivileges(schema.dbUser, on, grantee);
                if (EqualsNoCase(grantee, "public") && privileges == DbServer::kAllTablePrivileges)
                    writer.WriteGrantLine(on);
                else
                    writer.WriteLine("grant " + privileges + " on " + on + " to " + grantee);
            }
        };
        if (request.grants.given) {
            for (const std::string& table : tables)
                if (request.grants.Contains(table))
                    writeGrants(table);
            // Then those of the views the dump makes, which stand by then.
            for (const RisView& v : views)
                if (request.grants.Contains(v.name))
                    writeGrants(ToLower(v.name));
        }
        writer.Finish();
    } catch (const AppError& e) {
        if (e.source().rfind("RIS_E_", 0) == 0)
            throw;
        // A full disk is named as what it is, with the file the caller asked for, so that a
        // reader quoting this error line can say why the dump is not there.
        if (e.source() == "DumpWriter" && e.number() == kErrDiskFull)
            RaiseRisError("RIS_E_WRITE_DUMP", "The dump file '" + dumpFile +
                                                  "' could not be written: the disk is full. Nothing was unloaded "
                                                  "into it; the file is as it was.");
        if (e.source() == "DumpWriter")
            RaiseRisError("RIS_E_WRITE_DUMP", e.description());
        SchemaTables::RaiseTranslated(e, schema.name);
    }
    part.Place();
    console += "Schema " + schema.name + ": " + std::to_string(tables.size()) +
               (tables.size() == 1 ? " table" : " tables") + " unloaded." + kCrLf;
}
