// What a model's copy makes in the target project, one entry per thing (a row, a file, a
// folder, a design table), as its journal keeps it in memory and on disk.
#pragma once

#include "projcopy/MadeImage.h"

#include <optional>
#include <string>
#include <vector>

// One column of a row as the copy inserts it.
struct RowValue {
    std::string column;
    std::optional<std::string> value; // nullopt: Null
    bool text = true;                 // a text column (written as a literal), else a number
    std::string type;                 // as the table declares it ("decimal(10,2)"), when read back
};
using RowImage = std::vector<RowValue>;

// Rows of another table that use a row by its number: while one of them stands, the row stays.
struct RowUser {
    std::string table; // "pdtable_113"
    std::string where; // "area_index_no = 2"
    std::string name;  // the column that names such a row: "model_no"
    std::string noun;  // how such a row is named: "model"
};

struct JournalEntry {
    enum class Kind { Row, File, Folder, Table };
    // Intended: recorded before its step, which may not have run, or run only in part: the undo
    // looks whether it stands before it takes it out. Made: the look after the step found it.
    enum class State { Intended, Made };

    Kind kind = Kind::Row;
    State state = State::Intended;
    std::string model;   // the model_no of the copy that made it
    std::string params;  // the target's parameters file when the entry was made
    // Its text then: the environment the entry was made in, reached through a copy of it when
    // the file is gone or names another since. Empty in a journal of an earlier version.
    std::string paramsText;
    std::string schema;  // the schema of a row or design table
    std::string project; // the target project, for the log
    std::string name;    // table of a row or design table, path of a file or folder
    std::string key;     // row: the condition on its key
    RowImage row;        // row: its columns as inserted
    std::string what;    // row: how it is named in the log ("model 'P1001'")
    std::vector<RowUser> users; // row: the rows that keep it in place
    std::string source;  // file: the source file it is a copy of
    // File: the name of this program's run under which the undo moves it aside before it looks
    // at it and deletes it, recorded before the move (empty when no undo has begun).
    std::string aside;
    // File or design table: before its step, what the step will make (a file: its source's size
    // and digest; a table: the source table's rows); after the step's look, what it made. Not
    // known in a journal of an earlier version: such an entry is taken out only when it is shown
    // as made otherwise (a file equal to its source), else left and named.
    MadeImage image;
    // In memory only: left by a program that did not finish. What of it cannot be looked at now
    // is named and left to the user rather than kept for ever.
    bool adopted = false;
};
