// The column length change of whole schemas: the checks of the input, the question, and one
// schema's turn (unload to the kept backup dump, column survey, proof of the backup, dump
// edit, drop, reload).
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

    // One schema's turn, reported on the status line. A backup that fails to unload, or that
    // is not whole or does not hold every table with the rows the server counts, leaves the
    // schema as it was and gives why (the run goes on with the next schema, and the caller
    // tells the user which schemas kept their columns); "" when the schema was done or needed
    // nothing. Only the tables with affected columns are dropped and loaded again, once the
    // edited dump, the restore dump and room for their copies are on disk; any failure before
    // the first drop raises with nothing dropped, and any failure after it that the read of the
    // schema does not find done raises once the dropped tables were restored, naming table by
    // table (and view by view) what happened (ReloadChangedTables).
    // The work files are gone on return; the backup dump stays.
    static std::string ProcessSchema(const CharColumnRequest& request, const std::string& schema);
};
