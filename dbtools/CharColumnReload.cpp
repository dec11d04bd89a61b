// Drop, reload, comparison and restore of the changed tables of one schema.
#include "dbtools/CharColumnReload.h"

#include "dbaccess/CRIS.h"
#include "dbaccess/CRISWork.h"
#include "dbtools/CharColumnViews.h"
#include "dbaccess/RowCountAnswer.h"
#include "dbaccess/RISErrorReader.h"
#include "dbtools/SchemaChangeMark.h"
#include "dbtools/TempRoom.h"
#include "platform/AppError.h"
#include "platform/HostFiles.h"
#include "platform/RunMark.h"
#include "platform/TextUtil.h"
#include "platform/WinPath.h"
#include "services/AppGlobals.h"
#include "services/ChangeOutcome.h"
#include "services/FileOperation.h"
#include "services/Messages.h"

#include <algorithm>
#include <optional>

uint64_t CharColumnDumpBytes(const std::string& path)
{
    try {
        return static_cast<uint64_t>(std::max(HostFileSize(path), 0LL));
    } catch (const AppError&) {
        return 0;
    }
}

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
    const std::string dump = work.add(gTempDir + GetOwnedTempName());
    gCRIS->RISUnload(dump, schema, there, std::nullopt, "", CRIS::kVariableLayout, true,
                     UnloadExtras::ViewsIndexesGrants);
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
// NotDone when every table is missing, else NotKnown: equal counts cannot tell a table whose
// values, types or grants differ (the faults, or that the counts agree, are what was seen).
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
    seen = faults.empty() ? "the tables hold as many rows as the dump, their values not compared" : Join(faults, "; ");
    return !faults.empty() && missing == tables.size() ? ChangeState::NotDone : ChangeState::NotKnown;
}

// Which of the tables are gone from the schema after a DROP, whatever its client said: Done
// when every one is, NotDone when none is. A listing that cannot be read raises (the
// change-and-look way then counts the drop as not known, and a restore is tried for the table
// rather than taking it for whole).
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

// A client's failure in one line, with the full temporary folder named as its cause when it
// has no room now for what the client had to write there (`needed` bytes: a load's copy of its
// dump and the client's output). Once a failed load has ended its copy is gone again, so a
// folder that was full during the load can have a little room afterwards.
std::string ClientFailure(const std::string& folder, const AppError& e, uint64_t needed = kCharColumnClientOutputRoom)
{
    const std::string what = RISErrorLine(e.description());
    if (!folder.empty() && !TempRoom::Fits(folder, needed))
        return "the temporary folder '" + folder + "' is full (" + what + ")";
    return what;
}

