// The copy run of the project copy window: every checked model of the model tree is copied
// from the source project into the target, with its discipline and area when the target lacks
// them, unless its partition or model index number is taken there already. A model whose rows
// the target refuses, whose files would meet files of its name there, or whose copy fails on
// the way, is not copied: what its copy made in the target (discipline and area rows included)
// is taken out again, and the run ends as failed, naming it and saying what of it stands in
// the target: what could not be taken out, or that it was all taken out again.
#pragma once

#include "projcopy/CopyJournalEntry.h"
#include "projcopy/ProjectSides.h"

#include <string>
#include <utility>
#include <vector>

class CheckTree;
class CopyJournal;
class CopyLog;
class ModelSelectionTree;
class Recordset;
class RisParamsAccess;

// A checked model of the tree with the texts of its area and discipline, taken when the run
// starts: the tree may be refilled while the run waits for its clients.
struct CheckedModel {
    std::string model;
    std::string area;
    std::string discipline;
    bool hasArea = false;
    bool hasDiscipline = false;
};

class ModelCopyRun {
public:
    // The run works on the sides as they are when it is made: a project or parameters file
    // picked in the window while it waits for a client changes nothing of it.
    ModelCopyRun(const ProjectSides& sides, const RisParamsAccess& ris, const CopyLog& log,
                 const ModelSelectionTree& selection, const CheckTree& tree)
        : sides_(FixedSides(sides)), ris_(ris), log_(log), selection_(selection), tree_(tree)
    {
    }

    // Runs to its end: empties the copy log, refuses to start when it cannot be written, tests
    // the preconditions, copies the models and ends with "processing successfully complete", or
    // with "processing failed" and a message box with the description or the models not copied.
    // What a copy that did not finish left half made is named: while it is still recorded (not
    // yet taken out, or out of reach) the model is not copied; what is the user's now (no longer
    // as that copy made it) is named once. Either fails the run, unless the model then went in
    // whole by this run. Returns the error number (0 on success, 1 when a model failed or one is
    // found half made). Never throws.
    int Run() const;

    // "INSERT INTO <table> (<fields>) VALUES (<values>);" of the current row: texts (type 203)
    // as SQL literals with embedded quotes doubled, numbers as they are, Null as NULL.
    static std::string BuildInsertStatement(const std::string& table, Recordset& rs);

    // What stands when the copy log cannot be written, said after its name and why.
    static constexpr const char* kUnwritableLogStands =
        ": it stands as it was, and no line of this window goes into it. The project lists are filled, but no copy "
        "starts until the log can be written, as a copy would leave no record of what it made and took out; make the "
        "file writable or remove it";

    // The precondition that fails first, or the empty text.
    std::string FailedPrecondition() const;

private:
    // False when the model failed (the reason is in the copy log); stands then says what of its
    // copy stands in the target: what could not be taken out again, or that all of it was.
    // copiedWhole: the model went into the target whole by this run.
    bool copyModel(const struct CheckedModel& c, CopyJournal& journal, std::string& stands, bool& copiedWhole) const;
    // Free numbers: the discipline and area when missing, then the model; what the copy will
    // make is read first and recorded before its first step. False when it failed.
    bool copyFreeModel(const CheckedModel& c, Recordset& source, Recordset& reference, CopyJournal& journal) const;
    // A discipline or area row the target lacks, read from the source before anything is made.
    struct MissingRows {
        std::string what, name;  // "area", its node's text
        bool missing = false;    // the target lacks it
        std::string noSourceRow; // why none is added although it is missing
        std::vector<std::pair<std::string, JournalEntry>> rows; // INSERT statement and entry
    };
    MissingRows findMissingRow(const std::string& m, const std::string& what, const std::string& name,
                               const std::string& table, const std::string& column, Recordset& sourceRows,
                               Recordset& reference, CopyJournal& journal) const;
    // Inserts the rows found missing; false when one could not be added.
    bool addRows(const std::string& m, const MissingRows& rows, CopyJournal& journal) const;
    // Logs and raises the failed read of a list of project: a list that could not be read is no
    // empty one, so nothing may be copied on the strength of it. Nothing when failure is empty.
    void failUnread(const std::string& m, const std::string& list, const std::string& project,
                    const std::string& failure) const;

    const ProjectSides sides_;
    const RisParamsAccess& ris_;
    const CopyLog& log_;
    const ModelSelectionTree& selection_;
    const CheckTree& tree_;
};
