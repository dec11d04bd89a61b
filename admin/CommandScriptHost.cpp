// Script commands dispatched to the dump commands and the user and schema operations.
#include "admin/CommandScriptHost.h"

#include "admin/DumpCommands.h"
#include "admin/ScriptLine.h"
#include "platform/AppError.h"

namespace {

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

void CommandScriptHost::ScriptStarting(const std::vector<std::string>& lines)
{
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
        RaiseError("ScriptRunner", e.description() + "; the script was not started, no line of it ran");
    }
}

void CommandScriptHost::ScriptEnded() { dump_.EndLoadsAhead(); }

void CommandScriptHost::RISUnload(const std::string& params) { dump_.RISUnload(params); }
void CommandScriptHost::RISLoad(const std::string& params) { dump_.RISLoad(params); }
void CommandScriptHost::edrisdmp(const std::string& params) { dump_.edrisdmp(params); }
void CommandScriptHost::Cre_DBUser(const std::string& params) { call(operations_.creDBUser, "cre_dbuser", params); }
void CommandScriptHost::Del_DBUser(const std::string& params) { call(operations_.delDBUser, "del_dbuser", params); }
void CommandScriptHost::cre_schema(const std::string& params) { call(operations_.creSchema, "cre_schema", params); }
void CommandScriptHost::Del_Schema(const std::string& params) { call(operations_.delSchema, "del_schema", params); }
