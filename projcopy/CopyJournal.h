// What the copy of one model has made in the target project (rows inserted, files and a folder
// created, design tables loaded), so that a copy that fails takes out exactly that and nothing
// that was there before. Every entry keeps the project, schema and parameters file it was made
// in: the undo goes there, whatever the window shows by then. Each step of the undo is checked
// by looking again (a row or table read anew, a file tested); a row another row still uses
// stays; what stays is named.
#pragma once

#include "services/ChangeOutcome.h"

#include <optional>
#include <string>
#include <vector>

class CopyLog;
class Recordset;
class RisParamsAccess;

// The target a copy writes to, taken when the copy starts.
struct CopyTarget {
    std::string project; // without "pd_"/"dd_"
    std::string params;  // its RIS parameters file
};

// One column of a row as the copy inserts it.
struct RowValue {
    std::string column;
    std::optional<std::string> value; // nullopt: Null
    bool text = true;                 // a text column (written as a literal), else a number
};
using RowImage = std::vector<RowValue>;

// Rows of another table that use a row by its number: while one of them stands, the row stays.
struct RowUser {
    std::string table;  // "pdtable_113"
    std::string where;  // "area_index_no = 2"
    std::string name;   // the column that names such a row: "model_no"
    std::string noun;   // how such a row is named: "model"
};

class CopyJournal {
public:
    CopyJournal(CopyTarget target, const RisParamsAccess& ris, const CopyLog& log)
        : target_(std::move(target)), ris_(ris), log_(log)
    {
    }

    const CopyTarget& Target() const { return target_; }

    // The current row of rs, column by column, as BuildInsertStatement writes it.
    static RowImage ImageOf(Recordset& rs);

    // Runs the INSERT of row into table of the target's project schema; key (a condition on
    // its key, found free by the caller) finds it, and it is the copy's own only when every
    // column equals row. After every run, whatever the client said, the row is read again: one
    // that stands as inserted is recorded, and counts (the copy goes on) unless the client
    // named a refusal, which stands: the row then goes with the rest at the undo. A row of that
    // key that differs is another's and is never taken for the copy's; one that cannot be read
    // is recorded so that the undo looks for it. users are the rows that keep this one in place
    // at the undo. False when the row is not in for certain; the copy log says why and what
    // stands (what names the row: "model 'P1001'").
    bool InsertRow(const std::string& m, const std::string& table, const std::string& statement,
                   const std::string& key, const RowImage& row, const std::string& what,
                   const std::vector<RowUser>& users = {});

    // A file of the target that did not exist before this copy.
    void FileCreated(const std::string& path);
    // A folder of the target that did not exist before this copy; removed only when empty.
    void FolderCreated(const std::string& path);
    // A design table of the target's design schema that this copy's load made (or may have).
    void TableLoaded(const std::string& table);
    // Whether this copy made the file, or loaded the design table: a second row of the model
    // finds them standing, and they are no one else's.
    bool MadeFile(const std::string& path) const;
    bool MadeTable(const std::string& table) const;

    bool Empty() const { return entries_.empty(); }
    // The model went in whole: what it made stays.
    void Keep() { entries_.clear(); }

    // Takes out what was recorded, last first, and looks whether each is gone. Logs after the
    // fact, once, what was taken out and what is left (and why). Returns the texts of what is
    // left, empty when everything went. Never throws.
    std::vector<std::string> Undo(const std::string& m);

    // Whether a design table stands in the target's design schema: 1 yes, 0 no, -1 unknown
    // (failure says why). A table without rows stands too. Asked so that a "no" is no failure
    // in the copy log.
    int TableStands(const std::string& table, std::string& failure) const;
    // What stands of a load of table that should have brought rows rows: Done when it stands
    // with them all, NotDone when it is not there, NotKnown when short; raises (CouldNotRead)
    // when it cannot be counted. The count tells only because the table did not stand before the
    // load: the copy loads no table that stands, and does not load again one it made itself.
    ChangeState LoadState(const std::string& table, uint64_t rows, std::string& seen) const;

private:
    enum class Kind { Row, File, Folder, Table };
    struct Entry {
        Kind kind;
        std::string params;  // the target's parameters file when the entry was made
        std::string schema;  // the schema of a row or design table
        std::string project; // the target project, for the log
        std::string name;    // table of a row or design table, path of a file or folder
        std::string key;     // row: the condition on its key
        RowImage row;        // row: its columns as inserted
        std::string what;    // row: how it is named in the log
        std::vector<RowUser> users;
    };
    Entry entry(Kind kind, const std::string& schema, const std::string& name) const;
    void record(Kind kind, const std::string& schema, const std::string& name);
    bool made(Kind kind, const std::string& schema, const std::string& name) const;
    // Whether the row the entry inserted stands: Done when a row of its key equals it, NotDone
    // when none does (seen names another row of that key); raises (CouldNotRead) when it cannot
    // be read.
    ChangeState rowState(const Entry& e, std::string& seen) const;
    int tableStands(const std::string& params, const std::string& schema, const std::string& table,
                    std::string& failure) const;
    // Empty when no row uses the entry's row, else why it stays.
    std::string usedBy(const Entry& e) const;
    // Empty when the entry is gone afterwards, else why it is left.
    std::string takeOut(const Entry& e) const;
    static std::string describe(const Entry& e);

    CopyTarget target_;
    const RisParamsAccess& ris_;
    const CopyLog& log_;
    std::vector<Entry> entries_;
};
