// The drawing and library file checks: one walk, two tables of texts.
#include "filecheck/DrawingLibraryCheck.h"

#include "dbaccess/CRIS.h"
#include "dbaccess/DbBase.h"
#include "dbaccess/WholeTableRead.h"
#include "filecheck/AlternativeFiles.h"
#include "filecheck/CheckQueries.h"
#include "filecheck/FileCheckText.h"
#include "filecheck/MissingEntries.h"
#include "filecheck/ReportSheet.h"
#include "filecheck/UpgradeCheckContext.h"
#include "platform/ado/Recordset.h"
#include "services/FileOperation.h"
#include "services/Messages.h"

#include <optional>
#include <vector>

namespace {

struct TableCheck {
    const char* ownName;
    const char* openingStatus;
    const char* title;
    std::vector<std::string> headers;
    const char* query;
    const char* readingStatus; // nullptr: none
    const char* countText;
    const char* rowStatus;
    const char* keyColumn;
    const char* fileColumn;
    const char* fileText;
    const char* closingStatus;
    bool drawings;
};

const TableCheck kDrawings{
    "CheckDrawings",
    "Checking drawings from PDS-Project: '",
    "Missing drawing files",
    {"Drawing Type", "Drawing", "Description", "Alternative files"},
    checkqueries::kDrawings,
    "Reading drawings ...",
    " drawings found",
    "Checking drawing: '",
    "drawing_no",
    "drawing_file_spec",
    "Drawing file: '",
    "Drawings checked successfully",
    true};

const TableCheck kLibraries{
    "CheckLibraries",
    "Checking library files from PDS-Project: '",
    "Missing library files",
    {"Approval status", "Type of RDB data", "Description"},
    checkqueries::kLibraries,
    nullptr,
    " libraries found",
    "Checking library: '",
    "type_of_rdb_data",
    "rdb_file_spec",
    "Library file: '",
    "Library files checked successfully",
    false};

class RowCheck {
public:
    RowCheck(const TableCheck& table, UpgradeCheckContext& ctx, const FileListing& listing, Recordset& rows)
        : table_(table), ctx_(ctx), listing_(listing), rows_(rows)
    {
    }

    void Run()
    {
        bool allDefined = true;
        const std::string key = table_.keyColumn;
        if (!FieldBlank(rows_, key)) {
            ShowStatus(table_.rowStatus + FieldText(rows_, key) + "' ...");
        } else {
            allDefined = false;
            ShowStatus(std::string(table_.rowStatus).substr(0, std::string(table_.rowStatus).size() - 1) + key +
                       " not defined ...");
            Entry(key, "'" + key + "' not defined", false);
        }
        allDefined = Defined("network_address") && allDefined;
        allDefined = Defined("path_name") && allDefined;
        if (!Defined(table_.fileColumn) || !allDefined)
            return;

        const std::string server = FieldText(rows_, "network_address");
        const std::string path = FieldText(rows_, "path_name");
        const std::string fileName = FieldText(rows_, table_.fileColumn);
        std::string failure;
        const std::string directory = RowNetworkFolder(server, path, failure);
        if (directory.empty()) {
            Entry("LocalPath2UNC", failure, false);
            return;
        }
        const std::string full = directory + fileName;
        if (CheckedFileExists(full)) {
            ShowStatus(table_.fileText + full + "' found");
            return;
        }
        ShowStatus(table_.fileText + full + "' not exists");
        const std::vector<AlternativeFile> alternatives = FindMissingFiles(listing_, fileName);
        for (const AlternativeFile& alternative : alternatives) {
            ctx_.NoteMissingFile(Entry(alternative.path, AlternativeDescription(alternative), true),
                                 {server, path, fileName});
            DoEventsBetweenRows();
        }
        if (alternatives.empty())
            ctx_.NoteMissingFile(Entry("FILE_NOT_FOUND" + fileName, "File not found (network_address: '" + server +
                                                                        "'; path_name: '" + path + "'; " +
                                                                        table_.fileColumn + ": '" + fileName + "')",
                                       true),
                                 {server, path, fileName});
    }

private:
    // The key of a drawing entry's node (only drawings are restored), else empty.
    std::string Entry(const std::string& entry, const std::string& description, bool fileEntry)
    {
        if (table_.drawings)
            return AddMissingDrawing(ctx_.tree, ctx_.Sheet(), rows_, entry, description, fileEntry);
        AddMissingLibrary(ctx_.tree, ctx_.Sheet(), rows_, entry, description, fileEntry);
        return {};
    }

    bool Defined(const std::string& column)
    {
        if (!FieldBlank(rows_, column))
            return true;
        const std::string message = "'" + column + "' not defined";
        ShowStatus(message);
        Entry(column, message, false);
        return false;
    }

    const TableCheck& table_;
    UpgradeCheckContext& ctx_;
    const FileListing& listing_;
    Recordset& rows_;
};

void RunTableCheck(const TableCheck& table, UpgradeCheckContext& ctx, const FileListing& listing)
{
    std::optional<Recordset> rows;
    try {
        ShowStatus(table.openingStatus + ctx.projectName + "' ...");
        if (Worksheet* sheet = ctx.Sheet())
            WriteSectionStart(*sheet, TitlePlace::BelowUsedRows, table.title, table.headers);
        if (table.readingStatus)
            ShowStatus(table.readingStatus);
        rows = DBReadWhole(*gCRIS, ctx.ProjectSchema(), table.query, 3);
        ShowStatus(std::to_string(rows->RecordCount()) + table.countText);
        if (rows->RecordCount() > 0) {
            RowCheck check(table, ctx, listing, *rows);
            for (rows->MoveFirst(); !rows->Eof(); rows->MoveNext()) {
                check.Run();
                DoEventsBetweenRows();
            }
        }
    } catch (const AppError& e) {
        CloseRecordset(rows, false);
        throw PassOnAsDescription(e, table.ownName);
    }
    CloseRecordset(rows, false);
    ShowStatus(table.closingStatus);
}

} // namespace

void CheckDrawings(UpgradeCheckContext& ctx, const FileListing& listing)
{
    RunTableCheck(kDrawings, ctx, listing);
}

void CheckLibraries(UpgradeCheckContext& ctx, const FileListing& listing)
{
    RunTableCheck(kLibraries, ctx, listing);
}