// What a client writes into the temporary folder for a dump: its copy and the client's output.
// A dump that cannot be measured is asked no more room than the output's.
uint64_t RoomFor(const std::string& dump)
{
    return CharColumnDumpBytes(dump) + kCharColumnClientOutputRoom;
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

// Tells the schema's mark the step about to begin: "" when the mark says it, else why it could
// not be written (the mark then still says the step before, and the schema not whole).
std::string MarkStep(const CharColumnReloadPlan& plan, const std::string& step, bool wholeIfCutOff,
                     const RunMark::Fields& more = {})
{
    try {
        if (plan.mark)
            plan.mark->Step(step, wholeIfCutOff, more);
    } catch (const AppError& e) {
        return e.description().empty() ? std::string("unknown error") : e.description();
    }
    return {};
}

// That the mark could not be written before a step; what stands of it is said once the change
// has ended (MarkAtTheEnd), by the mark the next change finds.
std::string MarkNotWritten(const CharColumnReloadPlan& plan, const std::string& step, const std::string& why)
{
    return "The mark of schema " + plan.schema + " could not be written before " + step + " (" + why +
           ") in the marks folder '" + WinPathFromHost(RunMark::Folder()) + "'";
}

// What stands of the schema's mark once a failed change has ended, as the next change finds it.
// restored: every dropped table was found back as it was.
std::string MarkAtTheEnd(const CharColumnReloadPlan& plan, bool restored)
{
    const std::string left = SchemaChangeMark::LeftUnfinished(plan.schema);
    if (left.empty())
        return restored ? "Schema " + plan.schema + " is back as it was before the change, and no mark of it is left: "
                          "no later change of it is refused."
                        : "No mark of schema " + plan.schema + " is left: no later change of it is refused.";
    if (!restored)
        return "Schema " + plan.schema + " stays marked as not whole: every later change of it is refused until a "
               "load of the schema (of '" + plan.backupDump + "') brings it back.";
    return "Schema " + plan.schema + " is back as it was before the change, but its mark in the marks folder '" +
           WinPathFromHost(RunMark::Folder()) + "' could not be taken out and says: " + left +
           ". Every later change of it is refused until a load of the schema, or until that mark is removed.";
}

// A load of a dump into the schema: "" when its client ended well, else its failure in one line
// (a full temporary folder named as its cause).
std::string LoadDump(const CharColumnReloadPlan& plan, const std::string& dump, const std::vector<std::string>& tables)
{
    try {
        gCRIS->RISLoad(dump, tables, 0, "", "", 25);
    } catch (const AppError& e) {
        return ClientFailure(plan.tempFolder, e, RoomFor(dump));
    }
    return {};
}

// What the look after the restore read of the dropped tables: the tables unloaded whole, or,
// when they could not be unloaded, only the server's counts; why not, when neither.
struct RestoreRead {
    std::optional<SchemaDumpSummary> whole;
    std::optional<RowCounts> counts;
    std::string wholeFailure; // why the tables could not be unloaded
    std::string countFailure; // why they could not be counted either
};

// Loads the dropped tables again from the restore dump, compares them whole with the backup,
// creates again the views lost with them, and raises the error that tells the user what
// happened, table by table.
[[noreturn]] void RestoreAndRaise(const CharColumnReloadPlan& plan, const std::string& cause,
                                  const std::vector<std::string>& dropped, TempRoom& restoreRoom)
{
    std::string text = cause;
    ShowStatus(cause);
    // The restore runs whatever the mark's write did: the dropped tables come first.
    const std::string restoreStep = "the restore of the dropped tables";
    std::string unmarked = MarkStep(plan, restoreStep, false, {{"dropped", Join(dropped, ", ")}});
    if (!unmarked.empty())
        unmarked = MarkNotWritten(plan, restoreStep, unmarked);
    restoreRoom.Release();
    // The restore is the last way back: whatever its client said, the tables are unloaded again
    // and compared with the backup as the reload is. Only when they cannot be unloaded (a full
    // temporary folder) are their rows counted by the server, which needs no room there; counts
    // alone never call a table restored as it was.
    RestoreRead read;
    auto readBack = [&](std::string& seen) {
        read = RestoreRead{};
        try {
            read.whole = TablesNow(plan.schema, dropped);
            return CompareTables(*read.whole, dropped, plan.expectedOld, seen);
        } catch (const AppError& e) {
            read.whole.reset();
            read.wholeFailure = ClientFailure(plan.tempFolder, e, RoomFor(plan.restoreDump));
        }
        try {
            read.counts = RowCountsNow(plan.schema, dropped);
        } catch (const AppError& e) {
            read.countFailure = ClientFailure(plan.tempFolder, e);
            throw AppError(e.number(), e.source(), read.countFailure);
        }
        return CompareCounts(*read.counts, dropped, plan.expectedOld, seen);
    };
    if (!dropped.empty()) {
        ShowStatus("Restoring tables " + Join(dropped, ", ") + " of schema " + plan.schema + " from " +
                   plan.backupDump + "...");
        const ChangeOutcome restore =
            ChangeAndLook([&] { return LoadDump(plan, plan.restoreDump, dropped); }, readBack, LookAfter::EveryCall);
        if (restore.CallFailed())
            text += "\r\n" + restore.Describe("the load of the dropped tables from the backup");
    }
    std::vector<std::string> restored, otherwise, lost, counted, unknown, untouched;
    for (const std::string& table : plan.tables) {
        if (!ContainsNoCase(dropped, table)) {
            untouched.push_back(table);
            continue;
        }
        std::vector<std::string> faults;
        if (read.whole)
            faults = plan.expectedOld.TableDifferences(*read.whole, table);
        else if (read.counts)
            faults = RestoreFaults(plan.expectedOld, *read.counts, table);
        else {
            unknown.push_back(table);
            continue;
        }
        const std::string named = table + " (" + Join(faults, ", ") + ")";
        if (faults.empty())
            (read.whole ? restored : counted).push_back(table);
        else if (faults == std::vector<std::string>{"missing"})
            lost.push_back(named);
        else
            otherwise.push_back(named);
    }
    if (!restored.empty())
        text += "\r\nDropped and restored as they were from '" + plan.backupDump + "': " + Join(restored, ", ");
    const bool keep = !otherwise.empty() || !lost.empty() || !counted.empty() || !unknown.empty();
    const std::string keptDump = keep ? KeepRestoreDump(plan) : std::string();
    const std::string keptIn = "kept in '" + keptDump + "' (only these tables) and in '" + plan.backupDump + "'";
    if (!otherwise.empty())
        text += "\r\nDropped and restored from '" + plan.backupDump + "', but NOT as they were (as they were, they "
                "are " + keptIn + "): " + Join(otherwise, ", ");
    if (!lost.empty())
        text += "\r\nDropped and NOT restored, their rows are " + keptIn + ": " + Join(lost, ", ");
    if (!counted.empty())
        text += "\r\nDropped and restored with as many rows as the backup holds, but not known to be as they were "
                "(they could not be unloaded to compare them: " + read.wholeFailure + "), their rows are " + keptIn +
                ": " + Join(counted, ", ");
    if (!unknown.empty())
        text += "\r\nDropped, and not known to be back (the schema could not be read: " + read.countFailure +
                "), their rows are " + keptIn + ": " + Join(unknown, ", ");
    if (!untouched.empty())
        text += "\r\nNot dropped, left as they were: " + Join(untouched, ", ");
    // Tables not back as they were keep the schema's mark standing: no later change takes the
    // schema for whole, and the message of the one refused says where the rows are.
    if (keep && plan.mark) {
        std::vector<std::string> notBack = lost;
        notBack.insert(notBack.end(), otherwise.begin(), otherwise.end());
        notBack.insert(notBack.end(), counted.begin(), counted.end());
        notBack.insert(notBack.end(), unknown.begin(), unknown.end());
        plan.mark->LeaveStanding("the dropped tables " + Join(notBack, ", ") + " are not known to be back as they "
                                 "were, their rows are " + keptIn);
    } else if (unmarked.empty()) {
        const std::string viewsStep = "the re-creation of the views lost with the dropped tables";
        const std::string why = MarkStep(plan, viewsStep, true, {{"if cut off", "the dropped tables are back as they were"}});
        if (!why.empty())
            unmarked = MarkNotWritten(plan, viewsStep, why);
    }
    if (!dropped.empty())
        for (const std::string& line : RecreateLostViews(plan.schema, plan.expectedOld, plan.backupDump).lines)
            text += "\r\n" + line;
    text += "\r\nNo other table of schema " + plan.schema + " was dropped or loaded.";
    if (!unmarked.empty())
        text += "\r\n" + unmarked + ".";
    if (plan.mark) {
        // The dropped tables were seen back as they were: the mark goes now, whatever its writes
        // after the drops did, and the message says what the next change finds.
        if (!keep)
            plan.mark->Release();
        text += "\r\n" + MarkAtTheEnd(plan, !keep);
    }
    ShowStatus(text);
    throw AppError(1, kSource, text);
}

} // namespace

