// Streaming rewrite of char column lengths in a RIS dump.
#include "dbtools/CharColumnDumpEdit.h"

#include "dbaccess/DumpReader.h"
#include "dbaccess/DumpWriter.h"
#include "dbtools/CharColumnChange.h"
#include "dbtools/SchemaDumpSummary.h"
#include "platform/AppError.h"
#include "platform/TextUtil.h"

long CharColumnDumpEdit::Apply(const std::string& source, const std::string& target, const CharColumnChange& change,
                               SchemaDumpSummary* summary)
{
    const std::string newType = "char(" + std::to_string(change.newLength()) + ")";
    DumpReader reader(source);
    DumpWriter writer(target);
    DumpItem item;
    long changed = 0;
    std::vector<size_t> checked; // indices of the affected columns of the current table
    std::vector<DumpColumn> tableColumns;
    while (reader.Next(item)) {
        if (summary)
            summary->Add(item);
        switch (item.kind) {
        case DumpItemKind::CreateTable: {
            checked.clear();
            tableColumns = item.columns;
            std::vector<DumpColumn> columns = item.columns;
            for (size_t i = 0; i < columns.size(); ++i)
                if (change.IsAffected(item.table, columns[i].name) && StartsWithNoCase(columns[i].type, "char")) {
                    columns[i].type = newType;
                    checked.push_back(i);
                }
            changed += static_cast<long>(checked.size());
            writer.WriteLine(checked.empty() ? item.line : DumpFormat::CreateTableLine(item.table, columns));
            break;
        }
        case DumpItemKind::Row:
            for (size_t i : checked)
                if (i < item.values.size() && item.values[i] &&
                    item.values[i]->size() > static_cast<size_t>(change.newLength()))
                    throw AppError(1, "CharColumnDumpEdit::Apply",
                                   "Column '" + tableColumns[i].name + "' of table '" + item.table +
                                       "' holds a value of " + std::to_string(item.values[i]->size()) +
                                       " characters, longer than " + std::to_string(change.newLength()) +
                                       " (dump line " + std::to_string(item.lineNumber) + ")");
            writer.WriteLine(item.line);
            break;
        case DumpItemKind::EndOfTable:
            checked.clear();
            writer.WriteLine(item.line);
            break;
        default:
            writer.WriteLine(item.line);
            break;
        }
    }
    writer.Close();
    return changed;
}
