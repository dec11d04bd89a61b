// What the copy of one model has made in the target project (rows inserted, files and a folder
// created, design tables loaded), so that a copy that fails takes out exactly that and nothing
// that was there before. Each step of the undo is checked by looking again: a row or table
// read anew, a file tested; what stays is named.
#pragma once

#include "projcopy/ProjectSides.h"

#include <string>
#include <vector>

class CopyLog;
class RisParamsAccess;

class CopyJournal {
public:
    CopyJournal(const ProjectSides& sides, const RisParamsAccess& ris, const CopyLog& log)
        : sides_(sides), ris_(ris), log_(log)
    {
    }

    // Runs the INSERT of a row on the target's project schema; where finds the row by its key,
    // which the target did not hold before. When the client fails, the row is read again: one
    // that stands was inserted all the same and counts (the copy goes on), one that cannot be
    // read is recorded so that the undo looks for it. False when the row is not in for certain;
    // the copy log says why (what names the row: "model 'P1001'").
    bool InsertRow(const std::string& m, const std::string& table, const std::string& statement,
                   const std::string& where, const std::string& what);

    // A row of the target's project schema that this copy inserted (or may have: its client
    // failed and the row could not be read again), found by where (a condition on its key).
    void RowInserted(const std::string& table, const std::string& where, const std::string& what);
    // A file of the target that did not exist before this copy.
    void FileCreated(const std::string& path);
    // A folder of the target that did not exist before this copy; removed only when empty.
    void FolderCreated(const std::string& path);
    // A design table of the target's design schema for which this copy ran the load client.
    void TableLoaded(const std::string& schema, const std::string& table);

    bool Empty() const { return entries_.empty(); }
    // The model went in whole: what it made stays.
    void Keep() { entries_.clear(); }

    // Takes out what was recorded, last first, and looks whether each is gone. Logs after the
    // fact, once, what was taken out and what is left (and why). Returns the texts of what is
    // left, empty when everything went. Never throws.
    std::vector<std::string> Undo(const std::string& m);

    // Whether a design table stands in the target's schema: 1 yes, 0 no, -1 unknown (failure
    // says why). A table without rows stands too.
    int TableStands(const std::string& schema, const std::string& table, std::string& failure) const;
    // Whether rows of the target's project schema match where: 1 yes, 0 no, -1 unknown.
    int RowStands(const std::string& table, const std::string& where, std::string& failure) const;

private:
    enum class Kind { Row, File, Folder, Table };
    struct Entry {
        Kind kind;
        std::string name;  // table of a row or design table, path of a file or folder
        std::string where; // row: condition; design table: schema
        std::string what;  // row: how it is named in the log
    };
    // Empty when the entry is gone afterwards, else why it is left.
    std::string takeOut(const Entry& e) const;
    static std::string describe(const Entry& e);

    const ProjectSides& sides_;
    const RisParamsAccess& ris_;
    const CopyLog& log_;
    std::vector<Entry> entries_;
};
