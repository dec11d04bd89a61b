// Statements that import query results into an Access database.
#include "dbaccess/AccessImport.h"

#include "dbaccess/SqlLiteral.h"
#include "platform/TextUtil.h"

std::string AccessImportStatement(const std::string& table, const std::string& databasePath,
                                  const std::string& query, bool append)
{
    std::string q = query;
    if (!q.empty() && q.back() == ';')
        q.pop_back();
    const std::string target = "[" + ReplaceAll(table, "]", "]]") + "] IN " + SqlStringLiteral(databasePath);
    return append ? "INSERT INTO " + target + " SELECT * FROM (" + q + ");"
                  : "SELECT * INTO " + target + " FROM (" + q + ");";
}
