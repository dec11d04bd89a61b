// Marks of loads: the schema's mark while a load runs, and the record of a load not found whole.
#include "dbaccess/LoadMarks.h"

#include "platform/AppError.h"
#include "platform/HostFiles.h"
#include "platform/ReplacementFile.h"
#include "platform/TextUtil.h"

namespace {

const std::string kSchemaPrefix = "schema ";
const std::string kRecordPrefix = "load ";

std::string field(const RunMark::Fields& fields, const char* name) { return RunMark::Field(fields, name); }

bool namesDump(const RunMark::Seen& seen, const std::string& dump)
{
    const std::string named = field(seen.fields, "dump");
    return !named.empty() && HostSameFile(named, dump);
}

// The reason a left mark naming the dump gives: the dump may be all there is of rows the
// schema lacks.
std::string leftReason(const RunMark::Seen& seen)
{
    const bool looked = !field(seen.fields, "look").empty();
    return RunMark::RunningText(seen.fields) +
           (looked ? " was not found whole" : " was cut off by the end of its program") +
           ", so the dump may hold the only copy of rows the schema lacks (load it again until its load is found "
           "whole, or move it aside)";
}

} // namespace

LoadMarks::LoadMarks(const std::string& schema, const std::string& dump, const std::string& what)
    : schema_(schema), dump_(dump), what_(what),
      schemaMark_(kSchemaPrefix + ToLower(schema), {{"what", what}, {"dump", dump}})
{
}

LoadMarks::~LoadMarks()
{
    // A load that ends without its look having spoken (an error on the way) is not known whole.
    if (record_)
        record_->Keep();
}

std::string LoadMarks::Refusal() const
{
    return Capitalised(what_) + " was not started: " + RunMark::RunningText(schemaMark_.Holder()) +
           " is under way on that schema.";
}

std::string LoadMarks::LeftBehind() const
{
    if (schemaMark_.Left().empty())
        return {};
    return "Schema " + schema_ + ": " + RunMark::RunningText(schemaMark_.Left()) +
           " was cut off by the end of its program";
}

void LoadMarks::Starting(const std::string& step)
{
    record_ = std::make_unique<RunMark>(kRecordPrefix + ToLower(schema_) + " " + dump_,
                                        RunMark::Fields{{"what", what_}, {"schema", schema_}, {"dump", dump_},
                                                        {"step", step}});
    // Only a program that took the schema's mark starts a load: the record can be held by
    // no one else, unless a program of an older kind runs beside this one.
    if (!record_->held()) {
        const std::string running = RunMark::RunningText(record_->Holder());
        record_.reset();
        RaiseError("LoadMarks", Capitalised(what_) + " was not started: " + running + " is under way from that dump.");
    }
}

void LoadMarks::Step(const std::string& step)
{
    if (!record_)
        return;
    try {
        record_->Update({{"what", what_}, {"schema", schema_}, {"dump", dump_}, {"step", step}});
    } catch (const AppError&) {
        // The record stands as it was: it still keeps the dump, naming an earlier step.
    }
}

void LoadMarks::Spoken(bool whole, const std::string& sentence)
{
    if (!record_)
        return;
    if (whole) {
        record_->Release();
        for (const auto& [object, seen] : RunMark::List(kRecordPrefix + ToLower(schema_) + " "))
            if (seen.state == RunMark::State::Left)
                RunMark::RemoveLeft(object);
    } else {
        try {
            record_->Update({{"what", what_}, {"schema", schema_}, {"dump", dump_}, {"look", sentence}});
        } catch (const AppError&) {
            // The record as it stands still keeps the dump; it then reads as cut off.
        }
        record_->Keep();
    }
    record_.reset();
}

std::vector<std::string> LoadMarks::LeftTexts()
{
    std::vector<std::string> texts;
    for (const auto& [object, seen] : RunMark::List(kRecordPrefix)) {
        if (seen.state != RunMark::State::Left)
            continue;
        const std::string schema = field(seen.fields, "schema");
        const std::string look = field(seen.fields, "look");
        const std::string step = field(seen.fields, "step");
        const std::string dump = field(seen.fields, "dump");
        const std::string kept = HostFileExists(dump) ? "no unload replaces the dump '" + dump + "' until a load of " +
                                                            schema + " is found whole"
                                                      : "the dump '" + dump + "' is no longer there";
        if (!look.empty())
            texts.push_back(WithoutEndingPeriods(look) + " (" + RunMark::WhoText(seen.fields) + "); " + kept);
        else
            texts.push_back(Capitalised(field(seen.fields, "what")) + " was cut off by the end of the program (" +
                            RunMark::WhoText(seen.fields) + ")" + (step.empty() ? "" : " while " + step) +
                            "; schema " + schema + " may hold part of it, and " + kept);
    }
    return texts;
}

std::string LoadMarks::KeptFor(const std::string& dump)
{
    // A change running from the dump, of whatever kind; a dead one's schema mark tells nothing
    // more than its load record does, and a load cut off before its client started harmed nothing.
    for (const auto& [object, seen] : RunMark::List(kSchemaPrefix))
        if (seen.state == RunMark::State::Held && namesDump(seen, dump))
            return RunMark::RunningText(seen.fields) + " is under way from it";
    for (const auto& [object, seen] : RunMark::List(kRecordPrefix))
        if (namesDump(seen, dump))
            return seen.state == RunMark::State::Held ? RunMark::RunningText(seen.fields) + " is under way from it"
                                                      : leftReason(seen);
    return {};
}
