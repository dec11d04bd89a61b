// A load's grants, committed with its tables.
#include "standins/dbserver/LoadGrants.h"

#include "platform/AppError.h"
#include "standins/dbserver/DbServer.h"
#include "standins/dbserver/RisErrorBlock.h"
#include "standins/dbserver/SqliteDb.h"

#include <algorithm>
#include <filesystem>

namespace {

namespace fs = std::filesystem;

// The name the catalogue is attached under: with a blank, which no RIS schema's name has.
const char* const kCatalogue = "\"load catalogue\"";

} // namespace

void LoadGrants::BeforeBegin(SqliteDb& db)
{
    syncedFrom_.emplace_back(&db, db.QueryText("PRAGMA main.synchronous").value_or("0"));
    db.Exec("PRAGMA main.synchronous = NORMAL");
}

void LoadGrants::AfterBegin(SqliteDb& db)
{
    // Only a load of this schema, which holds it for writing now, can make such a journal
    // ("<file>-mj<hex>"): SQLite leaves one that names no journal any more when the load was
    // killed right after it wrote it.
    (void)server_.DatabaseName(); // a read of the catalogue: SQLite rolls back its journal first
    const fs::path file(db.Path());
    const std::string prefix = file.filename().string() + "-mj";
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(file.parent_path(), ec))
        if (entry.path().filename().string().rfind(prefix, 0) == 0)
            fs::remove(entry.path(), ec);
}

void LoadGrants::DropGrants(SqliteDb& db, const std::string& dbUser, const std::string& table)
{
    changes_.emplace_back(&db, [dbUser, table](SqliteDb& on) { DbServer::DropGrantsIn(on, kCatalogue, dbUser, table); });
}

void LoadGrants::AddGrant(SqliteDb& db, const std::string& dbUser, const std::string& table,
                          const std::string& grantee, const std::string& privileges)
{
    changes_.emplace_back(&db, [dbUser, table, grantee, privileges](SqliteDb& on) {
        DbServer::AddGrantIn(on, kCatalogue, dbUser, table, grantee, privileges);
    });
}

void LoadGrants::Write(SqliteDb& db, const std::function<void(const AppError&)>& failed)
{
    if (std::none_of(changes_.begin(), changes_.end(), [&](const auto& c) { return c.first == &db; }))
        return;
    try {
        db.Run(std::string("ATTACH DATABASE ?1 AS ") + kCatalogue, {server_.CatalogueHostPath()});
        attached_.push_back(&db);
        // A write first: the catalogue is taken for writing with the wait of a busy database,
        // never after a read of it, from which SQLite would not wait.
        db.Exec(std::string("DELETE FROM ") + kCatalogue + ".grants WHERE 0");
    } catch (const AppError& e) {
        RaiseRisError("RIS_E_DATABASE_ERROR", "The grants of the load could not be written to the catalogue '" +
                                                  server_.CatalogueHostPath() + "': " + e.description() +
                                                  ". The load stopped there.");
    }
    for (const auto& [on, change] : changes_) {
        if (on != &db)
            continue;
        try {
            db.InSavepoint("grant", [&] { change(db); });
        } catch (const AppError& e) {
            failed(e);
        }
    }
}

void LoadGrants::Restore(SqliteDb& db)
{
    const auto synced = std::find_if(syncedFrom_.begin(), syncedFrom_.end(), [&](const auto& s) { return s.first == &db; });
    if (synced != syncedFrom_.end()) {
        try {
            db.Exec("PRAGMA main.synchronous = " + synced->second);
        } catch (const AppError&) {
            // Set again when the connection is opened anew.
        }
        syncedFrom_.erase(synced);
    }
    const auto at = std::find(attached_.begin(), attached_.end(), &db);
    if (at == attached_.end())
        return;
    attached_.erase(at);
    try {
        db.Exec(std::string("DETACH DATABASE ") + kCatalogue);
    } catch (const AppError&) {
        // Detached with the connection when it closes.
    }
}
