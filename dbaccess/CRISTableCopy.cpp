// RISTableCopy: tables with their data, views, indexes and grants copied from one RIS schema
// into another, optionally under new names, through an unload and a load.
#include "dbaccess/CRIS.h"

#include "dbaccess/CRISWork.h"
#include "dbaccess/DumpTableRename.h"
#include "dbaccess/RISCommandLine.h"
#include "services/FileOperation.h"

namespace {

// The unload client's fixed layout.
constexpr int32_t kFixedLayout = 1;
constexpr int16_t kCommitCount = 25;

} // namespace

void CRIS::RISTableCopy(const std::string& sourceSchema, const std::vector<std::string>& sourceTables,
                        const std::string& targetSchema, const std::vector<std::string>& targetTables,
                        int32_t loadMode, const std::string& logFile)
{
    WithErrorSource("CRIS::RISTableCopy", [&] {
        // The new names go into the dump's statements as they stand.
        for (const std::string& t : targetTables)
            CheckRISName("Table", t);
        WorkFiles work;
        const std::string dir = GetTempDir();
        const std::string unloaded = work.add(dir + GetTempName());
        const std::string renamed = work.add(dir + GetTempName());
        RISUnload(unloaded, sourceSchema, sourceTables, std::nullopt, "", kFixedLayout, false, true);
        DumpTableRename(sourceTables, targetTables).Copy(unloaded, renamed);
        RISLoad(renamed, std::nullopt, loadMode, targetSchema, logFile, kCommitCount);
    });
}