void ReloadChangedTables(const CharColumnReloadPlan& plan, ReloadRooms rooms)
{
    const std::string dropStep = "the drop of the changed tables";
    if (const std::string why = MarkStep(plan, dropStep, false, {{"tables", Join(plan.tables, ", ")}}); !why.empty())
        throw AppError(1, kSource, MarkNotWritten(plan, dropStep, why) + ": nothing was dropped, schema " +
                                       plan.schema + " is unchanged");
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
                    return RISErrorLine(e.description());
                }
                return std::string();
            },
            [&](std::string& seen) { return DroppedTables(plan.schema, {table}, seen); }, LookAfter::EveryCall);
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
    const std::string loadStep = "the load of the changed tables";
    if (const std::string why = MarkStep(plan, loadStep, false); !why.empty()) {
        rooms.reload.Release();
        RestoreAndRaise(plan, MarkNotWritten(plan, loadStep, why) + "; the changed tables were dropped and are not "
                                  "loaded with their new lengths",
                        plan.tables, rooms.restore);
    }
    rooms.reload.Release();
    ShowStatus("Loading schema " + plan.schema + " from " + plan.editedDump + "...");
    const std::string what = "the load of the changed tables of schema " + plan.schema;
    // A load may leave something out and still end well: the tables are compared after every
    // load, whatever its client said.
    std::string compareFailure;
    auto compareNew = [&](std::string& seen) {
        SchemaDumpSummary now;
        try {
            now = TablesNow(plan.schema, plan.tables);
        } catch (const AppError& e) {
            compareFailure = ClientFailure(plan.tempFolder, e, RoomFor(plan.editedDump));
            throw AppError(e.number(), e.source(), compareFailure);
        }
        return CompareTables(now, plan.tables, plan.expectedNew, seen);
    };
    const ChangeOutcome load = ChangeAndLook([&] { return LoadDump(plan, plan.editedDump, plan.tables); }, compareNew,
                                             LookAfter::EveryCall);
    std::string cause;
    if (load.CallFailed() && load.Done())
        ShowStatus(load.Describe(what));
    else if (load.CallFailed())
        cause = load.Describe(what);
    else if (!compareFailure.empty())
        cause = "The reloaded tables of schema " + plan.schema + " could not be compared with the backup dump: " +
                compareFailure;
    else if (!load.Done())
        cause = "After the reload the changed tables of schema " + plan.schema + " differ from the backup dump: " +
                load.seen;
    if (!cause.empty())
        RestoreAndRaise(plan, cause, plan.tables, rooms.restore);
    const std::string viewsStep = "the re-creation of the views lost with the dropped tables";
    const std::string unmarked =
        MarkStep(plan, viewsStep, true, {{"if cut off", "the changed tables stand with their new lengths"}});
    if (!unmarked.empty())
        ShowStatus(MarkNotWritten(plan, viewsStep, unmarked) + "; the changed tables stand with their new lengths, "
                   "and the mark goes when the change ends.");
    const ViewsAfterReload views = RecreateLostViews(plan.schema, plan.expectedNew, plan.backupDump);
    if (!views.allBack)
        throw AppError(1, kSource,
                       "The changed tables of schema " + plan.schema + " were loaded with their new lengths, but not "
                       "every view of the schema is back:\r\n" + Join(views.lines, "\r\n"));
}
