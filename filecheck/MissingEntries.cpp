// Tree nodes and report rows of the file check findings.
#include "filecheck/MissingEntries.h"

#include "filecheck/FileCheckText.h"
#include "filecheck/ReportSheet.h"
#include "platform/TextUtil.h"
#include "platform/ado/Recordset.h"
#include "services/CheckTree.h"

#include <exception>

namespace {

// One step of a writer: a failure skips this step only.
template <class Step>
void Attempt(Step step)
{
    try {
        step();
    } catch (const std::exception&) {
    }
}

void AddNode(CheckTree& tree, const std::string& parent, const std::string& key, const std::string& text)
{
    Attempt([&] { tree.Add(parent, key, text); });
}

// The node's text; raises when no node has the key, as the tree control does.
std::string NodeText(CheckTree& tree, const std::string& key)
{
    const CheckTreeNode* node = tree.Find(key);
    if (!node)
        throw std::out_of_range("Element not found");
    return node->text;
}

std::string WithDescription(const std::string& text, const std::string& description)
{
    return IsBlank(Trim(description)) ? text : text + " - " + description;
}

std::string Lookup(const std::string& index, Recordset* rs, const char* indexField, const char* nameField,
                   const char* fallback)
{
    std::string result;
    try {
        if (rs && rs->State() != 0 && rs->RecordCount() > 0 && !Trim(index).empty()) {
            rs->MoveFirst();
            if (rs->Find(std::string(indexField) + " = " + index) && !FieldIsNull(*rs, nameField))
                result = FieldText(*rs, nameField);
        }
    } catch (const std::exception&) {
        result.clear();
    }
    return IsBlank(Trim(result)) ? fallback : result;
}

// The description and alternative cells of a model or drawing finding.
void WriteEntryCells(Worksheet& sheet, int row, const char* descColumn, const char* altColumn,
                     const std::string& entry, const std::string& description, bool fileEntry)
{
    if (!fileEntry) {
        Attempt([&] { SetCell(sheet, descColumn, row, description); });
    } else if (entry.find("FILE_NOT_FOUND") != std::string::npos) {
        Attempt([&] { SetCell(sheet, descColumn, row, description); });
    } else {
        Attempt([&] { SetCell(sheet, descColumn, row, "File not found"); });
        Attempt([&] { SetCell(sheet, altColumn, row, description); });
    }
}

bool BothSet(const std::string& entry, const std::string& description)
{
    return !IsBlank(Trim(entry)) && !IsBlank(Trim(description));
}

// The row below the used rows, or 0 when the sheet cannot tell.
int NewRow(Worksheet* sheet)
{
    int row = 0;
    Attempt([&] { row = UsedRows(*sheet) + 1; });
    return row;
}

} // namespace

std::string GetDisciplineName(const std::string& disciplineIndex, Recordset* disciplines)
{
    return Lookup(disciplineIndex, disciplines, "discipline_indx_no", "discipline_name", "UNKNOWN_DISCIPLINE");
}

std::string GetAreaName(const std::string& areaIndex, Recordset* areas)
{
    return Lookup(areaIndex, areas, "area_index_no", "area_name", "UNKNOWN_AREA");
}

std::string ApprovalStatusText(const std::string& approvalStatus)
{
    if (approvalStatus == "0")
        return "Approved";
    if (approvalStatus == "1")
        return "Unapproved";
    return "Unknown";
}

std::string AddMissingModel(CheckTree& tree, Worksheet* sheet, Recordset* disciplines, Recordset* areas, Recordset& models,
                     const std::string& entry, const std::string& description, bool fileEntry)
{
    AddNode(tree, "", "Models", "Missing model files");
    std::string d, a, m;
    Attempt([&] {
        d = FieldText(models, "discipline_indx_no");
        AddNode(tree, "Models", "Discipline" + d, GetDisciplineName(d, disciplines));
    });
    const std::string disciplineKey = "Discipline" + d;
    Attempt([&] {
        a = FieldText(models, "area_index_no");
        const std::string name = GetAreaName(a, areas);
        std::string areaDescription;
        Attempt([&] {
            // Only the row the lookup found describes the area.
            if (areas && !areas->Eof() && FieldText(*areas, "area_index_no") == a)
                areaDescription = FieldText(*areas, "area_description");
        });
        AddNode(tree, disciplineKey, disciplineKey + "Area" + a, WithDescription(name, areaDescription));
    });
    const std::string areaKey = disciplineKey + "Area" + a;
    Attempt([&] {
        m = FieldText(models, "model_no");
        const std::string modelDescription = FieldText(models, "model_description");
        AddNode(tree, areaKey, disciplineKey + "Model" + m, WithDescription(m, modelDescription));
    });
    const std::string modelKey = disciplineKey + "Model" + m;

    const int row = sheet ? NewRow(sheet) : 0;
    if (row > 0) {
        Attempt([&] { SetCell(*sheet, "A", row, NodeText(tree, disciplineKey)); });
        Attempt([&] { SetCell(*sheet, "B", row, NodeText(tree, areaKey)); });
        Attempt([&] { SetCell(*sheet, "C", row, NodeText(tree, modelKey)); });
    }
    if (!BothSet(entry, description))
        return {};
    const std::string entryKey = modelKey + (fileEntry ? "File" : "Error") + entry;
    AddNode(tree, modelKey, entryKey, description);
    if (row > 0)
        WriteEntryCells(*sheet, row, "D", "E", entry, description, fileEntry);
    return tree.Contains(entryKey) ? entryKey : std::string();
}

