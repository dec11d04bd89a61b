// Comparison of a backup dump with the live schema.
#include "dbtools/CharColumnBackupCheck.h"

#include "dbaccess/CRIS.h"
#include "dbaccess/DumpWholeCheck.h"
#include "platform/TextUtil.h"
#include "services/FileOperation.h"

#include <map>

std::vector<std::string> BackupDumpDifferences(const std::string& dumpFile, const std::string& schema,
                                               const std::vector<std::string>& tables)
{
    std::vector<std::string> faults;
    // The unload has proved the dump whole before it wrote it; what is left to prove is that it
    // holds every table with the rows the server counts.
    const DumpWholeness dump = CheckDumpWhole(dumpFile);
    std::map<std::string, uint64_t> dumped; // lower-case table -> rows
    for (const DumpTableCount& t : dump.tables)
        dumped[ToLower(t.table)] += t.rows;
    std::vector<std::string> asked;
    for (const std::string& table : tables)
        if (!table.empty())
            asked.push_back(table);
    // One count of every table, not an extract of each: the check needs no room in TEMP.
    const RowCounts server = gCRIS->RISCountRows(schema, asked);
    std::map<std::string, bool> onServer;
    for (const std::string& table : asked) {
        onServer[ToLower(table)] = true;
        const uint64_t rows = server.at(table);
        const auto it = dumped.find(ToLower(table));
        if (it == dumped.end())
            faults.push_back(table + " is not in the dump");
        else if (rows != it->second)
            faults.push_back(table + " holds " + std::to_string(rows) + " rows on the server, " +
                             std::to_string(it->second) + " in the dump");
    }
    for (const DumpTableCount& t : dump.tables)
        if (!onServer.count(ToLower(t.table)))
            faults.push_back(t.table + " is in the dump but not in the schema");
    return faults;
}

std::string SetAsideRefusedBackup(const std::string& dumpFile)
{
    const std::string refused = dumpFile + ".refused";
    if (MoveFileA(dumpFile, refused))
        return "it was kept as '" + refused + "', which no restore takes for a backup";
    return "it could not be set aside as '" + refused + "' (" + gFileOpErrDescription + "): do not load it";
}
