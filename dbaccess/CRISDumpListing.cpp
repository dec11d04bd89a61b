// The dump file members of the database access object: thin members over the shared dump
// conversion and listings, working in the object's own work directory.
#include "dbaccess/CRIS.h"

#include "dbaccess/DumpParse.h"

void CRIS::RISDumpParse(const std::string& dump, const std::string& schema, const std::string& table,
                        std::string& textFile, std::string& formatFile, bool replaceMinInt)
{
    ::RISDumpParse(GetTempDir(), dump, schema, table, textFile, formatFile, replaceMinInt);
}

std::vector<std::string> CRIS::RISDumpGetSchemas(const std::string& dumpFile)
{
    return ::RISDumpGetSchemas(dumpFile);
}

std::vector<std::string> CRIS::RISDumpGetTables(const std::string& dumpFile)
{
    return ::RISDumpGetTables(dumpFile);
}
