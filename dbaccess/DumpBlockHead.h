// The head of a table block read as the load reads it: the create-table line, the insert line
// the block may have, and the layout line. The rows are bound to the table's columns by
// position, so the insert and layout lines must name the create-table line's columns in its
// order. Every reader of dump items and the whole-dump check read a head here, so that none
// takes a head the load refuses, nor refuses one it takes.
#pragma once

#include "dbaccess/DumpFormat.h"

#include <string>
#include <string_view>
#include <vector>

class DumpBlockHead {
public:
    // Each Take reads one line of the head; it gives what is wrong with it for the load
    // ("the layout line of table 't' names column 'x', which the table lacks (a, b)"), empty
    // when the load reads it.
    std::string TakeCreateLine(std::string_view line);
    // "insert into <table> (<columns>) values (?, ...)", key words in any letter case.
    std::string TakeInsertLine(std::string_view line);
    // "***variable***" and the column names, or the fixed layout's header.
    std::string TakeLayoutLine(std::string_view line);

    // Whether the line after a create-table line is its insert line (any letter case).
    static bool IsInsertLine(std::string_view line);

    const std::string& table() const { return table_; }
    const std::vector<DumpColumn>& columns() const { return columns_; }
    DumpLayout layout() const { return layout_; }
    const std::vector<DumpFixedField>& fixedFields() const { return fields_; }

private:
    // What is wrong with the column names the line gives (of "insert" or "layout").
    std::string namesFault(const char* line, const std::vector<std::string>& given) const;

    std::string table_;
    std::vector<DumpColumn> columns_;
    DumpLayout layout_ = DumpLayout::Variable;
    std::vector<DumpFixedField> fields_;
};
