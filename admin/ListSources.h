// The two lists of the main window's list buttons, as in-memory recordsets: the RIS schemas of
// the schema list and the users of the Oracle database.
#pragma once

#include "platform/ado/Recordset.h"

#include <string>
#include <vector>

class ListSources {
public:
    // A client-side recordset in memory with one nullable text field of 255 characters.
    static Recordset SingleColumnRecordset(const std::string& fieldName);

    // "schema_name": one row per name, in list order, up to the first empty name.
    static Recordset SchemaRecordset(const std::vector<std::string>& schemaNames);

    // The user names of the server manager's output lines after the rule: each line trimmed;
    // a line holding a lower-case letter ends the list (the closing row count); empty lines,
    // "USERNAME" and further rules are passed over.
    static std::vector<std::string> DbUserNames(const std::vector<std::string>& linesAfterRule);

    // "user_name": the users of the database, read through the server manager
    // ("Could not get database users" when its output cannot be read).
    static Recordset DbUserRecordset();
};

inline constexpr const char* kDefaultServerManagerPath = "d:\\orant\\bin\\svrmgr30.exe";
