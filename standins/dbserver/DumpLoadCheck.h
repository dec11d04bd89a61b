// What the load client checks beyond what the dump reader parses: that a data row's text is
// exactly what its values give in the block's layout, and that the dump's lines stand in the
// order the unload client writes them, so that a cut or foreign file is never loaded as a
// whole dump.
#pragma once

#include "dbaccess/DumpReader.h"

#include <string>
#include <string_view>
#include <vector>

class DumpLoadCheck {
public:
    explicit DumpLoadCheck(std::string dumpFile) : dumpFile_(std::move(dumpFile)) {}

    // Whether the row's fields line up with the columns: in the variable layout the values
    // written back give the line itself (quoted[i]: column i holds character data); in the
    // fixed layout every character that is not a blank stands inside a field.
    static bool RowMatchesColumns(std::string_view line, const DumpRow& values, DumpLayout layout,
                                  const std::vector<bool>& quoted, const std::vector<DumpFixedField>& fields);

    // Takes the next item of the dump. Raises RIS_E_BAD_DUMP_FILE when it cannot stand there:
    // a first line that is no schema line, a table block that runs into the next table or
    // the end-of-schema line, an end-of-table line outside a block, anything but a schema
    // line after the end-of-schema line, a second block of a table within one schema.
    void Take(const DumpItem& item);
    // At the end of the file: raises RIS_E_BAD_DUMP_FILE unless the schema line, the end
    // line of every table block and the end-of-schema line were read.
    void Finish() const;
    // Raises RIS_E_BAD_DUMP_FILE naming the file, the reason and the line when it is not 0.
    [[noreturn]] void Refuse(const std::string& reason, long line = 0) const;

private:

    std::string dumpFile_;
    bool started_ = false;
    bool inTable_ = false;
    bool complete_ = false;
    long lastLine_ = 0;
    std::string table_;
    std::vector<std::string> schemaTables_; // the table blocks of the current schema
};
