// The model and drawing name checks and the result tree they fill.
#include "designfiles/DesignFileNameCheck.h"

#include "designfiles/DesignFileNameRules.h"
#include "platform/Clock.h"
#include "platform/TextUtil.h"
#include "platform/ado/Recordset.h"
#include "services/CheckTree.h"
#include "services/Messages.h"

#include <cmath>
#include <deque>
#include <limits>

namespace {

const char* const kDisciplinesSql =
    "SELECT discipline_indx_no, discipline_name FROM pdtable_111 GROUP BY discipline_indx_no, discipline_name;";
const char* const kAreasSql = "SELECT discipline_indx_no, area_index_no, area_name, area_description FROM pdtable_112 "
                              "GROUP BY discipline_indx_no, area_index_no, area_name, area_description;";
const char* const kModelsSql =
    "SELECT discipline_indx_no, area_index_no, model_no, model_description, network_address, path_name, "
    "model_file_spec, model_type FROM pdtable_113 "
    "GROUP BY discipline_indx_no, area_index_no, model_no, model_description, network_address, path_name, "
    "model_file_spec, model_type;";
const char* const kDrawingsSql =
    "SELECT drawing_type, drawing_no, drawing_title, network_address, path_name, drawing_file_spec FROM pdtable_121 "
    "GROUP BY drawing_type, drawing_no, drawing_title, network_address, path_name, drawing_file_spec;";

Variant value(Recordset& rs, const char* column)
{
    return rs.Fields()[column].Value();
}

// The value as it goes into a key or text: digits of a number, a text as stored, Null empty.
std::string text(Recordset& rs, const char* column)
{
    return value(rs, column).ToText();
}

// The number as a 32-bit integer, failing as the conversion of the original does.
int32_t toInt32(const Variant& v)
{
    if (v.IsNull())
        throw AppError(94, kAppTitle, "Invalid use of Null");
    const std::optional<double> n = v.AsNumber();
    if (!n)
        throw AppError(13, kAppTitle, "Type mismatch");
    const double r = std::nearbyint(*n);
    if (r < std::numeric_limits<int32_t>::min() || r > std::numeric_limits<int32_t>::max())
        throw AppError(6, kAppTitle, "Overflow");
    return static_cast<int32_t>(r);
}

// Adds a node, leaving a present one as it is; false when the node is not there afterwards
// under this key because the addition failed for another reason.
void addNode(CheckTree& tree, const std::string& parent, const std::string& key, const std::string& nodeText)
{
    try {
        tree.Add(parent, key, nodeText);
    } catch (const AppError&) {
        // A present key keeps its node; a missing parent leaves the level out, and the
        // levels below fail in turn.
    }
}

std::string withDescription(const std::string& head, const std::string& description)
{
    return IsBlank(description) ? head : head + " - " + description;
}

std::string lookupName(const std::string& column, int32_t number, const char* nameColumn, Recordset& rs,
                       const char* unknown)
{
    try {
        if (rs.State() != adStateOpen)
            return unknown;
        if (rs.RecordCount() == 0)
            return unknown;
        rs.MoveFirst();
        if (!rs.Find(column + " = " + std::to_string(number)))
            return unknown;
        const std::string name = text(rs, nameColumn);
        return IsBlank(name) ? unknown : name;
    } catch (const AppError&) {
        return unknown;
    }
}

class Recordsets {
public:
    Recordset& add(Recordset rs)
    {
        sets_.push_back(std::move(rs));
        return sets_.back();
    }
    ~Recordsets()
    {
        for (Recordset& rs : sets_)
            if (rs.State() == adStateOpen)
                rs.Close();
    }

private:
    std::deque<Recordset> sets_;
};

} // namespace

AppError DesignFileNameCheck::Rethrown(const AppError& e, const std::string& ownName)
{
    const bool withSource = !e.source().empty() && e.source() != kAppTitle;
    return AppError(e.number(), ownName, withSource ? e.source() + ": " + e.description() : e.description());
}

std::string DesignFileNameCheck::GetDisciplineName(int32_t discipline, Recordset& disciplines)
{
    return lookupName("discipline_indx_no", discipline, "discipline_name", disciplines, "UNKNOWN_DISCIPLINE");
}

std::string DesignFileNameCheck::GetAreaName(int32_t area, Recordset& areas)
{
    return lookupName("area_index_no", area, "area_name", areas, "UNKNOWN_AREA");
}

void DesignFileNameCheck::AddModelNode(Recordset& disciplines, Recordset& areas, Recordset& models, const std::string& kind,
                                 const std::string& faultText)
{
    try {
        addNode(tree_, "", "Models", "Models");
        const std::string d = text(models, "discipline_indx_no");
        const std::string a = text(models, "area_index_no");
        const std::string m = text(models, "model_no");
        const std::string disciplineKey = "Discipline" + d;
        try {
            addNode(tree_, "Models", disciplineKey,
                    GetDisciplineName(toInt32(value(models, "discipline_indx_no")), disciplines));
        } catch (const AppError&) {
        }
        const std::string areaKey = disciplineKey + "Area" + a;
        try {
            const std::string name = GetAreaName(toInt32(value(models, "area_index_no")), areas);
            std::string description;
            if (areas.State() == adStateOpen && !areas.Eof() && !areas.BOF())
                description = text(areas, "area_description");
            addNode(tree_, disciplineKey, areaKey, withDescription(name, description));
        } catch (const AppError&) {
        }
        const std::string modelKey = disciplineKey + "Model" + m;
        addNode(tree_, areaKey, modelKey, withDescription(m, text(models, "model_description")));
        if (!IsBlank(kind) && !IsBlank(faultText))
            addNode(tree_, modelKey, modelKey + "Error" + kind, faultText);
    } catch (const AppError&) {
        // A row that cannot be read leaves its faults in the status line and log only.
    }
}

