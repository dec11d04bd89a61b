// Schema lists and the query wrappers over the process-wide access object.
#include "dbaccess/SchemaLists.h"

#include "dbaccess/CRIS.h"
#include "dbaccess/WholeTableRead.h"
#include "platform/AppError.h"
#include "platform/ado/Recordset.h"
#include "services/Messages.h"

std::string GetProjectSchemaName(const std::string& project) { return "pd_" + project; }

std::vector<std::string> GetSchemas(bool projectsOnly)
{
    try {
        ShowStatus(std::string("Getting list of ") + (projectsOnly ? "pd_" : "all ") + "schemas...");
        std::vector<std::string> names = gCRIS->RISGetSchemas(projectsOnly, false);
        ShowStatus(std::to_string(names.size()) + " schemas found");
        return names;
    } catch (const AppError& e) {
        const bool withSource = !e.source().empty() && e.source() != kAppTitle;
        throw AppError(1, "GetSchemas", (withSource ? e.source() + ": " : std::string()) + e.description());
    }
}

Recordset DBReadRecordset(const std::string& schema, const std::string& sql)
{
    // The windows show and edit these rows as the table's: never a part of them.
    return DBReadWhole(*gCRIS, schema, sql, 3);
}

void DBExecute(const std::string& schema, const std::string& sql) { gCRIS->DBWrite(schema, sql); }
