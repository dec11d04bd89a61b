// Marks of loads: the schema's mark while a load runs, and the record of a load not found whole.
#include "dbaccess/LoadMarks.h"

#include "dbaccess/LeftMarkFields.h"
#include "platform/AppError.h"
#include "platform/HostFiles.h"
#include "platform/TextUtil.h"
#include "platform/WinPath.h"
#include "services/Messages.h"

#include <algorithm>

namespace {

const std::string kSchemaPrefix = "schema ";
const std::string kRecordPrefix = "load ";

std::string field(const RunMark::Fields& fields, const char* name) { return RunMark::Field(fields, name); }

// The schema of a record in its object: "*" for a dump whose schema could not be read.
std::string schemaKey(const std::string& schema) { return schema.empty() ? "*" : ToLower(schema); }

// One record per load of a place into a schema, however the dump's path is spelled.
std::string recordObject(const std::string& schema, const std::string& dump)
{
    return kRecordPrefix + schemaKey(schema) + " " + WinPathPlace(dump);
}

// The change a left mark stands for, with the run that left it.
std::string leftRun(const RunMark::Fields& fields)
{
    return leftmark::LeftWhat(fields) + " (" + leftmark::LeftBy(fields) + ")";
}

// The place a record's or mark's dump named when it was written (its full form, resolved in the
// folder of the program that wrote it), so that a program started in another folder looks at the
// same file; an older record without it names its dump as written.
std::string placeOf(const RunMark::Fields& fields)
{
    const std::string place = field(fields, "place");
    return place.empty() ? field(fields, "dump") : place;
}

bool namesDump(const RunMark::Fields& fields, const std::string& dump)
{
    return SameWinPlace(placeOf(fields), dump);
}

// The dump as the user wrote it, with the place it named beside it when the two differ.
std::string dumpText(const RunMark::Fields& fields)
{
    const std::string dump = field(fields, "dump");
    const std::string place = placeOf(fields);
    return "'" + dump + "'" + (place == dump ? std::string() : " (the place '" + place + "')");
}

// What clears a record: it keeps whatever file stands at its path, edited or put there since.
std::string clearedBy(const RunMark::Fields& fields)
{
    const std::string schema = field(fields, "schema");
    if (schema.empty())
        return "its record goes once a load of the file at that path is found whole, or once no file stands there "
               "(moved aside or removed); an edit of the file keeps it";
    // A refused load of a part of the file also ends with a whole load of that part.
    const std::string part = field(fields, "schema touched") == "no" ? field(fields, "part") : std::string();
    return "its record goes once a load of the file at that path into " + schema + " is found whole" +
           (part.empty() ? std::string() : " (or a restore of " + part + " from it)") +
           " (a whole load of another dump of the schema does not end it), or once no file stands "
           "there (moved aside or removed); an edit of the file keeps it";
}

// What stands after a load that did not start.
std::string notLoadedText(const RunMark::Fields& fields)
{
    const std::string schema = field(fields, "schema");
    return "nothing of it was loaded, " + (schema.empty() ? std::string("no schema was changed by it")
                                                          : "schema " + schema + " is as it was");
}

// A later run's refusal of the load a left record stands for, which took that record over.
std::string thenRefused(const RunMark::Fields& fields)
{
    const std::string why = field(fields, "then refused");
    return why.empty() ? std::string()
                       : "; a later load of it (" + RunMark::WhoText(fields) + ") was not started: " + why;
}

// The reason a left record kept for the dump gives: the dump may be all there is of rows the
// schema lacks; and what clears the record.
std::string leftReason(const RunMark::Fields& fields)
{
    const std::string refused = field(fields, "refused");
    const std::string state = !field(fields, "look").empty() ? " was not found whole"
                              : !refused.empty() ? " was not started (" + refused + "; " + notLoadedText(fields) + ")"
                                                 : " was cut off by the end of its program";
    return leftRun(fields) + state + thenRefused(fields) +
           ", so the dump may hold the only copy of rows the schema lacks (" + clearedBy(fields) + ")";
}

// A left record whose path no file stands at any more (moved aside or removed) keeps nothing.
// An older record also names the file by its identity ("file"): whatever stands at the path is
// kept all the same, as the user may have mended the rows the schema lacks in it.
bool fileGone(const RunMark::Fields& fields) { return !HostFileExists(placeOf(fields)); }

std::string goneText(const RunMark::Fields& fields)
{
    return "The record of " + leftRun(fields) + " kept the dump " + dumpText(fields) +
           " from every unload; no file stands at that path any more (moved aside or removed), so the record goes";
}

// The records of loads written ahead of their commands' steps in this program, not yet taken by
// their loads.
std::vector<LoadRecords*>& aheadSets()
{
    static std::vector<LoadRecords*> sets;
    return sets;
}

// Why a load's record could not be written, naming the folder or file and what failed.
AppError writeFailure(const std::string& object, const AppError& e)
{
    return AppError(e.number(), "LoadMarks", "its record could not be written: " + RunMark::WriteFailureText(object, e));
}

RunMark::Fields recordFields(const std::string& what, const std::string& schema, const std::string& dump,
                             const std::string& part, const std::string& step, bool touched, const std::string& look)
{
    RunMark::Fields fields{{"what", what},
                           {"schema", schema},
                           {"dump", dump},
                           {"place", FullWinPath(dump)},
                           {"schema touched", touched ? "yes" : "no"}};
    if (!part.empty())
        fields.emplace_back("part", part);
    if (!step.empty())
        fields.emplace_back("step", step);
    if (!look.empty())
        fields.emplace_back("look", look);
    return fields;
}

// A dead change's mark as it stands for that change, whoever carried it since: its own what and
// who, without a carrying load's dump.
RunMark::Fields deadChange(const RunMark::Fields& left)
{
    const bool carriedByLoad = !field(left, "left what").empty();
    RunMark::Fields fields;
    for (const auto& [name, value] : left)
        if (!leftmark::IsWhoField(name) && name != "left what" &&
            !(carriedByLoad && (name == "dump" || name == "place")))
            fields.emplace_back(name, value);
    leftmark::Put(fields, "what", leftmark::LeftWhat(left));
    leftmark::Put(fields, "left by", leftmark::LeftBy(left));
    return fields;
}

// The schema's mark of a load; a dead change's mark that may have left the schema in part goes on
// in it (under "left what"), so that a load cut off too leaves it named.
RunMark::Fields schemaFields(const std::string& what, const std::string& dump, const RunMark::Fields& carried)
{
    RunMark::Fields fields;
    for (const auto& [name, value] : carried)
        if (name != "what")
            fields.emplace_back(name, value);
    if (!carried.empty())
        leftmark::Put(fields, "left what", field(carried, "what"));
    leftmark::Put(fields, "what", what);
    leftmark::Put(fields, "dump", dump);
    leftmark::Put(fields, "place", FullWinPath(dump));
    return fields;
}

// The record of a load that did not start, as it stays: what this run's record said and why;
// a dead run's record it took over keeps what that said, with this run's refusal.
RunMark::Fields refusedFields(const LoadRecord& record, const std::string& why)
{
    RunMark::Fields fields = record.left.empty() ? record.fields : leftmark::Carried(record.left);
    leftmark::Put(fields, record.left.empty() ? "refused" : "then refused", why);
    return fields;
}

RunMark::Fields carriedOf(const std::string& schema)
{
    const RunMark::Seen seen = RunMark::Look(kSchemaPrefix + ToLower(schema));
    return seen.state == RunMark::State::Left && leftmark::LeftInPart(seen.fields) ? deadChange(seen.fields)
                                                                                   : RunMark::Fields{};
}

} // namespace

