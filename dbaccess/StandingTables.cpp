// A schema's tables from the listing and the dictionary together.
#include "dbaccess/StandingTables.h"

#include "dbaccess/CRIS.h"
#include "platform/TextUtil.h"

namespace {

void addUnlisted(std::vector<std::string>& tables, const std::vector<std::string>& known)
{
    const std::vector<std::string> listed = tables;
    for (const std::string& table : known)
        if (!ContainsNoCase(listed, table))
            tables.push_back(table);
}

} // namespace

std::vector<std::string> StandingTables(CRIS& cris, const std::string& schema)
{
    std::vector<std::string> tables = cris.DBGetTables(schema, true);
    if (cris.GetDBConType() == CRIS::kConRIS)
        addUnlisted(tables, cris.RISDictionaryTables(schema));
    return tables;
}

bool TableStands(CRIS& cris, const std::string& schema, const std::string& table, bool refresh)
{
    if (ContainsNoCase(cris.DBGetTables(schema, refresh), table))
        return true;
    return cris.GetDBConType() == CRIS::kConRIS && ContainsNoCase(cris.RISDictionaryTables(schema), table);
}
