// The schema rowsets of tables and columns that the stand-in server's connections give from
// one database user's SQLite file.
#pragma once

#include "platform/ado/Recordset.h"
#include "platform/ado/Variant.h"

#include <string>
#include <vector>

class StandInSchemaRowset {
public:
    // The rowset of adSchemaTables (TABLE_CATALOG, TABLE_SCHEMA, TABLE_NAME, TABLE_TYPE) or
    // adSchemaColumns (TABLE_CATALOG, TABLE_SCHEMA, TABLE_NAME, COLUMN_NAME, ORDINAL_POSITION)
    // of the owner's tables and views, in order of creation. The catalogue and schema
    // restrictions are the connection's to resolve into catalog, owner and hostPath; the others
    // (table name, table type, column name) compare without regard to case. A missing file
    // holds no tables. Any other schema raises kNotCapable with errorSource.
    static Recordset Build(int schema, const std::vector<Variant>& restrictions, const std::string& catalog,
                           const std::string& owner, const std::string& hostPath, const std::string& errorSource);
};
