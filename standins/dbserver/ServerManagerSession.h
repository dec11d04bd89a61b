// One run of the stand-in Oracle server manager on the server's catalogue: connect, users,
// grants, tablespaces (made and dropped), quotas and the dictionary queries on dba_users and dba_free_space,
// answered in the server manager's text form (echoed commands, rows under a rule of dashes,
// "n rows selected.", ORA- error lines).
#pragma once

#include "standins/dbserver/DbServer.h"

#include <string>
#include <string_view>

class ServerManagerSession {
public:
    explicit ServerManagerSession(DbServer& server) : server_(server) {}

    // Runs the commands of a script text: "connect user/password" lines, statements ended by
    // ";", and "exit". Appends the whole console text to out. Returns the number of failed
    // commands.
    int RunScript(std::string_view script, std::string& out);
    // Runs one command (without its ";"); returns false after an ORA- error.
    bool Execute(const std::string& command, std::string& out);
    bool ExitSeen() const { return exit_; }
    // Logs on as the user with the password as given, whatever characters it holds (a
    // connection's own logon, with no command line to parse). False after ORA-01017.
    bool ConnectAs(const std::string& user, const std::string& password, std::string& out);

private:
    bool connect(const std::string& args, std::string& out);
    bool grant(const std::string& command, std::string& out);
    bool alterUser(const std::string& command, std::string& out);
    bool createUser(const std::string& command, std::string& out);
    bool dropUser(const std::string& command, std::string& out);
    bool createTablespace(const std::string& command, std::string& out);
    bool dropTablespace(const std::string& command, std::string& out);
    bool select(const std::string& command, std::string& out);
    bool requireDba(std::string& out);

    DbServer& server_;
    std::string user_;
    bool exit_ = false;
};
