// What the windows ask of the access object without handling it: the project schema's name,
// the schema lists, and pass-through wrappers for a SELECT and for statements.
#pragma once

#include <string>
#include <vector>

class Recordset;

// "pd_" + project, unchanged otherwise.
std::string GetProjectSchemaName(const std::string& project);

// All schema names RIS knows, or with projectsOnly the projects (from the "pd_" schemas), as
// the access object lists them (its cached list when it has one). Reports progress and the
// count on the status line. Raises error 1, source "GetSchemas", with the incoming source in
// front of the description.
std::vector<std::string> GetSchemas(bool projectsOnly);

// gCRIS->DBRead with lock type 3, its rows taken only when they are all the rows the server
// holds (DBReadWhole: in RIS mode a read short of rows raises, saying so); errors pass with
// "CRIS::DBRead" at the head of their source.
Recordset DBReadRecordset(const std::string& schema, const std::string& sql);

// gCRIS->DBWrite, its result dropped; errors pass unchanged.
void DBExecute(const std::string& schema, const std::string& sql);
