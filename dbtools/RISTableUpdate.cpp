// Statement building of the cell edits.
#include "dbtools/RISTableUpdate.h"

#include "dbaccess/CRIS.h"
#include "dbaccess/DumpFormat.h"
#include "dbaccess/SqlLiteral.h"
#include "dbaccess/RISErrorReader.h"
#include "dbaccess/StoredValue.h"
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

// The decimals a field keeps: those of its declared type (StoredValue::ScaleOf); without one,
// 0 for a whole-number field and -1 for any other.
int ScaleOf(const RISTableField& field)
{
    if (Trim(field.declared).empty())
        return IsAdoIntegerType(field.type) ? 0 : -1;
    return StoredValue::ScaleOf(field.declared);
}

// How the server compares the field's values: as its declared type reads them where the
// catalogue names it (a timestamp's date alone is that day's first moment), else by its data type.
StoredValue::Kind KindOf(const RISTableField& field)
{
    if (const StoredValue::Kind declared = StoredValue::ComparisonOf(field.declared).kind;
        declared != StoredValue::Kind::Other)
        return declared;
    if (IsNumericField(field.type))
        return StoredValue::Kind::Number;
    return IsAdoDataTypeString(static_cast<int16_t>(field.type)) ? StoredValue::Kind::Char : StoredValue::Kind::Other;
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
        // The server keeps no empty text: a cell shown empty holds NULL, and a text of blanks
        // is found by its blanks, never by NULL.
        if (IsEmpty(value)) {
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

std::optional<std::string> ValueOf(const Variant& v)
{
    return v.IsNull() ? std::nullopt : std::optional<std::string>(v.ToText());
}

// The values of the column in the rows the condition matches, as the server gives them.
std::vector<std::optional<std::string>> ColumnValues(const std::string& schema, const std::string& table,
                                                     const std::string& name, const std::string& condition)
{
    Recordset rs = gCRIS->DBRead(schema, "SELECT " + name + " FROM " + table + condition, 3);
    std::vector<std::optional<std::string>> values;
    if (rs.RecordCount() > 0)
        for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext())
            values.push_back(ValueOf(rs.Fields()[0].Value()));
    return values;
}

// What the rows alike in every field but the edited one hold in it: the row itself, found
// without the value the look could not match. Empty when the table has no other field or the
// read fails (the counts then say what is known).
std::string AlikeRows(const std::string& schema, const std::string& table, const std::vector<RISTableField>& fields,
                      size_t column, const RISTableRow& row)
{
    std::vector<RISTableField> others;
    RISTableRow values;
    for (size_t i = 0; i < fields.size(); ++i)
        if (i != column) {
            others.push_back(fields[i]);
            values.push_back(i < row.size() ? row[i] : std::nullopt);
        }
    if (others.empty())
        return {};
    std::vector<std::optional<std::string>> held;
    try {
        held = ColumnValues(schema, table, fields[column].name, RISTableUpdate::EditorCondition(others, values));
    } catch (const AppError&) {
        return {};
    }
    if (held.empty())
        return "; no row is alike in every other column";
    std::vector<std::string> shown;
    for (size_t i = 0; i < held.size() && i < 3; ++i)
        shown.push_back(Shown(held[i]));
    if (held.size() > 3)
        shown.push_back("...");
    return held.size() == 1 ? "; the row alike in every other column holds " + fields[column].name + " " + shown[0]
                            : "; " + std::to_string(held.size()) + " rows alike in every other column hold " +
                                  fields[column].name + " " + Join(shown, ", ");
}

} // namespace

void RISTableUpdate::ReadDeclaredTypes(const std::string& schema, const std::string& table,
                                       std::vector<RISTableField>& fields)
{
    std::vector<std::string> entries;
    try {
        entries = gCRIS->DBGetCols(schema, table, true, false);
    } catch (const AppError&) {
        return; // whole-number fields still round by their data type; the look says what stands
    }
    for (const std::string& entry : entries) {
        const DumpColumn column = DumpFormat::ParseColumnEntry(entry);
        if (column.type.empty())
            continue; // a listing without types
        for (RISTableField& f : fields)
            if (EqualsNoCase(f.name, column.name))
                f.declared = column.type;
    }
}

std::optional<std::string> RISTableUpdate::StoredForm(const RISTableField& field, const std::string& text)
{
    if (text.empty())
        return std::nullopt;
    if (KindOf(field) == StoredValue::Kind::Moment)
        return StoredValue::Moment(text);
    if (!IsNumericField(field.type))
        return text;
    const int scale = ScaleOf(field);
    // A double or real column keeps the double nearest to the number: its row is looked for by it.
    const bool binary = StoredValue::IsBinaryType(field.declared);
    // Beyond every number a column holds the server refuses the value: it is not written out.
    const std::optional<DecimalNumber> stored =
        binary ? StoredValue::NearestDouble(text) : StoredValue::Number(text, scale);
    if (!stored)
        return text;
    // A number kept as it is (a double's nearest, or up to 38 digits in a column of no scale) is
    // looked for as typed.
    if ((binary || scale < 0) && *stored == *DecimalNumber::Parse(text))
        return text;
    return stored->PlainText();
}

