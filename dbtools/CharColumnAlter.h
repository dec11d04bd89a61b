// The column length change of whole schemas: the checks of the input, the question, the run
// under the marks of its schemas, and one schema's turn (unload to the kept backup dump, column
// survey, proof of the backup, dump edit, drop, reload).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class SchemaChangeMark;

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

    // The run over the request's schemas, in their order. The mark of every schema is taken
    // before the first backup: when one of them is not free (another change runs on it, here or
    // in another program, or one that did not end left it not known to be whole), the run
    // raises naming that change, with nothing changed. Each schema's mark is given up once its
    // turn has ended with the schema whole. notChanged receives the schemas left unchanged since
    // no whole backup dump could be made, one "\r\n<schema>: <why>" each, also those before a
    // schema whose turn raised (as ProcessSchema).
    static void Run(const CharColumnRequest& request, std::string& notChanged);

    // One schema's turn under its mark, reported on the status line; the mark says before each
    // step what it is and where the backup dump is. A backup that fails to unload, or that is
    // not whole or does not hold every table with the rows the server counts, leaves the schema
    // as it was and gives why (the run goes on with the next schema, and the caller tells the
    // user which schemas kept their columns); a backup dump found not whole is set aside, so that
    // no later restore takes it for good. "" when the schema was done or needed nothing. The
    // backup dump's name is the system's, with a number added when a file of that name is
    // there already. Only the tables with affected columns are dropped and loaded again, once
    // the edited dump, the restore dump and room for their copies are on disk; any failure
    // before the first drop raises with nothing dropped, and any failure after it that the read
    // of the schema does not find done raises once the dropped tables were restored, naming
    // table by table (and view by view) what happened (ReloadChangedTables); tables not back as
    // they were leave the mark standing. The work files are gone on return; the backup stays.
    static std::string ProcessSchema(const CharColumnRequest& request, const std::string& schema,
                                     SchemaChangeMark& mark);

    // "the change of character column lengths of <schema> to <length>": the change as its mark
    // and the refusals of other changes name it.
    static std::string What(const CharColumnRequest& request, const std::string& schema);
};
