// Dump unload and load of the main window and of "/risunloadall".
#include "admin/DumpCommands.h"

#include "admin/AdminGlobals.h"
#include "admin/DumpCommandLines.h"
#include "admin/LoggedRun.h"
#include "admin/OldDumpKept.h"
#include "admin/ProjectSchemaRules.h"
#include "admin/StandingState.h"
#include "admin/Startup.h"
#include "dbaccess/CRIS.h"
#include "dbaccess/DumpSchemaLine.h"
#include "dbaccess/DumpTargetGuard.h"
#include "dbaccess/DumpWholeCheck.h"
#include "dbaccess/LoadMarks.h"
#include "dbaccess/RisClientWarnings.h"
#include "dbtools/SchemaChangeMark.h"
#include "platform/AppError.h"
#include "platform/Clock.h"
#include "platform/EscKey.h"
#include "platform/FileAttributes.h"
#include "platform/HostFiles.h"
#include "platform/OwnedLeftovers.h"
#include "platform/ReplacementFile.h"
#include "platform/RunMark.h"
#include "platform/WinPath.h"
#include "platform/TextUtil.h"
#include "services/AppGlobals.h"
#include "services/BatchLauncher.h"
#include "services/ChangeOutcome.h"
#include "services/FileOperation.h"
#include "services/Messages.h"
#include "services/Tokens.h"

namespace {

void requireFile(const std::string& file, const std::string& ownName)
{
    if (IsBlank(file))
        RaiseError(ownName, "Dump file not given");
}

// Puts the new dump in the old dump's place by a rename, its bytes neither read nor written
// again (copied only when the dump is a link to a file on another file system). A dump that is
// a symbolic link keeps being one: the file it names is replaced. A read-only or locked old
// dump, or a folder of the dump's name, is refused and stays as it was, said in words.
// beforePlacing runs once the new dump is ready to take the place, before it does; what it
// throws leaves the old dump as it was.
void replaceDump(const std::string& fresh, const std::string& dump, const std::function<void()>& beforePlacing)
{
    if (HostFolderExists(dump))
        throw AppError(kErrFileExists, "", "a folder of that name stands there");
    if (IsReadOnlyFile(dump))
        throw AppError(kErrPermissionDenied, "", "it is read-only");
    if (IsFileLocked(dump))
        throw AppError(kErrPermissionDenied, "", "it is in use by another program");
    ReplacementFile out(dump);
    out.Adopt(HostPath(fresh));
    beforePlacing();
    out.Commit();
}

// Mends a dump a dead run cut in its in-place rewrite. Its old content written back is said on
// the status line; one that waits beside it (its run still at work, or not to be written back
// now) is a failure that names both files.
void mendCutRewrite(const std::string& dump, const std::function<void(const std::string&)>& noteWaiting)
{
    for (const CutRewrite& cut : MendInterruptedReplacement(dump)) {
        if (cut.waiting)
            noteWaiting(cut.said);
        else
            ShowStatus(cut.said);
    }
}

// What stands of the dump file after an unload that did not replace it.
std::string keptText(const std::string& dump)
{
    return IsFileExists(dump) ? "the dump '" + dump + "' stays as it was" : "no dump '" + dump + "' written";
}

// Why no new dump of the schema may take the place of the file at dump now, or empty: a file that
// is no dump of the schema, a change of the schema under way in a program (the schema may be
// half changed), or a load that runs from the dump, was cut off or was not found whole (the dump
// may be all there is of rows the schema lacks).
std::string placeRefusal(const std::string& schema, const std::string& dump)
{
    if (std::string refusal = DumpTargetRefusal(dump, schema); !refusal.empty())
        return refusal;
    const std::string kept = keptText(dump);
    const RunMark::Seen running = RunMark::Look("schema " + ToLower(schema));
    if (running.state == RunMark::State::Held)
        return "not unloaded, " + kept + ": " + RunMark::RunningText(running.fields) + " is under way on that schema";
    if (const std::string load = LoadMarks::KeptFor(dump); !load.empty())
        return "not unloaded, " + kept + ": " + load;
    // A change its program left unfinished may have left the schema in part: its dump is better.
    if (const std::string left = SchemaChangeMark::LeftUnfinished(schema); !left.empty())
        return "not unloaded, " + kept + ": " + left;
    return {};
}

std::vector<std::string> namesNotIn(const std::vector<std::string>& names, const std::vector<std::string>& in)
{
    std::vector<std::string> missing;
    for (const std::string& name : names)
        if (!ContainsNoCase(in, name))
            missing.push_back(name);
    return missing;
}

std::string tablesWord(const std::vector<std::string>& tables)
{
    return std::string(tables.size() > 1 ? "tables " : "table ") + Join(tables, ", ");
}

// A question of the server made to check the new dump; its failure says what it was for.
template <typename F>
auto askForCheck(const std::string& what, F ask)
{
    try {
        return ask();
    } catch (const AppError& e) {
        throw AppError(e.number(), e.source(), what + " to check the new dump (" + e.description() + ")");
    }
}

// Why the new dump (whole in form, of this schema) must not replace the old dump for what it
// holds, or empty. The schema's tables are taken from two sources that share no client, the
// unload client's listing and the dictionary (risbatch), since a listing whole in form may
// leave out a table the dump leaves out too; the server's counts show a table short of rows.
// A table the old dump holds that both sources no longer list (dropped) is no refusal: it goes
// into `gone`, and the old dump is kept whole beside the new one.
std::string dumpShortfall(const std::string& schema, const std::vector<DumpTableCount>& dumped,
                          const std::string& dump, std::vector<std::string>& gone)
{
    gone.clear();
    const std::vector<std::string> listed =
        askForCheck("the tables of the schema could not be listed", [&] { return gCRIS->DBGetTables(schema, true); });
    const std::vector<std::string> known = askForCheck("the dictionary could not be asked for the schema's tables",
                                                       [&] { return gCRIS->RISDictionaryTables(schema); });
    std::vector<std::string> tables = listed;
    for (const std::string& t : namesNotIn(known, listed))
        tables.push_back(t);
    if (const std::vector<std::string> missing = TablesNotInDump(tables, dumped); !missing.empty()) {
        const std::vector<std::string> unlisted = namesNotIn(missing, listed);
        return "the new dump lacks " + tablesWord(missing) + " of the schema" +
               (unlisted.empty() ? std::string()
                                 : " (the dictionary lists " + tablesWord(unlisted) +
                                       ", the unload client's listing of the schema leaves " +
                                       (unlisted.size() > 1 ? "them" : "it") + " out)");
    }
    if (IsFileExists(dump) && !IsSpecialFile(dump)) {
        const DumpWholeness old = CheckDumpWhole(dump);
        std::vector<std::string> oldTables;
        for (const DumpTableCount& t : old.tables)
            oldTables.push_back(t.table);
        // A table of the old dump that the new one lacks is one neither source lists: any
        // other would have been found missing above.
        if (EqualsNoCase(old.schema, schema))
            gone = TablesNotInDump(oldTables, dumped);
    }
    // Blocks closed in good form may still lack rows: the server's counts show it.
    const std::string shortOf = RowCountDifferences(
        dumped, askForCheck("the rows of the schema could not be counted",
                            [&] { return gCRIS->RISCountRows(schema, tables); }));
    if (!shortOf.empty())
        return "the new dump does not hold the schema's rows (" + shortOf + ")";
    return {};
}


} // namespace

