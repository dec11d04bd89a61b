// SELECT queries of the access object: DBRead over the extracted text table (RIS) or a server
// connection (Oracle, SQL Server), and the server query's rows written as a text table.
#include "dbaccess/CRIS.h"

#include "dbaccess/DbBase.h"
#include "dbaccess/QueryError.h"
#include "dbaccess/RecordsetText.h"
#include "dbaccess/ServerSession.h"
#include "dbaccess/SqlLiteral.h"
#include "dbaccess/SqlParse.h"
#include "platform/BinaryFile.h"
#include "platform/TextUtil.h"
#include "platform/ado/Connection.h"
#include "platform/ado/Recordset.h"
#include "services/FileOperation.h"

#include <optional>

namespace {

const char* const kTextDriver = "Driver={Microsoft Text Driver (*.txt; *.csv)};DBQ=";

// A connection to the server that acts in the given schema (Oracle) or as the given login
// (SQL Server); a blank schema keeps the login's own.
void OpenServerSession(Connection& conn, const std::string& connectString, int32_t kind, const std::string& schema)
{
    conn.Open(connectString, "", "");
    EnterServerSession(conn, kind, schema);
}

} // namespace

std::string CRIS::TextDriverConnection(const std::string& textFile)
{
    return kTextDriver + GetPathDir(textFile) + ";";
}

void CRIS::RequireSelect(const std::string& sql)
{
    if (IsBlank(sql))
        RaiseError("", "SQL statement not defined");
    if (!StartsWithNoCase(sql, "SELECT"))
        RaiseError("", "Only SELECT queries can be processed '" + sql + "'");
}

void CRIS::EndTextFileQuery(bool separatorsSet, const std::string& textFile, const std::string& formatFile)
{
    if (separatorsSet) {
        try {
            RestoreLanguageSettings();
        } catch (...) {
        }
    }
    DeleteFileA(textFile, false);
    DeleteFileA(formatFile, false);
}

Recordset CRIS::DBRead(const std::string& schema, const std::string& sql, int32_t lockType)
{
    bool ris = false;
    std::string textFile;
    std::string formatFile;
    std::optional<Connection> conn;
    std::optional<Recordset> rs;
    std::optional<AppError> failure;
    try {
        const int32_t kind = GetDBConType();
        ris = kind == kConRIS;
        if (ris && IsBlank(schema))
            RaiseError("", "Schema name not defined");
        RequireSelect(sql);

        std::string statement = sql;
        conn.emplace();
        if (ris) {
            std::string table;
            Extract2File(schema, statement, textFile, formatFile, table, false);
            SetLanguageSettings();
            conn->Open(TextDriverConnection(textFile), "", "");
        } else {
            OpenServerSession(*conn, ConnectString, kind, schema);
            statement = WithoutStatementSemicolons(statement);
        }
        rs.emplace();
        rs->SetCursorLocation(adUseClient);
        rs->Open(statement, *conn, adOpenStatic, lockType, adCmdText);
        if (rs->RecordCount() != 0 && !rs->BOF())
            rs->MoveFirst();
    } catch (...) {
        failure = CurrentError();
    }

    EndTextFileQuery(ris, textFile, formatFile);
    WaitForMdbUnlock(conn, false);
    if (failure)
        throw ComposeQueryError(*failure, "CRIS::DBRead");
    return std::move(*rs);
}

void CRIS::ADOUnloadAndParse(const std::string& schema, const std::string& sql, std::string& textFile,
                             std::string& formatFile, bool replaceMinInt)
{
    textFile.clear();
    formatFile.clear();
    std::optional<Connection> conn;
    std::optional<Recordset> rs;
    BinaryFile text;
    BinaryFile format;
    std::optional<AppError> failure;
    try {
        if (IsBlank(sql))
            RaiseError("", "SQL statement not defined");
        conn.emplace();
        OpenServerSession(*conn, ConnectString, GetDBConType(), schema);
        rs.emplace();
        rs->SetCursorLocation(adUseClient);
        rs->Open(WithoutStatementSemicolons(sql), *conn, adOpenStatic, adLockOptimistic, adCmdText);

        textFile = GetTempDir() + GetTempBaseName() + ".txt";
        text.Open(textFile, BinaryFile::Mode::Write);
        WriteRecordsetText(*rs, text, replaceMinInt);
        text.Close();

        formatFile = GetTempDir() + "Schema.ini";
        format.Open(formatFile, BinaryFile::Mode::Write);
        format.Write(SchemaIniSection(GetFileName(textFile), rs->FieldInfos()));
        format.Close();
    } catch (...) {
        failure = CurrentError();
    }

    CloseRecordset(rs, false);
    WaitForMdbUnlock(conn, false);
    if (failure) {
        // Closed before their deletion, so nothing holds them.
        text.Close();
        format.Close();
        DeleteFileA(formatFile, false);
        DeleteFileA(textFile, false);
        formatFile.clear();
        textFile.clear();
        throw AppError(failure->number(), ComposeErrorSource("CRIS::ADOUnloadAndParse", 0, failure->source()),
                       ReplaceAll(failure->description(), "\n", ""));
    }
}
