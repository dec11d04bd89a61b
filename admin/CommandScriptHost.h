// The script host made of the main window's command objects: the dump commands for unload,
// first-line rewrite and load, and the operations on database users and RIS schemas.
#pragma once

#include "admin/ScriptHost.h"

#include <functional>
#include <memory>
#include <string>

class DumpCommands;
class UserSchemaMarks;

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
    ~CommandScriptHost() override;

    // Before its first line: takes the marks of the schemas of the user and schema lines the script
    // begins with (a schema another program changes refuses the script by name, before anything
    // changed), held until its first load, unload or dump edit, which may take one of them
    // itself, or its end; then records the load of every dump its "risload" lines name.
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
    void takeUserSchemaMarks(const std::vector<std::string>& lines);
    void releaseUserSchemaMarks();

    DumpCommands& dump_;
    UserAndSchemaOperations operations_;
    std::unique_ptr<UserSchemaMarks> marks_; // of the user and schema lines the script begins with
};
