// The filter row of the list grid: the recordset filter built from the filter cells, and the
// record-count caption.
#pragma once

#include <string>
#include <vector>

class Recordset;

struct ListFilterCell {
    std::string dataField; // the column's recordset field
    int fieldType = 0;     // its ADO type
    std::string text;      // what the filter cell holds
};

class ListFilter {
public:
    // One clause per cell with text, joined by " AND ": a text field (adVarWChar) matches the
    // cell's text as a prefix (field LIKE 'text*', a quote in the text doubled); any other field
    // compares as a date (field = #text#). Empty when no cell holds text.
    static std::string Build(const std::vector<ListFilterCell>& cells);

    // Puts the filter of the cells on the recordset when it differs from the one in force and
    // returns the grid caption: "<count> records", plus " (filtered)" while a filter is in force.
    // A closed or missing recordset, or a filter the recordset refuses, gives "0 records" and
    // leaves the recordset unfiltered.
    static std::string Apply(Recordset* rs, const std::vector<ListFilterCell>& cells);

    // The caption for the recordset as it stands.
    static std::string Caption(const Recordset& rs);
};
