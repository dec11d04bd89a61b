// The run of the column length change over one schema.
#include "dbtools/CharColumnAlter.h"

#include "dbaccess/CRIS.h"
#include "dbaccess/CRISWork.h"
#include "dbtools/CharColumnChange.h"
#include "dbtools/CharColumnDumpEdit.h"
#include "dbtools/CharColumnBackupCheck.h"
#include "dbtools/CharColumnReload.h"
#include "dbaccess/RISErrorReader.h"
#include "dbtools/SchemaChangeMark.h"
#include "dbaccess/SchemaDumpSummary.h"
#include "dbtools/TempRoom.h"
#include "platform/AppError.h"
#include "platform/Clock.h"
#include "platform/TextUtil.h"
#include "platform/WinPath.h"
#include "platform/ado/Recordset.h"
#include "services/AppGlobals.h"
#include "services/FileOperation.h"
#include "services/Messages.h"

#include <algorithm>
#include <memory>
#include <optional>

namespace {

constexpr const char* kSource = "CharColumnAlter::ProcessSchema";

// The system's name of the backup dump (the schema and the time its turn began); when a file of
// that name is there already (a run of the same second), the first free one with "_2", "_3", ...
// before ".dmp": the unload replaces the file it writes to, and another run's backup is never it.
std::string OwnBackupDumpFileName(const std::string& backupDir, const std::string& schema, const LocalTime& at)
{
    const std::string name = BackupDumpFileName(backupDir, schema, at);
    std::string own = name;
    for (int n = 2; IsFileExists(own, 0); ++n)
        own = name.substr(0, name.size() - 4) + "_" + std::to_string(n) + ".dmp";
    return own;
}

// Tells the mark the step about to begin, before anything of the schema is changed; one that
// cannot be written ends the schema's turn saying so.
void StepBeforeChange(SchemaChangeMark& mark, const std::string& schema, const std::string& step,
                      const RunMark::Fields& more = {})
{
    try {
        mark.Step(step, true, more);
    } catch (const AppError& e) {
        throw AppError(e.number(), kSource,
                       "The mark of schema " + schema + " could not be written before " + step + " (" +
                           e.description() + "): nothing of schema " + schema + " was changed");
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

std::string CharColumnAlter::What(const CharColumnRequest& request, const std::string& schema)
{
    return "the change of character column lengths of " + schema + " to " + std::to_string(request.newLength);
}

void CharColumnAlter::Run(const CharColumnRequest& request, std::string& notChanged)
{
    std::vector<std::unique_ptr<SchemaChangeMark>> marks;
    for (const std::string& schema : request.schemas) {
        auto mark = std::make_unique<SchemaChangeMark>(
            schema, What(request, schema), RunMark::Fields{{"schemas", Join(request.schemas, ", ")}});
        if (!mark->Refusal().empty())
            throw AppError(1, "cmdProcess_Click",
                           SchemaChangeMark::RefusedText(
                               "the change of character column lengths of " + Join(request.schemas, ", "),
                               mark->Refusal()));
        marks.push_back(std::move(mark));
    }
    for (size_t i = 0; i < request.schemas.size(); ++i) {
        const std::string failure = ProcessSchema(request, request.schemas[i], *marks[i]);
        if (!failure.empty())
            notChanged += "\r\n" + request.schemas[i] + ": " + failure;
        // The turn ended with the schema changed whole, or left as it was.
        marks[i]->Release();
    }
}

std::string CharColumnAlter::ProcessSchema(const CharColumnRequest& request, const std::string& schema,
                                           SchemaChangeMark& mark)
{
    ShowStatus("Processing schema " + schema + "...");
    CharColumnChange change(request.newLength);
    const std::string dump = OwnBackupDumpFileName(request.backupDir, schema, GetClock().Now());
    const std::string untouched = "nothing of schema " + schema + " was changed yet";
    // The mark names the backup by its place: a later program, started in another folder, looks
    // at that very file.
    StepBeforeChange(mark, schema, "the unload of the backup dump",
                     {{"backup", FullWinPath(dump)}, {"backup proven", "no"}, {"if cut off", untouched}});
    ShowStatus("Unloading data from schema: '" + schema + "' to dump file: '" + dump + "' ...");
    try {
        // A failed unload leaves no file under the dump's name.
        gCRIS->RISUnload(dump, schema, std::nullopt, std::nullopt, "", CRIS::kVariableLayout, true,
                         UnloadExtras::ViewsIndexesGrants);
    } catch (const AppError& e) {
        // Without a backup nothing is changed; but the columns were not looked at either, so
        // "nothing need to be changed" would not be true.
        const std::string why = e.description().empty() ? std::string("unknown error") : RISErrorLine(e.description());
        ShowStatus("Unload data from schema: '" + schema + "' to dump file: '" + dump + "' failed: " + why);
        return why;
    }
    ShowStatus("Unloaded data from schema: '" + schema + "' to dump file: '" + dump + "' successfully");
    StepBeforeChange(mark, schema, "the reading of the column definitions");
    for (const std::string& table : gCRIS->DBGetTables(schema, false)) {
        if (table.empty())
            continue;
        ShowStatus("Getting column defination from table " + table + "...");
        Recordset rs = gCRIS->DBRead(schema, "SELECT * FROM " + table + " WHERE 1=0;", 3);
        for (const FieldInfo& f : rs.FieldInfos())
            if (IsAffectedCharField(f.name, f.type, f.definedSize, request.searchText, request.newLength))
                change.Add(table, f.name, f.definedSize - 1);
    }
    if (change.empty()) {
        ShowStatus("Nothing need to be changed for schema " + schema);
        return {};
    }
    const std::string unchanged = " - nothing was dropped, schema " + schema + " is unchanged";

    // The backup is the only way back: before anything is dropped it must be whole and hold
    // every table with the rows the server counts. One that is not is no backup: it is set aside.
    StepBeforeChange(mark, schema, "the check of the backup dump");
    ShowStatus("Checking dump file '" + dump + "' against schema " + schema + "...");
    std::vector<std::string> differences;
    try {
        differences = BackupDumpDifferences(dump, schema, gCRIS->DBGetTables(schema, true));
    } catch (const AppError& e) {
        // A check that could not run found nothing wrong: the dump keeps its name.
        throw AppError(e.number(), kSource,
                       "The backup dump '" + dump + "' could not be checked against the schema: " +
                           RISErrorLine(e.description()) + "; whether it holds the schema as it is is not known, "
                           "and it stays under its name" + unchanged);
    }
    if (!differences.empty()) {
        const std::string why = "the backup dump '" + dump + "' does not hold the schema as it is (" +
                                Join(differences, "; ") + "); " + SetAsideRefusedBackup(dump);
        ShowStatus("Schema " + schema + " left unchanged: " + why);
        return why;
    }

    StepBeforeChange(mark, schema, "the edit of the dump",
                     {{"backup proven", "yes"}, {"if cut off", untouched + ", its backup dump '" + dump + "' is whole"}});
    ShowStatus(change.StatusText());
    ShowStatus("Find & Replace in file...");
    // Every file the reload and its restore need is written before the first drop: the edited
    // dump, the restore dump, and room for the copies the loads make of them.
    WorkFiles work;
    CharColumnReloadPlan plan;
    plan.schema = schema;
    plan.tables = change.tables();
    plan.backupDump = dump;
    plan.editedDump = work.add(gTempDir + GetOwnedTempName());
    plan.restoreDump = work.add(gTempDir + GetOwnedTempName());
    try {
        CharColumnDumpEdit::Apply(dump, plan.editedDump, plan.restoreDump, change, &plan.expectedNew, &plan.expectedOld);
    } catch (const AppError& e) {
        throw AppError(e.number(), kSource, e.description() + unchanged);
    }
    plan.tempFolder = gCRIS->GetTempDir();
    plan.workFiles = &work;
    plan.mark = &mark;
    // The reload copies its dump, and the comparison after it unloads the tables and keeps a
    // copy; so do the restore and its comparison with the restore dump, one after the other
    // (the load's copy is gone before the unload begins). The restore's room stays held until
    // the restore begins. The drops before the reload run their clients beside both, and their
    // answers need room too: one client output's share of the reload's room is given back for
    // them, whose files are gone again before the load.
    TempRoom reloadRoom, restoreRoom, dropRoom;
    const uint64_t reloadBytes = 2 * (CharColumnDumpBytes(plan.editedDump) + kCharColumnClientOutputRoom);
    const uint64_t restoreBytes = 2 * CharColumnDumpBytes(plan.restoreDump) + kCharColumnClientOutputRoom;
    const uint64_t copies = reloadBytes + restoreBytes;
    try {
        reloadRoom.Hold(plan.tempFolder, reloadBytes - kCharColumnClientOutputRoom);
        dropRoom.Hold(plan.tempFolder, kCharColumnClientOutputRoom);
        restoreRoom.Hold(plan.tempFolder, restoreBytes);
    } catch (const AppError& e) {
        dropRoom.Release();
        reloadRoom.Release();
        restoreRoom.Release();
        throw AppError(e.number(), kSource,
                       "The temporary folder '" + plan.tempFolder + "' has no room for the " + std::to_string(copies) +
                           " bytes the reload of the changed tables and its restore need: " + e.description() +
                           unchanged);
    }
    dropRoom.Release();
    ReloadChangedTables(plan, {reloadRoom, restoreRoom});
    return {};
}
