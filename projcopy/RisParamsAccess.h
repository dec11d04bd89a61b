// Reads and statements on the schemas of a project reached through its RIS parameters file:
// every client run is preceded by "set RIS_PARAMETERS=<file>", so the two projects of a copy
// may live in two RIS environments. Query answers come back as in-memory recordsets.
#pragma once

#include "dbaccess/TableCopyCheck.h"
#include "platform/ado/Recordset.h"
#include "projcopy/CopyJournalEntry.h"

#include <cstdint>
#include <string>
#include <vector>

class CopyLog;

class RisParamsAccess {
public:
    // logFile takes risbatch's console output (the copy log).
    explicit RisParamsAccess(const CopyLog& log) : log_(log) {}

    // The projects (names after "pd_") of the environment, each once in the order risbatch
    // lists them, from index 1 on; index 0 is always the empty text. A missing file, an empty
    // path or any failure gives the list with the empty element alone. The list is taken only
    // from a whole answer: a client that wrote none, named a RIS error or ended with a failure
    // exit code gives no project, and failure (when given) says why; it is empty after a whole
    // listing and for a path that names no file. Never throws.
    std::vector<std::string> GetProjects(const std::string& paramsFile, std::string* failure = nullptr) const;

    // Runs one statement on the schema. A SELECT (a statement beginning with it) returns its rows in an open recordset
    // positioned on the first row (field types from the table's layout: 20 for int columns, 5
    // for double and decimal, 203 for the rest); a query without rows, any other statement and
    // every failure give a recordset that is not open. An empty paramsFile leaves the
    // environment as inherited. Never throws.
    Recordset GetData(const std::string& paramsFile, const std::string& schema, const std::string& sql) const;

    // The same, telling a failed read from a query that found no row: failure is the empty text
    // when risbatch answered the statement (with rows or with none), else the RIS error on one line or
    // why there is no answer. A check against a list of the other project must not take a list
    // it could not read for an empty one. Never throws.
    Recordset GetData(const std::string& paramsFile, const std::string& schema, const std::string& sql,
                      std::string& failure) const;

    // The rows of a SELECT as the server printed them, with the same checks as GetData: every
    // value's text as the server gives it (a number in the server's own form, never through a
    // binary double), a Null as nullopt, text columns by the table's layout. failure as GetData.
    // Never throws.
    std::vector<RowImage> GetRows(const std::string& paramsFile, const std::string& schema, const std::string& sql,
                                  std::string& failure) const;

    // Unloads the table's rows alone into dumpFile (risunlod "table with data", in the fixed
    // layout a copy loads, or "table with var data", as the server stores them): the empty text
    // when the dump stands whole, else why not; missing tells a schema without that table.
    // Never throws.
    std::string UnloadRows(const std::string& paramsFile, const std::string& schema, const std::string& table,
                           CopyLayout layout, const std::string& dumpFile, bool& missing) const;

    // How a statement's run ended, beyond its failure text.
    struct StatementRun {
        // risbatch answered with a RIS error block (or no client ran): the refusal is named and
        // stands. Whether the statement changed anything is still known only by looking when
        // the client ran, as a client can commit its work and then report an error. False for
        // a client that died or gave no answer.
        bool refused = false;
        // The client was started on the statement: what it did is known only by looking. False
        // when the statement was refused before any client ran, which then changed nothing.
        bool ran = false;
        // risbatch's console output goes to the copy log; false keeps it out, for a question
        // whose "no" is a RIS error (the caller words the answer in the log itself).
        bool logAnswer = true;
    };

    // Runs one data-changing statement on the schema and reads risbatch's answer to it: the
    // empty text when it was carried out, else the RIS error on one line (or why there is no answer).
    // Never throws.
    std::string RunStatement(const std::string& paramsFile, const std::string& schema, const std::string& sql) const;
    std::string RunStatement(const std::string& paramsFile, const std::string& schema, const std::string& sql,
                             StatementRun& how) const;

    // The server's count of table's rows on the schema, asked in one risbatch run without
    // fetching the rows: 1 with count set; 0 when the schema has no such table (the server's
    // unknown-relation error); -1 when the answer is missing, cut short or another error
    // (failure says which). Never throws.
    int CountRows(const std::string& paramsFile, const std::string& schema, const std::string& table,
                  uint64_t& count, std::string& failure) const;

private:
    // Runs sql (and, for a SELECT, risunlod for its table's layout first) and checks the answer:
    // layout gets the table's column definitions, lines the answer split at its line ends.
    // Raises AppError when there is no whole answer.
    void readAnswer(const std::string& paramsFile, const std::string& schema, const std::string& sql,
                    std::vector<std::string>& layout, std::vector<std::string>& lines) const;
    // Runs sql through risbatch on the schema: its answer (empty when it wrote none) and exit
    // code. False when no client was started; failure says why no answer could be read.
    bool runBatch(const std::string& paramsFile, const std::string& schema, const std::string& sql, bool logAnswer,
                  long& exitCode, std::string& answer, std::string& failure) const;

    const CopyLog& log_;
};

// Closes a recordset of GetData's when it is open (one whose read failed may not be).
inline void CloseIfOpen(Recordset& rs)
{
    if (rs.State() == adStateOpen)
        rs.Close();
}
