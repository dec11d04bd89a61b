// Which failures of the user and schema tools a script passes over: only those whose every
// error line says that a create's object is there already or a drop's object is not there.
#include "admin/ScriptUserSteps.h"

#include "support/WrapperClients.h"

#include <gtest/gtest.h>

namespace {

TEST(ScriptUserStepsTest, OnlyAnExpectedFailureAloneIsPassedOver)
{
    using S = ScriptUserStep;
    const std::string exists = testsupport::WrapperClients::ErrorBlock("RIS_E_SCHEMA_EXISTS", "there");
    const std::string unknown = testsupport::WrapperClients::ErrorBlock("RIS_E_UNKNOWN_SCHEMA", "not there");
    const struct {
        S step;
        long exitCode;
        std::string output;
        const char* passed; // "" = the failure stops the script
    } cases[] = {
        {S::DropUser, 0, "ORA-01918: user 'PD_X' does not exist\r\n", "the database user does not exist"},
        {S::DropUser, 0, "ORA-01017: invalid username/password; logon denied\r\nORA-01918: user 'PD_X' does not exist\r\n",
         ""},
        {S::CreateUser, 0, "ORA-01543: tablespace 'PD_X' already exists\r\n", "the database user exists already"},
        {S::CreateUser, 0, "ORA-01918: user 'PD_X' does not exist\r\n", ""},
        {S::CreateSchema, 1, exists, "the schema exists already"},
        {S::CreateSchema, 1, unknown, ""},
        {S::DropSchema, 1, unknown, "the schema does not exist"},
        {S::DropSchema, 1, unknown + exists, ""},
        {S::DropSchema, 1, "", ""},
        {S::DropSchema, -1, unknown, ""},
    };
    for (const auto& c : cases) {
        ToolOutcome outcome;
        outcome.what = "tool";
        outcome.exitCode = c.exitCode;
        outcome.output = c.output;
        outcome.error = c.output.empty() ? "ended with exit code 1" : ToolRun::FirstErrorLine(c.output);
        EXPECT_EQ(ExpectedStepFailure(c.step, outcome), c.passed) << c.output;
    }
}

} // namespace
