// The filter row of the table editor: the recordset filter built from the filter cells, and the
// grid caption with the table name and the record count, and the grid's column widths.
#pragma once

#include "ui/qt/ListFilter.h"

#include <string>
#include <vector>

class Recordset;

class RISTableFilter {
public:
    // One clause per cell with text, joined by " AND ": a numeric text compares equal
    // (field = #12#), any other text matches as a prefix (field LIKE 'text*', a quote doubled so
    // that the text stays one literal).
    static std::string Build(const std::vector<ListFilterCell>& cells);

    // Puts the filter of the cells on the recordset when it differs from the one in force and
    // returns the caption: table + " - " + count + " records", plus " (filtered)" while a filter
    // is in force. A missing or closed recordset, or a filter the recordset refuses, leaves the
    // recordset unfiltered and gives "Please select one table" (no table) or
    // table + " - 0 records".
    static std::string Apply(Recordset* rs, const std::string& table, const std::vector<ListFilterCell>& cells);

    // The width of each grid column in twips: the grid's width divided by the number of
    // columns, less 100, at least 800.
    static long ColumnWidth(long gridWidthTwips, int columns);
};
