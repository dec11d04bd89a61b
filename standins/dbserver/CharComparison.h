// Character columns compared as the database compares its fixed-length text: a value is taken
// as filled up with blanks to the length of the value it is compared with, so trailing blanks
// never count and leading ones always do. Values are stored as given; only the comparison
// (=, <, IN, BETWEEN, ORDER BY, GROUP BY, DISTINCT, MIN, MAX and unique indexes) pads them.
#pragma once

#include <string>

struct sqlite3;
class SqliteDb;

namespace CharComparison {

// The collation every character column is declared with.
inline constexpr const char* kCollation = "ris_char";

// What follows the type of a character column in its declaration: " COLLATE ris_char".
std::string DeclarationSuffix();

// Makes the collation (PaddedText::Compare) known to the connection; every connection to a
// user's file needs it before it reads or writes a table with a character column.
void Register(sqlite3* db);

// The declaration of a table with the collation after the type of each character column that
// has none; the same text when there is nothing to add.
std::string DeclarationWithCollation(const std::string& createTableSql);

// A file whose tables were made before their character columns declared the collation gets it
// declared, its indexes ordered anew, in one transaction, once per file; its number columns' checks
// then take a number kept with every digit as well (RisColumnType::WithCurrentNumberChecks), and
// a date alone stored in a timestamp or date column becomes that day's first moment. A unique index whose
// rows the padded comparison would find twice keeps comparing exactly (its columns declared
// BINARY in the index), so no stored row is refused. When the file cannot be changed (in use
// past the wait, full disk) it stays as it stood and the next connection tries again.
void KeepDeclared(SqliteDb& db);

} // namespace CharComparison
