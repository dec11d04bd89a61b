// Drop, reload, comparison and restore of the changed tables of one schema.
#include "dbtools/CharColumnReload.h"

#include "dbaccess/CRIS.h"
#include "dbaccess/CRISWork.h"
#include "dbaccess/RowCountAnswer.h"
#include "dbtools/RisFailureText.h"
#include "dbtools/TempRoom.h"
#include "platform/AppError.h"
#include "platform/TextUtil.h"
#include "services/AppGlobals.h"
#include "services/FileOperation.h"
#include "services/Messages.h"

#include <algorithm>
#include <optional>

namespace {

constexpr const char* kSource = "CharColumnAlter::ProcessSchema";

bool Contains(const std::vector<std::string>& list, const std::string& name)
{
    return std::any_of(list.begin(), list.end(), [&](const std::string& s) { return EqualsNoCase(s, name); });
}

// The tables as they stand in the schema now, unloaded into a work file; a table the schema
// lacks is missing from the result (the unload is asked only for those the server lists).
SchemaDumpSummary TablesNow(const std::string& schema, const std::vector<std::string>& tables)
{
    const std::vector<std::string> present = gCRIS->DBGetTables(schema, true);
    std::vector<std::string> there;
    for (const std::string& t : tables)
        if (Contains(present, t))
            there.push_back(t);
    if (there.empty())
        return {};
    WorkFiles work;
    const std::string dump = work.add(gTempDir + GetTempName());
    gCRIS->RISUnload(dump, schema, there, std::nullopt, "", 0, true, UnloadExtras::ViewsIndexesGrants);
    return SchemaDumpSummary::Read(dump);
}

// The row count of each of the tables the schema holds now, all asked of the server in one
// run: nothing is unloaded, so it needs no room in the temporary folder. A table the schema
// lacks is missing from the result.
RowCounts RowCountsNow(const std::string& schema, const std::vector<std::string>& tables)
{
    const std::vector<std::string> present = gCRIS->DBGetTables(schema, true);
    std::vector<std::string> there;
    for (const std::string& t : tables)
        if (Contains(present, t))
            there.push_back(t);
    return gCRIS->RISCountRows(schema, there);
}

// Whether a restored table is back: "missing", or "holds 1 of 3 rows" against the dump it was
// loaded from; empty when it holds every row.
std::vector<std::string> RestoreFaults(const SchemaDumpSummary& expected, const RowCounts& now, const std::string& table)
{
    const auto it = now.find(table);
    if (it == now.end())
        return {"missing"};
    const uint64_t want = static_cast<uint64_t>(std::max(expected.Rows(table), 0LL));
    if (it->second == want)
        return {};
    return {"holds " + std::to_string(it->second) + " of " + std::to_string(want) + " rows"};
}

// Which of the tables the run tried to drop are gone: after a refused or failed DROP the
// server is asked; when it cannot tell, each tried table counts as dropped, so a restore is
// tried for it rather than taking it for whole.
std::vector<std::string> DroppedTables(const std::string& schema, const std::vector<std::string>& tried,
                                       bool lastFailed)
{
    if (!lastFailed)
        return tried;
    try {
        const std::vector<std::string> present = gCRIS->DBGetTables(schema, true);
        std::vector<std::string> gone;
        for (const std::string& t : tried)
            if (!Contains(present, t))
                gone.push_back(t);
        return gone;
    } catch (const AppError& e) {
        ShowStatus("The tables of schema " + schema + " could not be listed after the failed drop: " + e.description());
        return tried;
    }
}

// Whether the temporary folder has no room left: a small file is tried there. A load that
// failed while it was full failed for that, whatever its client's exit code says.
bool TempFolderFull(const std::string& folder)
{
    try {
        TempRoom probe;
        probe.Hold(folder, 64 * 1024);
        return false;
    } catch (const AppError&) {
        return true;
    }
}

// The load's failure, with the full temporary folder named as its cause when it is full.
std::string LoadFailure(const std::string& folder, const AppError& e)
{
    const std::string what = RisFailureLine(e.description());
    if (!folder.empty() && TempFolderFull(folder))
        return "the temporary folder '" + folder + "' is full (" + what + ")";
    return what;
}

// The restore dump of the tables left dropped, kept where the user finds it: copied beside
// the backup dump, else left in the temporary folder. Returns its name.
std::string KeepRestoreDump(const CharColumnReloadPlan& plan)
{
    std::string kept = plan.backupDump;
    if (kept.size() > 4 && EqualsNoCase(kept.substr(kept.size() - 4), ".dmp"))
        kept.resize(kept.size() - 4);
    kept += "_dropped_tables.dmp";
    if (!IsFileExists(kept, 0) && CopyFileA(plan.restoreDump, kept) && IsFileExists(kept, 0))
        return kept;
    if (plan.workFiles)
        plan.workFiles->keep(plan.restoreDump);
    return plan.restoreDump;
}

// Loads the dropped tables again from the restore dump, compares them with the backup and
// raises the error that tells the user what happened, table by table.
[[noreturn]] void RestoreAndRaise(const CharColumnReloadPlan& plan, const std::string& cause,
                                  const std::vector<std::string>& dropped, TempRoom& restoreRoom)
{
    std::string text = cause;
    ShowStatus(cause);
    std::string restoreFailure;
    restoreRoom.Release();
    if (!dropped.empty()) {
        ShowStatus("Restoring tables " + Join(dropped, ", ") + " of schema " + plan.schema + " from " +
                   plan.backupDump + "...");
        try {
            gCRIS->RISLoad(plan.restoreDump, dropped, 0, "", "", 25);
        } catch (const AppError& e) {
            restoreFailure = LoadFailure(plan.tempFolder, e);
        }
    }
    // The restore loads the backup's own text of the tables: whether they are back is told by
    // the server's counts, which need no room in the temporary folder.
    std::optional<RowCounts> now;
    std::string compareFailure;
    if (!dropped.empty()) {
        try {
            now = RowCountsNow(plan.schema, dropped);
        } catch (const AppError& e) {
            compareFailure = RisFailureLine(e.description());
        }
    }
    std::vector<std::string> restored, lost, unknown, untouched;
    for (const std::string& table : plan.tables) {
        if (!Contains(dropped, table)) {
            untouched.push_back(table);
            continue;
        }
        if (!now) {
            unknown.push_back(table);
            continue;
        }
        const std::vector<std::string> faults = RestoreFaults(plan.expectedOld, *now, table);
        if (faults.empty())
            restored.push_back(table);
        else
            lost.push_back(table + " (" + Join(faults, ", ") + ")");
    }
    if (!restoreFailure.empty())
        text += "\r\nLoading the dropped tables again from the backup failed: " + restoreFailure;
    if (!restored.empty())
        text += "\r\nDropped and restored as they were from '" + plan.backupDump + "': " + Join(restored, ", ");
    const std::string keptDump = lost.empty() && unknown.empty() ? std::string() : KeepRestoreDump(plan);
    const std::string keptIn = "their rows are kept in '" + keptDump + "' (only these tables) and in '" +
                               plan.backupDump + "'";
    if (!lost.empty())
        text += "\r\nDropped and NOT restored, " + keptIn + ": " + Join(lost, ", ");
    if (!unknown.empty())
        text += "\r\nDropped, and not known to be back (the schema could not be read: " + compareFailure + "), " +
                keptIn + ": " + Join(unknown, ", ");
    if (!untouched.empty())
        text += "\r\nNot dropped, left as they were: " + Join(untouched, ", ");
    text += "\r\nNo other table of schema " + plan.schema + " was dropped or loaded.";
    ShowStatus(text);
    throw AppError(1, kSource, text);
}

} // namespace

