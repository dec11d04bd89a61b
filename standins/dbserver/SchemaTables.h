// The tables, columns, indexes and views of one database user's SQLite file, seen with their
// RIS definitions: RIS DDL turned into SQLite with the declared types kept, and SQLite
// failures turned into RIS errors.
#pragma once

#include "platform/AppError.h"
#include "standins/dbserver/SqliteDb.h"

#include <string>
#include <string_view>
#include <vector>

struct RisColumn {
    std::string name; // lower case
    std::string type; // declared, normalised (RisColumnType::declared)
    bool notNull = false;
};

struct RisIndex {
    std::string name;
    std::string table;
    bool unique = false;
    std::vector<std::string> columns;
};

struct RisView {
    std::string name;
    std::string definition; // the whole "create view ..." statement on one line
};

class SchemaTables {
public:
    explicit SchemaTables(SqliteDb& db) : db_(db) {}

    // Parses "a int, b char(10) not null" into columns; raises RIS_E_INV_TYPE or
    // RIS_E_SYNTAX_ERROR.
    static std::vector<RisColumn> ParseColumnDefinitions(std::string_view list);

    bool HasTable(const std::string& table);
    std::vector<std::string> Tables(); // in order of creation
    std::vector<RisColumn> Columns(const std::string& table);
    void CreateTable(const std::string& table, const std::vector<RisColumn>& columns);
    void AddColumn(const std::string& table, const RisColumn& column);
    void DropTable(const std::string& table);
    void DeleteRows(const std::string& table);
    long long RowCount(const std::string& table);

    std::vector<RisIndex> Indexes(const std::string& table);
    void CreateIndex(const RisIndex& index);
    std::vector<RisView> Views();
    bool HasView(const std::string& view);
    // Runs "create view ..." as given; raises the translated error.
    void CreateView(const std::string& statement);

    // Raises RIS_E_INV_NAME unless name is a word of letters, digits and "_" of at most
    // kMaxNameLength bytes, the longest name the database takes; what names the kind.
    static void RequireName(const std::string& name, const std::string& what);
    static constexpr size_t kMaxNameLength = 30;

    // The database's own text for a number beyond its range (an infinity) in that column.
    static std::string NumericOverflowText(const std::string& column);
    // Whether a SQLite failure is a table's refusal of a number beyond the range of a number (an
    // infinity), which each connection names as its database's numeric overflow.
    static bool IsNumericOverflow(const AppError& e);
    // The column whose line feed refusal a SQLite failure is (every way in refuses a line feed in a
    // character value); empty for any other failure. LineFeedText words the refusal.
    static std::string LineFeedColumn(const AppError& e);
    static std::string LineFeedText(const std::string& column);
    // A SQLite failure as the RIS error a client reports (raises).
    [[noreturn]] static void RaiseTranslated(const AppError& sqliteError, const std::string& schema);

    // Whether the table stores NULL for an empty text in the column (a character column).
    static bool EmptyTextIsNull(const RisColumn& column);
    // A load that stores NULL for an empty text itself puts its rows in without the table's
    // trigger that does so per row: it takes the trigger out for its rows and makes it again
    // when they are in, both in the load's transaction, so no other way in meets the table
    // without it.
    void DropEmptyTextInsertTrigger(const std::string& table);
    void RemakeEmptyTextTriggers(const std::string& table) { keepNoEmptyText(table); }

private:
    // (Re)makes the triggers that store NULL for an empty text in the table's character columns.
    void keepNoEmptyText(const std::string& table);

    SqliteDb& db_;
};
