// The script host made of the main window's command objects: the dump commands for unload,
// first-line rewrite and load, and the operations on database users and RIS schemas.
#pragma once

#include "admin/ScriptHost.h"

#include <functional>
#include <string>

class DumpCommands;

class CommandScriptHost : public ScriptHost {
public:
    using ParamOperation = std::function<void(const std::string& params)>;

    // The operations receive the script line as their parameter text. An operation left unset
    // raises error 1 naming the command, so a script never passes over it silently.
    struct UserAndSchemaOperations {
        ParamOperation creDBUser;
        ParamOperation delDBUser;
        ParamOperation creSchema;
        ParamOperation delSchema;
    };

    CommandScriptHost(DumpCommands& dump, UserAndSchemaOperations operations);

    // Records the load of every dump the script's "risload" lines name, before its first line.
    void ScriptStarting(const std::vector<std::string>& lines) override;
    void ScriptEnded() override;
    void RISUnload(const std::string& params) override;
    void RISLoad(const std::string& params) override;
    void edrisdmp(const std::string& params) override;
    void Cre_DBUser(const std::string& params) override;
    void Del_DBUser(const std::string& params) override;
    void cre_schema(const std::string& params) override;
    void Del_Schema(const std::string& params) override;

private:
    DumpCommands& dump_;
    UserAndSchemaOperations operations_;
};
