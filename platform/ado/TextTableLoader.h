// Loads a text table (a text file and its "Schema.ini" section) into a table of an SQLite
// database, so that the driver's statements run on it.
#pragma once

#include "platform/ado/TextTableSchema.h"

#include <string>

struct sqlite3;

class TextTableLoader {
public:
    // How the numbers of the number columns are kept: as numbers of the engine, except in a
    // column that holds a number a double does not show with every digit (NumberValue::
    // BeyondDouble), whose values are all kept as the text of their digits; or every number
    // column so, for a statement that compares with such a number.
    enum class Numbers { AsRead, EveryDigit };

    // The collations and functions the tables and the driver's statements need; once per
    // database, before the first Load: tw_read_number('<literal>'), the number a literal writes
    // as NumberValue reads it (JetSqlTranslator::NumberLiterals::EveryDigit).
    static void Register(sqlite3* db);

    // Creates `table` in `db` with the section's columns and fills it from the text file,
    // read as a stream of lines (CR LF or LF). An empty field is Null; a number column whose
    // text is no number is Null, as the driver reads it. Fields beyond the described columns
    // are ignored (a row of the dump conversion ends with a delimiter). A number column kept as
    // text has a declared type of the engine's (ExactDeclaredType) and compares and orders its
    // values as numbers, every digit counted, before any text. A column of the server's values
    // (TextColumn::server) compares them as the server does: char text blank-padded, read
    // without the trailing blanks that never count (a text of blanks keeps them: it is a text,
    // not NULL), a moment with the date alone as that day's first one, the numbers of a
    // double column as the doubles nearest to them (held as doubles unless every number column
    // is kept as text); none of their stored texts equals the empty text. Raises AppError.
    static void Load(sqlite3* db, const std::string& table, const std::string& textFileHostPath,
                     const TextTableSchema& schema, Numbers numbers = Numbers::AsRead);

    // The declared type of a number column kept as the text of its numbers: a name of text
    // affinity that JetEngine::FieldFromDeclaredType reads as the column's own type.
    static std::string ExactDeclaredType(const TextColumn& column);

    // The fields of one line in a delimited format: a field starting with one double quote is
    // quoted up to its closing quote; elsewhere two double quotes stand for one.
    static std::vector<std::string> SplitDelimited(const std::string& line, char delimiter);
};
