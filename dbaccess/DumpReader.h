// Reads a RIS dump file item by item (schema lines, table definitions, rows, end lines, other
// lines), streaming through it in chunks.
#pragma once

#include "dbaccess/DumpBlockHead.h"
#include "dbaccess/DumpFormat.h"
#include "dbaccess/DumpLineClassifier.h"
#include "dbaccess/DumpScanner.h"

#include <string>
#include <vector>

enum class DumpItemKind {
    SchemaLine,  // schemaName, createSchema
    CreateTable, // table, columns
    InsertLine,
    LayoutLine,  // layout, fixedFields (fixed layout)
    Row,         // values of the current table
    EndOfTable,
    IndexLine,   // "create unique index ..."
    GrantLine,   // "grant ..."
    EndOfSchema,
    OtherLine,   // any other line (views, blank lines), passed through as line
};

struct DumpItem {
    DumpItemKind kind = DumpItemKind::OtherLine;
    std::string line;       // the whole line without its line end
    long lineNumber = 0;    // 1-based
    std::string schemaName; // SchemaLine
    bool createSchema = false;
    std::string table;      // CreateTable, and every later item of its block
    std::vector<DumpColumn> columns;
    DumpLayout layout = DumpLayout::Variable;
    std::vector<DumpFixedField> fixedFields;
    DumpRow values; // Row
};

class DumpReader {
public:
    // Opens the dump (Windows path); raises as DumpScanner does.
    explicit DumpReader(const std::string& path, size_t chunkSize = DumpFormat::kChunkSize);

    // The next item; false at the end of the file. Inside a table block the line after the
    // insert line is its layout line and the lines up to the end-of-table line are rows.
    // Raises error 1 "Incorrect RIS dump file format (line n): <fault>" for a line of a block's
    // head the load does not read (DumpBlockHead). The first call walks the whole dump first
    // and raises as RequireDumpBlocksClosed.
    bool Next(DumpItem& item);

private:
    bool nextLine(std::string_view& line);

    DumpScanner scanner_;
    std::string path_;
    size_t chunkSize_;
    bool walked_ = false;
    DumpLineClassifier classifier_;
    std::string chunk_;
    size_t pos_ = 0;
    long lineNumber_ = 0;
    enum class State { Outside, AfterCreate, AfterInsert, InRows } state_ = State::Outside;
    DumpBlockHead head_; // of the table block being read, or read last
};
