// The Oracle database users of RIS schemas, created and dropped through the server-manager
// program with a generated script.
#pragma once

#include "admin/ToolRun.h"

#include <functional>
#include <string>

class DbUsers {
public:
    // Public operations of the main window, also script commands. Token 1 of params (the text
    // between the first two single quotes, "§key§" placeholders filled from [TARNWICK]) is the
    // user; it must have the identifier form, else error 1 names it and nothing runs. The user
    // gets its own name as password. Errors of the scratch file pass to the caller; what the
    // server manager says goes to the program log and to onRun.
    void Cre_DBUser(const std::string& params);
    void Del_DBUser(const std::string& params);

    // Told of every server-manager run (not of the echo line). Unset: nothing is told.
    std::function<void(const ToolOutcome&)> onRun;

    // The create script: connect, an own tablespace when userTablespace holds a "\" (the
    // directory of its data file), the grant that makes the user with its password, privileges,
    // default and temporary tablespace, quota, exit; CR LF after each line. The scratch file
    // gets one more CR LF after the script.
    static std::string CreateUserScript(const std::string& user, const std::string& connectString,
                                        const std::string& userTablespace, const std::string& temporaryTablespace);
    // connect, "drop user U cascade;", "commit;", "exit;"; CR LF after each line.
    static std::string DropUserScript(const std::string& user, const std::string& connectString);
    // "<program> @<script>", both paths quoted.
    static std::string ServerManagerCommand(const std::string& program, const std::string& script);
};
