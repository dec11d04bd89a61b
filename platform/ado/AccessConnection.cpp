// Statements on Access databases kept as SQLite files.
#include "platform/ado/AccessConnection.h"

#include "platform/AppError.h"
#include "platform/WinPath.h"

#include <filesystem>

namespace {

JetEngine::Dialect AccessDialect()
{
    return {"Microsoft JET Database Engine", "", adVarWChar, adLongVarWChar, true};
}

std::string ExistingDatabase(const std::string& databasePath)
{
    const std::string host = HostPath(databasePath);
    std::error_code ec;
    if (!std::filesystem::is_regular_file(host, ec))
        throw AppError(adoerr::kUnspecified, "Microsoft JET Database Engine",
                       "Could not find file '" + databasePath + "'.");
    return host;
}

} // namespace

AccessConnection::AccessConnection(const std::string& databasePath)
    : engine_(ExistingDatabase(databasePath), false, AccessDialect())
{
}

Recordset AccessConnection::Execute(const std::string& sql)
{
    const JetStatement st = JetSqlTranslator::Translate(sql, [](const std::string& name) {
        return JetSqlTranslator::QuoteIdent(name);
    });
    return engine_.Run(st, st.targetDatabase.empty() ? std::string() : HostPath(st.targetDatabase));
}

void AccessConnection::CreateDatabase(const std::string& databasePath)
{
    const std::string host = HostPath(databasePath);
    std::error_code ec;
    if (std::filesystem::exists(host, ec))
        throw AppError(adoerr::kUnspecified, "Microsoft JET Database Engine",
                       "Database '" + databasePath + "' already exists.");
    JetEngine created(host, true, AccessDialect());
    // SQLite writes the file on the first change; a schema version makes it a valid empty file.
    created.Run(JetSqlTranslator::Translate("PRAGMA user_version = 1", [](const std::string& n) { return n; }));
}
