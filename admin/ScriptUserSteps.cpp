// Script steps on database users and RIS schemas, with the failures a script expects.
#include "admin/ScriptUserSteps.h"

#include "dbtools/SchemaChangeMark.h"
#include "platform/AppError.h"
#include "services/Messages.h"

namespace {

// Why a step whose tool refused it with only StandsAlreadyCodes may be passed over.
const char* passedOverBecause(ScriptUserStep step)
{
    switch (step) {
    case ScriptUserStep::CreateUser:
        // The user, or the tablespace of its own, is there from an earlier run.
        return "the database user exists already";
    case ScriptUserStep::DropUser:
        return "the database user does not exist";
    case ScriptUserStep::CreateSchema:
        return "the schema exists already";
    case ScriptUserStep::DropSchema:
        return "the schema does not exist";
    }
    return "";
}

} // namespace

std::string ExpectedStepFailure(ScriptUserStep step, const ToolOutcome& outcome)
{
    return FailedOnlyWith(outcome, StandsAlreadyCodes(step)) ? passedOverBecause(step) : std::string();
}

ScriptUserSteps::ScriptUserSteps() = default;

CommandScriptHost::ParamOperation ScriptUserSteps::step(ScriptUserStep which, const char* word)
{
    return [this, which, word](const std::string& params) {
        // Under the mark of the schema of its name, as the family commands run it.
        const std::shared_ptr<SchemaChangeMark> mark = TakeUserSchemaMark(which, params, word);
        const UserSchemaChange change = ChangeUserOrSchema(which, users_, schemas_, params);
        if (!change.outcome.Failed())
            return;
        // The script goes on only when the user or schema stands as the step was to leave it.
        if (change.outcome.Done()) {
            const std::string passed = ExpectedStepFailure(which, change.run);
            ShowStatus(passed.empty() ? change.Sentence()
                                      : change.run.what + ": " + change.run.error + " - passed over, " + passed);
            return;
        }
        ShowStatus("Failed: " + change.Sentence());
        RaiseError(word, change.Sentence());
    };
}

CommandScriptHost::UserAndSchemaOperations ScriptUserSteps::Operations()
{
    return {step(ScriptUserStep::CreateUser, "cre_dbuser"), step(ScriptUserStep::DropUser, "del_dbuser"),
            step(ScriptUserStep::CreateSchema, "cre_schema"), step(ScriptUserStep::DropSchema, "del_schema")};
}
