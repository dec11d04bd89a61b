// Checks of the rows and the line order of a dump being loaded.
#include "standins/dbserver/DumpLoadCheck.h"

#include "platform/TextUtil.h"
#include "standins/dbserver/RisErrorBlock.h"

namespace {

// A data row ends with the blank after its last field in both layouts, so a line of a table
// block that begins like a create-table line and ends with its ")" is the next table's.
bool isCreateTableLine(const std::string& line)
{
    return StartsWithNoCase(line, DumpFormat::kCreateTable) && line.back() == ')';
}

} // namespace

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

void DumpLoadCheck::Refuse(const std::string& reason, long line) const
{
    RaiseRisError("RIS_E_BAD_DUMP_FILE", "The file '" + dumpFile_ + "' is no whole RIS dump: " + reason +
                                             (line > 0 ? " (line " + std::to_string(line) + ")." : "."));
}

void DumpLoadCheck::Take(const DumpItem& item)
{
    lastLine_ = item.lineNumber;
    if (inTable_) {
        if (item.kind == DumpItemKind::EndOfTable) {
            inTable_ = false;
            return;
        }
        const bool blockLine = item.kind == DumpItemKind::InsertLine || item.kind == DumpItemKind::LayoutLine ||
                               item.kind == DumpItemKind::Row;
        if (!blockLine || isCreateTableLine(item.line) || item.line == DumpFormat::kEndOfSchema)
            Refuse("table '" + table_ + "' has no end-of-table line", item.lineNumber);
        return;
    }
    if (TrimWhite(item.line).empty())
        return;
    if (item.line == DumpFormat::kEndOfTable)
        Refuse("an end-of-table line stands outside a table block", item.lineNumber);
    if (!started_ && item.kind != DumpItemKind::SchemaLine)
        Refuse("it does not begin with a schema line", item.lineNumber);
    if (complete_ && item.kind != DumpItemKind::SchemaLine)
        Refuse("a line follows the end-of-schema line", item.lineNumber);
    started_ = true;
    complete_ = item.kind == DumpItemKind::EndOfSchema;
    if (item.kind == DumpItemKind::SchemaLine)
        schemaTables_.clear();
    if (item.kind == DumpItemKind::CreateTable) {
        // A second block of one table would silently replace the rows of the first.
        for (const std::string& seen : schemaTables_)
            if (EqualsNoCase(seen, item.table))
                Refuse("table '" + item.table + "' appears twice", item.lineNumber);
        schemaTables_.push_back(item.table);
        inTable_ = true;
        table_ = item.table;
    }
}

void DumpLoadCheck::Finish() const
{
    if (!started_)
        Refuse(lastLine_ == 0 ? "it is empty" : "it holds no schema line");
    if (inTable_)
        Refuse("table '" + table_ + "' ends without its end-of-table line");
    if (!complete_)
        Refuse("the end-of-schema line is missing");
}
