// RIS schemas of the project families, defined and removed through risbatch.
#pragma once

#include "admin/ToolRun.h"

#include <functional>
#include <string>

class RisSchemas {
public:
    // Public operations of the main window, also script commands. Token 1 of params (placeholders
    // filled from [TARNWICK]) is the schema; it must have the identifier form, else error 1 names
    // it and nothing runs. The schema lives on the configured Oracle database under the database
    // user of its own name, whose password is that name too. What risbatch says goes to the
    // program log and to onRun.
    void cre_schema(const std::string& params);
    void Del_Schema(const std::string& params);

    // Told of every risbatch run (not of the removal of the input file). Unset: nothing is told.
    std::function<void(const ToolOutcome&)> onRun;

    // The database a schema is created on: the [TARNWICK] keys dbname, osuser, dbdir, TCPIP.
    struct Database {
        std::string dbname, osuser, dbdir, tcpip;
    };
    static Database ConfiguredDatabase();

    // "create schema S on database (oracle, dbname D, osuser O , dir R, ostype nt, remote (tcp T))
    // user S.S@D;" where O is the osuser setting's account and password, each quoted when it is
    // no plain name. Raises error 1 when the account or the password after its "." is empty.
    static std::string CreateSchemaStatement(const std::string& schema, const Database& db);
    // "drop schema S force;" and CR LF.
    static std::string DropSchemaStatement(const std::string& schema);
    // "risbatch -i <input>" and "del <input>", the path quoted.
    static std::string RisbatchCommand(const std::string& input);
    static std::string DeleteCommand(const std::string& input);
};
