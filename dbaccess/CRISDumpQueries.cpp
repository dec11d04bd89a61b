// Queries on a table of a RIS dump file, without a database server: RISDumpRead answers a
// SELECT with a recordset, RISDumpImport2Access copies the selected rows into an Access table.
#include "dbaccess/CRIS.h"

#include "dbaccess/AccessImport.h"
#include "dbaccess/DbBase.h"
#include "dbaccess/QueryError.h"
#include "platform/TextUtil.h"
#include "platform/ado/Connection.h"
#include "services/FileOperation.h"

#include <optional>

namespace {

// An empty dump path would make the extraction unload the live schema instead.
void RequireDumpPath(const std::string& dumpFile)
{
    if (IsBlank(dumpFile))
        RaiseError("", "RIS dump file '" + dumpFile + "' not found");
}

} // namespace

Recordset CRIS::RISDumpRead(const std::string& dumpFile, const std::string& schemaName, const std::string& sql)
{
    std::string textFile;
    std::string formatFile;
    bool separatorsSet = false;
    std::optional<Recordset> rs;
    std::optional<AppError> failure;
    try {
        if (IsBlank(schemaName))
            RaiseError("", "Schema name not defined");
        RequireSelect(sql);
        RequireDumpPath(dumpFile);
        std::string statement = sql;
        std::string table;
        Extract2File(schemaName, statement, textFile, formatFile, table, false, dumpFile);
        separatorsSet = true;
        SetLanguageSettings();
        Connection conn;
        conn.Open(TextDriverConnection(textFile), "", "", -1);
        rs.emplace();
        rs->SetCursorLocation(adUseClient);
        rs->Open(statement, conn, adOpenStatic, adLockBatchOptimistic, adCmdText);
        if (rs->RecordCount() != 0)
            rs->MoveFirst();
    } catch (...) {
        failure = CurrentError();
    }

    EndTextFileQuery(separatorsSet, textFile, formatFile);
    if (failure) {
        CloseRecordset(rs, false);
        throw ComposeQueryError(*failure, "CRIS::RISDumpRead");
    }
    return std::move(*rs);
}

void CRIS::RISDumpImport2Access(const std::string& dumpFile, const std::string& schemaName, const std::string& sql,
                                const std::string& accessDatabase, const std::string& tableName, bool appendRows)
{
    std::string textFile;
    std::string formatFile;
    bool separatorsSet = false;
    std::optional<Connection> conn;
    std::optional<AppError> failure;
    try {
        RequireDumpPath(dumpFile);
        std::string statement = sql;
        std::string extracted;
        Extract2File(schemaName, statement, textFile, formatFile, extracted, false, dumpFile);
        const std::string target = tableName.empty() ? extracted : tableName;
        if (target.empty())
            RaiseError("", "Table to extract not defined");
        separatorsSet = true;
        SetLanguageSettings();
        conn.emplace();
        conn->Open(TextDriverConnection(textFile), "", "", -1);
        conn->Execute(AccessImportStatement(target, accessDatabase, statement, appendRows), -1);
    } catch (...) {
        failure = CurrentError();
    }

    WaitForMdbUnlock(conn, false);
    EndTextFileQuery(separatorsSet, textFile, formatFile);
    if (failure)
        throw ComposeQueryError(*failure, "CRIS::RISDumpImport2Access");
}
