// The correction runs of the file name check window: for every checked mismatch node of the
// result tree, the design file (and, for a FrameWorks model, its companion files, and every
// further file of the same base name) is renamed on its file server to the model or drawing
// number followed by the old extension, and the new name is written into the project table.
// Each node ends green with the success text in its tag, or red with the failure text.
//
// Files and table never part ways: everything the decision needs (the row, the files, the
// files every row of the project names, the file names the rows of its key and folder hold) is
// read before the first file moves; a row whose own file another row names is refused before
// anything of it moves. Rows of one key in other folders are corrected one after the other,
// each changed by its key, folder and file. After every statement, also one that ended well,
// the rows of its key and folder are read again (not by the file name the statement changes)
// and compared with what they held before: the one row naming the new file is done, whatever
// the client answered; otherwise the files follow what the rows name: back to their old names
// when the old names stand, left under the new ones when not. The node's text then says where
// the files are and what the rows name, and, for a key of several rows, what became of each. A further file that a row of pdtable_113 or pdtable_121 names keeps
// its name. A file moved is copied without replacing anything (a read-only file, which could be
// copied but not removed, is refused before that), and a copy is taken away again only while it
// is still the run's own; a move that ends with its file under the old name alone is written
// into the record as given up, so the row is in step with that file where it is. Every rename of a row is recorded before its first move
// (FileNameCorrectionRecord), so that a run killed before its rows follow is put in step by the
// next start or correction; the run holds the project schema's mark.
#pragma once

#include "designfiles/ProjectTables.h"

#include "platform/AppError.h"
#include "services/ChangeOutcome.h"

#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

class CheckTree;
class FileNameCorrectionRecord;
struct CheckTreeNode;
class Recordset;

class DesignFileNameCorrection {
public:
    DesignFileNameCorrection(CheckTree& tree, ProjectTables tables) : tree_(tree), tables_(std::move(tables)) {}

    // Nodes whose key matches "Discipline*Model*NotMatch*" and that are checked. Raises with the
    // source "CorrectModelFiles" when a service raises (the files of the row at hand moved back).
    void CorrectModelFiles(const std::string& project);
    // Nodes whose key matches "DrawingType*Drawing*NotMatch*" and that are checked (source
    // "CorrectDrawingFiles").
    void CorrectDrawingFiles(const std::string& project);

    // The companion extensions of a FrameWorks model (discipline 3, model type 1), in order.
    static std::vector<std::string> CompanionExtensions();

    // One text for each checked node of the runs so far that ended red: the file not renamed,
    // every reason the node was given, and what stands now (what the rows name, read again, and
    // which of the file's old and new names stand), for the box after the runs.
    const std::vector<std::string>& NotRenamed() const { return notRenamed_; }
    // "These files were not renamed:" and those texts, one a line; empty when there are none.
    std::string NotRenamedMessage() const;

    struct Kind;

private:
    using Moves = std::vector<std::pair<std::string, std::string>>; // from, to; in the order done
    struct Node;

    void run(const Kind& kind, const std::string& project);
    // The node's rows, one after the other.
    void correctNode(const Kind& kind, CheckTreeNode& node, Recordset& rows);
    // The current row of rows: checks, moves, the statement naming that row alone (its key, and
    // with severalRows its folder and file too). False when the node failed and ends.
    bool correctRow(Node& n, Recordset& rows, bool severalRows);
    // The further files of the old base name in the node's folder, listed before anything moves;
    // what is left alone is added to the node's skipped texts.
    Moves planFurtherFiles(Node& n);
    // After a statement that failed or whose look did not find exactly the one row changed: the
    // files follow what the rows name. True when the new name stands in the one row. A statement
    // that raised (raised) raises again afterwards, its description saying the state. names and
    // readFailure: what the look after the statement read (rowNames).
    bool settle(Node& n, Moves& moves, const std::string& what, std::optional<AppError> raised,
                std::vector<std::string> names, std::string readFailure);
    // The file names the rows of the node's look condition hold now, or failure set.
    std::vector<std::string> rowNames(const Node& n, std::string& failure);
    // Done when names are the names read before with the row's old name replaced by its new
    // one, NotDone when they are the names read before, else NotKnown.
    static ChangeState judgeRows(const Node& n, const std::vector<std::string>& names);
    // The rows (other than those of identity) that name the file dir + name, letters in any case.
    std::vector<std::string> ownersOf(const std::string& dir, const std::string& name, const std::string& identity);
    // The files every row of pdtable_113 and pdtable_121 names, once per run.
    void readNamedFiles();
    void markRed(CheckTreeNode& node, const std::string& text);
    // The text of NotRenamed for a node that ended red; n: its last row worked on, if any.
    std::string notRenamedText(const Kind& kind, const std::string& number, const Node* n);
    // Moves the files of moves back, last first. Returns, for each file that stays under its new
    // name, the text saying so and why.
    std::vector<std::string> moveBack(Moves& moves);

    CheckTree& tree_;
    ProjectTables tables_;
    FileNameCorrectionRecord* record_ = nullptr; // the run's, while it runs
    std::string schema_;
    std::vector<std::string> notRenamed_;
    std::vector<std::string> nodeFailures_; // what the node in hand was marked red with, in order
    // The files the project tables name: upper-case folder, upper-case name, the rows naming it
    // (identity of the row's key, and how it is named to the user).
    bool namedRead_ = false;
    std::map<std::string, std::map<std::string, std::vector<std::pair<std::string, std::string>>>> named_;
};
