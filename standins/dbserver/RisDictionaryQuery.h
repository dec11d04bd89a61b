// Queries on the RIS dictionary view ris5schemas, answered from the server's catalogue without
// a connection to any schema's database user, so that a schema whose user is gone is still
// found.
#pragma once

#include "standins/dbserver/DbServer.h"

#include <string>

// Whether a select reads the dictionary view ris5schemas.
bool IsDictionaryQuery(const std::string& statement);

// Answers the select as the query answers of the session are written (a row per defined schema
// that matches, then "End of Data Found"). The view's columns: schema_name (lower case),
// schema_owner (the database user), database_type, database_name. Raises a RIS error for a
// statement the view cannot answer.
void AnswerDictionaryQuery(DbServer& server, const std::string& statement, const std::string& defaultSchema,
                           std::string& out);
