// The copy of one model whose numbers are free in the target: its rows of pdtable_113 are
// moved to the target's storage location for the model's discipline, inserted into the target,
// its design files are copied there with xcopy and its design tables follow. Files of the
// model's name in the target folder, or design tables of its partition in the target's design
// schema, stay untouched and the model is not copied; a row the target refuses takes no file
// or table along. Everything the copy makes is recorded in the model's journal, which the
// caller undoes when the copy fails; what it will make is planned and recorded before its first
// step.
#pragma once

#include "projcopy/CopyJournal.h"
#include "projcopy/ProjectSides.h"

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

class CopyLog;
class DesignTableCopy;
class Recordset;
class RisParamsAccess;

// What the copy of a model will do, read before it makes anything.
struct RelocationPlan {
    struct Row {
        std::string mask, pattern; // the model's files in the source
        std::string destination;   // its folder in the target, with a closing backslash
        int16_t partition = 0, discipline = 0;
        std::vector<CopyJournal::FileCopy> files; // what xcopy will make, as read then
    };
    std::vector<Row> rows;                   // one per source row, in their order
    std::map<std::string, MadeImage> tables; // design table -> the rows its load brings
    std::set<std::string> notInSource;       // design tables the source lacks
};

class ModelRelocation {
public:
    ModelRelocation(const ProjectSides& sides, const RisParamsAccess& ris, const CopyLog& log,
                    const DesignTableCopy& tables)
        : sides_(sides), ris_(ris), log_(log), tables_(tables)
    {
    }

    // Reads where the model goes and what its copy will make in the target, before anything is
    // made: m is the model's model_no, sourceRows all its rows of the source pdtable_113, open;
    // each is rewritten in memory to its target location, which is read into reference (the
    // caller closes it). will gets the entries of what the copy will make (the model rows, the
    // files and folders xcopy makes, the design tables with the rows their loads bring, each
    // read once), for the caller to record before the model's first step. False when the
    // model cannot be copied (no location in the target, a file or design table of its name
    // standing there; said in the copy log). Raises AppError for a path without drive, numbers
    // beyond 16 bits, and a target whose design tables cannot be looked at.
    bool Plan(const std::string& m, Recordset& sourceRows, Recordset& reference, CopyJournal& journal,
              RelocationPlan& plan, std::vector<JournalEntry>& will) const;
    // The copy of the planned model: every row to its location, with its files and design
    // tables. The files and design tables that the journal shows this copy made for an earlier
    // row are its own; any other file or table of the model's name that stands there now keeps
    // the model out. False when a row was not copied (the reason is in the copy log). Raises
    // as Plan.
    bool Copy(const std::string& m, Recordset& sourceRows, const RelocationPlan& plan, CopyJournal& journal) const;

    // "$" when the plain share of the path's drive on node lists no file of the path's folder
    // (the administrative share is then used), else the empty text. Never throws.
    static std::string GetShareSuffix(const std::string& node, const std::string& path);
    // "\\node\<drive><suffix><rest>" of a path "<drive>:<rest>"; raises for a path without ":".
    static std::string SharePath(const std::string& node, const std::string& path, const std::string& suffix);
    // For discipline 3: the last folder of the source path (with its closing backslash when
    // the path has one), kept below the target path; empty for a path without such a folder.
    static std::string SubFolder(const std::string& path);
    // The target path of a row: the location's path and the sub-folder, joined by one backslash.
    static std::string TargetPath(const std::string& locationPath, const std::string& subFolder);
    // The file mask of the model's files: base of model_file_spec up to its first "." and "*".
    static std::string FileMask(const std::string& folder, const std::string& modelFileSpec);

private:
    // Whether the target's design table stands (journal's answer); a table that cannot be read
    // is written to the log and thrown, naming it and the target project.
    bool tableStands(const std::string& m, const CopyJournal& journal, const std::string& table,
                     const std::string& target) const;

    const ProjectSides& sides_;
    const RisParamsAccess& ris_;
    const CopyLog& log_;
    const DesignTableCopy& tables_;
};
