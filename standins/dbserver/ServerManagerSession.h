// One run of the stand-in Oracle server manager on the server's catalogue: connect, users,
// grants, tablespaces (made and dropped), quotas and the dictionary queries on dba_users and dba_free_space,
// answered in the server manager's text form (echoed commands, rows under a rule of dashes,
// "n rows selected.", ORA- error lines).
#pragma once

#include "platform/AppError.h"
#include "standins/dbserver/DbServer.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

class LockedOutputFile;

class ServerManagerSession {
public:
    explicit ServerManagerSession(DbServer& server);
    ~ServerManagerSession();

    // Runs the commands of a script text: "connect user/password" lines, statements ended by
    // ";", "@<script>" lines (that script's commands, run in its place), "spool <file>" and
    // "spool off", and "exit". Appends the whole console text to out. Returns the number of
    // failed commands.
    int RunScript(std::string_view script, std::string& out);
    // Runs one command (without its ";"); returns false after an ORA- or MGR- error. While a
    // spool file is open, the command's console text is written to it as well.
    bool Execute(const std::string& command, std::string& out);
    // The console line of a script file that cannot be read, the top one or a nested one.
    static std::string ScriptFileError(const AppError& e);
    bool ExitSeen() const { return exit_; }
    // Logs on as the user with the password as given, whatever characters it holds (a
    // connection's own logon, with no command line to parse). False after ORA-01017.
    bool ConnectAs(const std::string& user, const std::string& password, std::string& out);

private:
    // The lines of one script, nested depth deep in "@" commands.
    int runLines(std::string_view script, std::string& out, int depth);
    bool runNested(const std::string& file, std::string& out);
    bool spool(const std::string& command, std::string& out);
    // Writes the console text from that offset on to the open spool file; false (the spool
    // ended and the console told why) when it cannot.
    bool spoolSince(size_t from, std::string& out);
    bool executeCommand(const std::vector<std::string>& w, const std::string& command, std::string& out);
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
    int depth_ = 0;                          // of the script running now in "@" commands
    std::unique_ptr<LockedOutputFile> spool_; // the open spool file
};