void DumpCommands::requireDumpDir(const std::string& ownName)
{
    if (IsBlank(gDumpDir))
        RaiseError(ownName, "No folder for the RIS dump files given");
}

std::string DumpCommands::dumpFolder(const std::string& ownName)
{
    requireDumpDir(ownName);
    return DumpFolderInFull(gDumpDir, ownName);
}

void DumpCommands::wait(double seconds)
{
    if (pause)
        pause(seconds);
    else
        Pause(static_cast<float>(seconds));
}

void DumpCommands::noteFailure(const std::string& text)
{
    report_.NoteFailure(text);
    ShowStatus("Failed: " + text);
}

void DumpCommands::RISUnload(const std::string& params)
{
    const std::string dump = DumpParamToken(params, 2);
    bool placed = false;
    try {
        placed = unloadTo(DumpParamToken(params, 1), dump);
    } catch (const AppError& e) {
        throw PassOn(e, "RISUnload");
    }
    // A script goes on with the dump it names: it must not go on with an old one unawares.
    if (!placed)
        RaiseError("RISUnload", report_.LastError());
}

void DumpCommands::edrisdmp(const std::string& params)
{
    try {
        rewriteFirstLine(DumpParamToken(params, 1));
    } catch (const AppError& e) {
        throw PassOn(e, "edrisdmp");
    }
}

