// The run of the column length change over one schema.
#include "dbtools/CharColumnAlter.h"

#include "dbaccess/CRIS.h"
#include "dbtools/CharColumnChange.h"
#include "dbtools/CharColumnDumpEdit.h"
#include "dbtools/SchemaDumpSummary.h"
#include "platform/AppError.h"
#include "platform/Clock.h"
#include "platform/TextUtil.h"
#include "platform/ado/Recordset.h"
#include "services/AppGlobals.h"
#include "services/FileOperation.h"
#include "services/Messages.h"

#include <algorithm>
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

// The schema as it stands, from an unload into a temporary dump.
SchemaDumpSummary SchemaNow(const std::string& schema)
{
    TempCopy check{gTempDir + GetTempName()};
    gCRIS->RISUnload(check.path, schema, std::nullopt, std::nullopt, "", 0, true, true);
    return SchemaDumpSummary::Read(check.path);
}

// After any failure that came once a table was dropped: the tables the run dropped (or tried
// to), or every table of the dump once the reload began, loaded again from the backup dump and
// compared with it. The error says which tables are as they were and which are not.
AppError RestoreFromBackup(const AppError& failure, const std::string& schema, const std::string& dump,
                           const SchemaDumpSummary& backup, const OptionalNames& dropped)
{
    const AppError passed = PassOn(failure, kSource);
    const std::vector<std::string>& tables = dropped ? *dropped : backup.tables();
    std::string text = passed.description();
    ShowStatus("Restoring tables of schema " + schema + " from " + dump + "...");
    try {
        gCRIS->RISLoad(dump, dropped, 0, schema, "", 25);
    } catch (const AppError& e) {
        text += " - restoring from '" + dump + "' failed: " + e.description();
    }
    std::vector<std::string> restored, lost;
    try {
        const std::vector<std::string> faults = backup.Differences(SchemaNow(schema), &tables);
        for (const std::string& table : tables) {
            const bool differs = std::any_of(faults.begin(), faults.end(),
                                             [&](const std::string& f) { return f.rfind(table + " ", 0) == 0; });
            (differs ? lost : restored).push_back(table);
        }
        if (!faults.empty())
            ShowStatus("Schema " + schema + " after the restore: " + Join(faults, ", "));
    } catch (const AppError& e) {
        // Loaded, but whether they are whole again is not known.
        text += " - tables loaded again from '" + dump + "' but not compared with it (" + e.description() +
                "): " + Join(tables, ", ");
        ShowStatus(text);
        return AppError(passed.number(), passed.source(), text);
    }
    text += " - tables restored from '" + dump + "': " + (restored.empty() ? "none" : Join(restored, ", "));
    if (!lost.empty())
        text += "; tables not restored: " + Join(lost, ", ");
    ShowStatus(text);
    return AppError(passed.number(), passed.source(), text);
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

std::string CharColumnAlter::ProcessSchema(const CharColumnRequest& request, const std::string& schema)
{
    ShowStatus("Processing schema " + schema + "...");
    CharColumnChange change(request.newLength);
    const std::string dump = BackupDumpFileName(request.backupDir, schema, GetClock().Now());
    ShowStatus("Unloading data from schema: '" + schema + "' to dump file: '" + dump + "' ...");
    std::string unloadFailure;
    try {
        gCRIS->RISUnload(dump, schema, std::nullopt, std::nullopt, "", 0, true, true);
    } catch (const AppError& e) {
        unloadFailure = e.description().empty() ? std::string("unknown error") : e.description();
    }
    if (unloadFailure.empty()) {
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
        // Without a backup nothing is changed; but the columns were not looked at either, so
        // "nothing need to be changed" would not be true.
        ShowStatus("Unload data from schema: '" + schema + "' to dump file: '" + dump + "' failed: " + unloadFailure);
        return unloadFailure;
    }
    if (change.empty()) {
        ShowStatus("Nothing need to be changed for schema " + schema);
        return {};
    }
    ShowStatus(change.StatusText());
    ShowStatus("Find & Replace in file...");
    TempCopy copy{gTempDir + GetTempName()};
    SchemaDumpSummary backup;
    try {
        // The edited copy is complete, and every row fits its new length, before any table is dropped.
        CharColumnDumpEdit::Apply(dump, copy.path, change, &backup);
    } catch (const AppError& e) {
        throw PassOn(e, kSource);
    }
    // What a failure leaves to restore: the tables dropped so far (the one refused included),
    // and every table of the dump once the reload began, which drops and creates each table it
    // reaches.
    std::vector<std::string> dropped;
    bool reloadBegun = false;
    try {
        for (const std::string& table : change.tables()) {
            const std::string sql = "DROP TABLE " + table + ";";
            ShowStatus(sql);
            dropped.push_back(table);
            gCRIS->DBWrite(schema, sql);
        }
        ShowStatus("Loading schema " + schema + " from " + copy.path + "...");
        reloadBegun = true;
        std::optional<AppError> loadFailure;
        try {
            gCRIS->RISLoad(copy.path, std::nullopt, 0, "", "", 25);
        } catch (const AppError& e) {
            loadFailure = e;
        }
        // A load can end without an error and still lack tables or rows; after a failed one the
        // comparison says what it left behind.
        std::vector<std::string> faults;
        try {
            faults = backup.Differences(SchemaNow(schema));
        } catch (const AppError&) {
            if (!loadFailure)
                throw;
        }
        if (loadFailure)
            throw AppError(loadFailure->number(), loadFailure->source(),
                           loadFailure->description() +
                               (faults.empty() ? std::string() : " - after the reload: " + Join(faults, ", ")));
        if (!faults.empty())
            throw AppError(1, "", "Schema '" + schema + "' differs from its backup dump after the reload: " +
                                      Join(faults, ", "));
    } catch (const AppError& e) {
        throw RestoreFromBackup(e, schema, dump, backup, reloadBegun ? std::nullopt : OptionalNames(dropped));
    }
    return {};
}
