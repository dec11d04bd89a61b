// The grant changes of a load, made in the load's own transaction: the catalogue is attached to
// the connection of each schema the load writes, right before its commit, so that one commit
// takes the schema's tables and their grants together. A load ended at any moment, also in the
// middle of its commit, leaves both as they were or both as loaded.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

class AppError;
class DbServer;
class SqliteDb;

class LoadGrants {
public:
    explicit LoadGrants(DbServer& server) : server_(server) {}
    LoadGrants(const LoadGrants&) = delete;
    LoadGrants& operator=(const LoadGrants&) = delete;

    // Before the load's transaction begins on db: SQLite commits several files in one step only
    // when each of them is synced, so the schema's file, kept unsynced otherwise, is synced for
    // the load (set back by Restore).
    void BeforeBegin(SqliteDb& db);
    // Right after it began, holding the schema's file for writing: removes the journal a load
    // killed in its commit left tying the schema's file and the catalogue when it ties nothing
    // any more (the catalogue is read first, so that a journal of it such a load left is rolled
    // back before).
    void AfterBegin(SqliteDb& db);

    // Grant changes of tables of db's schema, made by Write.
    void DropGrants(SqliteDb& db, const std::string& dbUser, const std::string& table);
    void AddGrant(SqliteDb& db, const std::string& dbUser, const std::string& table, const std::string& grantee,
                  const std::string& privileges);

    // In db's transaction, right before its commit: attaches the catalogue and makes db's grant
    // changes, each alone (one that fails is taken back and handed to failed, which may throw to
    // stop the load; the others go on). Raises a RIS error when the catalogue cannot be attached
    // or taken for writing. Nothing is attached when db has no change.
    void Write(SqliteDb& db, const std::function<void(const AppError&)>& failed);
    // After db's commit or rollback: the catalogue detached, the sync level set back.
    void Restore(SqliteDb& db);

private:
    DbServer& server_;
    std::vector<std::pair<SqliteDb*, std::function<void(SqliteDb&)>>> changes_;
    std::vector<SqliteDb*> attached_;
    std::vector<std::pair<SqliteDb*, std::string>> syncedFrom_; // the level before the load
};
