// The table and column catalogue of the RIS kind: listings through risunlod, cached per object.
#include "dbaccess/CRIS.h"

#include "dbaccess/CRISWork.h"
#include "dbaccess/RISCommandLine.h"
#include "dbaccess/RISErrorReader.h"
#include "dbaccess/RISListing.h"
#include "dbaccess/RisClientWarnings.h"
#include "platform/BinaryFile.h"
#include "platform/TextUtil.h"
#include "services/BatchLauncher.h"
#include "services/FileOperation.h"

#include <algorithm>

namespace {

const char kNul = '\0';

// A cached list: the names joined by NUL; the empty text is the empty list.
std::vector<std::string> SplitCached(const std::string& value, const std::string& sep)
{
    if (value.empty())
        return {};
    return Split(value, sep);
}

} // namespace

std::vector<std::string> CRIS::DBGetTables(const std::string& schema, bool refresh)
{
    if (GetDBConType() == kConRIS)
        return RISGetTables(schema, refresh);
    return ADOGetTables(schema, refresh);
}

std::vector<std::string> CRIS::DBGetCols(const std::string& schema, const std::string& table, bool withTypes,
                                         bool refresh)
{
    if (GetDBConType() == kConRIS)
        return RISGetCols(schema, table, withTypes, refresh);
    return ADOGetCols(schema, table, refresh);
}

bool CRIS::IsTableExists(const std::string& schema, const std::string& table, bool refresh)
{
    return WithErrorSource("CRIS::IsTableExists",
                           [&] { return ContainsNoCase(DBGetTables(schema, refresh), table); });
}

bool CRIS::IsColumnExists(const std::string& schema, const std::string& table, const std::string& column,
                          bool refresh)
{
    return WithErrorSource("CRIS::IsColumnExists",
                           [&] { return ContainsNoCase(DBGetCols(schema, table, false, refresh), column); });
}

std::vector<std::string> CRIS::RISGetTables(const std::string& schema, bool refresh)
{
    return WithErrorSource("CRIS::RISGetTables", [&] {
        if (IsBlank(schema))
            RaiseError("", "Schema name not defined");
        CheckRISName("Schema", schema);
        const std::string key = "k_" + schema;
        if (!refresh) {
            const auto hit = risTableCache_.find(key);
            if (hit != risTableCache_.end())
                return SplitCached(hit->second, std::string(1, kNul));
        }
        std::vector<std::string> tables = ListedTableNames(RunRisunlodListing(schema, nullptr));
        risTableCache_[key] = Join(tables, std::string(1, kNul));
        return tables;
    });
}

std::vector<std::string> CRIS::RISGetCols(const std::string& schema, const std::string& table, bool withTypes,
                                          bool refresh)
{
    return WithErrorSource("CRIS::RISGetCols", [&] {
        if (IsBlank(schema))
            RaiseError("", "Schema name not defined");
        CheckRISName("Schema", schema);
        CheckRISName("Table", table);
        std::string columnText;
        const auto hit = refresh ? risColumnCache_.end() : risColumnCache_.find("k_" + schema + "|" + table);
        if (hit != risColumnCache_.end()) {
            columnText = hit->second;
        } else {
            // Every table the listing defines is cached; the table asked for is matched
            // without regard to case, as the cache itself is.
            for (const ListedTable& t : ListedTableColumns(RunRisunlodListing(schema, &table))) {
                risColumnCache_["k_" + schema + "|" + t.name] = t.columnText;
                if (EqualsNoCase(t.name, table))
                    columnText = t.columnText;
            }
        }
        if (IsBlank(columnText))
            RaiseError("", "Table: '" + table + "' not in schema: '" + schema + "' exists");
        return ColumnEntries(columnText, withTypes);
    });
}

std::vector<ListedGrant> CRIS::RISGetGrants(const std::string& schema)
{
    return WithErrorSource("CRIS::RISGetGrants", [&] {
        if (IsBlank(schema))
            RaiseError("", "Schema name not defined");
        CheckRISName("Schema", schema);
        return ListedGrants(RunRisunlodListing(schema, nullptr, false, false, true));
    });
}

std::string CRIS::RISGetDefinitions(const std::string& schema)
{
    return WithErrorSource("CRIS::RISGetDefinitions", [&] {
        if (IsBlank(schema))
            RaiseError("", "Schema name not defined");
        CheckRISName("Schema", schema);
        return RunRisunlodListing(schema, nullptr, true, true, true);
    });
}

std::vector<std::string> CRIS::RISViewWarnings(const std::string& schema)
{
    return WithErrorSource("CRIS::RISViewWarnings", [&] {
        if (IsBlank(schema))
            RaiseError("", "Schema name not defined");
        CheckRISName("Schema", schema);
        std::vector<std::string> warnings;
        RunRisunlodListing(schema, nullptr, false, true, false, &warnings);
        return warnings;
    });
}

std::string CRIS::RunRisunlodListing(const std::string& schema, const std::string* table, bool withIndexes,
                                     bool withViews, bool withGrants, std::vector<std::string>* warnings)
{
    WorkFiles work;
    const std::string dir = GetTempDir();
    const std::string listFile = work.add(dir + GetTempName());
    const std::string logFile = work.add(dir + GetTempName());
    DeleteFileA(listFile, false);

    const std::string risPath = GetRISPath();
    long pid = 0;
    const long exitCode = ExecA(RisunlodListCommand(risPath, listFile, schema, table, withIndexes, withViews, withGrants),
                                logFile, 0, dir, pid, true);
    const std::string error = RISGetError(logFile);
    if (!error.empty())
        RaiseError("", error);
    if (const std::string why = RisClientNoOutput("risunlod", risPath, exitCode, listFile, false); !why.empty())
        RaiseError("", why);
    // A listing cut off by a client that died would pass for a schema with fewer tables.
    if (RisClientEndedUnexplained(exitCode, IsFileExists(logFile, 0) ? BinaryFile::ReadAll(logFile) : std::string()))
        RaiseError("", RisClientExitText("risunlod", exitCode));
    // A listing that ended well may still be cut short: it would pass for a schema with fewer
    // tables, and every dump checked against it would lack them unnoticed.
    std::string listing = BinaryFile::ReadAll(listFile);
    if (const std::string problem = ListingProblem(listing); !problem.empty())
        RaiseError("", "The listing risunlod wrote of schema '" + schema + "' is not whole: " + problem);
    if (warnings)
        *warnings = RisClientWarnings(IsFileExists(logFile, 0) ? BinaryFile::ReadAll(logFile) : std::string());
    return listing;
}
