// The column length change of whole schemas: the checks of the input, the question, and one
// schema's turn (unload to the kept backup dump, column survey, dump edit, drop, reload).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct CharColumnRequest {
    std::string searchText; // lower case
    int32_t newLength = 0;
    std::string backupDir;  // as typed
    std::vector<std::string> schemas;
};

class CharColumnAlter {
public:
    // The request from the window's texts (columnText already trimmed). Raises error 1 with
    // the message of the first check that fails: empty search text, a length below 1, no
    // backup directory, a backup directory that is no folder, no schema.
    static CharColumnRequest Validate(const std::string& columnText, const std::string& lengthText,
                                      const std::string& backupDir, const std::vector<std::string>& schemas);

    // "Are you sure that you want process the selected schemas (a, b) (column: x, length=n)?"
    static std::string Question(const CharColumnRequest& request);

    // One schema's turn, reported on the status line. A failed unload leaves the schema as it
    // was and gives why (the run goes on with the next schema, and the caller tells the user
    // which schemas kept their columns); "" when the schema was done. Any other failure raises. After the reload the schema's tables, row
    // counts and indexes are compared with the backup dump; a difference is a failure. After a
    // failure that came once a table was dropped, the tables the run dropped (every table of the
    // dump once the reload began) are loaded again from the backup dump, compared with it, and
    // the error lists which were restored and which were not. The temporary copies are gone on
    // return; the backup dump stays.
    static std::string ProcessSchema(const CharColumnRequest& request, const std::string& schema);
};
