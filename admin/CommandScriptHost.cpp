// Script commands dispatched to the dump commands and the user and schema operations.
#include "admin/CommandScriptHost.h"

#include "admin/DumpCommands.h"
#include "admin/ScriptLine.h"
#include "admin/UserSchemaStep.h"
#include "platform/AppError.h"

#include <optional>

namespace {

std::optional<UserSchemaStep> userSchemaStepOf(ScriptCommand command)
{
    switch (command) {
    case ScriptCommand::CreDbUser: return UserSchemaStep::CreateUser;
    case ScriptCommand::DelDbUser: return UserSchemaStep::DropUser;
    case ScriptCommand::CreSchema: return UserSchemaStep::CreateSchema;
    case ScriptCommand::DelSchema: return UserSchemaStep::DropSchema;
    default: return std::nullopt;
    }
}

void call(const CommandScriptHost::ParamOperation& op, const char* name, const std::string& params)
{
    if (!op)
        RaiseError("CommandScriptHost", std::string("The script command ") + name + " is not available here");
    op(params);
}

} // namespace

CommandScriptHost::CommandScriptHost(DumpCommands& dump, UserAndSchemaOperations operations)
    : dump_(dump), operations_(std::move(operations))
{
}

CommandScriptHost::~CommandScriptHost() = default;

void CommandScriptHost::takeUserSchemaMarks(const std::vector<std::string>& lines)
{
    std::vector<UserSchemaMarks::Change> changes;
    std::vector<int> lineOf;
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (IsScriptCommentLine(line))
            continue;
        const std::optional<UserSchemaStep> step =
            line.find(' ') == std::string::npos ? std::nullopt : userSchemaStepOf(LookupScriptCommand(ScriptCommandWord(line)));
        if (!step)
            break;
        std::string name;
        try {
            name = ToolRun::NameParameter(line, *step == UserSchemaStep::CreateUser || *step == UserSchemaStep::DropUser
                                                    ? "User"
                                                    : "Schema",
                                          UserSchemaStepName(*step));
        } catch (const AppError&) {
            break; // refused at its turn, after the lines before it
        }
        changes.push_back({name, UserSchemaStepWhat(*step, name)});
        lineOf.push_back(static_cast<int>(i) + 1);
    }
    if (changes.empty())
        return;
    auto marks = std::make_unique<UserSchemaMarks>();
    std::string refusal;
    const int refused = marks->TakeAll(changes, refusal);
    if (refused >= 0)
        RaiseError("ScriptRunner", "The script was not started: its line " + std::to_string(lineOf[refused]) + ", " +
                                       changes[refused].what + ", is refused: " + refusal + ". Nothing was changed.");
    marks_ = std::move(marks);
}

void CommandScriptHost::releaseUserSchemaMarks() { marks_.reset(); }

void CommandScriptHost::ScriptStarting(const std::vector<std::string>& lines)
{
    takeUserSchemaMarks(lines);
    std::vector<std::string> loads, unloads;
    for (const std::string& line : lines) {
        // A line without a blank ends the run when it is reached; the lines before it run.
        if (IsScriptCommentLine(line) || line.find(' ') == std::string::npos)
            continue;
        const ScriptCommand command = LookupScriptCommand(ScriptCommandWord(line));
        if (command == ScriptCommand::RisLoad)
            loads.push_back(line);
        else if (command == ScriptCommand::RisUnload)
            unloads.push_back(line);
    }
    try {
        dump_.RecordScriptLoadsAhead(loads, unloads);
    } catch (const AppError& e) {
        releaseUserSchemaMarks();
        RaiseError("ScriptRunner", e.description() + "; the script was not started, no line of it ran");
    }
}

void CommandScriptHost::ScriptEnded()
{
    releaseUserSchemaMarks();
    dump_.EndLoadsAhead();
}

// A load or an unload takes its schema's mark itself: the marks taken ahead go first.
void CommandScriptHost::RISUnload(const std::string& params)
{
    releaseUserSchemaMarks();
    dump_.RISUnload(params);
}
void CommandScriptHost::RISLoad(const std::string& params)
{
    releaseUserSchemaMarks();
    dump_.RISLoad(params);
}
void CommandScriptHost::edrisdmp(const std::string& params)
{
    releaseUserSchemaMarks();
    dump_.edrisdmp(params);
}
void CommandScriptHost::Cre_DBUser(const std::string& params) { call(operations_.creDBUser, "cre_dbuser", params); }
void CommandScriptHost::Del_DBUser(const std::string& params) { call(operations_.delDBUser, "del_dbuser", params); }
void CommandScriptHost::cre_schema(const std::string& params) { call(operations_.creSchema, "cre_schema", params); }
void CommandScriptHost::Del_Schema(const std::string& params) { call(operations_.delSchema, "del_schema", params); }
