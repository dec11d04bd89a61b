// One RIS client session on the stand-in server: a default schema and the statements of a
// batch (schema, table, index, view and grant statements, DML, queries, "show" commands),
// each turned into SQLite on the tables of the schema's database user, with answers written
// as the RIS batch client writes them.
#pragma once

#include "standins/dbserver/DbServer.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>

class SqliteStatement;

class RisSession {
public:
    explicit RisSession(DbServer& server);
    ~RisSession();

    // Runs the statements of a batch text in order, appending each answer, or the framed RIS
    // error block of a failing statement, to out, and goes on with the next one. Stops after
    // "quit" or "exit". Work left uncommitted (autocommit off) is rolled back at the end, and
    // out says so. Returns the number of failed statements.
    int RunBatch(std::string_view text, std::string& out);
    // The same, handing each statement's answer, with the statement, to answer as soon as the
    // statement has ended, so that what a client writes stands for every statement that ran,
    // also when it is killed before the end (the closing note of rolled-back work comes with an
    // empty statement). When answer raises, no later statement runs, the uncommitted work is
    // rolled back and the error passes on.
    int RunBatch(std::string_view text,
                 const std::function<void(const std::string& answer, const std::string& statement)>& answer);
    // Runs one statement (without its ";"); raises its RIS error.
    void Execute(const std::string& statement, std::string& out);
    bool QuitSeen() const { return quit_; }
    // Changes wait uncommitted (autocommit off, no commit since them).
    bool WorkOpen() const { return !open_work_.empty(); }

    void SetDefaultSchema(const std::string& schema);
    const std::string& DefaultSchema() const { return default_; }

    // The catalogue entry of a schema and its database user's tables. Raises
    // RIS_E_UNKNOWN_SCHEMA, or RIS_E_CANT_CONNECT when its user is gone.
    RisSchemaEntry Schema(const std::string& schema);
    SqliteDb& Database(const std::string& schema);
    DbServer& Server() { return server_; }

    // The query answer: four heading lines, then per row an empty line and one
    // "name: value" line per column (character values between single quotes), then an empty
    // line and "End of Data Found".
    static void WriteQueryResult(SqliteStatement& st, const std::string& schema, const std::string& statement,
                                 std::string& out);

private:
    void createSchema(const std::string& statement, std::string& out);
    void dropSchema(const std::string& statement, std::string& out);
    void createTable(const std::string& statement, std::string& out);
    void alterTable(const std::string& statement, std::string& out);
    void grant(const std::string& statement, bool revoke, std::string& out);
    void showSchemaNames(std::string& out);
    void runSql(const std::string& statement, const std::string& verb, std::string& out);
    // "set transaction autocommit off": data changes wait for "commit" or "rollback"; a
    // definition commits them first, as the database does.
    void setAutocommit(bool on, std::string& out);
    void commitOpen();
    void rollbackOpen();
    // After a failure: a transaction SQLite ended on its own has lost the open work.
    void noteLostWork(std::string& out);
    // The schema and table of a possibly qualified name ("s.t" or "t" in the default schema).
    std::pair<std::string, std::string> qualified(const std::string& name);
    std::string requireDefault();
    // The file of the schema's database user; raises, naming the schema, when it is gone.
    std::string userFile(const std::string& schema, const std::string& dbUser);

    DbServer& server_;
    std::string default_;
    std::map<std::string, std::unique_ptr<SqliteDb>> open_;
    std::map<std::string, std::map<std::string, bool>> attached_; // per connection schema
    bool quit_ = false;
    bool autocommit_ = true;
    std::vector<SqliteDb*> open_work_; // connections with uncommitted changes
};
