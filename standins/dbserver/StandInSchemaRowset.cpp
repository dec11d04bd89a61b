// Table and column rowsets of a database user's tables for the stand-in connections.
#include "standins/dbserver/StandInSchemaRowset.h"

#include "platform/AppError.h"
#include "platform/TextUtil.h"
#include "platform/ado/AdoTypes.h"
#include "standins/dbserver/SqliteDb.h"

#include <filesystem>

namespace {

// Restriction i as text; empty when it is missing or Empty (no restriction).
std::string Restriction(const std::vector<Variant>& restrictions, size_t i)
{
    return i < restrictions.size() && !restrictions[i].IsEmpty() && !restrictions[i].IsNull()
               ? restrictions[i].ToText()
               : std::string();
}

bool Passes(const std::string& restriction, const std::string& value)
{
    return restriction.empty() || EqualsNoCase(restriction, value);
}

} // namespace

Recordset StandInSchemaRowset::Build(int schema, const std::vector<Variant>& restrictions, const std::string& catalog,
                                     const std::string& owner, const std::string& hostPath,
                                     const std::string& errorSource)
{
    if (schema != adSchemaTables && schema != adSchemaColumns)
        throw AppError(adoerr::kNotCapable, errorSource,
                       "Object or provider is not capable of performing requested operation.");
    const bool columns = schema == adSchemaColumns;
    Recordset rs;
    rs.SetCursorLocation(adUseClient);
    for (const char* name : {"TABLE_CATALOG", "TABLE_SCHEMA", "TABLE_NAME"})
        rs.Fields().Append(name, adVarWChar, 128, adFldIsNullable);
    if (columns) {
        rs.Fields().Append("COLUMN_NAME", adVarWChar, 128, adFldIsNullable);
        rs.Fields().Append("ORDINAL_POSITION", adInteger, 4, adFldIsNullable);
    } else {
        rs.Fields().Append("TABLE_TYPE", adVarWChar, 128, adFldIsNullable);
    }
    rs.Open();

    std::error_code ec;
    if (!std::filesystem::is_regular_file(hostPath, ec))
        return rs;
    const std::string tableRestriction = Restriction(restrictions, 2);
    const std::string lastRestriction = Restriction(restrictions, 3); // table type, or column name
    SqliteDb db(hostPath);
    const auto tables = db.QueryRows("SELECT name, type FROM sqlite_master WHERE type IN ('table', 'view') "
                                     "AND name NOT LIKE 'sqlite%' ORDER BY rowid");
    for (const auto& t : tables) {
        const std::string name = t[0].value_or("");
        const std::string type = t[1].value_or("") == "view" ? "VIEW" : "TABLE";
        if (!Passes(tableRestriction, name))
            continue;
        if (!columns) {
            if (Passes(lastRestriction, type))
                rs.AppendRowValues({Variant(catalog), Variant(owner), Variant(name), Variant(type)});
            continue;
        }
        for (const auto& c : db.QueryRows("SELECT cid, name FROM pragma_table_info(?1)", {name})) {
            const std::string column = c[1].value_or("");
            if (Passes(lastRestriction, column))
                rs.AppendRowValues({Variant(catalog), Variant(owner), Variant(name), Variant(column),
                                    Variant(std::stoll(c[0].value_or("0")) + 1)});
        }
    }
    if (rs.RecordCount() != 0)
        rs.MoveFirst();
    return rs;
}
