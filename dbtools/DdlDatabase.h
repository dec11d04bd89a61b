// What the DDL check and its repair ask of the databases, behind one interface: the program
// answers through the process-wide access object, tests through an in-memory twin.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class Recordset;

class DdlDatabase {
public:
    virtual ~DdlDatabase() = default;
    // The project directory as a network path ending in "\" (GetProjectDirectory).
    virtual std::string ProjectDirectory(const std::string& project) = 0;
    // The table names of the schema, listed anew: those of the unload client's listing and of the
    // dictionary together (StandingTables), each answer whole or raised, so that a table one
    // answer leaves out is never taken for missing.
    virtual std::vector<std::string> Tables(const std::string& schema) = 0;
    // The columns of one table, each "name type" (" not null" after a column that refuses NULL),
    // read by DumpFormat::ParseColumnEntry; refresh false accepts a held listing.
    virtual std::vector<std::string> Columns(const std::string& schema, const std::string& table, bool refresh) = 0;
    // One SELECT as a disconnected recordset.
    virtual Recordset Read(const std::string& schema, const std::string& sql) = 0;
    // The same, its rows taken only when they are all the rows the server holds (DBReadWhole):
    // for a read a drop or a delete is decided on.
    virtual Recordset ReadWhole(const std::string& schema, const std::string& sql) = 0;
    // Statements separated by CR LF, run in one batch; the rows the client reports they
    // changed, -1 when it reports none.
    virtual int32_t Write(const std::string& schema, const std::string& statements) = 0;
    // What the server says of the schema's views that no dump of it can make (a view whose
    // table is gone), one sentence each; none when every view can be made. Raises when the
    // answer is not whole.
    virtual std::vector<std::string> ViewWarnings(const std::string& schema) = 0;

    // The program's databases, through gCRIS.
    static DdlDatabase& Program();
};
