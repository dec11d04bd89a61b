// Entering one finding of the file check into the result tree and the check report: the
// writers of model, drawing, library, area marker and project file findings and the two name
// lookups they use. Keys (D discipline, A area index, M model, Y drawing type, N drawing,
// P approval status, R type of RDB data, AN area name, S entry text):
//   "Models" / "Discipline"D / "Discipline"D"Area"A / "Discipline"D"Model"M / model key "File"S or "Error"S
//   "Drawings" / "DrawingType"Y / "DrawingType"Y"Drawing"N / drawing key "File"S or "Error"S
//   "RDB" / "ApprovalStatus"P / "ApprovalStatus"P"Library"R / library key "File"S or "Error"S
//   "Areas" / "AreasDiscipline"D / "AreasDiscipline"D"Area"AN / area key S
//   "Project" / "Project"S
// None of them raises: every step (a node, a cell) is tried on its own, and a failed step is
// skipped. Without a report sheet (nullptr) only the tree is filled.
#pragma once

#include <string>

class CheckTree;
class Recordset;
class Worksheet;

// The discipline_name of the first row whose discipline_indx_no is the index (a decimal text),
// as stored; "UNKNOWN_DISCIPLINE" when none, blank, or anything fails. The found row stays
// current.
std::string GetDisciplineName(const std::string& disciplineIndex, Recordset* disciplines);
// The same for areas: area_name by area_index_no alone, else "UNKNOWN_AREA".
std::string GetAreaName(const std::string& areaIndex, Recordset* areas);

// The finding of the models recordset's current row. fileEntry: a missing or alternative file
// (a "File" node), else an item that could not be checked (an "Error" node). Both writers
// return the key of the entry's node when the tree holds it (also when an earlier finding made
// it), else an empty text.
std::string AddMissingModel(CheckTree& tree, Worksheet* sheet, Recordset* disciplines, Recordset* areas, Recordset& models,
                     const std::string& entry, const std::string& description, bool fileEntry);
std::string AddMissingDrawing(CheckTree& tree, Worksheet* sheet, Recordset& drawings, const std::string& entry,
                       const std::string& description, bool fileEntry);
void AddMissingLibrary(CheckTree& tree, Worksheet* sheet, Recordset& libraries, const std::string& entry,
                       const std::string& description, bool fileEntry);
// The finding of the areas recordset's current row.
void AddMissingAreaMarker(CheckTree& tree, Worksheet* sheet, Recordset* disciplines, Recordset& areas,
                          const std::string& entry, const std::string& description);
void AddMissingProjectFile(CheckTree& tree, Worksheet* sheet, const std::string& entry,
                           const std::string& description);

// The text of the approval status node: "Approved" (0), "Unapproved" (1), else "Unknown".
std::string ApprovalStatusText(const std::string& approvalStatus);
