// Reading tables out of RIS dump files: one table converted to a text table with its
// "Schema.ini" section, and the listings of a dump's schemas and tables. The database access
// object wraps these with its own work directory.
#pragma once

#include "dbaccess/DumpFormat.h"

#include <string>
#include <vector>

// Converts the table of the schema in the dump into the data file workDir + <unique name> +
// ".txt" and writes its description to workDir + "Schema.ini" (workDir ends with "\"). On
// success textFile and schemaIniFile name the two files; on failure both are empty, the files
// this call made are deleted, and the error is raised with the source "CRIS::RISDumpParse".
// minSmallintToZero turns every value "-32768" of the table's rows into 0 (whole values
// only, not digits inside a longer number or a text). The rows of the fixed layout stay as they
// stand ("Format=FixedLength"), except in a table with a column declared NOT NULL, where a field
// of blanks is a text: they are read as DumpFormat::ParseFixedRow reads them and written in the
// delimited form of the variable layout.
void RISDumpParse(const std::string& workDir, const std::string& dumpFile, const std::string& schemaName,
                  const std::string& tableName, std::string& textFile, std::string& schemaIniFile,
                  bool minSmallintToZero = false, size_t chunkSize = DumpFormat::kChunkSize);

// The names of the dump's schema lines (outside the rows of its tables), in file order,
// duplicates kept.
std::vector<std::string> RISDumpGetSchemas(const std::string& dumpFile, size_t chunkSize = DumpFormat::kChunkSize);

// "schema|table" for every create-table line of the dump (outside the rows of its tables),
// all paired with the name of the dump's first schema line. Raises "Schema name not found in
// dump file: '<path>'" when a create-table line comes before any schema line, or the dump has
// none.
std::vector<std::string> RISDumpGetTables(const std::string& dumpFile, size_t chunkSize = DumpFormat::kChunkSize);