bool RISTableUpdate::SameValue(const RISTableField& field, const std::optional<std::string>& a,
                               const std::optional<std::string>& b)
{
    return StoredValue::Same(a, b, KindOf(field));
}

ChangeState RISTableUpdate::Judge(bool storedIsOld, long long oldAfter, long long storedBefore, long long storedAfter)
{
    if (storedIsOld)
        return storedAfter >= 1 ? ChangeState::Done : ChangeState::NotKnown;
    if (oldAfter == 0 && storedAfter == storedBefore + 1)
        return ChangeState::Done;
    if (oldAfter == 1 && storedAfter == storedBefore)
        return ChangeState::NotDone;
    return ChangeState::NotKnown;
}

RISTableEdit RISTableUpdate::WriteAndLook(const std::string& schema, const std::string& table,
                                          const std::vector<RISTableField>& shownFields, size_t column,
                                          const RISTableRow& row, const std::string& newText,
                                          const std::string& statement)
{
    std::vector<RISTableField> fields = shownFields;
    ReadDeclaredTypes(schema, table, fields);
    const RISTableField& field = fields.at(column);
    const std::optional<std::string> typed = newText.empty() ? std::nullopt : std::optional<std::string>(newText);
    // The row is looked for as the server keeps it: 120.555 in a decimal(8,2) is 120.56 there,
    // 2024-05-06 in a timestamp 2024-05-06:00:00:00. A text is looked for as typed: its trailing
    // blanks never count in the comparison (the reader of the look drops them), and a text of
    // blanks is a text.
    RISTableRow changed = row;
    changed.at(column) = StoredForm(field, newText);
    // An edit to the value the cell held already leaves the row as it was: done.
    const bool storedIsOld = SameValue(field, changed[column], row[column]);
    // An edit made while another change rewrites the schema's tables (a reload from its backup)
    // would be lost under it: the schema's mark is held until the row has been read again.
    const std::string what = "the UPDATE of table '" + table + "' of schema " + schema;
    SchemaChangeMark mark(schema, what);
    if (!mark.Refusal().empty())
        throw AppError(1, "RISTableUpdate::WriteAndLook", SchemaChangeMark::RefusedText(what, mark.Refusal()));
    // Rows alike the edited one already: an edit may make its row the second of its kind.
    const long long storedBefore = storedIsOld ? 0 : CountRows(schema, table, EditorCondition(fields, changed));
    mark.Step("its statement", true, {{"if cut off", "the table shows whether the row was changed"}});
    RISTableEdit edit;
    edit.outcome = ChangeAndLook(
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
            const std::vector<std::optional<std::string>> held =
                ColumnValues(schema, table, field.name, EditorCondition(fields, changed));
            const long long storedAfter = static_cast<long long>(held.size());
            const long long oldAfter = storedIsOld ? storedAfter : CountRows(schema, table, EditorCondition(fields, row));
            const ChangeState state = Judge(storedIsOld, oldAfter, storedBefore, storedAfter);
            if (state == ChangeState::Done) {
                edit.stored = held.front();
                seen = SameValue(field, edit.stored, typed)
                           ? "the row holds " + field.name + " " + Shown(edit.stored)
                           : field.name + " is stored as " + edit.stored.value_or("no value (Null)") +
                                 ", not as typed (" + newText + ")";
            } else if (state == ChangeState::NotDone) {
                seen = "the row still holds " + field.name + " " + Shown(row[column]);
            } else {
                seen = std::to_string(oldAfter) + " row(s) hold the old values and " + std::to_string(storedAfter) +
                       " the new" +
                       (storedBefore > 0 ? " (" + std::to_string(storedBefore) + " before the UPDATE)" : "") +
                       AlikeRows(schema, table, fields, column, row) + "; choose the table again to read it anew";
            }
            return state;
        },
        // risbatch can end well having changed no row: the rows are read after every write.
        LookAfter::EveryCall);
    const std::string whatShown = "the UPDATE of table '" + table + "'";
    if (edit.outcome.Failed())
        edit.message = edit.outcome.Describe(whatShown);
    else if (!SameValue(field, edit.stored, typed))
        edit.message = "The UPDATE of table '" + table + "' was done: " + edit.outcome.seen + ".";
    return edit;
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
