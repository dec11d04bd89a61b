// The project's schema list of the table editor.
#include "dbtools/AllProjectSchemas.h"

#include "dbaccess/DbBase.h"
#include "dbaccess/SchemaLists.h"
#include "dbaccess/RISErrorReader.h"
#include "platform/AppError.h"
#include "platform/Clock.h"
#include "platform/TextUtil.h"
#include "platform/ado/Recordset.h"
#include "services/Messages.h"

#include <algorithm>

namespace {

bool IsOwnSchemaOf(const std::string& schema, const std::string& project)
{
    const std::string lower = ToLower(schema);
    if (!EndsWithNoCase(lower, "_" + ToLower(project)))
        return false;
    for (const char* prefix : {"ra_", "ru_", "ee_", "re_", "dd_"})
        if (lower.rfind(prefix, 0) == 0)
            return false;
    return true;
}

} // namespace

std::vector<std::string> SelectAllProjectSchemas(const std::string& project, const std::vector<std::string>& allSchemas,
                                                 const std::vector<std::string>& pathNames)
{
    std::vector<std::string> result;
    for (const std::string& s : allSchemas)
        if (IsOwnSchemaOf(s, project))
            result.push_back(s);
    for (const std::string& p : pathNames)
        if (p.find('_') != std::string::npos && p.find('\\') == std::string::npos && !ContainsNoCase(result, p) &&
            ContainsNoCase(allSchemas, p))
            result.push_back(p);
    return result;
}

std::vector<std::string> GetAllProjectSchemas(const std::string& project)
{
    try {
        ShowStatus("Getting all schemas for PDS-Project: '" + project + "' ...");
        const std::vector<std::string> all = GetSchemas(false);
        if (all.empty())
            throw AppError(1, "GetAllProjectSchemas", "No schemas found");
        for (size_t i = 0; i < all.size(); ++i)
            DoEvents();
        std::vector<std::string> pathNames;
        try {
            Recordset rs = DBReadRecordset(
                "pd_" + project,
                "SELECT path_name FROM pdtable_102 WHERE type_of_rdb_data IN (0,19,200,202) GROUP BY path_name;");
            if (rs.State() == adStateOpen && rs.RecordCount() > 0)
                for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext())
                    pathNames.push_back(GetDBvalue(rs.Fields()["path_name"].Value()).ToText());
        } catch (const AppError& e) {
            ShowStatus("Getting schemas for PDS-Project: '" + project + "' failed: " + RISErrorLine(e.description()));
        }
        std::vector<std::string> result = SelectAllProjectSchemas(project, all, pathNames);
        ShowStatus(std::to_string(result.size()) + " schemas in PDS-Project: '" + project + "' found");
        return result;
    } catch (const AppError& e) {
        ShowStatus("Getting all project schemas failed: " + RISErrorLine(e.description()));
        return {};
    }
}