void ReloadChangedTables(const CharColumnReloadPlan& plan, ReloadRooms rooms)
{
    std::vector<std::string> tried;
    for (const std::string& table : plan.tables) {
        const std::string sql = "DROP TABLE " + table + ";";
        ShowStatus(sql);
        tried.push_back(table);
        try {
            gCRIS->DBWrite(plan.schema, sql);
        } catch (const AppError& e) {
            rooms.reload.Release();
            RestoreAndRaise(plan,
                            "Dropping table " + table + " of schema " + plan.schema + " failed: " +
                                RisFailureLine(e.description()),
                            DroppedTables(plan.schema, tried, true), rooms.restore);
        }
    }
    rooms.reload.Release();
    ShowStatus("Loading schema " + plan.schema + " from " + plan.editedDump + "...");
    std::string cause;
    try {
        gCRIS->RISLoad(plan.editedDump, plan.tables, 0, "", "", 25);
    } catch (const AppError& e) {
        cause = "Loading the changed tables of schema " + plan.schema + " failed: " + LoadFailure(plan.tempFolder, e);
    }
    if (cause.empty()) {
        try {
            const std::vector<std::string> faults = plan.expectedNew.Differences(TablesNow(plan.schema, plan.tables),
                                                                                 &plan.tables);
            if (!faults.empty())
                cause = "After the reload the changed tables of schema " + plan.schema +
                        " differ from the backup dump: " + Join(faults, "; ");
        } catch (const AppError& e) {
            cause = "The reloaded tables of schema " + plan.schema + " could not be compared with the backup dump: " +
                    RisFailureLine(e.description());
        }
    }
    if (!cause.empty())
        RestoreAndRaise(plan, cause, plan.tables, rooms.restore);
}