LoadMarks::LoadMarks(const std::string& schema, const std::string& dump, const std::string& what,
                     const std::string& part)
    : schema_(schema), dump_(dump), what_(what), part_(part), carried_(carriedOf(schema)),
      record_(Record(schema, dump, what, "its schema's mark was taken", false, part))
{
    // The record stands before the mark: a program cut off between the two leaves the record,
    // which keeps the dump, and never a mark without it.
    const std::string object = kSchemaPrefix + ToLower(schema);
    try {
        schemaMark_.emplace(object, schemaFields(what, dump, carried_));
    } catch (const AppError& e) {
        const std::string why = "its mark could not be written: " + RunMark::WriteFailureText(object, e);
        Refuse(record_, why);
        throw AppError(e.number(), "LoadMarks", why);
    }
    if (!held()) {
        carried_.clear();
        Refuse(record_, RunMark::RunningText(schemaMark_->Holder()) + " is under way on that schema");
        return;
    }
    // Another program may have left a mark between the look and the taking.
    const RunMark::Fields left = schemaMark_->Left();
    if (leftmark::LeftInPart(left) && leftmark::LeftWhat(left) != field(carried_, "what")) {
        carried_ = deadChange(left);
        schemaMark_->Update(schemaFields(what, dump, carried_));
    } else if (!leftmark::LeftInPart(left) && !carried_.empty()) {
        carried_.clear();
        schemaMark_->Update(schemaFields(what, dump, carried_));
    }
}