void DumpCommands::RISLoad(const std::string& params)
{
    const int errorsBefore = report_.ErrorCount();
    try {
        loadFrom(DumpParamToken(params, 1));
    } catch (const AppError& e) {
        throw PassOn(e, "RISLoad");
    }
    // A script must not go on to its next steps as if the schema held the dump's data.
    if (report_.ErrorCount() > errorsBefore)
        RaiseError("RISLoad", report_.LastError());
}

bool DumpCommands::unloadTo(const std::string& schema, const std::string& dump)
{
    requireFile(dump, "RISUnload");
    CheckIdentifier(schema, "Schema", "RISUnload");
    // The client writes a file of its own in the dump folder. It takes the old dump's place
    // only when the client reported no error and the file reads as a whole dump of this
    // schema holding every table of the schema, and with its first line already rewritten:
    // the dump is the old one or the new one, never a cut file or one between the two.
    RemoveOrphanedLeftovers(dump, kNewDumpSuffix);
    // The stand-in client writes "<fresh>.<its id>.part" first: when it died together with the
    // run that started it, no later run of its own would ever name that file again.
    RemoveOrphanedLeftoverParts(dump, kNewDumpSuffix, ".part");
    // A hard-linked dump that a killed run was rewriting in place is made the old one again.
    mendCutRewrite(dump, [this](const std::string& text) { noteFailure(text); });
    // The part of an old dump's copy that a killed run left beside it is no copy.
    OldDumpKept::RemoveLeftCopies(dump);
    const std::string fresh = OwnedLeftoverName(dump, kNewDumpSuffix);
    const std::string what = "risunlod " + schema;
    if (IsSpecialFile(dump)) {
        noteFailure(what + ": '" + dump + "' is not a regular file (a FIFO or a device), nothing unloaded");
        return false;
    }
    const std::string kept = keptText(dump);
    if (const std::string refusal = placeRefusal(schema, dump); !refusal.empty()) {
        noteFailure(what + ": " + refusal);
        return false;
    }
    bool placed = false;
    std::vector<std::string> gone; // tables of the old dump the server lists no more
    try {
        const LoggedRun run = LoggedRun::Run(UnloadCommand(schema, fresh));
        const std::string failure = RunReport::RunFailure(what, run.exitCode, run.output);
        const DumpWholeness whole = failure.empty() && HostFileExists(fresh) ? CheckDumpWhole(fresh) : DumpWholeness();
        if (!failure.empty())
            noteFailure(failure + ", " + kept);
        else if (!HostFileExists(fresh))
            noteFailure(what + ": wrote no dump, " + kept);
        else if (!whole.Whole())
            noteFailure(what + ": the new dump is not whole (" + whole.problem + "), " + kept);
        else if (!EqualsNoCase(whole.schema, schema))
            noteFailure(what + ": the new dump holds schema '" + whole.schema + "', " + kept);
        else if (const std::string shortfall = dumpShortfall(schema, whole.tables, dump, gone); !shortfall.empty())
            noteFailure(what + ": " + shortfall + ", " + kept);
        else if (const std::string refusal = placeRefusal(schema, dump); !refusal.empty())
            noteFailure(what + ": " + refusal); // a load or a file that came while the client ran
        else {
            DumpSchemaLine::RewriteInPlace(fresh);
            placed = placeNewDump(schema, fresh, dump, gone);
            // What the client said of a dump it wrote whole (a view whose table is gone) is no
            // failure of the run, but the user must know it before the dump is needed.
            if (placed)
                for (const std::string& warning : RisClientWarnings(run.output)) {
                    report_.NoteWarning(what + ": " + warning);
                    ShowStatus("Warning: " + what + ": " + warning);
                }
        }
    } catch (const AppError& e) {
        noteFailure(what + ": " + e.description() + ", " + kept);
    }
    DeleteFileA(fresh);
    return placed;
}

