// Unload of a schema into a dump file.
#include "standins/dbserver/SchemaUnloader.h"

#include "dbaccess/DumpWriter.h"
#include "platform/TextUtil.h"
#include "standins/dbserver/RisColumnType.h"
#include "standins/dbserver/RisErrorBlock.h"
#include "standins/dbserver/RisSqlText.h"
#include "standins/dbserver/SchemaTables.h"

namespace {

const char* kCrLf = "\r\n";

std::vector<DumpColumn> dumpColumns(const std::vector<RisColumn>& columns)
{
    std::vector<DumpColumn> out;
    for (const RisColumn& c : columns)
        out.push_back(DumpColumn{c.name, c.type});
    return out;
}

std::string indexLine(const RisIndex& idx)
{
    return std::string("create ") + (idx.unique ? "unique " : "") + "index " + idx.name + " on " + idx.table + " (" +
           Join(idx.columns, ", ") + ")";
}

} // namespace

void SchemaUnloader::Unload(const RisTransferRequest& request, const std::string& dumpFile, std::string& console)
{
    const RisSchemaEntry schema = session_.Schema(request.schema);
    SqliteDb& db = session_.Database(request.schema);
    SchemaTables catalogue(db);
    const std::vector<std::string> all = catalogue.Tables();

    // The tables in the order asked for: "all" in the order of creation, else as listed.
    std::vector<std::string> tables;
    if (request.tables.all) {
        tables = all;
    } else {
        for (const std::string& name : request.tables.names) {
            if (!catalogue.HasTable(name))
                RaiseRisError("RIS_E_UNKNOWN_RELATION",
                              "Table '" + name + "' does not exist in schema '" + schema.name + "'.");
            tables.push_back(ToLower(name));
        }
    }

    DumpWriter writer(dumpFile);
    writer.WriteCreateSchemaLine(schema.name, " " + schema.definition);
    for (const std::string& table : tables) {
        const std::vector<DumpColumn> columns = dumpColumns(catalogue.Columns(table));
        if (!request.withData) {
            writer.WriteLine(DumpFormat::CreateTableLine(table, columns));
            continue;
        }
        writer.BeginTable(table, columns, request.variable ? DumpLayout::Variable : DumpLayout::Fixed);
        std::string sql = "SELECT * FROM " + RisSqlText::QuoteName(table);
        const std::string condition = request.tables.ConditionFor(table);
        if (!condition.empty())
            sql += " WHERE " + RisSqlText::RewriteQualifiers(condition, [&](const std::string& w) {
                       return EqualsNoCase(w, schema.name) ? std::string() : w + ".";
                   });
        long long count = 0;
        try {
            SqliteStatement st(db, sql);
            DumpRow row(columns.size());
            while (st.Step()) {
                for (size_t c = 0; c < columns.size(); ++c) {
                    bool quoted = false;
                    row[c] = RisColumnType::StoredValueText(st, static_cast<int>(c), quoted);
                }
                writer.WriteRow(row);
                ++count;
            }
        } catch (const AppError& e) {
            if (e.source().rfind("RIS_E_", 0) == 0)
                throw;
            if (e.source() == "DumpWriter")
                RaiseRisError("RIS_E_WRITE_DUMP", e.description());
            SchemaTables::RaiseTranslated(e, schema.name);
        }
        writer.EndTable();
        console += "Table " + table + ": " + std::to_string(count) + (count == 1 ? " row" : " rows") + " unloaded." + kCrLf;
    }
    if (request.views.given)
        for (const RisView& v : catalogue.Views())
            if (request.views.Contains(v.name))
                writer.WriteLine(v.definition);
    if (request.indexes.given)
        for (const std::string& table : tables)
            if (request.indexes.Contains(table))
                for (const RisIndex& idx : catalogue.Indexes(table))
                    writer.WriteLine(indexLine(idx));
    if (request.grants.given)
        for (const std::string& table : tables)
            if (request.grants.Contains(table))
                for (const std::string& grantee : session_.Server().GrantsOn(schema.dbUser, table)) {
                    if (EqualsNoCase(grantee, "public"))
                        writer.WriteGrantLine(table);
                    else
                        writer.WriteLine(std::string(DumpFormat::kGrant) + table + " to " + grantee);
                }
    writer.Finish();
    console += "Schema " + schema.name + ": " + std::to_string(tables.size()) +
               (tables.size() == 1 ? " table" : " tables") + " unloaded." + kCrLf;
}
