// Reads of a whole table whose row count the server confirms.
#include "dbaccess/WholeTableRead.h"

#include "dbaccess/CRIS.h"
#include "dbaccess/DumpWholeCheck.h"
#include "dbaccess/SqlParse.h"
#include "platform/AppError.h"
#include "platform/TextUtil.h"
#include "platform/ado/Recordset.h"
#include "services/FileOperation.h"

Recordset DBReadWhole(CRIS& cris, const std::string& schema, const std::string& sql, int32_t lockType)
{
    if (cris.GetDBConType() != CRIS::kConRIS)
        return cris.DBRead(schema, sql, lockType);
    std::string dump;
    try {
        if (IsBlank(schema))
            RaiseError("", "Schema name not defined");
        const std::string table = ParseSelect(sql).table;
        dump = cris.GetTempDir() + GetTempName();
        // The whole table, whatever the statement's condition: only then can the server's count
        // of its rows tell whether the unload left one out.
        cris.RISUnload(dump, schema, std::vector<std::string>{table}, std::nullopt, "", 1, false, UnloadExtras::None);
        const std::string shortOf =
            RowCountDifferences(CheckDumpWhole(dump).tables, cris.RISCountRows(schema, std::vector<std::string>{table}));
        if (!shortOf.empty())
            RaiseError("", "The read of " + table + " of schema " + schema + " is not whole: " + shortOf);
        Recordset rows = cris.RISDumpRead(dump, schema, sql);
        DeleteFileA(dump);
        return rows;
    } catch (const AppError& e) {
        if (!dump.empty())
            DeleteFileA(dump);
        throw PassOn(e, "CRIS::DBRead");
    }
}
