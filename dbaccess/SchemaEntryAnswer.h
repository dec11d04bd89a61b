// The direct question whether RIS knows one schema: a select on the dictionary view of the
// schemas, and the reader of its answer, which takes only a complete answer. The schema list
// ("show schema names") has no end line, so a list cut short cannot be told from a whole one
// and never answers an existence.
#pragma once

#include <string>

// "select schema_name from ris5schemas where schema_name = '<schema in lower case>';"
std::string SchemaEntryQuery(const std::string& schema);

// Whether risbatch's answer to SchemaEntryQuery shows the schema: true for a row naming it,
// false for an answer closed by "End of Data Found" without one. Raises error 1 saying why
// when the answer is not complete: no heading of that query, no end line, a row that names
// another schema, or a line that belongs to no row.
bool ReadSchemaEntry(const std::string& answer, const std::string& schema);
