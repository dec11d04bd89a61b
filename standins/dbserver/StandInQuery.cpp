// Statements of the stand-in server connections on tables in memory or on a user's tables.
#include "standins/dbserver/StandInQuery.h"

#include "platform/ado/JetSqlTranslator.h"
#include "platform/TextUtil.h"
#include "standins/dbserver/CharComparison.h"
#include "standins/dbserver/ServerSqlFunctions.h"
#include "standins/dbserver/SqliteDb.h"
#include "standins/dbserver/StoredValueSql.h"

#include <sqlite3.h>

namespace {

JetStatement Translated(const std::string& sql, ServerDialect server, sqlite3* db)
{
    JetStatement st =
        JetSqlTranslator::Translate(sql, [](const std::string& name) { return JetSqlTranslator::QuoteIdent(name); });
    st.sql = ServerSqlRules::Rewrite(st.sql, server, db);
    return st;
}

void Exec(JetEngine& engine, const std::string& sql)
{
    if (sqlite3_exec(engine.Handle(), sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK)
        engine.RaiseLastError();
}

} // namespace

Recordset StandInQuery::OverTables(const std::vector<MemoryTable>& tables, const std::string& sql,
                                   const JetEngine::Dialect& dialect, ServerDialect server)
{
    JetEngine engine(":memory:", true, dialect);
    ServerSqlFunctions::Register(engine.Handle());
    for (const MemoryTable& t : tables) {
        Exec(engine, "CREATE TABLE " + JetSqlTranslator::QuoteIdent(t.name) + " (" + Join(t.columns, ", ") + ")");
        std::vector<std::string> marks(t.columns.size(), "?");
        sqlite3_stmt* st = nullptr;
        const std::string insert =
            "INSERT INTO " + JetSqlTranslator::QuoteIdent(t.name) + " VALUES (" + Join(marks, ", ") + ")";
        if (sqlite3_prepare_v2(engine.Handle(), insert.c_str(), -1, &st, nullptr) != SQLITE_OK)
            engine.RaiseLastError();
        for (const auto& row : t.rows) {
            sqlite3_reset(st);
            for (size_t c = 0; c < row.size(); ++c) {
                if (row[c])
                    sqlite3_bind_text(st, static_cast<int>(c + 1), row[c]->c_str(), -1, SQLITE_TRANSIENT);
                else
                    sqlite3_bind_null(st, static_cast<int>(c + 1));
            }
            if (sqlite3_step(st) != SQLITE_DONE) {
                sqlite3_finalize(st);
                engine.RaiseLastError();
            }
        }
        sqlite3_finalize(st);
    }
    return engine.Run(Translated(sql, server, engine.Handle()));
}

Recordset StandInQuery::OnUserDatabase(const std::string& hostPath, const std::string& sql,
                                       const JetEngine::Dialect& dialect, ServerDialect server,
                                       long* recordsAffected)
{
    // Tables stored before their character columns declared the comparison get it first.
    {
        SqliteDb declared(hostPath, false);
        CharComparison::KeepDeclared(declared);
    }
    JetEngine engine(hostPath, false, dialect);
    ServerSqlFunctions::Register(engine.Handle());
    CharComparison::Register(engine.Handle());
    JetStatement st = Translated(sql, server, engine.Handle());
    // Every value stored is kept as its column keeps it; an INSERT is given here without its
    // target, which the engine puts before it.
    if (st.kind == JetStatement::Kind::InsertInto && st.targetDatabase.empty()) {
        const std::string target = "INSERT INTO " + JetSqlTranslator::QuoteIdent(st.targetTable) + " ";
        st.sql = StoredValueSql::Statement(target + st.sql, engine.Handle(), server).substr(target.size());
    } else if (st.kind == JetStatement::Kind::Other) {
        st.sql = StoredValueSql::Statement(st.sql, engine.Handle(), server);
    }
    Recordset rs = engine.Run(st);
    // The engine is opened for this one statement, so its total is the statement's own count.
    if (recordsAffected)
        *recordsAffected = rs.State() == adStateOpen ? -1 : sqlite3_total_changes(engine.Handle());
    return rs;
}
