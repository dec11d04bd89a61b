// Import of a query's rows into a table of an Access database through the text driver.
#include "dbaccess/CRIS.h"

#include "dbaccess/AccessImport.h"
#include "dbaccess/DbBase.h"
#include "dbaccess/QueryError.h"
#include "platform/TextUtil.h"
#include "platform/ado/Connection.h"
#include "services/FileOperation.h"

#include <optional>

void CRIS::DBImport2Access(const std::string& schema, const std::string& sql, const std::string& databasePath,
                           const std::string& table, bool append)
{
    bool ris = false;
    std::string textFile;
    std::string formatFile;
    std::optional<Connection> conn;
    std::optional<AppError> failure;
    try {
        if (!IsFileExists(databasePath, 0))
            RaiseError("", "Access database '" + databasePath + "' not exists");
        std::string query = sql;
        std::string extracted;
        Extract2File(schema, query, textFile, formatFile, extracted, false);
        const std::string target = table.empty() ? extracted : table;
        if (target.empty())
            RaiseError("", "Table to extract not defined");
        ris = GetDBConType() == kConRIS;
        if (ris)
            SetLanguageSettings();   // the text driver reads numbers with the user's separators
        conn.emplace();
        conn->Open(TextDriverConnection(textFile), "", "", -1);
        conn->Execute(AccessImportStatement(target, databasePath, query, append), -1);
    } catch (...) {
        failure = CurrentError();
    }

    WaitForMdbUnlock(conn, false);
    EndTextFileQuery(ris, textFile, formatFile);
    if (failure)
        throw ComposeQueryError(*failure, "CRIS::DBImport2Access");
}
