// Query results as tab-separated text tables: the rows written in chunks, and the "Schema.ini"
// section that describes them to the text driver.
#pragma once

#include "platform/ado/FieldInfo.h"

#include <string>
#include <vector>

class BinaryFile;
class Recordset;

// The text driver's type for a field: "short", "long", "double", "char width 38" for a GUID,
// else "char width " + the defined size (240 from a size of 255 on).
std::string SchemaIniTypeText(int adoType, long definedSize);

// "[<file name>]", the header lines for a tab-separated table without a header line, and one
// "Col<n>=<lower-case name> <type>" line per field; every line ends with CR LF.
std::string SchemaIniSection(const std::string& textFileName, const std::vector<FieldInfo>& fields);

// Writes the recordset's rows from the first on as lines ended by CR LF, fields separated by
// TAB, Null as nothing, double quotes doubled, and with replaceMinInt every whole value
// "-32768" as "0". Works in chunks of chunkRows rows and lets pending events run after each.
// Returns the number of rows written.
long WriteRecordsetText(Recordset& rs, BinaryFile& out, bool replaceMinInt, long chunkRows = 10000);
