// risclnsr.exe <schema>: the RIS dictionary cleaner. Removes the dictionary entries of the
// schema that point at nothing any more (grants on dropped tables; the schema itself when its
// database user is gone) and reports success.
#include "platform/TextUtil.h"
#include "standins/dbserver/DbServer.h"
#include "standins/dbserver/LockedOutputFile.h"
#include "standins/dbserver/RisErrorBlock.h"
#include "standins/dbserver/SchemaTables.h"


int main(int argc, char** argv)
{
    std::string schema;
    for (int i = 1; i < argc; ++i)
        schema += (schema.empty() ? "" : " ") + std::string(argv[i]);
    std::string console = "RIS dictionary cleaner\r\n";
    int rc = 0;
    try {
        schema = ToLower(Trim(schema));
        if (schema.empty())
            RaiseRisError("RIS_E_SYNTAX_ERROR", "Usage: risclnsr <schema>");
        DbServer server(DbServer::EnvironmentRoot());
        auto entry = server.FindSchema(schema);
        if (!entry)
            RaiseRisError("RIS_E_UNKNOWN_SCHEMA", "Schema '" + schema + "' is not defined.");
        console += "Cleaning RIS dictionary of schema " + schema + " ...\r\n";
        if (!server.FindUser(entry->dbUser)) {
            server.DropSchema(schema);
            console += "Database user " + entry->dbUser + " no longer exists: schema entry removed.\r\n";
        } else {
            auto db = server.OpenUserDatabase(entry->dbUser);
            SchemaTables tables(*db);
            long removed = 0;
            for (const std::string& table : server.GrantedTables(entry->dbUser))
                if (!tables.HasTable(table) &&
                    !db->QueryText("SELECT 1 FROM sqlite_master WHERE type = 'view' AND name = ?1", {table})) {
                    server.DropGrants(entry->dbUser, table);
                    ++removed;
                }
            console += std::to_string(removed) + " stale grant entries removed.\r\n";
        }
        console += "Clean-up of schema " + schema + " finished with success.\r\n";
    } catch (const AppError& e) {
        console += FormatRisErrorBlock(e);
        rc = 1;
    }
    return AnswerOnConsole("risclnsr", console, rc);
}
