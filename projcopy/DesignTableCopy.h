// The copy of one model's design tables pdtable_<T>_<partition> from the source design schema
// into the target's: unload with risunlod under the source parameters file, edit the dump to
// load into the target schema, load with rislod under the target parameters file.
#pragma once

#include "dbaccess/DumpLineClassifier.h"
#include "projcopy/MadeImage.h"
#include "services/ChangeOutcome.h"

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <vector>

class CopyLog;

class DesignTableCopy {
public:
    explicit DesignTableCopy(const CopyLog& log) : log_(log) {}

    // What the copy of the tables tells its caller, and asks of it; every part may be left out.
    using LoadLook = std::function<ChangeState(const std::string& table, uint64_t rows, std::string& seen)>;
    struct LoadJournal {
        // Called before a table's load runs, with the table the load may make and the rows it will
        // hold: the caller records it where a later run finds it. A throw stops the copy before
        // the load.
        std::function<void(const std::string& table, const MadeImage& loads)> willLoad;
        // What stands of a table after its load (given the rows its dump holds).
        LoadLook look;
        // Called after every load with what the look found: a table found NotDone was not made
        // by the load; any other the load made, or may have made. stands: its rows as the look
        // read them, not known when it read none.
        std::function<void(const std::string& table, ChangeState state, const MadeImage& stands)> loaded;
        // True for a table that stands as copied already: it is not loaded again.
        std::function<bool(const std::string& table)> copiedAlready;
    };

    // Copies the tables of the model's discipline (1 piping, 2 equipment; others have none:
    // "No data to load"). Stops at the first failure: an unload client that ends with a failure
    // exit code or names a RIS error, an unload that wrote no dump, a dump that cannot be edited,
    // a load the target does not hold whole, a table the caller could not record; the copy log
    // gets a line naming the table and why, after the clients' own messages. The work files in
    // TMP are the program's own and are deleted at the end. A dump that is not whole after its
    // edit is not loaded. After every load, whatever rislod's exit code, journal.look tells what
    // stands of the table by the server's count; a table that holds the dump's rows by count is
    // then unloaded from the target and compared with the dump over every object: its rows by
    // their values as the server stores and compares them (the dump travels in the fixed layout,
    // which keeps no trailing blanks of a char value and carries a char value of blanks only as
    // NULL, or as a text of one blank in a column declared NOT NULL; a char value compares
    // blank-padded: ComparedValue), its columns, index, grant and view. A table found whole is
    // copied, also after a client that died at its end; a short or missing one fails the copy,
    // named with its counts, and so does one that lacks its index or grant or holds other
    // values, named with what is missing; a RIS error rislod names fails it whatever the look
    // finds. False after a failure; never throws.
    bool LoadModelTable(const std::string& oldParams, const std::string& newParams, const std::string& oldSchema,
                        const std::string& newSchema, int partitionNo, int disciplineNo,
                        const LoadJournal& journal = {}) const;

    // The design table numbers of a discipline, in load order.
    static std::vector<int> TableNumbers(int disciplineNo);

    // Edits one dump line by line, in file order, for the target. Lines are told apart as every
    // reader of dumps does: the schema line of the old schema becomes "default schema <new>";
    // the index and grant lines of the tables whose blocks the dump holds go along, but one
    // equal to the last of them is dropped; index and grant lines of any other table and
    // empty lines are dropped. The lines of a table block, its rows whatever text they hold,
    // and every other line pass unchanged. Lines are fed without their line end.
    class DumpEdit {
    public:
        DumpEdit(std::string oldSchema, std::string newSchema)
            : oldSchema_(std::move(oldSchema)), newSchema_(std::move(newSchema))
        {
        }
        // The line to write (without line end), or false when it is dropped.
        bool Edit(const std::string& line, std::string& out);

    private:
        std::string oldSchema_, newSchema_, lastStatement_;
        DumpLineClassifier lines_;
        std::set<std::string> tables_; // lower case
    };

private:
    // Empty when the table was copied, else why not.
    std::string copyTable(const std::string& oldParams, const std::string& newParams, const std::string& oldSchema,
                   const std::string& newSchema, const std::string& table, const std::string& outFile,
                   const std::string& tempFile, const LoadJournal& journal) const;

    const CopyLog& log_;
};