std::string AddMissingDrawing(CheckTree& tree, Worksheet* sheet, Recordset& drawings, const std::string& entry,
                       const std::string& description, bool fileEntry)
{
    AddNode(tree, "", "Drawings", "Missing drawing files");
    std::string y, n;
    Attempt([&] {
        y = FieldText(drawings, "drawing_type");
        AddNode(tree, "Drawings", "DrawingType" + y, y);
    });
    const std::string typeKey = "DrawingType" + y;
    Attempt([&] {
        n = FieldText(drawings, "drawing_no");
        const std::string title = FieldText(drawings, "drawing_title");
        AddNode(tree, typeKey, typeKey + "Drawing" + n, WithDescription("Drawing" + n, title));
    });
    const std::string drawingKey = typeKey + "Drawing" + n;

    const int row = sheet ? NewRow(sheet) : 0;
    if (row > 0) {
        Attempt([&] { SetCell(*sheet, "A", row, NodeText(tree, typeKey)); });
        Attempt([&] { SetCell(*sheet, "B", row, NodeText(tree, drawingKey)); });
    }
    if (!BothSet(entry, description))
        return {};
    const std::string entryKey = drawingKey + (fileEntry ? "File" : "Error") + entry;
    AddNode(tree, drawingKey, entryKey, description);
    if (row > 0)
        WriteEntryCells(*sheet, row, "C", "D", entry, description, fileEntry);
    return tree.Contains(entryKey) ? entryKey : std::string();
}

void AddMissingLibrary(CheckTree& tree, Worksheet* sheet, Recordset& libraries, const std::string& entry,
                       const std::string& description, bool fileEntry)
{
    AddNode(tree, "", "RDB", "Missing RDB files");
    std::string p, r;
    Attempt([&] {
        p = FieldText(libraries, "approval_status");
        AddNode(tree, "RDB", "ApprovalStatus" + p, ApprovalStatusText(p));
    });
    const std::string statusKey = "ApprovalStatus" + p;
    Attempt([&] {
        r = FieldText(libraries, "type_of_rdb_data");
        AddNode(tree, statusKey, statusKey + "Library" + r, r);
    });
    const std::string libraryKey = statusKey + "Library" + r;
    if (BothSet(entry, description))
        AddNode(tree, libraryKey, libraryKey + (fileEntry ? "File" : "Error") + entry, description);

    const int row = sheet ? NewRow(sheet) : 0;
    if (row > 0) {
        Attempt([&] { SetCell(*sheet, "A", row, ApprovalStatusText(FieldText(libraries, "approval_status"))); });
        Attempt([&] { SetCell(*sheet, "B", row, FieldText(libraries, "type_of_rdb_data")); });
        Attempt([&] { SetCell(*sheet, "C", row, description); });
    }
}

void AddMissingAreaMarker(CheckTree& tree, Worksheet* sheet, Recordset* disciplines, Recordset& areas,
                          const std::string& entry, const std::string& description)
{
    AddNode(tree, "", "Areas", "Missing area marker files");
    std::string d, an;
    Attempt([&] {
        d = FieldText(areas, "discipline_indx_no");
        AddNode(tree, "Areas", "AreasDiscipline" + d, GetDisciplineName(d, disciplines));
    });
    const std::string disciplineKey = "AreasDiscipline" + d;
    Attempt([&] {
        an = FieldText(areas, "area_name");
        const std::string areaDescription = FieldText(areas, "area_description");
        AddNode(tree, disciplineKey, disciplineKey + "Area" + an, WithDescription(an, areaDescription));
    });
    const std::string areaKey = disciplineKey + "Area" + an;
    AddNode(tree, areaKey, areaKey + entry, description);

    const int row = sheet ? NewRow(sheet) : 0;
    if (row > 0) {
        Attempt([&] {
            SetCell(*sheet, "A", row, GetDisciplineName(FieldText(areas, "discipline_indx_no"), disciplines));
        });
        Attempt([&] { SetCell(*sheet, "B", row, FieldText(areas, "area_name")); });
        Attempt([&] { SetCell(*sheet, "C", row, description); });
    }
}

void AddMissingProjectFile(CheckTree& tree, Worksheet* sheet, const std::string& entry,
                           const std::string& description)
{
    AddNode(tree, "", "Project", "Missing project file");
    AddNode(tree, "Project", "Project" + entry, description);
    const int row = sheet ? NewRow(sheet) : 0;
    if (row > 0)
        Attempt([&] { SetCell(*sheet, "A", row, description); });
}
