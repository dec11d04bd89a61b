// Statement building of the cell edits.
#include "dbtools/RISTableUpdate.h"

#include "dbaccess/CRIS.h"
#include "dbaccess/SqlLiteral.h"
#include "dbaccess/RISErrorReader.h"
#include "dbtools/SchemaChangeMark.h"
#include "platform/AppError.h"
#include "platform/TextUtil.h"
#include "platform/ado/AdoTypes.h"
#include "platform/ado/Recordset.h"
#include "platform/ado/Variant.h"

namespace {

bool IsNumericField(int type)
{
    return !IsAdoDataTypeString(static_cast<int16_t>(type)) &&
           (IsAdoIntegerType(type) || IsAdoFloatType(type) || type == adBoolean);
}

bool IsEmpty(const std::optional<std::string>& v)
{
    return !v || v->empty();
}

// The rows of the table the condition matches; -1 when the count gave no answer.
long long MatchingRows(const std::string& schema, const std::string& table, const std::string& condition)
{
    Recordset rs = gCRIS->DBRead(schema, "SELECT count(*) FROM " + table + condition, 3);
    return rs.RecordCount() > 0 ? rs.Fields()[0].Value().ToLong() : -1;
}

} // namespace

std::string RISTableUpdate::PrepareCellText(const std::string& typed)
{
    return EqualsNoCase(typed, "NULL") ? std::string() : typed;
}

std::string RISTableUpdate::ValueLiteral(const RISTableField& field, const std::string& text)
{
    if (text.empty())
        return "NULL";
    if (!IsNumericField(field.type))
        return SqlStringLiteral(text);
    if (!ParseNumberText(text))
        throw AppError(1, "RISTableUpdate::ValueLiteral", "Value '" + text + "' is no number for column '" + field.name + "'");
    return Trim(text);
}

std::string RISTableUpdate::RowCondition(const std::vector<RISTableField>& fields, const RISTableRow& row)
{
    std::vector<std::string> terms;
    for (size_t i = 0; i < fields.size(); ++i) {
        const RISTableField& f = fields[i];
        const std::optional<std::string> value = i < row.size() ? row[i] : std::nullopt;
        if (IsEmpty(value)) {
            if (IsAdoDataTypeString(static_cast<int16_t>(f.type)))
                terms.push_back("(" + f.name + " IS NULL OR " + f.name + "='')");
            else
                terms.push_back("(" + f.name + " IS NULL)");
        } else {
            terms.push_back("(" + f.name + "=" + ValueLiteral(f, *value) + ")");
        }
    }
    return Join(terms, " AND ");
}

std::string RISTableUpdate::Build(const std::string& table, const std::vector<RISTableField>& fields, size_t column,
                                  const RISTableRow& row, const std::string& newText)
{
    const RISTableField& f = fields.at(column);
    return "UPDATE " + table + " SET " + f.name + "=" + ValueLiteral(f, newText) + EditorCondition(fields, row);
}

std::string RISTableUpdate::EditorCondition(const std::vector<RISTableField>& fields, const RISTableRow& row)
{
    return " WHERE " + RowCondition(fields, row) + ";";
}

void RISTableUpdate::RequireOneRow(const std::string& schema, const std::string& table, const std::string& condition)
{
    const long long rows = MatchingRows(schema, table, condition);
    if (rows == 1)
        return;
    if (rows == 0)
        throw AppError(1, "TDBGrid_BeforeColUpdate",
                       "Data was not updated: no row of table '" + table +
                           "' matches the row as shown. Choose the table again to read it anew.");
    throw AppError(1, "TDBGrid_BeforeColUpdate",
                   (rows < 0 ? std::string("An unknown number of") : std::to_string(rows)) +
                       " rows hold these values. Nothing was changed");
}

namespace {

long long CountRows(const std::string& schema, const std::string& table, const std::string& condition)
{
    const long long rows = MatchingRows(schema, table, condition);
    if (rows < 0)
        throw AppError(1, "RISTableUpdate::WriteAndLook", "the count of the rows gave no answer");
    return rows;
}

std::string Shown(const std::optional<std::string>& value)
{
    return value && !value->empty() ? "'" + *value + "'" : std::string("no value (Null)");
}

} // namespace

