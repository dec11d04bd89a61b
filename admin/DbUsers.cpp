// Oracle database users through the server-manager program.
#include "admin/DbUsers.h"

#include "dbaccess/SchemaStatements.h"
#include "platform/AppError.h"
#include "platform/TextUtil.h"
#include "services/AppGlobals.h"
#include "services/FileOperation.h"
#include "services/IniFile.h"

namespace {

const char* const kCrLf = "\r\n";

std::string setting(const std::string& key, const std::string& defaultValue)
{
    return ReadIniValue(gIniFile, "TARNWICK", key, defaultValue);
}

std::string connectString() { return setting("svrmgr_connectString", "dboper/wq4ztk9"); }
std::string serverManagerPath() { return setting("svrmgr_path", "d:\\orant\\bin\\svrmgr30.exe"); }

// Writes the script, runs the server manager on it, tells what it said and removes the script.
void runScript(const std::string& script, const std::string& what, bool echoCommand,
               const std::function<void(const ToolOutcome&)>& onRun)
{
    std::string path = ToolRun::ScratchFilePath();
    ToolRun::WriteScratchFile(path, script + kCrLf);
    if (echoCommand)
        ToolRun::Run("echo", "echo " + DbUsers::ServerManagerCommand(serverManagerPath(), path));
    ToolOutcome outcome = ToolRun::Run(what, DbUsers::ServerManagerCommand(serverManagerPath(), path));
    if (onRun)
        onRun(outcome);
    if (!DeleteFileA(path))
        RaiseFileOpError();
}

} // namespace

std::string DbUsers::CreateUserScript(const std::string& user, const std::string& connectString,
                                      const std::string& userTablespace, const std::string& temporaryTablespace)
{
    std::string script = "connect " + connectString + kCrLf;
    std::string tablespace = userTablespace;
    if (tablespace.find('\\') != std::string::npos) {
        std::string dir = tablespace.back() == '\\' ? tablespace : tablespace + "\\";
        script += "create tablespace " + user + " datafile '" + dir + user +
                  "pds.ora' size 40m autoextend on next 20m maxsize 2000m;" + kCrLf;
        tablespace = user;
    }
    script += "grant connect to " + user + " identified by " + user + ";" + kCrLf;
    script += "grant create database link, create sequence, alter session, create synonym, create table, "
              "create view to " + user + ";" + kCrLf;
    script += "alter user " + user + " default tablespace " + tablespace + ";" + kCrLf;
    script += "alter user " + user + " temporary tablespace " + temporaryTablespace + ";" + kCrLf;
    script += "alter user " + user + " quota unlimited on " + tablespace + ";" + kCrLf;
    script += "GRANT CONNECT, RESOURCE TO " + user + ";" + kCrLf;
    script += std::string("exit;") + kCrLf;
    return script;
}

std::string DbUsers::DropUserScript(const std::string& user, const std::string& connectString)
{
    return "connect " + connectString + kCrLf + "drop user " + user + " cascade;" + kCrLf + "commit;" + kCrLf +
           "exit;" + kCrLf;
}

std::string DbUsers::ServerManagerCommand(const std::string& program, const std::string& script)
{
    return QuoteString(program) + " @" + QuoteString(script);
}

void DbUsers::Cre_DBUser(const std::string& params)
{
    std::string userTablespace = setting("user_tablespace", "USER_DATA");
    std::string user = ToolRun::NameParameter(params, "User", "Cre_DBUser");
    const std::string temporaryTablespace = setting("temporary_tablespace", "TEMPORARY_DATA");
    // The settings go into the statements unquoted (a folder into a quoted file name): refuse
    // what would change their shape before anything is written or run.
    try {
        if (userTablespace.find('\\') != std::string::npos)
            CheckDefinitionPart("Tablespace folder (user_tablespace)", userTablespace);
        else
            CheckStatementName("User tablespace (user_tablespace)", userTablespace);
        CheckStatementName("Temporary tablespace (temporary_tablespace)", temporaryTablespace);
    } catch (const AppError& e) {
        throw AppError(e.number(), "Cre_DBUser", e.description());
    }
    std::string script = CreateUserScript(user, connectString(), userTablespace, temporaryTablespace);
    runScript(script, "svrmgr create user " + user, true, onRun);
}

void DbUsers::Del_DBUser(const std::string& params)
{
    std::string user = ToolRun::NameParameter(params, "User", "Del_DBUser");
    runScript(DropUserScript(user, connectString()), "svrmgr drop user " + user, false, onRun);
}
