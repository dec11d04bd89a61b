// Filter texts and captions of the table editor's grid.
#include "dbtools/RISTableFilter.h"

#include "platform/AppError.h"
#include "platform/TextUtil.h"
#include "platform/ado/Recordset.h"
#include "platform/ado/Variant.h"

#include <algorithm>

std::string RISTableFilter::Build(const std::vector<ListFilterCell>& cells)
{
    std::vector<std::string> clauses;
    for (const ListFilterCell& c : cells) {
        if (c.text.empty())
            continue;
        if (ParseNumberText(c.text))
            clauses.push_back(c.dataField + " = #" + c.text + "#");
        else
            clauses.push_back(c.dataField + " LIKE '" + ReplaceAll(c.text, "'", "''") + "*'");
    }
    return Join(clauses, " AND ");
}

std::string RISTableFilter::Apply(Recordset* rs, const std::string& table, const std::vector<ListFilterCell>& cells)
{
    const std::string empty = table.empty() ? std::string("Please select one table") : table + " - 0 records";
    if (rs == nullptr || rs->State() != adStateOpen)
        return empty;
    try {
        const std::string filter = Build(cells);
        if (filter != rs->Filter())
            rs->SetFilter(filter);
    } catch (const AppError&) {
        try {
            rs->ClearFilter();
        } catch (const AppError&) {
        }
        return empty;
    }
    std::string caption = table + " - " + std::to_string(rs->RecordCount()) + " records";
    if (!rs->Filter().empty())
        caption += " (filtered)";
    return caption;
}

long RISTableFilter::ColumnWidth(long gridWidthTwips, int columns)
{
    return columns <= 0 ? 0 : std::max(800L, gridWidthTwips / columns - 100);
}
