// Drop, reload, comparison and restore of the changed tables of one schema.
#include "dbtools/CharColumnReload.h"

#include "dbaccess/CRIS.h"
#include "dbaccess/CRISWork.h"
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

// Loads the dropped tables again from the restore dump, compares them with the backup and
// raises the error that tells the user what happened, table by table.
[[noreturn]] void RestoreAndRaise(const CharColumnReloadPlan& plan, const std::string& cause,
                                  const std::vector<std::string>& dropped)
{
    std::string text = cause;
    ShowStatus(cause);
    std::string restoreFailure;
    if (!dropped.empty()) {
        ShowStatus("Restoring tables " + Join(dropped, ", ") + " of schema " + plan.schema + " from " +
                   plan.backupDump + "...");
        try {
            gCRIS->RISLoad(plan.restoreDump, dropped, 0, "", "", 25);
        } catch (const AppError& e) {
            restoreFailure = e.description();
        }
    }
    std::optional<SchemaDumpSummary> now;
    std::string compareFailure;
    if (!dropped.empty()) {
        try {
            now = TablesNow(plan.schema, dropped);
        } catch (const AppError& e) {
            compareFailure = e.description();
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
        const std::vector<std::string> faults = plan.expectedOld.TableDifferences(*now, table);
        if (faults.empty())
            restored.push_back(table);
        else
            lost.push_back(table + " (" + Join(faults, ", ") + ")");
    }
    if (!restoreFailure.empty())
        text += "\r\nLoading the dropped tables again from the backup failed: " + restoreFailure;
    if (!restored.empty())
        text += "\r\nDropped and restored as they were from '" + plan.backupDump + "': " + Join(restored, ", ");
    if (!lost.empty())
        text += "\r\nDropped and NOT restored, their rows are kept in '" + plan.backupDump + "': " + Join(lost, ", ");
    if (!unknown.empty())
        text += "\r\nDropped, and not known to be back (the schema could not be read: " + compareFailure +
                "), their rows are kept in '" + plan.backupDump + "': " + Join(unknown, ", ");
    if (!untouched.empty())
        text += "\r\nNot dropped, left as they were: " + Join(untouched, ", ");
    text += "\r\nNo other table of schema " + plan.schema + " was dropped or loaded.";
    ShowStatus(text);
    throw AppError(1, kSource, text);
}

} // namespace

void ReloadChangedTables(const CharColumnReloadPlan& plan, TempRoom& room)
{
    std::vector<std::string> tried;
    for (const std::string& table : plan.tables) {
        const std::string sql = "DROP TABLE " + table + ";";
        ShowStatus(sql);
        tried.push_back(table);
        try {
            gCRIS->DBWrite(plan.schema, sql);
        } catch (const AppError& e) {
            room.Release();
            RestoreAndRaise(plan, "Dropping table " + table + " of schema " + plan.schema + " failed: " + e.description(),
                            DroppedTables(plan.schema, tried, true));
        }
    }
    room.Release();
    ShowStatus("Loading schema " + plan.schema + " from " + plan.editedDump + "...");
    std::string cause;
    try {
        gCRIS->RISLoad(plan.editedDump, plan.tables, 0, "", "", 25);
    } catch (const AppError& e) {
        cause = "Loading the changed tables of schema " + plan.schema + " failed: " + e.description();
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
                    e.description();
        }
    }
    if (!cause.empty())
        RestoreAndRaise(plan, cause, plan.tables);
}
