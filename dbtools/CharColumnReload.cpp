// Drop, reload, comparison and restore of the changed tables of one schema.
#include "dbtools/CharColumnReload.h"

#include "dbaccess/CRIS.h"
#include "dbaccess/CRISWork.h"
#include "dbtools/CharColumnViews.h"
#include "dbaccess/RowCountAnswer.h"
#include "dbtools/RisFailureText.h"
#include "dbtools/TempRoom.h"
#include "platform/AppError.h"
#include "platform/TextUtil.h"
#include "services/AppGlobals.h"
#include "services/ChangeOutcome.h"
#include "services/FileOperation.h"
#include "services/Messages.h"

#include <algorithm>
#include <optional>

namespace {

constexpr const char* kSource = "CharColumnAlter::ProcessSchema";

// Those of the tables the server lists in the schema now.
std::vector<std::string> TablesThere(const std::string& schema, const std::vector<std::string>& tables)
{
    const std::vector<std::string> present = gCRIS->DBGetTables(schema, true);
    std::vector<std::string> there;
    for (const std::string& t : tables)
        if (ContainsNoCase(present, t))
            there.push_back(t);
    return there;
}

// The tables as they stand in the schema now, unloaded into a work file; a table the schema
// lacks is missing from the result (the unload is asked only for those the server lists).
SchemaDumpSummary TablesNow(const std::string& schema, const std::vector<std::string>& tables)
{
    const std::vector<std::string> there = TablesThere(schema, tables);
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
    return gCRIS->RISCountRows(schema, TablesThere(schema, tables));
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

// How the rows the server counts compare with what the dump summary says the tables must hold:
// Done when alike, NotDone when every table is missing, NotKnown otherwise (the faults are
// what was seen).
ChangeState CompareCounts(const RowCounts& now, const std::vector<std::string>& tables,
                          const SchemaDumpSummary& expected, std::string& seen)
{
    std::vector<std::string> faults;
    size_t missing = 0;
    for (const std::string& table : tables)
        for (const std::string& fault : RestoreFaults(expected, now, table)) {
            faults.push_back(table + " " + fault);
            missing += fault == "missing" ? 1 : 0;
        }
    if (faults.empty()) {
        seen = "the tables hold the dump's rows";
        return ChangeState::Done;
    }
    seen = Join(faults, "; ");
    return missing == tables.size() ? ChangeState::NotDone : ChangeState::NotKnown;
}

// Which of the tables are gone from the schema after a DROP whose client failed: Done when
// every one is, NotDone when none is. A listing that cannot be read raises (the change-and-look
// way then counts the drop as not known, and a restore is tried for the table rather than
// taking it for whole).
ChangeState DroppedTables(const std::string& schema, const std::vector<std::string>& tables, std::string& seen)
{
    const std::vector<std::string> present = gCRIS->DBGetTables(schema, true);
    std::vector<std::string> gone, still;
    for (const std::string& t : tables)
        (ContainsNoCase(present, t) ? still : gone).push_back(t);
    if (!gone.empty())
        seen = Join(gone, ", ") + (gone.size() == 1 ? " is" : " are") + " gone from schema " + schema;
    if (!still.empty())
        seen += (seen.empty() ? "" : ", ") + Join(still, ", ") + (still.size() == 1 ? " is" : " are") +
                " still in schema " + schema;
    return still.empty() ? ChangeState::Done : gone.empty() ? ChangeState::NotDone : ChangeState::NotKnown;
}

// How the tables as read compare with what the dump summary says they must hold: Done when
// alike, NotDone when every one is missing, NotKnown otherwise (the faults are what was seen).
ChangeState CompareTables(const SchemaDumpSummary& now, const std::vector<std::string>& tables,
                          const SchemaDumpSummary& expected, std::string& seen)
{
    const std::vector<std::string> faults = expected.TablesDifferences(now, tables);
    if (faults.empty()) {
        seen = "the tables hold what the dump holds";
        return ChangeState::Done;
    }
    seen = Join(faults, "; ");
    const bool allMissing = std::all_of(faults.begin(), faults.end(), [](const std::string& f) {
        return f.size() > 8 && f.compare(f.size() - 8, 8, " missing") == 0;
    });
    return allMissing && faults.size() == tables.size() ? ChangeState::NotDone : ChangeState::NotKnown;
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

// A client's failure in one line, with the full temporary folder named as its cause when it is
// full (a load, or a read that needs work files there).
std::string ClientFailure(const std::string& folder, const AppError& e)
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

// A load of a dump into the schema: "" when its client ended well, else its failure in one line
// (a full temporary folder named as its cause).
std::string LoadDump(const CharColumnReloadPlan& plan, const std::string& dump, const std::vector<std::string>& tables)
{
    try {
        gCRIS->RISLoad(dump, tables, 0, "", "", 25);
    } catch (const AppError& e) {
        return ClientFailure(plan.tempFolder, e);
    }
    return {};
}

// Loads the dropped tables again from the restore dump, compares them with the backup, creates
// again the views lost with them, and raises the error that tells the user what happened, table
// by table.
[[noreturn]] void RestoreAndRaise(const CharColumnReloadPlan& plan, const std::string& cause,
                                  const std::vector<std::string>& dropped, TempRoom& restoreRoom)
{
    std::string text = cause;
    ShowStatus(cause);
    restoreRoom.Release();
    // Whether the tables are back is told by the server's counts, which need no room in the
    // temporary folder.
    std::optional<RowCounts> now;
    std::string readFailure;
    // The restore is the way back: also a load that ended well is read again and compared.
    auto readBack = [&](std::string& seen) {
        try {
            now = RowCountsNow(plan.schema, dropped);
        } catch (const AppError& e) {
            now.reset();
            readFailure = ClientFailure(plan.tempFolder, e);
            throw AppError(e.number(), e.source(), readFailure);
        }
        return CompareCounts(*now, dropped, plan.expectedOld, seen);
    };
    if (!dropped.empty()) {
        ShowStatus("Restoring tables " + Join(dropped, ", ") + " of schema " + plan.schema + " from " +
                   plan.backupDump + "...");
        ChangeOutcome restore =
            ChangeAndLook([&] { return LoadDump(plan, plan.restoreDump, dropped); }, readBack);
        if (!restore.CallFailed()) {
            try {
                readBack(restore.seen);
            } catch (const AppError&) {
                // readFailure says why; the tables are then told as not known to be back.
            }
        } else {
            text += "\r\n" + restore.Describe("the load of the dropped tables from the backup");
        }
    }
    std::vector<std::string> restored, lost, unknown, untouched;
    for (const std::string& table : plan.tables) {
        if (!ContainsNoCase(dropped, table)) {
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
    if (!restored.empty())
        text += "\r\nDropped and restored as they were from '" + plan.backupDump + "': " + Join(restored, ", ");
    const std::string keptDump = lost.empty() && unknown.empty() ? std::string() : KeepRestoreDump(plan);
    const std::string keptIn = "their rows are kept in '" + keptDump + "' (only these tables) and in '" +
                               plan.backupDump + "'";
    if (!lost.empty())
        text += "\r\nDropped and NOT restored, " + keptIn + ": " + Join(lost, ", ");
    if (!unknown.empty())
        text += "\r\nDropped, and not known to be back (the schema could not be read: " + readFailure + "), " +
                keptIn + ": " + Join(unknown, ", ");
    if (!untouched.empty())
        text += "\r\nNot dropped, left as they were: " + Join(untouched, ", ");
    if (!dropped.empty())
        for (const std::string& line : RecreateLostViews(plan.schema, plan.expectedOld, plan.backupDump).lines)
            text += "\r\n" + line;
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
        const ChangeOutcome drop = ChangeAndLook(
            [&] {
                try {
                    gCRIS->DBWrite(plan.schema, sql);
                } catch (const AppError& e) {
                    return RisFailureLine(e.description());
                }
                return std::string();
            },
            [&](std::string& seen) { return DroppedTables(plan.schema, {table}, seen); });
        const std::string what = "the drop of table " + table + " of schema " + plan.schema;
        if (drop.Done()) {
            if (drop.CallFailed())
                ShowStatus(drop.Describe(what));
            continue;
        }
        rooms.reload.Release();
        // A drop not known to be done counts as done: the restore is tried rather than the
        // table taken for whole.
        std::vector<std::string> dropped = tried;
        if (drop.state == ChangeState::NotDone)
            dropped.pop_back();
        RestoreAndRaise(plan, drop.Describe(what), dropped, rooms.restore);
    }
    rooms.reload.Release();
    ShowStatus("Loading schema " + plan.schema + " from " + plan.editedDump + "...");
    const std::string what = "the load of the changed tables of schema " + plan.schema;
    auto compareNew = [&](std::string& seen) {
        SchemaDumpSummary now;
        try {
            now = TablesNow(plan.schema, plan.tables);
        } catch (const AppError& e) {
            throw AppError(e.number(), e.source(), ClientFailure(plan.tempFolder, e));
        }
        return CompareTables(now, plan.tables, plan.expectedNew, seen);
    };
    const ChangeOutcome load = ChangeAndLook([&] { return LoadDump(plan, plan.editedDump, plan.tables); }, compareNew);
    std::string cause;
    if (load.CallFailed()) {
        if (!load.Done())
            cause = load.Describe(what);
        else
            ShowStatus(load.Describe(what));
    } else {
        // A load that ended well may still have left something out: the tables are compared.
        try {
            std::string seen;
            if (compareNew(seen) != ChangeState::Done)
                cause = "After the reload the changed tables of schema " + plan.schema +
                        " differ from the backup dump: " + seen;
        } catch (const AppError& e) {
            cause = "The reloaded tables of schema " + plan.schema + " could not be compared with the backup dump: " +
                    e.description();
        }
    }
    if (!cause.empty())
        RestoreAndRaise(plan, cause, plan.tables, rooms.restore);
    const ViewsAfterReload views = RecreateLostViews(plan.schema, plan.expectedNew, plan.backupDump);
    if (!views.allBack)
        throw AppError(1, kSource,
                       "The changed tables of schema " + plan.schema + " were loaded with their new lengths, but not "
                       "every view of the schema is back:\r\n" + Join(views.lines, "\r\n"));
}
