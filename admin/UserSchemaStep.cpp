// One step on a database user or a RIS schema.
#include "admin/UserSchemaStep.h"

#include "admin/StandingState.h"

namespace {

bool onUser(UserSchemaStep step)
{
    return step == UserSchemaStep::CreateUser || step == UserSchemaStep::DropUser;
}

bool creates(UserSchemaStep step)
{
    return step == UserSchemaStep::CreateUser || step == UserSchemaStep::CreateSchema;
}

// Hands the tool's outcome to the caller for one step, the hooks the objects had put back after.
class RunCapture {
public:
    RunCapture(DbUsers& users, RisSchemas& schemas, ToolOutcome& run)
        : users_(users), schemas_(schemas), savedUsers_(users.onRun), savedSchemas_(schemas.onRun)
    {
        auto capture = [&run](const ToolOutcome& o) { run = o; };
        users.onRun = capture;
        schemas.onRun = capture;
    }
    ~RunCapture()
    {
        users_.onRun = savedUsers_;
        schemas_.onRun = savedSchemas_;
    }
    RunCapture(const RunCapture&) = delete;
    RunCapture& operator=(const RunCapture&) = delete;

private:
    DbUsers& users_;
    RisSchemas& schemas_;
    std::function<void(const ToolOutcome&)> savedUsers_, savedSchemas_;
};

} // namespace

const char* UserSchemaStepName(UserSchemaStep step)
{
    switch (step) {
    case UserSchemaStep::CreateUser:
        return "Cre_DBUser";
    case UserSchemaStep::DropUser:
        return "Del_DBUser";
    case UserSchemaStep::CreateSchema:
        return "cre_schema";
    case UserSchemaStep::DropSchema:
        return "Del_Schema";
    }
    return "";
}

void RunUserSchemaStep(UserSchemaStep step, DbUsers& users, RisSchemas& schemas, const std::string& params)
{
    switch (step) {
    case UserSchemaStep::CreateUser:
        users.Cre_DBUser(params);
        break;
    case UserSchemaStep::DropUser:
        users.Del_DBUser(params);
        break;
    case UserSchemaStep::CreateSchema:
        schemas.cre_schema(params);
        break;
    case UserSchemaStep::DropSchema:
        schemas.Del_Schema(params);
        break;
    }
}

UserSchemaChange ChangeUserOrSchema(UserSchemaStep step, DbUsers& users, RisSchemas& schemas,
                                    const std::string& params)
{
    // The same name the operation takes; a bad one raises here before anything runs.
    const std::string name = ToolRun::NameParameter(params, onUser(step) ? "User" : "Schema", UserSchemaStepName(step));
    UserSchemaChange change;
    change.what = std::string(creates(step) ? "the creation of " : "the removal of ") +
                  (onUser(step) ? "database user " : "RIS schema ") + name;
    {
        RunCapture capture(users, schemas, change.run);
        change.outcome = ChangeAndLook(
            [&]() -> std::string {
                RunUserSchemaStep(step, users, schemas, params);
                return change.run.failed() ? change.run.what + ": " + change.run.error : std::string();
            },
            onUser(step) ? StandingState::UserLook(name, creates(step))
                         : StandingState::SchemaLook(name, creates(step)));
    }
    return change;
}
