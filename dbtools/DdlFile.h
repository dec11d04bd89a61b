// The reader of the DDL definition files of a project ("design.ddl", "eqp.ddl") and the two
// small operations that take one column definition (name, blank, type) apart.
#pragma once

#include <string>
#include <vector>

// Reads one DDL file into its column list: one entry per column line, in file order, each the
// table number, "|", the trimmed column name, one blank and the trimmed column type. Raises
// AppError with source "ReadDDLFile"; its own failures are message templates with their
// arguments joined by "|||" (see DdlMessageArgs).
std::vector<std::string> ReadDDLFile(std::string path);

// The older reader of the same format, which nothing calls: the same column list, but no status
// lines, lines cut at CR (every LF deleted), 16-bit counters, plain messages with the file and
// the row on lines of their own, and only a file without any header line counts as holding no
// definition. Raises AppError with "ParseDDLFile" added to the source.
std::vector<std::string> ParseDDLFile(const std::string& path);

// The column name of a definition: the text before its first blank once trimmed; empty when
// the definition holds no blank.
std::string GetFieldName(const std::string& definition);

// The size written in the last parentheses of the definition, 0 when there is none or it is no
// number. Sets isCharacter (never clears it) when the type part contains "char" in any case.
int GetFieldSize(std::string definition, bool& isCharacter);

// Whether a line, in lower case, has the shape "*table*number*=*,*number*of*columns*=*".
bool IsDdlHeaderLine(const std::string& line);