LoadMarks::~LoadMarks()
{
    // A load that ends without its look having spoken (an error on the way) is not known whole.
    if (record_.mark)
        record_.mark->Keep();
    if (held() && !carried_.empty() && !carriedEnds_) {
        try {
            schemaMark_->Update(carried_);
        } catch (const AppError&) {
            // The mark still names the dead change under "left what".
        }
        schemaMark_->Keep();
    }
}

std::string LoadMarks::Refusal() const
{
    return Capitalised(what_) + " was not started: " + RunMark::RunningText(schemaMark_->Holder()) +
           " is under way on that schema.";
}

std::string LoadMarks::LeftBehind() const
{
    if (!carried_.empty())
        return "Schema " + schema_ + ": " + leftRun(carried_) +
               " did not end, so the schema may not be whole; its mark stays until a load finds every table of the "
               "schema whole";
    if (!held() || schemaMark_->Left().empty())
        return {};
    return "Schema " + schema_ + ": " + leftRun(schemaMark_->Left()) + " was cut off by the end of its program";
}

LoadRecord LoadMarks::Record(const std::string& schema, const std::string& dump, const std::string& what,
                             const std::string& step, bool touched, const std::string& part)
{
    const std::string object = recordObject(schema, dump);
    const RunMark::Fields fields = recordFields(what, schema, dump, part, step, touched, {});
    // A record this program wrote ahead for the same load is its own: the load takes it over.
    for (LoadRecords* set : aheadSets())
        if (LoadRecord own = set->Take(schema, dump); own.mark) {
            try {
                own.mark->Update(fields);
            } catch (const AppError& e) {
                GiveBack(own);
                throw writeFailure(object, e);
            }
            own.fields = fields;
            return own;
        }
    LoadRecord record;
    try {
        record.mark = std::make_unique<RunMark>(object, fields);
    } catch (const AppError& e) {
        throw writeFailure(object, e);
    }
    // Only a program that took the schema's mark (or will, in its turn) records a load: the
    // record is held by no one else, unless a program of an older kind runs beside this one.
    if (!record.mark->held())
        RaiseError("LoadMarks", RunMark::RunningText(record.mark->Holder()) + " is under way from that dump");
    record.left = record.mark->Left();
    record.fields = fields;
    return record;
}

void LoadMarks::GiveBack(LoadRecord& record)
{
    if (!record.mark)
        return;
    if (record.left.empty()) {
        record.mark->Release();
    } else {
        try {
            record.mark->Update(leftmark::Carried(record.left));
        } catch (const AppError&) {
            // The record as it stands still keeps the dump.
        }
        record.mark->Keep();
    }
    record.mark.reset();
}

void LoadMarks::Refuse(LoadRecord& record, const std::string& why)
{
    if (!record.mark)
        return;
    // No file there: nothing for the record to keep.
    if (!HostFileExists(placeOf(record.fields))) {
        GiveBack(record);
        return;
    }
    try {
        record.mark->Update(refusedFields(record, why));
    } catch (const AppError&) {
        // The record as it stands still keeps the dump.
    }
    record.mark->Keep();
    record.mark.reset();
}

