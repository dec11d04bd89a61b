// Streaming cut of the changed tables out of a RIS dump, with and without their new lengths.
#include "dbtools/CharColumnDumpEdit.h"

#include "dbaccess/DumpReader.h"
#include "dbaccess/DumpWriter.h"
#include "dbtools/CharColumnChange.h"
#include "dbaccess/SchemaDumpSummary.h"
#include "platform/AppError.h"
#include "platform/TextUtil.h"

#include <algorithm>

namespace {

// The table named after " on " in an index or grant line, or empty.
std::string tableOfLine(const std::string& line)
{
    const std::string lower = ToLower(line);
    const size_t on = lower.find(" on ");
    if (on == std::string::npos)
        return {};
    const std::string rest = TrimLeft(lower.substr(on + 4));
    return rest.substr(0, rest.find_first_of(" ("));
}

bool isChangedTable(const CharColumnChange& change, const std::string& table)
{
    return std::any_of(change.tables().begin(), change.tables().end(),
                       [&](const std::string& t) { return EqualsNoCase(t, table); });
}

} // namespace

long CharColumnDumpEdit::Apply(const std::string& source, const std::string& edited, const std::string& restore,
                               const CharColumnChange& change, SchemaDumpSummary* editedSummary,
                               SchemaDumpSummary* restoreSummary)
{
    const std::string newType = "char(" + std::to_string(change.newLength()) + ")";
    DumpReader reader(source);
    DumpWriter editedOut(edited);
    DumpWriter restoreOut(restore);
    auto both = [&](const DumpItem& asEdited, const DumpItem& asBefore) {
        editedOut.WriteLine(asEdited.line);
        restoreOut.WriteLine(asBefore.line);
        if (editedSummary)
            editedSummary->Add(asEdited);
        if (restoreSummary)
            restoreSummary->Add(asBefore);
    };
    DumpItem item;
    long changed = 0;
    bool inChangedTable = false;
    std::vector<size_t> checked; // indices of the affected columns of the current table
    std::vector<DumpColumn> tableColumns;
    while (reader.Next(item)) {
        switch (item.kind) {
        case DumpItemKind::SchemaLine:
        case DumpItemKind::EndOfSchema:
            both(item, item);
            break;
        case DumpItemKind::CreateTable: {
            checked.clear();
            inChangedTable = isChangedTable(change, item.table);
            if (!inChangedTable)
                break;
            tableColumns = item.columns;
            DumpItem asEdited = item;
            for (size_t i = 0; i < asEdited.columns.size(); ++i)
                if (change.IsAffected(item.table, asEdited.columns[i].name) &&
                    StartsWithNoCase(asEdited.columns[i].type, "char")) {
                    asEdited.columns[i].type = newType;
                    checked.push_back(i);
                }
            changed += static_cast<long>(checked.size());
            if (!checked.empty())
                asEdited.line = DumpFormat::CreateTableLine(item.table, asEdited.columns);
            both(asEdited, item);
            break;
        }
        case DumpItemKind::Row:
            if (!inChangedTable)
                break;
            for (size_t i : checked)
                if (i < item.values.size() && item.values[i] &&
                    item.values[i]->size() > static_cast<size_t>(change.newLength()))
                    throw AppError(1, "CharColumnDumpEdit::Apply",
                                   "Column '" + tableColumns[i].name + "' of table '" + item.table +
                                       "' holds a value of " + std::to_string(item.values[i]->size()) +
                                       " characters, longer than " + std::to_string(change.newLength()) +
                                       " (dump line " + std::to_string(item.lineNumber) + ")");
            both(item, item);
            break;
        case DumpItemKind::InsertLine:
        case DumpItemKind::LayoutLine:
        case DumpItemKind::EndOfTable:
            if (inChangedTable)
                both(item, item);
            if (item.kind == DumpItemKind::EndOfTable)
                inChangedTable = false;
            break;
        default: {
            inChangedTable = false;
            const std::string words = ToLower(TrimWhite(item.line));
            if (StartsWithNoCase(words, "create view ")) {
                // The views stay as they are; the summaries keep them for the comparison.
                if (editedSummary)
                    editedSummary->Add(item);
                if (restoreSummary)
                    restoreSummary->Add(item);
            } else if ((item.kind == DumpItemKind::IndexLine || item.kind == DumpItemKind::GrantLine ||
                        words.rfind("create index ", 0) == 0 || words.rfind("grant ", 0) == 0) &&
                       isChangedTable(change, tableOfLine(item.line))) {
                both(item, item);
            }
            break;
        }
        }
    }
    editedOut.Close();
    restoreOut.Close();
    return changed;
}
