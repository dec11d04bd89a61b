// The tables of a schema as the RIS dictionary lists them, asked through risbatch: a second
// source beside the unload client's listing, and the reader of its answer, which takes only a
// complete answer.
#pragma once

#include <string>
#include <vector>

// The one statement that asks the schema's tables (not its views) of the dictionary.
std::string DictionaryTablesStatement();

// The table names of risbatch's answer to DictionaryTablesStatement, in the answer's order and
// lower-cased. Raises error 1 naming what is missing unless the answer is complete: the query
// answered once, each row one "table_name:" line, closed by its "End of Data Found" line.
std::vector<std::string> ReadDictionaryTables(const std::string& answer);
