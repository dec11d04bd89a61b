// Script steps on database users and RIS schemas, with the failures a script expects.
#include "admin/ScriptUserSteps.h"

#include "admin/ToolRun.h"
#include "platform/AppError.h"
#include "services/Messages.h"

#include <algorithm>

namespace {

struct Expected {
    std::vector<const char*> codes; // every error line must hold one of these
    const char* why;
};

Expected expectedFor(ScriptUserStep step)
{
    switch (step) {
    case ScriptUserStep::CreateUser:
        // The user, or the tablespace of its own, is there from an earlier run.
        return {{"ORA-01920", "ORA-01543"}, "the database user exists already"};
    case ScriptUserStep::DropUser:
        return {{"ORA-01918"}, "the database user does not exist"};
    case ScriptUserStep::CreateSchema:
        return {{"RIS_E_SCHEMA_EXISTS"}, "the schema exists already"};
    case ScriptUserStep::DropSchema:
        return {{"RIS_E_UNKNOWN_SCHEMA"}, "the schema does not exist"};
    }
    return {{}, ""};
}

} // namespace

std::string ExpectedStepFailure(ScriptUserStep step, const ToolOutcome& outcome)
{
    if (!outcome.failed() || outcome.exitCode == -1)
        return {};
    const std::vector<std::string> errors = ToolRun::ErrorLines(outcome.output);
    const Expected expected = expectedFor(step);
    const bool onlyExpected = !errors.empty() && std::all_of(errors.begin(), errors.end(), [&](const std::string& e) {
        return std::any_of(expected.codes.begin(), expected.codes.end(),
                           [&](const char* code) { return e.find(code) != std::string::npos; });
    });
    return onlyExpected ? expected.why : std::string();
}

ScriptUserSteps::ScriptUserSteps() = default;

CommandScriptHost::ParamOperation ScriptUserSteps::step(ScriptUserStep which, const char* word)
{
    return [this, which, word](const std::string& params) {
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
