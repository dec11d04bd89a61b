// Schema family boxes and the family commands of the main window.
#include "admin/Families.h"

#include "admin/DumpCommandLines.h"
#include "dbtools/SchemaChangeMark.h"
#include "platform/AppError.h"
#include "platform/EscKey.h"
#include "platform/TextUtil.h"
#include "services/AppGlobals.h"
#include "services/ControlsLock.h"
#include "services/MessageService.h"
#include "services/Messages.h"

#include <optional>

namespace {

std::string confirmLead(FamilyCommand command)
{
    switch (command) {
    case FamilyCommand::DeleteDBSchema:
        return "Database-User and RIS-Schema of the PDS-Project:  ";
    case FamilyCommand::DeleteDBUser:
        return "Database-User of the PDS-Project:  ";
    case FamilyCommand::DeleteSchema:
        return "RIS-Schema of the PDS-Project:  ";
    default:
        return {};
    }
}

bool isDelete(FamilyCommand command)
{
    return !confirmLead(command).empty();
}

// The command's change of one family, as its schema's mark names it to other programs.
std::string familyChange(FamilyCommand command, const std::string& schema)
{
    switch (command) {
    case FamilyCommand::CreateDBSchema:
        return "the creation of database user and RIS schema " + schema;
    case FamilyCommand::CreateDBUser:
        return "the creation of database user " + schema;
    case FamilyCommand::CreateSchema:
        return "the creation of RIS schema " + schema;
    case FamilyCommand::DeleteDBSchema:
        return "the removal of RIS schema and database user " + schema;
    case FamilyCommand::DeleteDBUser:
        return "the removal of database user " + schema;
    case FamilyCommand::DeleteSchema:
        break;
    }
    return "the removal of RIS schema " + schema;
}

struct UnlockAtEnd {
    ~UnlockAtEnd() { UnlockControls(""); }
};

} // namespace

Families::Families()
{
    escPressed = [] { return EscKey::Pressed(); };
}

std::string Families::SchemaName(const SchemaFamily& family, const std::string& project)
{
    return std::string(family.prefix) + project;
}

std::string Families::ConfirmText(FamilyCommand command, const std::string& project)
{
    std::string lead = confirmLead(command);
    return lead.empty() ? std::string() : lead + project + "  will be deleted.  OK?";
}

void Families::selall()
{
    for (size_t i = 0; i < kSchemaFamilies.size(); ++i)
        setBoxValue(i, kBoxChecked);
}

void Families::deselall()
{
    for (size_t i = 0; i < kSchemaFamilies.size(); ++i)
        setBoxValue(i, kBoxUnchecked);
}

std::vector<Families::Step> Families::stepsOf(FamilyCommand command)
{
    switch (command) {
    case FamilyCommand::CreateDBSchema:
        return {Step::CreateUser, Step::CreateSchema};
    case FamilyCommand::CreateDBUser:
        return {Step::CreateUser};
    case FamilyCommand::CreateSchema:
        return {Step::CreateSchema};
    case FamilyCommand::DeleteDBSchema:
        return {Step::DropSchema, Step::DropUser};
    case FamilyCommand::DeleteDBUser:
        return {Step::DropUser};
    case FamilyCommand::DeleteSchema:
        return {Step::DropSchema};
    }
    return {};
}

void Families::noteChange(const UserSchemaChange& change)
{
    if (!change.outcome.Failed())
        return;
    // What stands counts, not the tool's answer: a user the tool made before it died is made.
    if (change.outcome.Done()) {
        ShowStatus(change.Sentence());
        return;
    }
    report_.NoteFailure(change.Sentence());
    ShowStatus("Failed: " + change.Sentence());
}

void Families::keepUserUnderSchema(const std::string& schema, ChangeState schemaLeft)
{
    // Dropping the user would take the schema's tables with it while RIS keeps the schema.
    const std::string sentence = "The removal of database user " + schema + " was not run: " +
                                 (schemaLeft == ChangeState::NotDone
                                      ? "its RIS schema " + schema + " still stands, and the user keeps its tables."
                                      : "whether its RIS schema " + schema +
                                            " is gone is not known, and the user keeps its tables.");
    report_.NoteFailure(sentence);
    ShowStatus("Failed: " + sentence);
}

bool Families::confirmTwice(FamilyCommand command)
{
    for (int ask = 0; ask < 2; ++ask)
        if (ShowMessage(ConfirmText(command, projectText()), MsgStyle::YesNo | MsgStyle::Critical) != MsgAnswer::Yes)
            return false;
    return true;
}

