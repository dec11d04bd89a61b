// Schema family boxes and the family commands of the main window.
#include "admin/Families.h"

#include "platform/AppError.h"
#include "platform/EscKey.h"
#include "platform/TextUtil.h"
#include "services/AppGlobals.h"
#include "services/ControlsLock.h"
#include "services/MessageService.h"
#include "services/Messages.h"

namespace {

const char* const kReadyMessage = " Tarnwick is ready  -  See Logfile ";

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

// The project goes into user names, passwords and statements: only the identifier form passes.
bool isValidProject(const std::string& project)
{
    return IsIdentifier(project);
}

std::string invalidProjectText(const std::string& project)
{
    return "Project '" + project + "' is not a valid name (letters, digits and '_' only)";
}

struct UnlockAtEnd {
    ~UnlockAtEnd() { UnlockControls(""); }
};

} // namespace

Families::Families()
{
    escPressed = [] { return EscKey::Pressed(); };
    users_.onRun = [this](const ToolOutcome& o) { noteRun(o); };
    schemas_.onRun = [this](const ToolOutcome& o) { noteRun(o); };
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
        return {Step::CreDBUser, Step::CreSchema};
    case FamilyCommand::CreateDBUser:
        return {Step::CreDBUser};
    case FamilyCommand::CreateSchema:
        return {Step::CreSchema};
    case FamilyCommand::DeleteDBSchema:
        return {Step::DelSchema, Step::DelDBUser};
    case FamilyCommand::DeleteDBUser:
        return {Step::DelDBUser};
    case FamilyCommand::DeleteSchema:
        return {Step::DelSchema};
    }
    return {};
}

void Families::runStep(Step step, const std::string& params)
{
    switch (step) {
    case Step::CreDBUser:
        users_.Cre_DBUser(params);
        break;
    case Step::CreSchema:
        schemas_.cre_schema(params);
        break;
    case Step::DelSchema:
        schemas_.Del_Schema(params);
        break;
    case Step::DelDBUser:
        users_.Del_DBUser(params);
        break;
    }
}

void Families::noteRun(const ToolOutcome& outcome)
{
    if (!outcome.failed())
        return;
    std::string text = outcome.what + ": " + outcome.error;
    if (failedRuns_++ == 0)
        firstFailure_ = text;
    ShowStatus("Failed: " + text);
}

bool Families::confirmTwice(FamilyCommand command)
{
    for (int ask = 0; ask < 2; ++ask)
        if (ShowMessage(ConfirmText(command, projectText()), MsgStyle::YesNo | MsgStyle::Critical) != MsgAnswer::Yes)
            return false;
    return true;
}

bool Families::runFamilies(FamilyCommand command)
{
    const std::vector<Step> steps = stepsOf(command);
    for (size_t i = 0; i < kSchemaFamilies.size(); ++i) {
        if (boxValue(i) != kBoxChecked)
            continue;
        // The project box stays usable while the tools run, so its text is checked again here.
        std::string project = projectText();
        if (!isValidProject(project))
            RaiseError("Families", invalidProjectText(project));
        std::string schema = SchemaName(kSchemaFamilies[i], project);
        if (currentSchema)
            currentSchema(schema);
        for (Step step : steps)
            runStep(step, "'" + schema + "'");
        if (escPressed())
            return false;
    }
    return true;
}

FamilyOutcome Families::Run(FamilyCommand command)
{
    failedRuns_ = 0;
    firstFailure_.clear();
    std::string project = projectText();
    if (!isValidProject(project)) {
        ShowStatus(invalidProjectText(project));
        ShowMessage(invalidProjectText(project), MsgStyle::OkOnly | MsgStyle::Exclamation);
        return FamilyOutcome::Refused;
    }
    LockControls();
    UnlockAtEnd unlock;
    try {
        if (!ConfirmText(command, project).empty() && !confirmTwice(command))
            return FamilyOutcome::Declined;
        if (!runFamilies(command))
            return FamilyOutcome::Escaped;
    } catch (const AppError& e) {
        ShowStatus(e.description());
        ShowMessage(e.description(), MsgStyle::OkOnly);
        return FamilyOutcome::Failed;
    }
    if (failedRuns_ == 0) {
        ShowMessage(kReadyMessage, MsgStyle::OkOnly);
        return FamilyOutcome::Ready;
    }
    ShowMessage("Tarnwick ended with errors (" + std::to_string(failedRuns_) + "), the first: " + firstFailure_ +
                    "\r\nSee Logfile '" + gLogFile + "'",
                MsgStyle::OkOnly);
    return FamilyOutcome::EndedWithErrors;
}