ChangeOutcome RISTableUpdate::WriteAndLook(const std::string& schema, const std::string& table,
                                           const std::vector<RISTableField>& fields, size_t column,
                                           const RISTableRow& row, const std::string& newText,
                                           const std::string& statement)
{
    RISTableRow changed = row;
    changed.at(column) = newText.empty() ? std::nullopt : std::optional<std::string>(newText);
    const std::string& name = fields.at(column).name;
    // An edit made while another change rewrites the schema's tables (a reload from its backup)
    // would be lost under it: the schema's mark is held until the row has been read again.
    const std::string what = "the UPDATE of table '" + table + "' of schema " + schema;
    SchemaChangeMark mark(schema, what);
    if (!mark.Refusal().empty())
        throw AppError(1, "RISTableUpdate::WriteAndLook", SchemaChangeMark::RefusedText(what, mark.Refusal()));
    mark.Step("its statement", true, {{"if cut off", "the table shows whether the row was changed"}});
    return ChangeAndLook(
        [&] {
            try {
                gCRIS->DBWrite(schema, statement);
                return std::string();
            } catch (const AppError& e) {
                return e.description().empty() ? std::string("risbatch failed without a message")
                                               : RISErrorLine(e.description());
            }
        },
        [&](std::string& seen) {
            const long long before = CountRows(schema, table, EditorCondition(fields, row));
            const long long after = CountRows(schema, table, EditorCondition(fields, changed));
            // An edit to the value the cell held already leaves the row as it was: done.
            const bool sameValue = changed[column] == row[column];
            if ((before == 0 || sameValue) && after >= 1) {
                seen = "the row holds " + name + " " + Shown(changed[column]);
                return ChangeState::Done;
            }
            if (before == 1 && after == 0) {
                seen = "the row still holds " + name + " " + Shown(row[column]);
                return ChangeState::NotDone;
            }
            seen = std::to_string(before) + " row(s) hold the old values and " + std::to_string(after) +
                   " the new; choose the table again to read it anew";
            return ChangeState::NotKnown;
        },
        // risbatch can end well having changed no row: the rows are counted after every write.
        LookAfter::EveryCall);
}

bool RISTableUpdate::HasKeyColumn(const std::vector<RISTableField>& fields)
{
    if (fields.empty())
        return false;
    const std::string name = ToLower(fields[0].name);
    return name.find("_index") != std::string::npos || name.find("_unique") != std::string::npos ||
           name.find("_indx") != std::string::npos;
}

std::string RISTableUpdate::ViewerCondition(const std::vector<RISTableField>& fields, const RISTableRow& row)
{
    if (HasKeyColumn(fields) && !row.empty() && !IsEmpty(row[0]))
        return " WHERE (" + fields[0].name + "=" + ValueLiteral(fields[0], *row[0]) + ");";
    return " WHERE " + RowCondition(fields, row) + ";";
}

std::string RISTableUpdate::ViewerStatement(const std::string& table, const std::vector<RISTableField>& fields,
                                            size_t column, const RISTableRow& row, const std::string& newText)
{
    const RISTableField& f = fields.at(column);
    return "UPDATE " + table + " SET " + f.name + "=" + ValueLiteral(f, newText) + ViewerCondition(fields, row);
}

std::string RISTableUpdate::ViewerCheck(const std::string& table, const std::vector<RISTableField>& fields,
                                        size_t column, const RISTableRow& row)
{
    return "SELECT " + fields.at(column).name + " FROM " + table + ViewerCondition(fields, row);
}

void RISTableUpdate::ReadEditedRow(Recordset& rs, size_t column, const Variant& oldValue,
                                   std::vector<RISTableField>& fields, RISTableRow& row)
{
    fields.clear();
    row.clear();
    for (const FieldInfo& f : rs.FieldInfos())
        fields.push_back({f.name, f.type});
    for (size_t i = 0; i < fields.size(); ++i) {
        const Variant v = i == column ? oldValue : rs.Fields()[static_cast<int>(i)].Value();
        row.push_back(v.IsNull() ? std::nullopt : std::optional<std::string>(v.ToText()));
    }
}
