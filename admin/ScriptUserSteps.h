// The script commands on database users and RIS schemas (cre_dbuser, del_dbuser, cre_schema,
// del_schema): a failure of their tool ends the script at its line, except the one a script
// expects, which is logged and passed over.
#pragma once

#include "admin/CommandScriptHost.h"
#include "admin/UserSchemaStep.h"

#include <string>

using ScriptUserStep = UserSchemaStep;

// Why a failed tool run leaves what the step was to bring about in place, so that a script
// goes on: a create whose object exists already, a drop whose object does not exist. Only
// when every error line of the output says so; empty otherwise (and for a run without error).
std::string ExpectedStepFailure(ScriptUserStep step, const ToolOutcome& outcome);

class ScriptUserSteps {
public:
    ScriptUserSteps();
    ScriptUserSteps(const ScriptUserSteps&) = delete;
    ScriptUserSteps& operator=(const ScriptUserSteps&) = delete;

    // The four operations for the script host. Each runs its tool; an expected failure is
    // written to the program log as passed over, any other raises error 1 from the command's
    // word with the tool's error, which ends the run.
    CommandScriptHost::UserAndSchemaOperations Operations();

private:
    CommandScriptHost::ParamOperation step(ScriptUserStep which, const char* word);

    DbUsers users_;
    RisSchemas schemas_;
    ToolOutcome last_;
};
