// Extraction of the table a SELECT reads into a text table in the work directory, and the
// statement's rewrite to read that text table.
#include "dbaccess/CRIS.h"

#include "dbaccess/DumpParse.h"
#include "dbaccess/QueryError.h"
#include "dbaccess/SqlParse.h"
#include "platform/TextUtil.h"
#include "services/FileOperation.h"

void CRIS::ParseSQL(const std::string& sql, std::string& table, std::string& condition)
{
    table.clear();
    condition.clear();
    SelectParts parts = ParseSelect(sql);
    table = std::move(parts.table);
    condition = std::move(parts.condition);
}

void CRIS::Extract2File(const std::string& schema, std::string& sql, std::string& textFile, std::string& formatFile,
                        std::string& table, bool replaceMinInt, const std::string& dumpFile)
{
    std::string ownDump;
    try {
        if (IsBlank(sql))
            RaiseError("", "SQL statement not defined");
        const std::string dir = GetTempDir();
        // The work directory stands unquoted in the rewritten statement.
        if (dir.find_first_of(" .~") != std::string::npos)
            RaiseError("", "TEMP directory '" + dir
                               + "' is not correct. The path must not contain any of the following characters: "
                                 "' ', '.', '~'");
        const SelectParts parts = ParseSelect(sql);
        table = parts.table;

        if (GetDBConType() == kConRIS) {
            std::string dump = dumpFile;
            if (dump.empty()) {
                ownDump = dir + GetTempName();
                dump = ownDump;
                OptionalNames conditions;
                if (!parts.condition.empty())
                    conditions = std::vector<std::string>{parts.condition};
                // The variable layout, so that a text of blanks reaches the text table as a text.
                RISUnload(dump, schema, std::vector<std::string>{table}, conditions, "", kVariableLayout, false,
                          UnloadExtras::None);
            }
            RISDumpParse(dump, schema, table, textFile, formatFile, replaceMinInt);
            sql = RedirectSelect(sql, parts, textFile);
        } else {
            ADOUnloadAndParse(schema, sql, textFile, formatFile, replaceMinInt);
            sql = "SELECT * FROM " + textFile + " AS [" + table + "];";
        }
    } catch (...) {
        const AppError e = CurrentError();
        if (!ownDump.empty())
            DeleteFileA(ownDump, false);
        if (!textFile.empty())
            DeleteFileA(textFile, false);
        if (!formatFile.empty())
            DeleteFileA(formatFile, false);
        textFile.clear();
        formatFile.clear();
        table.clear();
        throw PassOn(e, "CRIS::Extract2File");
    }
    if (!ownDump.empty())
        DeleteFileA(ownDump, false);
}
