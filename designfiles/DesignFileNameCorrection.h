// The correction runs of the file name check window: for every checked mismatch node of the
// result tree, the design file (and, for a FrameWorks model, its companion files, and every
// further file of the same base name) is renamed on its file server to the model or drawing
// number followed by the old extension, and the new name is written into the project table.
// Each node ends green with the success text in its tag, or red with the failure text.
//
// Files and table never part ways: a node whose key names more than one row is refused before
// anything moves; the row is changed by its key and must be the one row changed, else (and when
// a companion move or the statement fails) the files go back to their old names. A further file
// that a row of pdtable_113 or pdtable_121 names keeps its name.
#pragma once

#include "designfiles/ProjectTables.h"

#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

class CheckTree;
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

    struct Kind;

private:
    using Moves = std::vector<std::pair<std::string, std::string>>; // from, to; in the order done

    void run(const Kind& kind, const std::string& project);
    // The node's one row: checks, moves, the statement by the node's key.
    void correctNode(const Kind& kind, const std::string& schema, CheckTreeNode& node, Recordset& rows);
    // The further files of the old base name in dir; what is left alone is added to skipped.
    void moveFurtherFiles(CheckTreeNode& node, const std::string& dir, const std::string& oldBase,
                          const std::string& number, Moves& moves, std::vector<std::string>& skipped);
    // Whether a row of pdtable_113 or pdtable_121 names the file dir + name (letters in any case).
    bool namedByARow(const std::string& dir, const std::string& name);
    void markRed(CheckTreeNode& node, const std::string& text);
    // Moves the files of moves back, last first; what cannot go back is logged.
    void moveBack(Moves& moves);

    CheckTree& tree_;
    ProjectTables tables_;
    std::string schema_;
    // The files the project tables name, by upper-case folder: read when first needed in a run.
    bool namedRead_ = false;
    std::map<std::string, std::set<std::string>> named_;
};