bool DumpCommands::placeNewDump(const std::string& schema, const std::string& fresh, const std::string& dump,
                                const std::vector<std::string>& gone)
{
    const std::string what = "risunlod " + schema;
    const std::string kept = keptText(dump);
    // The old dump holds tables the server lists no more (dropped by the user, or by the
    // program's own repairs): it stays whole beside the new one, under a name of this run.
    std::optional<OldDumpKept> oldKept;
    std::string notKept;
    const auto keepOld = [&] {
        if (gone.empty())
            return;
        const LocalTime now = GetClock().Now();
        try {
            oldKept.emplace(dump, now);
        } catch (const AppError& e) {
            notKept = "the old dump holds " + tablesWord(gone) + ", which the server lists no more, and could not be "
                      "kept whole beside the new one as '" + OldDumpKept::NameFor(dump, now) + "' (" +
                      e.description() + ")";
            throw;
        }
    };
    try {
        replaceDump(fresh, dump, keepOld);
    } catch (const AppError& e) {
        if (!notKept.empty()) {
            noteFailure(what + ": " + notKept + ", " + kept);
            return false;
        }
        std::string copy;
        if (oldKept)
            if (const std::string stays = oldKept->Withdraw(); !stays.empty())
                copy = "; its copy " + stays;
        noteFailure(what + ": the new dump cannot take the place of '" + dump + "' (" + e.description() + "), " + kept +
                    copy);
        return false;
    }
    if (oldKept) {
        const std::string text = what + ": the server lists " + tablesWord(gone) + " no more, which the old dump "
                                 "holds: the old dump is kept whole as '" + oldKept->name() + "', and the new dump, "
                                 "without " + (gone.size() > 1 ? "them" : "it") + ", takes its place as '" + dump + "'";
        report_.NoteWarning(text);
        ShowStatus("Warning: " + text);
    }
    return true;
}

void DumpCommands::rewriteFirstLine(const std::string& dump)
{
    requireFile(dump, "edrisdmp");
    SleepMs(rewriteDelayMs);
    DoEvents();
    if (!IsFileExists(dump))
        RaiseError("edrisdmp", "Edrisdmp File: '" + dump + "' does not exist");
    std::string leftAsItIs;
    DumpSchemaLine::RewriteInPlace(dump, &leftAsItIs);
    // Read as the loaders read it, such a file is not what the rewrite can mend in place.
    if (!leftAsItIs.empty())
        RaiseError("edrisdmp", "Edrisdmp File: '" + dump + "' is left as it is: " + leftAsItIs +
                                   ", so its first line cannot be rewritten in place");
}

// The load's record and then the schema's mark for the load of the dump (see LoadMarks). When
// another program holds the mark, the refusal is noted and nothing is loaded (then false): the
// marks stay engaged, their record kept, saying so. Nothing is engaged when no record was written.
bool DumpCommands::takeMarks(std::optional<LoadMarks>& marks, const std::string& schema, const std::string& dump)
{
    const std::string what = "the load of '" + dump + "' into " + schema;
    try {
        marks.emplace(schema, dump, what);
    } catch (const AppError& e) {
        noteFailure(Capitalised(what) + " was not started: " + e.description() + "; no load ran, schema " + schema +
                    " and the dump are as they were");
        marks.reset();
        return false;
    }
    if (!marks->held()) {
        noteFailure(marks->Refusal());
        return false;
    }
    if (const std::string left = marks->LeftBehind(); !left.empty())
        ShowStatus(left);
    return true;
}

