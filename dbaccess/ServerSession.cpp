// Session statements of the Oracle and SQL Server connections.
#include "dbaccess/ServerSession.h"

#include "dbaccess/CRIS.h"
#include "dbaccess/SchemaStatements.h"
#include "dbaccess/SqlLiteral.h"
#include "platform/TextUtil.h"
#include "platform/ado/Connection.h"

void EnterServerSession(Connection& conn, int32_t kind, const std::string& schema)
{
    if (kind == CRIS::kConOracle) {
        if (!IsBlank(schema)) {
            CheckStatementName("Schema name", schema);
            conn.Execute("ALTER SESSION SET CURRENT_SCHEMA=" + schema);
        }
    } else {
        conn.Execute("REVERT");
        if (!IsBlank(schema))
            conn.Execute("EXECUTE AS LOGIN = " + SqlStringLiteral(schema));
    }
}
