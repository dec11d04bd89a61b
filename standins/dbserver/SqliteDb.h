// A small owning wrapper of one SQLite connection for the stand-in server: statements,
// prepared queries and errors as AppError with SQLite's own message.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

class SqliteStatement;

class SqliteDb {
public:
    // Opens the database file at the host path, creating it when missing unless create is
    // false. Raises AppError(sqlite code, "SqliteDb", message) when it cannot be opened.
    explicit SqliteDb(const std::string& hostPath, bool create = true);
    // How long a statement waits for a file another program writes.
    static constexpr int kBusyWaitMs = 30000;
    ~SqliteDb();
    SqliteDb(const SqliteDb&) = delete;
    SqliteDb& operator=(const SqliteDb&) = delete;

    // Runs one or more statements without results. Raises on failure.
    void Exec(const std::string& sql);
    // Runs step inside the savepoint name: what it changed stays when it ends, and is taken back
    // when it throws, which then goes on.
    void InSavepoint(const std::string& name, const std::function<void()>& step);
    // Rows changed by the last INSERT, UPDATE or DELETE.
    long long Changes() const;
    // Whether a transaction is open. SQLite ends one by itself on some failures (a full disk,
    // an I/O error), after which every statement would be committed on its own.
    bool InTransaction() const;
    sqlite3* Handle() const { return db_; }
    const std::string& Path() const { return path_; }

    // The first column of the first row as text, or nothing when there is no row or it is NULL.
    std::optional<std::string> QueryText(const std::string& sql, const std::vector<std::string>& params = {});
    // Every row of a query as texts (NULL as empty optional).
    std::vector<std::vector<std::optional<std::string>>> QueryRows(const std::string& sql,
                                                                  const std::vector<std::string>& params = {});
    // Runs a statement with text parameters bound to ?1, ?2, ...
    void Run(const std::string& sql, const std::vector<std::string>& params);

    [[noreturn]] void RaiseLastError(const std::string& context) const;

private:
    sqlite3* db_ = nullptr;
    std::string path_;
};

// Whether a failure is the store's rather than the statement's (a full disk, an I/O error, a
// locked, read-only or damaged file, no memory): the same statement would fail with any
// values, and SQLite may have ended the open transaction. Also when a RIS error carries the
// translated message.
bool IsStorageFault(const class AppError& e);

// One prepared statement; finalised when it goes out of scope.
class SqliteStatement {
public:
    SqliteStatement(SqliteDb& db, const std::string& sql);
    ~SqliteStatement();
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    void BindText(int index, const std::string& value); // 1-based
    // Binds the text without a copy of its own: it must stay as it is until the statement has
    // been stepped and is reset or bound again (a load binds each row's values this way). A
    // text without a NUL byte is bound as ended by its NUL, so that the functions of the
    // table's checks read it where it stands.
    void BindTextInPlace(int index, const std::string& value);
    void BindNull(int index);
    // True while a row is available; false at the end. Raises on failure.
    bool Step();
    void Reset();
    int ColumnCount() const;
    std::string ColumnName(int i) const;
    // The declared type of the column the result column comes from; empty for expressions.
    std::string ColumnDeclType(int i) const;
    // SQLITE_INTEGER, SQLITE_FLOAT, SQLITE_TEXT, SQLITE_BLOB or SQLITE_NULL.
    int ColumnStorage(int i) const;
    long long ColumnInt(int i) const;
    double ColumnDouble(int i) const;
    std::string ColumnText(int i) const;
    sqlite3_stmt* Handle() const { return stmt_; }

private:
    SqliteDb& db_;
    sqlite3_stmt* stmt_ = nullptr;
};
