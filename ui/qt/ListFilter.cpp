// Filter texts and captions of the list grid.
#include "ui/qt/ListFilter.h"

#include "platform/AppError.h"
#include "platform/TextUtil.h"
#include "platform/ado/AdoTypes.h"
#include "platform/ado/Recordset.h"

std::string ListFilter::Build(const std::vector<ListFilterCell>& cells)
{
    std::vector<std::string> clauses;
    for (const ListFilterCell& c : cells) {
        if (c.text.empty())
            continue;
        if (c.fieldType == adVarWChar)
            clauses.push_back(c.dataField + " LIKE '" + ReplaceAll(c.text, "'", "''") + "*'");
        else
            clauses.push_back(c.dataField + " = #" + c.text + "#");
    }
    return Join(clauses, " AND ");
}

std::string ListFilter::Apply(Recordset* rs, const std::vector<ListFilterCell>& cells)
{
    if (rs == nullptr || rs->State() != adStateOpen)
        return "0 records";
    try {
        const std::string filter = Build(cells);
        if (filter != rs->Filter())
            rs->SetFilter(filter);
        return Caption(*rs);
    } catch (const AppError&) {
        // A text that is no valid value (a date that is none) lists nothing rather than
        // keeping an older filter the cells no longer show.
        try {
            rs->ClearFilter();
        } catch (const AppError&) {
        }
        return "0 records";
    }
}

std::string ListFilter::Caption(const Recordset& rs)
{
    if (rs.State() != adStateOpen)
        return "0 records";
    std::string caption = std::to_string(rs.RecordCount()) + " records";
    if (!rs.Filter().empty())
        caption += " (filtered)";
    return caption;
}
