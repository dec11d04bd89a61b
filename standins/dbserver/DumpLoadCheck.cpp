// Checks of a dump being loaded.
#include "standins/dbserver/DumpLoadCheck.h"

#include "platform/TextUtil.h"
#include "standins/dbserver/RisErrorBlock.h"

#include <algorithm>

bool DumpLoadCheck::RowMatchesColumns(std::string_view line, const DumpRow& values, DumpLayout layout,
                                      const std::vector<bool>& quoted, const std::vector<DumpFixedField>& fields)
{
    if (layout == DumpLayout::Variable) {
        std::string again;
        DumpFormat::AppendVariableRow(again, values, quoted);
        return again == line;
    }
    std::vector<bool> inField(line.size(), false);
    for (const DumpFixedField& f : fields)
        for (size_t i = static_cast<size_t>(f.first - 1); i < static_cast<size_t>(f.last) && i < line.size(); ++i)
            inField[i] = true;
    for (size_t i = 0; i < line.size(); ++i)
        if (line[i] != ' ' && !inField[i])
            return false;
    return true;
}

void DumpLoadCheck::Refuse(const std::string& dumpFile, const std::string& reason)
{
    RaiseRisError("RIS_E_BAD_DUMP_FILE", "The file '" + dumpFile + "' is no whole RIS dump: " + reason + ".");
}

std::vector<DumpTableCount> DumpLoadCheck::CheckBeforeLoad(const std::string& dumpFile,
                                                           const RisTransferRequest& request)
{
    DumpWholeness whole = CheckDumpWhole(dumpFile);
    if (!whole.Whole())
        Refuse(dumpFile, whole.problem);
    auto holds = [&](const std::string& table, size_t before) {
        return std::any_of(whole.tables.begin(), whole.tables.begin() + static_cast<long>(before),
                           [&](const DumpTableCount& t) { return EqualsNoCase(t.table, table); });
    };
    // A second block of one table would silently replace the rows of the first.
    for (size_t i = 0; i < whole.tables.size(); ++i)
        if (holds(whole.tables[i].table, i))
            Refuse(dumpFile, "table '" + whole.tables[i].table + "' appears twice");
    if (!request.tables.all)
        for (const std::string& name : request.tables.names)
            if (!holds(name, whole.tables.size()))
                RaiseRisError("RIS_E_UNKNOWN_RELATION",
                              "Table '" + name + "' is not in the dump '" + dumpFile + "'; nothing was loaded.");
    return whole.tables;
}