std::string Families::takeMarksAhead(FamilyCommand command, UserSchemaMarks& marks)
{
    std::vector<UserSchemaMarks::Change> changes;
    std::vector<std::string> schemas;
    for (size_t i = 0; i < kSchemaFamilies.size(); ++i) {
        if (boxValue(i) != kBoxChecked)
            continue;
        const std::string project = projectText();
        CheckIdentifier(project, "Project", "Families");
        const std::string schema = SchemaName(kSchemaFamilies[i], project);
        changes.push_back({schema, familyChange(command, schema)});
        schemas.push_back(schema);
    }
    std::string refusal;
    if (marks.TakeAll(changes, refusal) < 0)
        return {};
    return SchemaChangeMark::RefusedText(familyChange(command, Join(schemas, ", ")), refusal);
}

FamilyOutcome Families::runFamilies(FamilyCommand command, const UserSchemaMarks& marks)
{
    const std::vector<Step> steps = stepsOf(command);
    for (size_t i = 0; i < kSchemaFamilies.size(); ++i) {
        if (boxValue(i) != kBoxChecked)
            continue;
        // The project box stays usable while the tools run, so its text is checked again here.
        std::string project = projectText();
        CheckIdentifier(project, "Project", "Families");
        std::string schema = SchemaName(kSchemaFamilies[i], project);
        if (currentSchema)
            currentSchema(schema);
        // The family's user and schema change under the schema's mark, taken before the first
        // family; a family checked (or a project named) since is marked at its turn: a change of
        // it another program runs refuses that family by name, and the run goes on.
        const std::string what = familyChange(command, schema);
        std::shared_ptr<SchemaChangeMark> mark = marks.Find(schema);
        if (!mark) {
            mark = std::make_shared<SchemaChangeMark>(schema, what);
            if (!mark->Refusal().empty()) {
                const std::string refused = SchemaChangeMark::RefusedText(what, mark->Refusal());
                report_.NoteFailure(refused);
                ShowStatus("Failed: " + refused);
                continue;
            }
        }
        // What the drop of the family's schema left standing, when not its removal.
        std::optional<ChangeState> schemaLeft;
        for (Step step : steps) {
            mark->Step(UserSchemaStepName(step), true,
                       {{"if cut off", "the lists of database users and RIS schemas show what stands of " + schema}});
            if (step == Step::DropUser && schemaLeft) {
                keepUserUnderSchema(schema, *schemaLeft);
                continue;
            }
            const UserSchemaChange change = ChangeUserOrSchema(step, users_, schemas_, "'" + schema + "'");
            noteChange(change);
            if (step == Step::DropSchema && !change.outcome.Done())
                schemaLeft = change.outcome.state;
            // A tool is never stopped while it writes; the program ends between two of them.
            if (ending()) {
                ShowStatus(std::string("Exit: stopped after ") + UserSchemaStepName(step) + " of " + schema);
                return FamilyOutcome::Ended;
            }
        }
        if (escPressed && escPressed())
            return FamilyOutcome::Escaped;
    }
    return FamilyOutcome::Ready;
}

FamilyOutcome Families::Run(FamilyCommand command)
{
    report_.Clear();
    // The project goes into user names, passwords and statements: a bad one stops the command
    // before anything is asked or run.
    try {
        CheckIdentifier(projectText(), "Project", "Families");
    } catch (const AppError& e) {
        ShowStatus(e.description());
        ShowMessage(e.description(), MsgStyle::OkOnly | MsgStyle::Exclamation);
        return FamilyOutcome::Refused;
    }
    LockControls();
    UnlockAtEnd unlock;
    try {
        if (isDelete(command) && !confirmTwice(command))
            return FamilyOutcome::Declined;
        // An Esc pressed before (a dialog cancelled with it, say) must not cut this run short.
        EscKey::ForgetEarlierPress();
        // Every family the command will change is marked before its first step: one that another
        // program changes refuses the whole command, by name, before anything changed, rather
        // than leave it done for some families and refused for others.
        UserSchemaMarks marks;
        if (const std::string refused = takeMarksAhead(command, marks); !refused.empty()) {
            ShowStatus("Failed: " + refused);
            ShowMessage(refused, MsgStyle::OkOnly | MsgStyle::Exclamation);
            return FamilyOutcome::Refused;
        }
        const FamilyOutcome cut = runFamilies(command, marks);
        if (cut != FamilyOutcome::Ready)
            return cut;
    } catch (const AppError& e) {
        ShowStatus(e.description());
        if (ending())
            return FamilyOutcome::Ended;
        ShowMessage(e.description(), MsgStyle::OkOnly);
        return FamilyOutcome::Failed;
    }
    ShowMessage(report_.ClosingMessage(gLogFile), MsgStyle::OkOnly);
    return report_.HasErrors() ? FamilyOutcome::EndedWithErrors : FamilyOutcome::Ready;
}
