// SQLite connection and statement wrappers of the stand-in server.
#include "standins/dbserver/SqliteDb.h"

#include "platform/AppError.h"
#include "standins/dbserver/CharComparison.h"

#include <sqlite3.h>

SqliteDb::SqliteDb(const std::string& hostPath, bool create) : path_(hostPath)
{
    int rc = sqlite3_open_v2(hostPath.c_str(), &db_, SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0), nullptr);
    if (rc != SQLITE_OK) {
        std::string msg = db_ ? sqlite3_errmsg(db_) : "out of memory";
        sqlite3_close(db_);
        db_ = nullptr;
        throw AppError(rc, "SqliteDb", "Cannot open database '" + hostPath + "': " + msg);
    }
    // Several stand-in programs may work on one user's file one after another or at once.
    sqlite3_busy_timeout(db_, 30000);
    // Every connection compares character columns as the database does.
    try {
        CharComparison::Register(db_);
    } catch (...) {
        sqlite3_close(db_);
        db_ = nullptr;
        throw;
    }
}

SqliteDb::~SqliteDb()
{
    if (db_)
        sqlite3_close_v2(db_);
}

void SqliteDb::RaiseLastError(const std::string& context) const
{
    throw AppError(sqlite3_errcode(db_), context, sqlite3_errmsg(db_));
}

void SqliteDb::Exec(const std::string& sql)
{
    char* err = nullptr;
    int rc = sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &err);
    if (rc != SQLITE_OK) {
        std::string msg = err ? err : sqlite3_errmsg(db_);
        sqlite3_free(err);
        throw AppError(rc, "SqliteDb", msg);
    }
}

void SqliteDb::InSavepoint(const std::string& name, const std::function<void()>& step)
{
    Exec("SAVEPOINT " + name);
    try {
        step();
    } catch (...) {
        Exec("ROLLBACK TO " + name);
        Exec("RELEASE " + name);
        throw;
    }
    Exec("RELEASE " + name);
}

long long SqliteDb::Changes() const { return sqlite3_changes64(db_); }

bool IsStorageFault(const AppError& e)
{
    if (e.source().rfind("RIS_E_", 0) != 0) {
        switch (e.number() & 0xFF) {
        case SQLITE_FULL: case SQLITE_IOERR: case SQLITE_NOMEM: case SQLITE_CORRUPT: case SQLITE_NOTADB:
        case SQLITE_READONLY: case SQLITE_CANTOPEN: case SQLITE_BUSY: case SQLITE_LOCKED: case SQLITE_PROTOCOL:
        case SQLITE_INTERRUPT: case SQLITE_ABORT:
            return true;
        default:
            break;
        }
    }
    for (const char* text : {"database or disk is full", "disk I/O error", "database is locked",
                             "attempt to write a readonly database", "database disk image is malformed",
                             "unable to open database file", "out of memory", "in use by another program"})
        if (e.description().find(text) != std::string::npos)
            return true;
    return false;
}

bool SqliteDb::InTransaction() const { return sqlite3_get_autocommit(db_) == 0; }

void SqliteDb::Run(const std::string& sql, const std::vector<std::string>& params)
{
    SqliteStatement st(*this, sql);
    for (size_t i = 0; i < params.size(); ++i)
        st.BindText(static_cast<int>(i) + 1, params[i]);
    while (st.Step()) {
    }
}

std::optional<std::string> SqliteDb::QueryText(const std::string& sql, const std::vector<std::string>& params)
{
    SqliteStatement st(*this, sql);
    for (size_t i = 0; i < params.size(); ++i)
        st.BindText(static_cast<int>(i) + 1, params[i]);
    if (!st.Step() || st.ColumnStorage(0) == SQLITE_NULL)
        return std::nullopt;
    return st.ColumnText(0);
}

std::vector<std::vector<std::optional<std::string>>> SqliteDb::QueryRows(const std::string& sql,
                                                                        const std::vector<std::string>& params)
{
    SqliteStatement st(*this, sql);
    for (size_t i = 0; i < params.size(); ++i)
        st.BindText(static_cast<int>(i) + 1, params[i]);
    std::vector<std::vector<std::optional<std::string>>> rows;
    while (st.Step()) {
        std::vector<std::optional<std::string>> row;
        for (int c = 0; c < st.ColumnCount(); ++c) {
            if (st.ColumnStorage(c) == SQLITE_NULL)
                row.emplace_back(std::nullopt);
            else
                row.emplace_back(st.ColumnText(c));
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

SqliteStatement::SqliteStatement(SqliteDb& db, const std::string& sql) : db_(db)
{
    if (sqlite3_prepare_v2(db.Handle(), sql.c_str(), static_cast<int>(sql.size()), &stmt_, nullptr) != SQLITE_OK)
        db.RaiseLastError("SqliteStatement");
}

SqliteStatement::~SqliteStatement() { sqlite3_finalize(stmt_); }

void SqliteStatement::BindText(int index, const std::string& value)
{
    sqlite3_bind_text(stmt_, index, value.data(), static_cast<int>(value.size()), SQLITE_TRANSIENT);
}

void SqliteStatement::BindTextInPlace(int index, const std::string& value)
{
    const bool ended = value.find('\0') == std::string::npos;
    sqlite3_bind_text(stmt_, index, value.c_str(), ended ? -1 : static_cast<int>(value.size()), SQLITE_STATIC);
}

void SqliteStatement::BindNull(int index) { sqlite3_bind_null(stmt_, index); }

bool SqliteStatement::Step()
{
    if (!stmt_)
        return false; // an empty statement (only blanks or a comment)
    int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    db_.RaiseLastError("SqliteStatement");
}

void SqliteStatement::Reset()
{
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
}

int SqliteStatement::ColumnCount() const { return stmt_ ? sqlite3_column_count(stmt_) : 0; }

std::string SqliteStatement::ColumnName(int i) const
{
    const char* n = sqlite3_column_name(stmt_, i);
    return n ? n : "";
}

std::string SqliteStatement::ColumnDeclType(int i) const
{
    const char* t = sqlite3_column_decltype(stmt_, i);
    return t ? t : "";
}

int SqliteStatement::ColumnStorage(int i) const { return sqlite3_column_type(stmt_, i); }
long long SqliteStatement::ColumnInt(int i) const { return sqlite3_column_int64(stmt_, i); }
double SqliteStatement::ColumnDouble(int i) const { return sqlite3_column_double(stmt_, i); }

std::string SqliteStatement::ColumnText(int i) const
{
    const unsigned char* t = sqlite3_column_text(stmt_, i);
    int n = sqlite3_column_bytes(stmt_, i);
    return t ? std::string(reinterpret_cast<const char*>(t), static_cast<size_t>(n)) : std::string();
}
