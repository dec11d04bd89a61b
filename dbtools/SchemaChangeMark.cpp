// The mark of a change of a schema's tables: taken, stepped, given up or left standing.
#include "dbtools/SchemaChangeMark.h"

#include "dbtools/CharColumnBackupCheck.h"

#include "dbaccess/DumpTargetGuard.h"
#include "dbaccess/DumpWholeCheck.h"
#include "dbaccess/LeftMarkFields.h"
#include "platform/OwnedLeftovers.h"

#include "platform/AppError.h"
#include "platform/TextUtil.h"
#include "services/FileOperation.h"
#include "services/Messages.h"

namespace {

using leftmark::IsWhoField;
using leftmark::LeftBy;
using leftmark::Put;

std::string WhatOf(const RunMark::Fields& left)
{
    const std::string what = leftmark::LeftWhat(left);
    return (what.empty() ? std::string("another change") : what) + " (" + LeftBy(left) + ")";
}

std::string DuringStep(const RunMark::Fields& left)
{
    const std::string step = RunMark::Field(left, "step");
    return step.empty() ? std::string() : " during " + step;
}

// Why a change may not begin over a mark a change left that did not leave the schema whole.
std::string LeftRefusal(const RunMark::Fields& left, const std::string& schema)
{
    const std::string stands = RunMark::Field(left, "stands");
    std::string text = WhatOf(left) + (stands.empty() ? " was cut off by the end of its program" + DuringStep(left) +
                                                            ", so schema " + schema + " may not be whole"
                                                      : " ended with schema " + schema + " not whole: " + stands);
    const std::string backup = RunMark::Field(left, "backup");
    if (!backup.empty() && RunMark::Field(left, "backup proven") == "yes")
        text += "; its backup dump '" + backup + "' holds the schema as it was before that change: a load of it "
                "brings the schema back";
    return text;
}

// Names a change its program left that had not changed the schema in part, and what became of
// the backup dump it named but had not proven: one found not whole is set aside (under its usual
// name a later restore would take it for good); one whole by its form keeps its name, its
// agreement with the schema not known.
void TakeOverHarmless(const RunMark::Fields& left, const std::string& schema)
{
    std::string text = Capitalised(WhatOf(left)) + " was cut off by the end of its program" + DuringStep(left);
    const std::string ifCutOff = RunMark::Field(left, "if cut off");
    text += ifCutOff.empty() ? ", which left schema " + schema + " whole" : "; " + ifCutOff;
    const std::string backup = RunMark::Field(left, "backup");
    if (!backup.empty() && RunMark::Field(left, "backup proven") != "yes") {
        // An unload cut off leaves its part beside the backup's name, never under it.
        RemoveOrphanedLeftovers(backup, kNewDumpSuffix);
        if (IsFileExists(backup, 0)) {
            const DumpWholeness dump = CheckDumpWhole(backup);
            text += ". Its backup dump '" + backup + "' is not proven whole: " +
                    (dump.Whole() ? "it is whole by its form, but whether it holds the schema as it was is not known "
                                    "(it was never checked against the schema); it keeps its name"
                                  : "it is not whole (" + dump.problem + "); " + SetAsideRefusedBackup(backup));
        } else {
            text += ". Its backup dump '" + backup + "' was not written whole";
        }
    }
    ShowStatus(text + ".");
}

} // namespace

