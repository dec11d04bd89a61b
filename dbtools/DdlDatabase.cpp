// The DDL check's database interface over the process-wide access object.
#include "dbtools/DdlDatabase.h"

#include "dbaccess/CRIS.h"
#include "dbaccess/ProjectData.h"
#include "dbaccess/StandingTables.h"
#include "dbaccess/WholeTableRead.h"
#include "platform/ado/Recordset.h"

namespace {

class CrisDdlDatabase : public DdlDatabase {
public:
    std::string ProjectDirectory(const std::string& project) override { return GetProjectDirectory(project); }
    std::vector<std::string> Tables(const std::string& schema) override { return StandingTables(*gCRIS, schema); }
    std::vector<std::string> Columns(const std::string& schema, const std::string& table, bool refresh) override
    {
        return gCRIS->DBGetCols(schema, table, true, refresh);
    }
    Recordset Read(const std::string& schema, const std::string& sql) override
    {
        return gCRIS->DBRead(schema, sql, 3);
    }
    Recordset ReadWhole(const std::string& schema, const std::string& sql) override
    {
        return DBReadWhole(*gCRIS, schema, sql, 3);
    }
    int32_t Write(const std::string& schema, const std::string& statements) override
    {
        return gCRIS->DBWrite(schema, statements);
    }
    std::vector<std::string> ViewWarnings(const std::string& schema) override
    {
        return gCRIS->RISViewWarnings(schema);
    }
};

} // namespace

DdlDatabase& DdlDatabase::Program()
{
    static CrisDdlDatabase database;
    return database;
}
