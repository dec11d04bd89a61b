// The schema and database user lists as recordsets.
#include "admin/ListSources.h"

#include "admin/ServerManagerQuery.h"
#include "platform/Clock.h"
#include "platform/TextUtil.h"

#include <algorithm>

Recordset ListSources::SingleColumnRecordset(const std::string& fieldName)
{
    Recordset rs;
    rs.Fields().Append(fieldName, adVarWChar, 255, adFldIsNullable);
    rs.SetCursorLocation(adUseClient);
    rs.Open();
    return rs;
}

Recordset ListSources::SchemaRecordset(const std::vector<std::string>& schemaNames)
{
    Recordset rs = SingleColumnRecordset("schema_name");
    for (const std::string& name : schemaNames) {
        if (name.empty())
            break;
        rs.AddNew("schema_name", Variant(name));
    }
    return rs;
}

std::vector<std::string> ListSources::DbUserNames(const std::vector<std::string>& linesAfterRule)
{
    std::vector<std::string> names;
    for (const std::string& raw : linesAfterRule) {
        const std::string line = Trim(raw);
        DoEvents();
        if (std::any_of(line.begin(), line.end(), [](char c) { return c >= 'a' && c <= 'z'; }))
            break;
        if (line.empty() || ToUpper(line) == "USERNAME" || line.rfind("---", 0) == 0)
            continue;
        names.push_back(line);
    }
    return names;
}

Recordset ListSources::DbUserRecordset()
{
    const std::vector<std::string> lines = ServerManagerQuery::Run(
        "select username from dba_users group by username;", kDefaultServerManagerPath, "Could not get database users");
    Recordset rs = SingleColumnRecordset("user_name");
    for (const std::string& name : DbUserNames(lines))
        rs.AddNew("user_name", Variant(name));
    return rs;
}
