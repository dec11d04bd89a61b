// The statements of a cell edit in the table editor and the table viewer: the prepared cell
// text, the value literals, the row condition, the UPDATE and check statements, the count
// that lets an edit change only the one row it shows, and the look that reads the row back as
// the server stored it.
#pragma once

#include "services/ChangeOutcome.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

class Recordset;
class Variant;

// A field of the edited table: its name, ADO data type and, where the catalogue names it, the
// type the table declares ("decimal(8,2)", "int", "char(40)").
struct RISTableField {
    RISTableField(std::string name_ = {}, int type_ = 0, std::string declared_ = {})
        : name(std::move(name_)), type(type_), declared(std::move(declared_))
    {
    }
    std::string name;
    int type = 0;
    std::string declared;
};

// The values of one row in field order, as text; std::nullopt for Null.
using RISTableRow = std::vector<std::optional<std::string>>;

// What a cell edit left: the outcome of its UPDATE and look, the cell's value as the server
// gives it when the edit stands, and what the window says (empty when the table holds what was
// typed and nothing failed).
struct RISTableEdit {
    ChangeOutcome outcome;
    std::optional<std::string> stored;
    std::string message;
};

class RISTableUpdate {
public:
    // What a typed cell text stands for: "NULL" in any letter case is the empty text (Null);
    // any other text is kept as typed.
    static std::string PrepareCellText(const std::string& typed);

    // The fields of the grid's recordset and the values of its current row as they were before
    // the edit: the edited column holds its old value, the others what the recordset holds.
    static void ReadEditedRow(Recordset& rs, size_t column, const Variant& oldValue,
                              std::vector<RISTableField>& fields, RISTableRow& row);

    // The value as the statement writes it: NULL for the empty text; a number as written for a
    // numeric field; a string literal (quotes doubled) for every other field. Raises error 1
    // "Value '<text>' is no number for column '<field>'" when a numeric field gets another text,
    // so that no typed text reaches the statement unquoted.
    static std::string ValueLiteral(const RISTableField& field, const std::string& text);

    // One term per field, joined by " AND ": "(name IS NULL)" for a Null or empty value (the
    // server keeps no empty text), else "(name=" + literal + ")", a text of blanks too: the
    // server tells it from NULL.
    static std::string RowCondition(const std::vector<RISTableField>& fields, const RISTableRow& row);

    // The table editor's statement for a change of the column to newText, the row holding the
    // cell's old value in that column: "UPDATE t SET f=v" + EditorCondition.
    static std::string Build(const std::string& table, const std::vector<RISTableField>& fields, size_t column,
                             const RISTableRow& row, const std::string& newText);

    // " WHERE " + the row condition + ";".
    static std::string EditorCondition(const std::vector<RISTableField>& fields, const RISTableRow& row);

    // Counts the rows of the table that the condition (" WHERE ...;") matches on the schema,
    // and raises error 1 unless it is exactly one: an edit may change only the row it shows
    // ("2 rows hold these values. Nothing was changed"; for none, that no row matches the row as
    // shown).
    static void RequireOneRow(const std::string& schema, const std::string& table, const std::string& condition);

    // The declared types of the fields as the catalogue lists the table's columns (fields it
    // does not name, or a listing that fails, keep theirs).
    static void ReadDeclaredTypes(const std::string& schema, const std::string& table,
                                  std::vector<RISTableField>& fields);

    // The value the server keeps of a typed text (std::nullopt for the empty text, Null), as
    // StoredValue::Number has it, written plainly: a decimal(p,s) rounded to s decimals and a
    // whole-number field (smallint, int, integer) to a whole number, half away from zero; a
    // double or real field to the double nearest to it (StoredValue::NearestDouble); a number of
    // any other numeric field to the 38 significant digits the server keeps (as typed when it has
    // no more); the date alone in a timestamp or date field as that day's first moment
    // (StoredValue::Moment); every other value, and a text that is no number or one beyond every
    // number the server holds, as typed.
    static std::optional<std::string> StoredForm(const RISTableField& field, const std::string& text);
    // Whether two values of the field are equal as the server compares them (StoredValue::Same),
    // by its declared type where it is known, else by its data type: numbers by value, character
    // text with blank padding (trailing blanks do not count), a moment by the moment it writes,
    // Null and the empty text alike; anything else exactly.
    static bool SameValue(const RISTableField& field, const std::optional<std::string>& a,
                          const std::optional<std::string>& b);

    // What stands after the UPDATE, from the rows that hold the old values and those that hold
    // the stored ones, counted before and after it: done when the old row is gone and one row
    // more holds the stored values (or the stored value is the old one and the row stands), not
    // done while the row holds the old values and no row more the stored ones, else not known.
    static ChangeState Judge(bool storedIsOld, long long oldAfter, long long storedBefore, long long storedAfter);

    // Runs the statement that changes the column of the one row shown to newText, then reads the
    // row back by its condition with the value as the server stores it (StoredForm of the
    // declared type): the edit is judged by Judge, and a done edit gives the value as the server
    // gives it, said when it differs from what was typed ("stored as 120.56"). A look that cannot
    // tell names what the rows alike in every other column hold. The client's failure is one
    // line. The schema's mark is held from the first count until the look has spoken; raises
    // error 1, with nothing written, when another change runs on the schema (named) or one that
    // did not end left it not whole, or when the rows cannot be counted before the write.
    static RISTableEdit WriteAndLook(const std::string& schema, const std::string& table,
                                     const std::vector<RISTableField>& fields, size_t column, const RISTableRow& row,
                                     const std::string& newText, const std::string& statement);

    // Whether the first field is the table's key column (its name holds "_index", "_unique" or
    // "_indx", letter case ignored).
    static bool HasKeyColumn(const std::vector<RISTableField>& fields);
    // The table viewer's condition: " WHERE (" + key + "=" + literal + ");" on a key column,
    // else " WHERE " + the row condition + ";".
    static std::string ViewerCondition(const std::vector<RISTableField>& fields, const RISTableRow& row);
    // The table viewer's statement.
    static std::string ViewerStatement(const std::string& table, const std::vector<RISTableField>& fields,
                                       size_t column, const RISTableRow& row, const std::string& newText);
};
