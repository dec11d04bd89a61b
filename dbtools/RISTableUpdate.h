// The statements of a cell edit in the table editor and the table viewer: the prepared cell
// text, the value literals, the row condition, the UPDATE and check statements, and the count
// that lets an edit change only the one row it shows.
#pragma once

#include "services/ChangeOutcome.h"

#include <optional>
#include <string>
#include <vector>

class Recordset;
class Variant;

// A field of the edited table: its name and ADO data type.
struct RISTableField {
    std::string name;
    int type = 0;
};

// The values of one row in field order, as text; std::nullopt for Null.
using RISTableRow = std::vector<std::optional<std::string>>;

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

    // One term per field, joined by " AND ": "(name IS NULL)" for a Null or empty value
    // ("(name IS NULL OR name='')" for a string-typed field), else "(name=" + literal + ")".
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

    // Runs the statement that changes the column of the one row shown to newText. After a failed
    // call the table is read again: done when no row holds the old values any more and one holds
    // the new, not done while the row holds the old ones, else not known; what is seen names the
    // value the row holds. The client's failure is one line. The schema's mark is held from the
    // statement until the look has spoken; raises error 1, with nothing written, when another
    // change runs on the schema (named) or one that did not end left it not whole.
    static ChangeOutcome WriteAndLook(const std::string& schema, const std::string& table,
                                      const std::vector<RISTableField>& fields, size_t column, const RISTableRow& row,
                                      const std::string& newText, const std::string& statement);

    // Whether the first field is the table's key column (its name holds "_index", "_unique" or
    // "_indx", letter case ignored).
    static bool HasKeyColumn(const std::vector<RISTableField>& fields);
    // The table viewer's condition: " WHERE (" + key + "=" + literal + ");" on a key column,
    // else " WHERE " + the row condition + ";".
    static std::string ViewerCondition(const std::vector<RISTableField>& fields, const RISTableRow& row);
    // The table viewer's statement and the check that reads the cell back.
    static std::string ViewerStatement(const std::string& table, const std::vector<RISTableField>& fields,
                                       size_t column, const RISTableRow& row, const std::string& newText);
    static std::string ViewerCheck(const std::string& table, const std::vector<RISTableField>& fields, size_t column,
                                   const RISTableRow& row);
};