void DesignFileNameCheck::AddDrawingNode(Recordset& drawings, const std::string& kind, const std::string& faultText)
{
    try {
        addNode(tree_, "", "Drawings", "Drawings");
        const std::string t = text(drawings, "drawing_type");
        const std::string n = text(drawings, "drawing_no");
        const std::string typeKey = "DrawingType" + t;
        addNode(tree_, "Drawings", typeKey, t);
        const std::string drawingKey = typeKey + "Drawing" + n;
        addNode(tree_, typeKey, drawingKey, withDescription("Drawing" + n, text(drawings, "drawing_title")));
        if (!IsBlank(kind) && !IsBlank(faultText))
            addNode(tree_, drawingKey, drawingKey + "Error" + kind, faultText);
    } catch (const AppError&) {
    }
}

void DesignFileNameCheck::CheckModels(const std::string& project)
{
    try {
        Recordsets sets;
        const std::string schema = "pd_" + project;
        ShowStatus("Checking models from PDS-Project: '" + project + "' ...");
        ShowStatus("Reading disciplines ...");
        Recordset& disciplines = sets.add(tables_.read(schema, kDisciplinesSql));
        ShowStatus(std::to_string(disciplines.RecordCount()) + " disciplines found");
        ShowStatus("Reading areas ...");
        Recordset& areas = sets.add(tables_.read(schema, kAreasSql));
        ShowStatus(std::to_string(areas.RecordCount()) + " areas found");
        ShowStatus("Reading models ...");
        Recordset& models = sets.add(tables_.read(schema, kModelsSql));
        ShowStatus(std::to_string(models.RecordCount()) + " models found");
        auto fault = [&](const std::string& kind, const std::string& faultText) {
            AddModelNode(disciplines, areas, models, kind, faultText);
        };
        if (models.RecordCount() > 0) {
            for (models.MoveFirst(); !models.Eof(); models.MoveNext()) {
                bool checkable = true;
                const std::string m = text(models, "model_no");
                if (!value(models, "model_no").IsNull()) {
                    ShowStatus("Checking model: '" + m + "' ...");
                } else {
                    checkable = false;
                    ShowStatus("Checking model: model_no not defined ...");
                    fault("model_no", "'model_no' not defined");
                }
                for (const char* column : {"network_address", "path_name"})
                    if (value(models, column).IsNull()) {
                        checkable = false;
                        const std::string message = "'" + std::string(column) + "' not defined";
                        ShowStatus(message);
                        fault(column, message);
                    }
                const Variant spec = value(models, "model_file_spec");
                if (spec.IsNull()) {
                    ShowStatus("'model_file_spec' not defined");
                    fault("model_file_spec", "'model_file_spec' not defined");
                } else if (checkable) {
                    const std::string s = spec.ToText();
                    if (DesignFileNameRules::Matches(s, m)) {
                        ShowStatus("model_file_spec: '" + s + "' match model_no: '" + m + "'");
                    } else {
                        const std::string message = "model_file_spec: '" + s + "' NOT match model_no: '" + m + "'";
                        ShowStatus(message);
                        fault("NotMatch" + text(models, "model_type"), message);
                    }
                }
                DoEvents();
            }
        }
    } catch (const AppError& e) {
        throw Rethrown(e, "CheckModels");
    }
    ShowStatus("Models checked successfully");
}

void DesignFileNameCheck::CheckDrawings(const std::string& project)
{
    try {
        Recordsets sets;
        ShowStatus("Checking drawings from PDS-Project: '" + project + "' ...");
        ShowStatus("Reading drawings ...");
        Recordset& drawings = sets.add(tables_.read("pd_" + project, kDrawingsSql));
        ShowStatus(std::to_string(drawings.RecordCount()) + " drawings found");
        if (drawings.RecordCount() > 0) {
            for (drawings.MoveFirst(); !drawings.Eof(); drawings.MoveNext()) {
                bool checkable = true;
                const std::string n = text(drawings, "drawing_no");
                if (!value(drawings, "drawing_no").IsNull()) {
                    ShowStatus("Checking drawing: '" + n + "' ...");
                } else {
                    checkable = false;
                    ShowStatus("Checking drawing: drawing_no not defined ...");
                    AddDrawingNode(drawings, "drawing_no", "'drawing_no' not defined");
                }
                for (const char* column : {"network_address", "path_name"})
                    if (value(drawings, column).IsNull()) {
                        checkable = false;
                        const std::string message = "'" + std::string(column) + "' not defined";
                        ShowStatus(message);
                        AddDrawingNode(drawings, column, message);
                    }
                const Variant spec = value(drawings, "drawing_file_spec");
                if (spec.IsNull()) {
                    ShowStatus("'drawing_file_spec' not defined");
                    AddDrawingNode(drawings, "drawing_file_spec", "'drawing_file_spec' not defined");
                } else if (checkable) {
                    const std::string s = spec.ToText();
                    if (DesignFileNameRules::Matches(s, n)) {
                        ShowStatus("drawing_file_spec: '" + s + "' match drawing_no: '" + n + "'");
                    } else {
                        const std::string message = "drawing_file_spec: '" + s + "' NOT match drawing_no: '" + n + "'";
                        ShowStatus(message);
                        AddDrawingNode(drawings, "NotMatch" + s, message);
                    }
                }
                DoEvents();
            }
        }
    } catch (const AppError& e) {
        throw Rethrown(e, "CheckDrawings");
    }
    ShowStatus("Drawings checked successfully");
}
