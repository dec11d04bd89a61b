// The declared types of the columns a statement names, as far as the tables it reads and writes
// tell them: a literal compared with a column is read as that column's type reads it.
#pragma once

#include "dbaccess/RisSqlText.h"
#include "standins/dbserver/RisColumnType.h"

#include <optional>
#include <string>
#include <vector>

struct sqlite3;

class StatementColumns {
public:
    // The tables named after FROM, JOIN, UPDATE and INTO in the tokens (with their aliases); their
    // columns are read from db at the first question.
    StatementColumns(const std::vector<SqlToken>& tokens, sqlite3* db);

    // The type of the column named by its parts ("c", "t.c" or "s.t.c" split at the dots, names
    // as written): none when no table of the statement has it, or when the tables that have it
    // declare it differently.
    std::optional<RisColumnType> TypeOf(const std::vector<std::string>& parts) const;

private:
    struct Table {
        std::string schema; // "main" or an attached schema
        std::string name;
        std::string alias;
        mutable std::optional<std::vector<std::pair<std::string, std::string>>> columns; // name, declared type
    };
    const std::vector<std::pair<std::string, std::string>>& columnsOf(const Table& t) const;

    sqlite3* db_;
    std::vector<Table> tables_;
};
