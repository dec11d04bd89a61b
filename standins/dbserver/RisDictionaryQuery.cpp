// The dictionary view ris5schemas over the server's catalogue.
#include "standins/dbserver/RisDictionaryQuery.h"

#include "dbaccess/RisSqlText.h"
#include "platform/AppError.h"
#include "platform/TextUtil.h"
#include "standins/dbserver/RisErrorBlock.h"
#include "standins/dbserver/RisSession.h"
#include "standins/dbserver/ServerSqlFunctions.h"
#include "standins/dbserver/ServerSqlRules.h"
#include "standins/dbserver/SqliteDb.h"

namespace {
constexpr const char* kView = "ris5schemas";
} // namespace

bool IsDictionaryQuery(const std::string& statement)
{
    bool afterFrom = false;
    for (const SqlToken& t : RisSqlText::Significant(statement)) {
        if (afterFrom && EqualsNoCase(t.text, kView))
            return true;
        afterFrom = EqualsNoCase(t.text, "from") || (afterFrom && t.text == ",");
    }
    return false;
}

void AnswerDictionaryQuery(DbServer& server, const std::string& statement, const std::string& defaultSchema,
                           std::string& out)
{
    // The view is built afresh for each query in memory: the catalogue is the one truth.
    SqliteDb view(":memory:");
    ServerSqlFunctions::Register(view.Handle());
    view.Exec(std::string("CREATE TABLE ") + kView +
              " (schema_name TEXT, schema_owner TEXT, database_type TEXT, database_name TEXT)");
    for (const RisSchemaEntry& s : server.Schemas())
        view.Run(std::string("INSERT INTO ") + kView + " VALUES (?1, ?2, ?3, ?4)",
                 {s.name, ToLower(s.dbUser), s.dbType, s.dbName});
    try {
        SqliteStatement st(view, ServerSqlRules::Rewrite(statement, ServerDialect::Oracle));
        RisSession::WriteQueryResult(st, defaultSchema, statement, out);
    } catch (const AppError& e) {
        RaiseRisError("RIS_E_SYNTAX_ERROR", "The dictionary view " + std::string(kView) +
                                                " cannot answer this query: " + e.description());
    }
}
