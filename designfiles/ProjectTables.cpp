// Project tables through the database access object.
#include "designfiles/ProjectTables.h"

#include "dbaccess/CRIS.h"
#include "dbaccess/WholeTableRead.h"
#include "platform/ado/Recordset.h"

ProjectTables ProjectTables::Cris()
{
    return {[](const std::string& schema, const std::string& sql) { return DBReadWhole(*gCRIS, schema, sql, 3); },
            [](const std::string& schema, const std::string& sql) { return gCRIS->DBWrite(schema, sql); }};
}
