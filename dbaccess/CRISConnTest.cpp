// The trial connections of the Oracle and SQL Server kinds.
#include "dbaccess/CRIS.h"

#include "dbaccess/CRISWork.h"
#include "dbaccess/ConnectionString.h"
#include "dbaccess/SchemaStatements.h"
#include "dbaccess/DbBase.h"
#include "platform/AppError.h"
#include "platform/TextUtil.h"

namespace {

// Opens and closes a connection; an error leaves with its line feeds removed and the
// operation's name in front of its source.
void TrialConnection(const std::string& operation, const std::string& connectionString)
{
    std::optional<Connection> conn;
    try {
        conn.emplace();
        conn->Open(connectionString, "", "", -1);
    } catch (const AppError& e) {
        WaitForMdbUnlock(conn, false);
        throw AppError(e.number(), ComposeErrorSource(operation, 0, e.source()),
                       ReplaceAll(e.description(), "\n", ""));
    }
    WaitForMdbUnlock(conn, false);
}

} // namespace

void CRIS::ORAConnTest(const std::string& server, const std::string& user, const std::string& password)
{
    if (IsBlank(server))
        throw AppError(1, "CRIS::ORAConnTest", "Oracle Server name not defined");
    WithErrorSource("CRIS::ORAConnTest", [&] {
        CheckConnectionPart("Server name", server);
        CheckConnectionPart("User name", user);
        CheckConnectionPassword(password);
    });
    TrialConnection("CRIS::ORAConnTest", OracleConnectString(server, user, password));
}

void CRIS::SQLConnTest(const std::string& server, const std::string& database, const std::string& user,
                       const std::string& password)
{
    if (IsBlank(server))
        throw AppError(1, "CRIS::SQLConnTest", "SQL Server name not defined");
    WithErrorSource("CRIS::SQLConnTest", [&] {
        CheckConnectionPart("Server name", server);
        CheckConnectionPart("Database name", database);
        CheckConnectionPart("User name", user);
        CheckConnectionPassword(password);
    });
    TrialConnection("CRIS::SQLConnTest", SqlServerConnectString(server, database, user, password));
}
