// Reading the one table a SELECT names and its WHERE condition, and pointing the statement at
// a text table instead of that table.
#pragma once

#include <cstddef>
#include <string>

struct SelectParts {
    std::string table;       // the word after FROM, as written
    std::string condition;   // the WHERE condition that can be passed to an unload, or empty
    size_t tableStart = 0;   // where the table word stands in the statement
    size_t tableLength = 0;
};

// Keywords count only as whole words outside quoted texts, quoted names and bracketed names.
// The condition runs from WHERE up to GROUP, else HAVING, else ORDER (in that order of
// preference, whichever stands first in the text), else ";", else the end. A condition that
// holds UCASE, LCASE, a double quote or a line break inside a quoted value cannot be handed to
// the unload and is dropped (the statement itself still filters the rows later); line breaks
// and tabs elsewhere in it become blanks.
// Raises error 1 "SQL statement not defined" and "Table name not found in SQL statement" with
// the source "CRIS::ParseSQL".
SelectParts ParseSelect(const std::string& sql);

// The statement without its semicolons outside quoted texts and names (a server takes one
// statement without its terminator); a ';' inside a quoted value is part of the value and stays.
std::string WithoutStatementSemicolons(const std::string& sql);

// The statement with its table word replaced by textFile + " AS [" + table + "]"; everything
// else stays as it stands. parts comes from ParseSelect of the same statement.
std::string RedirectSelect(const std::string& sql, const SelectParts& parts, const std::string& textFile);
