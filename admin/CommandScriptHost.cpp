// Script commands dispatched to the dump commands and the user and schema operations.
#include "admin/CommandScriptHost.h"

#include "admin/DumpCommands.h"
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

void CommandScriptHost::RISUnload(const std::string& params) { dump_.RISUnload(params); }
void CommandScriptHost::RISLoad(const std::string& params) { dump_.RISLoad(params); }
void CommandScriptHost::edrisdmp(const std::string& params) { dump_.edrisdmp(params); }
void CommandScriptHost::Cre_DBUser(const std::string& params) { call(operations_.creDBUser, "cre_dbuser", params); }
void CommandScriptHost::Del_DBUser(const std::string& params) { call(operations_.delDBUser, "del_dbuser", params); }
void CommandScriptHost::cre_schema(const std::string& params) { call(operations_.creSchema, "cre_schema", params); }
void CommandScriptHost::Del_Schema(const std::string& params) { call(operations_.delSchema, "del_schema", params); }
