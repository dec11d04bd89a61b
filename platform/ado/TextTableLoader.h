// Loads a text table (a text file and its "Schema.ini" section) into a table of an SQLite
// database, so that the driver's statements run on it.
#pragma once

#include "platform/ado/TextTableSchema.h"

#include <string>

struct sqlite3;

class TextTableLoader {
public:
    // Creates `table` in `db` with the section's columns and fills it from the text file,
    // read as a stream of lines (CR LF or LF). An empty field is Null; a number column whose
    // text is no number is Null, as the driver reads it. Fields beyond the described columns
    // are ignored (a row of the dump conversion ends with a delimiter). Raises AppError.
    static void Load(sqlite3* db, const std::string& table, const std::string& textFileHostPath,
                     const TextTableSchema& schema);

    // The fields of one line in a delimited format: a field starting with one double quote is
    // quoted up to its closing quote; elsewhere two double quotes stand for one.
    static std::vector<std::string> SplitDelimited(const std::string& line, char delimiter);
};
