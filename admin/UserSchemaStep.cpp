// One step on a database user or a RIS schema.
#include "admin/UserSchemaStep.h"

#include "admin/StandingState.h"
#include "dbtools/SchemaChangeMark.h"
#include "platform/AppError.h"
#include "platform/TextUtil.h"
#include "services/Messages.h"

#include <algorithm>

namespace {

bool onUser(UserSchemaStep step)
{
    return step == UserSchemaStep::CreateUser || step == UserSchemaStep::DropUser;
}

bool creates(UserSchemaStep step)
{
    return step == UserSchemaStep::CreateUser || step == UserSchemaStep::CreateSchema;
}

// The marks of the commands under way in this program, for their steps to find.
std::vector<const UserSchemaMarks*>& liveMarks()
{
    static std::vector<const UserSchemaMarks*> live;
    return live;
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

const std::vector<const char*>& StandsAlreadyCodes(UserSchemaStep step)
{
    static const std::vector<const char*> userStands{"ORA-01920", "ORA-01543"};
    static const std::vector<const char*> userGone{"ORA-01918"};
    static const std::vector<const char*> schemaStands{"RIS_E_SCHEMA_EXISTS"};
    static const std::vector<const char*> schemaGone{"RIS_E_UNKNOWN_SCHEMA"};
    switch (step) {
    case UserSchemaStep::CreateUser:
        return userStands;
    case UserSchemaStep::DropUser:
        return userGone;
    case UserSchemaStep::CreateSchema:
        return schemaStands;
    case UserSchemaStep::DropSchema:
        return schemaGone;
    }
    static const std::vector<const char*> none;
    return none;
}

bool FailedOnlyWith(const ToolOutcome& run, const std::vector<const char*>& codes)
{
    if (!run.failed() || run.exitCode == -1)
        return false;
    const std::vector<std::string> errors = ToolRun::ErrorLines(run.output);
    return !errors.empty() && std::all_of(errors.begin(), errors.end(), [&](const std::string& e) {
        return std::any_of(codes.begin(), codes.end(), [&](const char* c) { return e.find(c) != std::string::npos; });
    });
}

std::string FoundInstead(UserSchemaStep step, const std::string& name, const ToolOutcome& run)
{
    if (!FailedOnlyWith(run, StandsAlreadyCodes(step)))
        return {};
    switch (step) {
    case UserSchemaStep::CreateUser:
        // The user's own tablespace may outlive a dropped user: it alone does not show the user.
        return FailedOnlyWith(run, {"ORA-01543"}) ? "The own tablespace of database user " + name + " stood already"
                                                  : "The database user " + name + " stood already";
    case UserSchemaStep::DropUser:
        return "The database user " + name + " was not there";
    case UserSchemaStep::CreateSchema:
        return "The RIS schema " + name + " stood already";
    case UserSchemaStep::DropSchema:
        return "The RIS schema " + name + " was not there";
    }
    return {};
}

std::string UserSchemaChange::Sentence() const
{
    if (found.empty() || !outcome.CallFailed() || !outcome.Done())
        return outcome.Describe(what);
    return found + ": " + WithoutEndingPeriods(outcome.failure) + (outcome.seen.empty() ? "" : "; " + outcome.seen) + ".";
}

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

std::string UserSchemaStepWhat(UserSchemaStep step, const std::string& name)
{
    return std::string(creates(step) ? "the creation of " : "the removal of ") +
           (onUser(step) ? "database user " : "RIS schema ") + name;
}

UserSchemaMarks::UserSchemaMarks() { liveMarks().push_back(this); }

UserSchemaMarks::~UserSchemaMarks()
{
    std::erase(liveMarks(), this);
    ReleaseAll();
}

int UserSchemaMarks::TakeAll(const std::vector<Change>& changes, std::string& refusal)
{
    // One mark per schema, naming every change the command makes of it.
    std::vector<std::pair<std::string, std::string>> schemas; // schema, its changes
    std::vector<size_t> firstChange;
    for (size_t i = 0; i < changes.size(); ++i) {
        const auto at = std::find_if(schemas.begin(), schemas.end(),
                                     [&](const auto& s) { return EqualsNoCase(s.first, changes[i].schema); });
        if (at != schemas.end()) {
            if (at->second.find(changes[i].what) == std::string::npos)
                at->second += ", then " + changes[i].what;
            continue;
        }
        schemas.emplace_back(changes[i].schema, changes[i].what);
        firstChange.push_back(i);
    }
    try {
        for (size_t k = 0; k < schemas.size(); ++k) {
            if (Find(schemas[k].first))
                continue;
            auto mark = std::make_shared<SchemaChangeMark>(schemas[k].first, schemas[k].second);
            if (!mark->Refusal().empty()) {
                refusal = mark->Refusal();
                ReleaseAll();
                return static_cast<int>(firstChange[k]);
            }
            marks_.emplace_back(schemas[k].first, std::move(mark));
        }
    } catch (...) {
        ReleaseAll();
        throw;
    }
    return -1;
}

std::shared_ptr<SchemaChangeMark> UserSchemaMarks::Find(const std::string& schema) const
{
    for (const auto& [name, mark] : marks_)
        if (EqualsNoCase(name, schema))
            return mark;
    return nullptr;
}

void UserSchemaMarks::ReleaseAll()
{
    // Given up in the reverse order of their taking.
    while (!marks_.empty())
        marks_.pop_back();
}

std::shared_ptr<SchemaChangeMark> TakeUserSchemaMark(UserSchemaStep step, const std::string& params,
                                                     const std::string& ownName)
{
    const std::string name = ToolRun::NameParameter(params, onUser(step) ? "User" : "Schema", UserSchemaStepName(step));
    const std::string what = UserSchemaStepWhat(step, name);
    std::shared_ptr<SchemaChangeMark> mark;
    for (const UserSchemaMarks* held : liveMarks())
        if ((mark = held->Find(name)))
            break;
    if (!mark)
        mark = std::make_shared<SchemaChangeMark>(name, what);
    if (!mark->Refusal().empty()) {
        const std::string refused = SchemaChangeMark::RefusedText(what, mark->Refusal());
        ShowStatus("Failed: " + refused);
        RaiseError(ownName, refused);
    }
    mark->Step(UserSchemaStepName(step), true,
               {{"if cut off", "the lists of database users and RIS schemas show what stands of " + name}});
    return mark;
}

UserSchemaChange ChangeUserOrSchema(UserSchemaStep step, DbUsers& users, RisSchemas& schemas,
                                    const std::string& params)
{
    // The same name the operation takes; a bad one raises here before anything runs.
    const std::string name = ToolRun::NameParameter(params, onUser(step) ? "User" : "Schema", UserSchemaStepName(step));
    UserSchemaChange change;
    change.what = UserSchemaStepWhat(step, name);
    {
        RunCapture capture(users, schemas, change.run);
        change.outcome = ChangeAndLook(
            [&]() -> std::string {
                RunUserSchemaStep(step, users, schemas, params);
                return change.run.failed() ? change.run.what + ": " + change.run.error : std::string();
            },
            // A tool that ends well is looked at too: a drop that left its schema standing must
            // never let the user's drop (and with it the schema's tables) follow.
            onUser(step) ? StandingState::UserLook(name, creates(step))
                         : StandingState::SchemaLook(name, creates(step)),
            LookAfter::EveryCall);
    }
    change.found = FoundInstead(step, name, change.run);
    return change;
}
