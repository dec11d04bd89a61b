// The run of the column length change over one schema.
#include "dbtools/CharColumnAlter.h"

#include "dbaccess/CRIS.h"
#include "dbtools/CharColumnChange.h"
#include "dbtools/CharColumnDumpEdit.h"
#include "platform/AppError.h"
#include "platform/Clock.h"
#include "platform/TextUtil.h"
#include "platform/ado/Recordset.h"
#include "services/AppGlobals.h"
#include "services/FileOperation.h"
#include "services/Messages.h"

#include <optional>

namespace {

constexpr const char* kSource = "CharColumnAlter::ProcessSchema";

// Deletes the temporary copy on every way out.
struct TempCopy {
    std::string path;
    ~TempCopy()
    {
        if (!path.empty())
            DeleteFileA(path);
    }
};

// After a drop or the reload failed: the changed tables as they were, from the backup.
AppError RestoreChangedTables(const AppError& failure, const std::string& schema, const std::string& dump,
                              const std::vector<std::string>& tables)
{
    const AppError passed = PassOn(failure, kSource);
    try {
        ShowStatus("Restoring tables of schema " + schema + " from " + dump + "...");
        gCRIS->RISLoad(dump, tables, 0, schema, "", 25);
        return AppError(passed.number(), passed.source(),
                        passed.description() + " - the changed tables were restored from '" + dump + "'");
    } catch (const AppError& e) {
        return AppError(passed.number(), passed.source(),
                        passed.description() + " - restoring the changed tables from '" + dump +
                            "' failed: " + e.description());
    }
}

} // namespace

CharColumnRequest CharColumnAlter::Validate(const std::string& columnText, const std::string& lengthText,
                                            const std::string& backupDir, const std::vector<std::string>& schemas)
{
    if (columnText.empty())
        RaiseError("cmdProcess_Click", "Please define string for searching column name");
    CharColumnRequest r;
    r.searchText = ToLower(columnText);
    r.newLength = ParseLengthText(lengthText);
    if (r.newLength < 1)
        RaiseError("cmdProcess_Click", "Please give a correct column length.");
    if (backupDir.empty())
        RaiseError("cmdProcess_Click", "Please choose a backup directory for dump files");
    if (!IsFileExists(backupDir, 1))
        RaiseError("cmdProcess_Click", "Backup directory '" + backupDir + "' does not exist.");
    if (schemas.empty())
        RaiseError("cmdProcess_Click", "No schema selected.");
    r.backupDir = backupDir;
    r.schemas = schemas;
    return r;
}

std::string CharColumnAlter::Question(const CharColumnRequest& request)
{
    return "Are you sure that you want process the selected schemas (" + Join(request.schemas, ", ") +
           ") (column: " + request.searchText + ", length=" + std::to_string(request.newLength) + ")?";
}

void CharColumnAlter::ProcessSchema(const CharColumnRequest& request, const std::string& schema)
{
    ShowStatus("Processing schema " + schema + "...");
    CharColumnChange change(request.newLength);
    const std::string dump = BackupDumpFileName(request.backupDir, schema, GetClock().Now());
    ShowStatus("Unloading data from schema: '" + schema + "' to dump file: '" + dump + "' ...");
    bool unloaded = true;
    try {
        gCRIS->RISUnload(dump, schema, std::nullopt, std::nullopt, "", 0, true, true);
    } catch (const AppError&) {
        unloaded = false;
    }
    if (unloaded) {
        ShowStatus("Unloaded data from schema: '" + schema + "' to dump file: '" + dump + "' successfully");
        for (const std::string& table : gCRIS->DBGetTables(schema, false)) {
            if (table.empty())
                continue;
            ShowStatus("Getting column defination from table " + table + "...");
            Recordset rs = gCRIS->DBRead(schema, "SELECT * FROM " + table + " WHERE 1=0;", 3);
            for (const FieldInfo& f : rs.FieldInfos())
                if (IsAffectedCharField(f.name, f.type, f.definedSize, request.searchText, request.newLength))
                    change.Add(table, f.name, f.definedSize - 1);
        }
    } else {
        ShowStatus("Unload data from schema: '" + schema + "' to dump file: '" + dump + "' failed");
    }
    if (change.empty()) {
        ShowStatus("Nothing need to be changed for schema " + schema);
        return;
    }
    ShowStatus(change.StatusText());
    ShowStatus("Find & Replace in file...");
    TempCopy copy{gTempDir + GetTempName()};
    try {
        // The edited copy is complete, and every row fits its new length, before any table is dropped.
        CharColumnDumpEdit::Apply(dump, copy.path, change);
    } catch (const AppError& e) {
        throw PassOn(e, kSource);
    }
    bool dropping = false;
    try {
        for (const std::string& table : change.tables()) {
            const std::string sql = "DROP TABLE " + table + ";";
            ShowStatus(sql);
            dropping = true;
            gCRIS->DBWrite(schema, sql);
        }
        ShowStatus("Loading schema " + schema + " from " + copy.path + "...");
        gCRIS->RISLoad(copy.path, std::nullopt, 0, "", "", 25);
    } catch (const AppError& e) {
        if (!dropping)
            throw PassOn(e, kSource);
        throw RestoreChangedTables(e, schema, dump, change.tables());
    }
}
