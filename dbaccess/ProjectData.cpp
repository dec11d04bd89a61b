// Project directory and project schemas over the process-wide access object.
#include "dbaccess/ProjectData.h"

#include "dbaccess/CRIS.h"
#include "dbaccess/DbBase.h"
#include "dbaccess/SchemaLists.h"
#include "dbaccess/StandingTables.h"
#include "dbaccess/WholeTableRead.h"
#include "platform/AppError.h"
#include "platform/TextUtil.h"
#include "platform/ado/Recordset.h"
#include "services/FileOpError.h"
#include "services/NetworkPaths.h"

#include <map>
#include <optional>

namespace {

// Lists built by GetProjectSchemas, by "k_" + project; entries go only with a refresh.
std::map<std::string, std::vector<std::string>, NoCaseLess>& ProjectSchemaCache()
{
    static std::map<std::string, std::vector<std::string>, NoCaseLess> cache;
    return cache;
}

// The values of one column, from the first row to the last.
std::vector<std::string> ColumnTexts(Recordset& rs, const std::string& column)
{
    std::vector<std::string> values;
    if (rs.RecordCount() == 0)
        return values;
    for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext())
        values.push_back(GetDBvalue(rs.Fields()[column].Value()).ToText());
    return values;
}

} // namespace

std::string GetProjectDirectory(const std::string& project)
{
    std::optional<Recordset> rs;
    try {
        // Inside a run that reads pdtable_102 whole (a file check) its one read answers this too.
        rs = DBReadInRun(*gCRIS, GetProjectSchemaName(project),
                         "SELECT network_address, path_name FROM pdtable_102 WHERE type_of_rdb_data=99;", 3);
        std::string server;
        std::string path;
        if (rs->RecordCount() != 0) {
            rs->MoveFirst();
            server = Trim(GetDBvalue(rs->Fields()["network_address"].Value()).ToText());
            path = Trim(GetDBvalue(rs->Fields()["path_name"].Value()).ToText());
        }
        CloseRecordset(rs, false);
        const std::string directory = LocalPath2UNC(server, path, false);
        if (directory.empty()) {
            long number = 0;
            std::string source;
            std::string description;
            GetFileOpError(number, source, description);
            throw AppError(number, source, description);
        }
        return directory;
    } catch (const AppError& e) {
        CloseRecordset(rs, false);
        throw PassOn(e, "GetProjectDirectory");
    }
}

std::vector<std::string> ComposeProjectSchemas(const std::string& project, const std::string& projectSchema,
                                               const std::vector<std::string>& pathNames,
                                               const std::vector<std::string>& risSchemas)
{
    std::vector<std::string> result;
    if (!projectSchema.empty()) {
        result.push_back(projectSchema);
        for (const std::string& value : pathNames) {
            // A schema name holds an underscore; a value with a backslash is a directory.
            if (value.find('_') == std::string::npos || value.find('\\') != std::string::npos)
                continue;
            if (ContainsNoCase(risSchemas, value) && !ContainsNoCase(result, value))
                result.push_back(value);
        }
    }
    const std::string suffix = "_" + project;
    for (const std::string& name : risSchemas)
        if (EndsWithNoCase(name, suffix) && !ContainsNoCase(result, name))
            result.push_back(name);
    return result;
}

std::vector<std::string> GetProjectSchemas(const std::string& project, bool refresh)
{
    std::optional<Recordset> rs;
    try {
        if (Trim(project).empty())
            RaiseError("", "Project number not defined");
        const std::string key = "k_" + project;
        auto& cache = ProjectSchemaCache();
        if (refresh)
            cache.erase(key);
        if (const auto it = cache.find(key); it != cache.end())
            return it->second;

        const std::vector<std::string> names = gCRIS->RISGetSchemas(false, refresh);
        std::string projectSchema;
        std::vector<std::string> pathNames;
        const std::string pd = GetProjectSchemaName(project);
        // A schema RIS does not know holds no table. Of one it knows, the table and its rows are
        // taken only from whole answers: an answer cut short would give a short list, cached for
        // the whole run.
        if (!Trim(pd).empty() && ContainsNoCase(names, pd) && TableStands(*gCRIS, pd, "pdtable_102", false)) {
            projectSchema = pd;
            rs = DBReadWhole(
                *gCRIS, pd, "SELECT path_name FROM pdtable_102 WHERE type_of_rdb_data IN (0,19,200,202) GROUP BY path_name;",
                3);
            pathNames = ColumnTexts(*rs, "path_name");
            CloseRecordset(rs, false);
        }
        std::vector<std::string> result = ComposeProjectSchemas(project, projectSchema, pathNames, names);
        cache[key] = result;
        return result;
    } catch (const AppError& e) {
        CloseRecordset(rs, false);
        throw PassOn(e, "GetProjectSchemas");
    }
}