void LoadMarks::NotLoaded(const std::string& schema, const std::string& dump, const std::string& why)
{
    const std::string what = "the load of '" + dump + "'" + (schema.empty() ? "" : " into " + schema);
    if (!HostFileExists(dump))
        return;
    LoadRecord record;
    try {
        record = Record(schema, dump, what, "", false);
    } catch (const AppError& e) {
        // Another program's record of the dump stays as it is: it keeps the dump itself.
        ShowStatus("No record of " + what + " was written: " + e.description());
        return;
    }
    Refuse(record, why);
}

void LoadMarks::write(const std::string& step, bool touched, const std::string& look)
{
    const RunMark::Fields fields = recordFields(what_, schema_, dump_, part_, step, touched, look);
    record_.mark->Update(fields);
    record_.fields = fields;
}

void LoadMarks::Step(const std::string& step, bool touched)
{
    if (!record_.mark)
        return;
    try {
        write(step, touched);
    } catch (const AppError&) {
        // The record stands as it was: it still keeps the dump, naming an earlier step.
    }
}

void LoadMarks::NotStarted(const std::string& why)
{
    Refuse(record_, why);
    spoken_ = true;
}

void LoadMarks::HandedOver()
{
    GiveBack(record_);
    spoken_ = true;
}

void LoadMarks::Spoken(bool whole, bool wholeSchema, const std::string& sentence, Loaded loaded)
{
    spoken_ = true;
    carriedEnds_ = !carried_.empty() && whole && wholeSchema;
    if (!record_.mark)
        return;
    if (whole) {
        // Only a load of the file at a record's own place ends that record: a whole load of
        // another dump of the schema, even of every table, does not put the rows that file may
        // alone hold into the schema. Records of this very place spelled otherwise (or written
        // by an older version) end with it.
        const bool fileLoaded = loaded == Loaded::TheFile;
        // A record of the same part of the file whose load never touched the schema (refused
        // before it began) ends with it too.
        const bool samePart = !part_.empty() && field(record_.left, "part") == part_ &&
                              field(record_.left, "schema touched") == "no";
        if (fileLoaded || record_.left.empty() || samePart)
            record_.mark->Release();
        else
            GiveBack(record_); // a dead run's record of a load of the whole file stands as it said
        // So does the record of a load of the file whose schema could not be read.
        for (const std::string& prefix : {kRecordPrefix + schemaKey(schema_) + " ", kRecordPrefix + schemaKey("") + " "})
            for (const auto& [object, seen] : RunMark::List(prefix))
                if (seen.state == RunMark::State::Left && fileLoaded && namesDump(seen.fields, dump_))
                    RunMark::RemoveLeft(object);
    } else {
        try {
            write("", true, sentence);
        } catch (const AppError&) {
            // The record as it stands still keeps the dump; it then reads as cut off.
        }
        record_.mark->Keep();
    }
    record_.mark.reset();
}

std::string LoadMarks::CarriedOutcome() const
{
    if (carried_.empty() || !spoken_)
        return {};
    if (carriedEnds_)
        return "The mark of " + leftRun(carried_) + ", which said schema " + schema_ +
               " may not be whole, goes: the load found every table of the schema whole.";
    std::string text = "The mark of " + leftRun(carried_) + " stays: schema " + schema_ +
                       " may not be whole until a load finds every table of it whole";
    const std::string backup = field(carried_, "backup");
    if (!backup.empty() && field(carried_, "backup proven") == "yes")
        text += " (its backup dump '" + backup + "' holds the schema as it was before that change)";
    return text + ".";
}

std::vector<std::string> LoadMarks::CarriedTables() const
{
    std::vector<std::string> tables;
    for (const char* name : {"tables", "dropped"})
        for (const std::string& table : Split(field(carried_, name), ","))
            if (!Trim(table).empty())
                tables.push_back(Trim(table));
    return tables;
}

