// The statement of the text driver that copies a query's rows into a table of an Access
// database, as a new table or appended to an existing one.
#pragma once

#include <string>

// "SELECT * INTO [table] IN 'database' FROM (query);" or, with append,
// "INSERT INTO [table] IN 'database' SELECT * FROM (query);". A final ";" of the query is
// left out; a "]" of the table name is doubled and a "'" of the path, so neither can end its
// bracket or quote early.
std::string AccessImportStatement(const std::string& table, const std::string& databasePath,
                                  const std::string& query, bool append);