bool DumpCommands::loadFrom(const std::string& dump, std::optional<LoadMarks>* taken)
{
    requireFile(dump, "RISLoad");
    // A load refused before it began keeps its dump's record, saying why: under the marks its
    // command took for it, else a record of its own.
    const auto refuse = [&](const std::string& schema, const std::string& why) {
        if (taken && *taken)
            (*taken)->NotStarted(why);
        else
            LoadMarks::NotLoaded(schema, dump, why);
    };
    if (IsSpecialFile(dump)) {
        refuse("", "it is not a regular file (a FIFO or a device)");
        RaiseError("RISLoad", "'" + dump + "' is not a regular file (a FIFO or a device)");
    }
    mendCutRewrite(dump, [this](const std::string& text) { noteFailure(text); });
    std::string first, schema;
    try {
        first = DumpSchemaLine::ReadFirstLine(dump);
        // Loading in "clear" mode into whatever schema an earlier command left behind would
        // wipe the wrong schema: a dump must name its own.
        if (!IsDefaultSchemaLine(first))
            RaiseError("RISLoad", "RIS dump file '" + dump + "' does not begin with a 'default schema' line");
        schema = SchemaOfSchemaLine(first);
        CheckIdentifier(schema, "Schema", "RISLoad");
    } catch (const AppError& e) {
        const std::string named = DumpSchemaLine::SchemaWordOf(first);
        refuse(IsIdentifier(named) ? named : "", e.description());
        throw;
    }
    gCurrentSchema = schema;
    // The record stands from here, before the check of the dump, until a look finds a load of the
    // file whole; the mark until the look has spoken. The caller's marks are another schema's
    // when the [Replace] edits renamed the dump's schema.
    std::optional<LoadMarks> own;
    std::optional<LoadMarks>& marks = taken && *taken && EqualsNoCase((*taken)->schema(), schema) ? *taken : own;
    if (!marks && !takeMarks(marks, schema, dump))
        return marks.has_value();
    marks->Step("its dump was checked whole", false);
    ShowStatus("Load schema " + schema + " from '" + dump + "'");
    DumpWholeness whole;
    try {
        whole = CheckDumpWhole(dump);
    } catch (const AppError& e) {
        marks->NotStarted(e.description());
        sayCarried(*marks);
        throw;
    }
    // Loaded in "clear" mode, a cut dump would empty tables it cannot fill again.
    if (!whole.Whole()) {
        marks->NotStarted("the dump is not whole (" + whole.problem + ")");
        noteFailure("The load of '" + dump + "' into " + schema + " was not done: the dump is not whole (" +
                    whole.problem + "); schema " + schema + " is as it was");
        sayCarried(*marks);
        return true;
    }
    // A client may end well having loaded part of the dump, or fail having loaded all of it:
    // the schema is read again after every load and the message says what it holds. What it
    // held before lets the look tell a table the load filled from one that held as many rows.
    marks->Step("the schema was read before the load", false);
    const std::vector<std::string> dumped = [&] {
        std::vector<std::string> names;
        for (const DumpTableCount& t : whole.tables)
            names.push_back(t.table);
        return names;
    }();
    const StandingState::LoadOutcome load = StandingState::LoadAndLook(
        schema, dump, std::move(whole),
        [&](bool& refusalNamed) {
            marks->Step("the load client rislod ran");
            const LoggedRun run = LoggedRun::Run(LoadCommand(dump, schema));
            marks->Step("the schema was read after the load");
            refusalNamed = !FirstRISError(run.output).empty();
            return RunReport::RunFailure("rislod " + schema, run.exitCode, run.output);
        },
        "the load of '" + dump + "' into " + schema);
    // A dead change's mark goes only when every table it named stands whole with the schema.
    bool changedTablesThere = true;
    for (const std::string& table : marks->CarriedTables())
        changedTablesThere = changedTablesThere && ContainsNoCase(dumped, table);
    marks->Spoken(load.outcome.Done(), load.wholeSchema && changedTablesThere, load.sentence);
    if (!load.outcome.Done())
        noteFailure(load.sentence);
    else
        ShowStatus(load.sentence);
    sayCarried(*marks);
    return true;
}

bool DumpCommands::UnloadSchema(const std::string& schema)
{
    std::string dump = DumpFileOf(dumpFolder("UnloadSchema"), schema);
    ShowStatus("Unload schema " + schema + " into '" + dump + "'");
    try {
        return unloadTo(schema, dump);
    } catch (const AppError& e) {
        // One schema that cannot be unloaded does not keep the others from being unloaded.
        noteFailure("risunlod " + schema + ": " + e.description());
        return false;
    }
}

DumpCommands::UnloadAllResult DumpCommands::risunloadall()
{
    EscKey::ForgetEarlierPress();
    UnloadAllResult result;
    for (const auto& schema : gSchemaNames) {
        if (escPressed() || stopRequested()) {
            result.escaped = true;
            break;
        }
        if (schema.compare(0, 4, "mto_") == 0) {
            ++result.skipped;
            continue;
        }
        if (UnloadSchema(schema))
            ++result.unloaded;
    }
    return result;
}

void DumpCommands::setUp(const SetupOperation& operation, const std::string& params)
{
    for (const std::string& failure : operation(params))
        // A dump is loaded into its schema whether it was made now or is there already.
        if (failure.find("RIS_E_SCHEMA_EXISTS") == std::string::npos)
            report_.NoteFailure(failure);
}

bool DumpCommands::loadOne(const std::string& file, const std::string& schema, double pauseSeconds,
                           std::optional<LoadMarks>* taken)
{
    // Making the user and the schema is part of the change of the schema.
    std::optional<LoadMarks> own;
    std::optional<LoadMarks>& marks = taken && *taken && EqualsNoCase((*taken)->schema(), schema) ? *taken : own;
    if (!marks && !takeMarks(marks, schema, file))
        return marks.has_value();
    if (creDBUser || creSchema)
        marks->Step("the user and the schema were made"); // they may make the schema anew
    std::string param = "'" + schema + "'";
    if (creDBUser) {
        setUp(creDBUser, param);
        wait(pauseSeconds);
    }
    if (creSchema) {
        setUp(creSchema, param);
        wait(pauseSeconds);
    }
    loadFrom(file, &marks);
    wait(pauseSeconds);
    return true;
}