std::vector<std::string> LoadMarks::LeftTexts()
{
    std::vector<std::string> texts;
    for (const auto& [object, seen] : RunMark::List(kRecordPrefix)) {
        if (seen.state != RunMark::State::Left)
            continue;
        if (fileGone(seen.fields)) {
            if (RunMark::RemoveLeft(object))
                texts.push_back(goneText(seen.fields));
            continue;
        }
        const std::string schema = field(seen.fields, "schema");
        const std::string look = field(seen.fields, "look");
        const std::string step = field(seen.fields, "step");
        const std::string kept =
            "no unload replaces the dump " + dumpText(seen.fields) + " (" + clearedBy(seen.fields) + ")";
        const std::string by = leftmark::LeftBy(seen.fields);
        const std::string refused = field(seen.fields, "refused");
        const std::string then = thenRefused(seen.fields);
        if (!look.empty())
            texts.push_back(WithoutEndingPeriods(look) + " (" + by + ")" + then + "; " + kept);
        else if (!refused.empty())
            texts.push_back(Capitalised(leftmark::LeftWhat(seen.fields)) + " was not started (" + by + "): " + refused +
                            "; " + notLoadedText(seen.fields) + then + ", and " + kept);
        else
            texts.push_back(Capitalised(leftmark::LeftWhat(seen.fields)) + " was cut off by the end of the program (" +
                            by + ")" + (step.empty() ? "" : " while " + step) + then + "; schema " + schema +
                            (field(seen.fields, "schema touched") == "no" ? " was not touched by it, and "
                                                                          : " may hold part of it, and ") +
                            kept);
    }
    return texts;
}

std::string LoadMarks::KeptFor(const std::string& dump)
{
    // A change running from the dump, of whatever kind; a dead one's schema mark tells nothing
    // more than its load record does, which every load writes before its first step.
    for (const auto& [object, seen] : RunMark::List(kSchemaPrefix))
        if (seen.state == RunMark::State::Held && namesDump(seen.fields, dump))
            return RunMark::RunningText(seen.fields) + " is under way from it";
    std::string kept;
    for (const auto& [object, seen] : RunMark::List(kRecordPrefix)) {
        if (seen.state == RunMark::State::Held) {
            if (!kept.empty() || !namesDump(seen.fields, dump))
                continue;
            // This program's own record, written ahead of a load of its command that has not
            // begun: the command writes the dump itself before it loads it. Only a dead run's
            // record it took over keeps the file.
            if (const RunMark* own = RunMark::HeldHere(object)) {
                if (!own->Left().empty())
                    kept = leftReason(own->Left());
                continue;
            }
            kept = RunMark::RunningText(seen.fields) + " is under way from it";
            continue;
        }
        if (seen.state != RunMark::State::Left)
            continue;
        // A record whose path no file stands at goes, said once, whatever path it names.
        if (fileGone(seen.fields)) {
            if (RunMark::RemoveLeft(object))
                ShowStatus(goneText(seen.fields));
            continue;
        }
        if (kept.empty() && namesDump(seen.fields, dump))
            kept = leftReason(seen.fields);
    }
    return kept;
}

LoadRecords::LoadRecords() { aheadSets().push_back(this); }

LoadRecords::~LoadRecords()
{
    auto& sets = aheadSets();
    sets.erase(std::remove(sets.begin(), sets.end(), this), sets.end());
    // Loads that never began touched nothing, yet the user asked to load their dumps: their
    // records stay. One whose file a load of the command took under another schema goes: that
    // load's own record keeps the file.
    for (auto& [object, record] : records_) {
        if (begun_.count(WinPathPlace(field(record.fields, "dump"))) != 0)
            LoadMarks::GiveBack(record);
        else
            LoadMarks::Refuse(record, "the command that was to run it ended before it began");
    }
}

void LoadRecords::Add(const std::string& schema, const std::string& dump, const std::string& what)
{
    const std::string object = recordObject(schema, dump);
    if (records_.count(object) != 0)
        return;
    records_.emplace(object, LoadMarks::Record(schema, dump, what, "it waited for its turn", false));
    // Record asks every set, this one too, for a record of the load: no load of it began.
    begun_.erase(WinPathPlace(dump));
}

LoadRecord LoadRecords::Take(const std::string& schema, const std::string& dump)
{
    begun_.insert(WinPathPlace(dump));
    const auto it = records_.find(recordObject(schema, dump));
    if (it == records_.end())
        return {};
    LoadRecord record = std::move(it->second);
    records_.erase(it);
    return record;
}