SchemaChangeMark::SchemaChangeMark(const std::string& schema, const std::string& what, const RunMark::Fields& fields)
    : schema_(schema)
{
    fields_ = {{"what", what}, {"schema", schema}, {"step", "its wait for its first step"}, {"whole if cut off", "yes"}};
    for (const auto& [name, value] : fields)
        Put(fields_, name, value);
    const std::string object = "schema " + ToLower(schema);
    try {
        mark_.emplace(object, fields_);
    } catch (const AppError& e) {
        throw AppError(e.number(), "SchemaChangeMark", Capitalised(what) + " was not started: its mark could not be "
                                                       "written: " + RunMark::WriteFailureText(object, e) +
                                                       "; nothing was changed");
    }
    if (!mark_->held()) {
        refusal_ = RunMark::RunningText(mark_->Holder()) + " is under way on schema " + schema;
        mark_.reset();
        return;
    }
    const RunMark::Fields left = mark_->Left();
    if (left.empty())
        return;
    if (RunMark::Field(left, "whole if cut off") == "yes") {
        TakeOverHarmless(left, schema);
        return;
    }
    refusal_ = LeftRefusal(left, schema);
    // The mark goes on saying what the change that left it said, and who that was.
    RunMark::Fields carried = leftmark::Carried(left);
    try {
        mark_->Update(carried);
    } catch (const AppError&) {
        mark_->Keep();
        mark_.reset();
        throw;
    }
    mark_->Keep();
    mark_.reset();
}

SchemaChangeMark::~SchemaChangeMark()
{
    if (!mark_)
        return;
    if (wholeIfCutOff_) {
        mark_->Release();
        return;
    }
    // This program saw the change end with an error: the mark says so, and no later run takes
    // this program for one cut off.
    Put(fields_, "stands", "an error ended it during " + RunMark::Field(fields_, "step") +
                               ", so what that step left is not known");
    try {
        mark_->Update(fields_);
    } catch (...) {
        // The mark still says the schema may not be whole.
    }
    mark_->Keep();
}

void SchemaChangeMark::Step(const std::string& step, bool wholeIfCutOff, const RunMark::Fields& more)
{
    if (!mark_)
        return;
    Put(fields_, "step", step);
    Put(fields_, "whole if cut off", wholeIfCutOff ? "yes" : "no");
    for (const auto& [name, value] : more)
        Put(fields_, name, value);
    // A step over a whole schema leaves it whole whatever its mark's write does: the end of the
    // change then takes the mark out, which would otherwise still name the step before as cut off.
    if (wholeIfCutOff)
        wholeIfCutOff_ = true;
    // Written before the step begins: a step that may leave the schema in part never runs
    // unmarked.
    mark_->Update(fields_);
    wholeIfCutOff_ = wholeIfCutOff;
}

void SchemaChangeMark::Release()
{
    if (!mark_)
        return;
    mark_->Release();
    mark_.reset();
}

void SchemaChangeMark::LeaveStanding(const std::string& stands)
{
    if (!mark_)
        return;
    Put(fields_, "whole if cut off", "no");
    Put(fields_, "stands", stands);
    try {
        mark_->Update(fields_);
    } catch (const AppError&) {
        // What stands is in the change's own message; the mark still says the schema is not whole.
    }
    mark_->Keep();
    mark_.reset();
}

std::string SchemaChangeMark::RefusedText(const std::string& what, const std::string& refusal)
{
    return Capitalised(what) + " was not started: " + refusal + ". Nothing was changed.";
}

namespace {

// Whether a mark left behind may have left its schema in part: a change that said so before
// its step, also when a load carried its mark since, not a load's own (whose record tells) nor
// one cut off before it touched the schema.
bool LeftInPart(const RunMark::Seen& seen)
{
    return seen.state == RunMark::State::Left && leftmark::LeftInPart(seen.fields);
}

} // namespace

std::string SchemaChangeMark::LeftUnfinished(const std::string& schema)
{
    const RunMark::Seen seen = RunMark::Look("schema " + ToLower(schema));
    return LeftInPart(seen) ? LeftRefusal(seen.fields, schema) : std::string();
}

std::vector<std::string> SchemaChangeMark::LeftTexts()
{
    std::vector<std::string> texts;
    for (const auto& [object, seen] : RunMark::List("schema "))
        if (LeftInPart(seen) && RunMark::Field(seen.fields, "journal").empty()) {
            const std::string schema = object.substr(7);
            texts.push_back("Schema " + schema + ": " + LeftRefusal(seen.fields, schema) + ".");
        }
    return texts;
}
