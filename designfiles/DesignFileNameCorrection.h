// The correction runs of the file name check window: for every checked mismatch node of the
// result tree, the design file (and, for a FrameWorks model, its companion files, and every
// further file of the same base name) is renamed on its file server to the model or drawing
// number followed by the old extension, and the new name is written into the project table.
// Each node ends green with the success text in its tag, or red with the failure text.
//
// A row is changed as a whole or not at all: nothing is renamed over an existing file, and
// when a companion move or the table statement fails, the files of the row are moved back.
#pragma once

#include "designfiles/ProjectTables.h"

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
    // Works on the filtered rows of one node, one after the other, until a row fails.
    void correctNode(const Kind& kind, const std::string& schema, CheckTreeNode& node, Recordset& rows);
    // One row: checks, moves, the statement of the row; false when the row failed.
    bool correctRow(const Kind& kind, const std::string& schema, CheckTreeNode& node, Recordset& rows,
                    const std::string& where);
    void markRed(CheckTreeNode& node, const std::string& text);
    // Moves the files of moves back, last first; what cannot go back is logged.
    void moveBack(Moves& moves);

    CheckTree& tree_;
    ProjectTables tables_;
};
