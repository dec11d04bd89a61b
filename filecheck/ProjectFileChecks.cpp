// Area marker and project file checks.
#include "filecheck/ProjectFileChecks.h"

#include "dbaccess/CRIS.h"
#include "dbaccess/DbBase.h"
#include "dbaccess/WholeTableRead.h"
#include "dbaccess/ProjectData.h"
#include "filecheck/CheckQueries.h"
#include "filecheck/FileCheckText.h"
#include "filecheck/MissingEntries.h"
#include "filecheck/ReportSheet.h"
#include "filecheck/UpgradeCheckContext.h"
#include "platform/TextUtil.h"
#include "platform/ado/Recordset.h"
#include "services/FileOperation.h"
#include "services/Messages.h"

#include <optional>

void CheckAreaMarker(UpgradeCheckContext& ctx)
{
    std::optional<Recordset> disciplines, areas;
    try {
        ShowStatus("Checking area marker files ...");
        if (Worksheet* sheet = ctx.Sheet())
            WriteSectionStart(*sheet, TitlePlace::BelowUsedRows, "Missing area marker files",
                              {"Discipline", "Area", "Description"});
        ShowStatus("Reading disciplines ...");
        disciplines = DBReadWhole(*gCRIS, ctx.ProjectSchema(), checkqueries::kDisciplines, 3);
        ShowStatus(std::to_string(disciplines->RecordCount()) + " disciplines found");
        ShowStatus("Reading areas for interference checker ...");
        areas = DBReadWhole(*gCRIS, ctx.ProjectSchema(), checkqueries::kInterferenceAreas, 3);
        ShowStatus(std::to_string(areas->RecordCount()) + " areas found");
        if (areas->RecordCount() > 0) {
            const std::string projectDirectory = GetProjectDirectory(ctx.projectName);
            for (areas->MoveFirst(); !areas->Eof(); areas->MoveNext()) {
                if (FieldIsNull(*areas, "area_name")) {
                    ShowStatus("Checking area: area_name not defined ...");
                    AddMissingAreaMarker(ctx.tree, ctx.Sheet(), &*disciplines, *areas, "area_name",
                                         "'area_name' not defined");
                } else {
                    const std::string areaName = FieldText(*areas, "area_name");
                    ShowStatus("Checking area: '" + areaName + "' ...");
                    const std::string marker =
                        projectDirectory + areaName + "." + FieldText(*areas, "discipline_indx_no");
                    if (!CheckedFileExists(marker)) {
                        const std::string message = "Area marker file: '" + marker + "' not exists";
                        ShowStatus(message);
                        AddMissingAreaMarker(ctx.tree, ctx.Sheet(), &*disciplines, *areas, marker, message);
                    }
                }
                DoEvents();
            }
        }
        ShowStatus("Area marker files checked successfully");
    } catch (const AppError& e) {
        CloseRecordset(disciplines, false);
        CloseRecordset(areas, false);
        throw PassOn(e, "CheckAreaMarker");
    }
    CloseRecordset(disciplines, false);
    CloseRecordset(areas, false);
}

void CheckProjectFile(UpgradeCheckContext& ctx)
{
    std::optional<Recordset> rows;
    try {
        ShowStatus("Checking project file ...");
        if (Worksheet* sheet = ctx.Sheet())
            WriteSectionStart(*sheet, TitlePlace::BelowUsedRows, "Missing project file", {"Description"});
        rows = DBReadWhole(*gCRIS, ctx.ProjectSchema(), checkqueries::kProjectFile, 3);
        if (rows->RecordCount() == 0) {
            ShowStatus("Directory for project file not defined");
            AddMissingProjectFile(ctx.tree, ctx.Sheet(), "Directory", "Directory for project file not defined");
        } else {
            rows->MoveFirst();
            bool allDefined = true;
            for (const char* column : {"network_address", "path_name", "rdb_file_spec"}) {
                if (!FieldIsNull(*rows, column))
                    continue;
                allDefined = false;
                const std::string message = "'" + std::string(column) + "' not defined";
                ShowStatus(message);
                AddMissingProjectFile(ctx.tree, ctx.Sheet(), column, message);
            }
            if (allDefined) {
                std::string failure;
                std::string directory =
                    RowNetworkFolder(FieldText(*rows, "network_address"), FieldText(*rows, "path_name"), failure);
                if (directory.empty()) {
                    AddMissingProjectFile(ctx.tree, ctx.Sheet(), "LocalPath2UNC", failure);
                } else {
                    directory = ReplaceAll(directory, "/", "\\");
                    if (directory.back() != '\\')
                        directory += "\\";
                    const std::string file = directory + FieldText(*rows, "rdb_file_spec");
                    if (!CheckedFileExists(file)) {
                        const std::string message = "Project file: '" + file + "' not exists";
                        ShowStatus(message);
                        AddMissingProjectFile(ctx.tree, ctx.Sheet(), file, message);
                    }
                }
            }
        }
        ShowStatus("Project file checked successfully");
    } catch (const AppError& e) {
        CloseRecordset(rows, false);
        throw PassOn(e, "CheckProjectFile");
    }
    CloseRecordset(rows, false);
}
