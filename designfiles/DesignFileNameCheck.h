// The name check of the file name check window: reads the models and drawings of a project
// and enters every row whose design file name does not fit its number, or that cannot be
// checked, into the result tree. Keys are built from the node's path, so the corrections find
// their work by key:
//   Models / Discipline<d> / Discipline<d>Area<a> / Discipline<d>Model<m> / ...Model<m>Error<kind>
//   Drawings / DrawingType<t> / DrawingType<t>Drawing<n> / ...Drawing<n>Error<kind>
// The mismatch kind is "NotMatch" + model_type for models, "NotMatch" + drawing_file_spec for
// drawings.
#pragma once

#include "designfiles/ProjectTables.h"
#include "platform/AppError.h"

#include <cstdint>
#include <string>

class CheckTree;
class Recordset;

class DesignFileNameCheck {
public:
    DesignFileNameCheck(CheckTree& tree, ProjectTables tables) : tree_(tree), tables_(std::move(tables)) {}

    // Checks every model of the project (schema "pd_" + project) and adds its faults. Raises
    // with the source "CheckModels" and the received source in front of the description.
    void CheckModels(const std::string& project);
    // The same for every drawing (source "CheckDrawings").
    void CheckDrawings(const std::string& project);

    // The node insertions; a failing level is skipped (its descendants then fail as well),
    // a present key keeps its node. Never throw.
    void AddModelNode(Recordset& disciplines, Recordset& areas, Recordset& models, const std::string& kind,
                      const std::string& text);
    void AddDrawingNode(Recordset& drawings, const std::string& kind, const std::string& text);

    // The name of the discipline or area number, leaving the recordset on the row found (or at
    // its end); "UNKNOWN_DISCIPLINE" / "UNKNOWN_AREA" when absent, blank or unreadable.
    static std::string GetDisciplineName(int32_t discipline, Recordset& disciplines);
    static std::string GetAreaName(int32_t area, Recordset& areas);

    // The error raised by the check and the corrections: own name as the source, the received
    // source and ": " in front of the description (left out when empty or the program's title).
    static AppError Rethrown(const AppError& e, const std::string& ownName);

private:
    CheckTree& tree_;
    ProjectTables tables_;
};
