// In-memory project tables and report reading for the file check tests.
#pragma once

#include "platform/ado/AdoTypes.h"
#include "platform/ado/Recordset.h"
#include "platform/excel/Worksheet.h"

#include <string>
#include <vector>

namespace filechecktest {

// A recordset with the named columns (numbers as small integers when the name ends in "_no"
// or "_indx_no", else texts) and the rows; Variant::Null() for a Null value.
inline Recordset Table(const std::vector<std::pair<std::string, int>>& columns,
                       const std::vector<std::vector<Variant>>& rows)
{
    Recordset rs;
    for (const auto& [name, type] : columns)
        rs.Fields().Append(name, type, type == adVarChar ? 41 : 2);
    rs.Open();
    std::vector<std::string> names;
    for (const auto& c : columns)
        names.push_back(c.first);
    for (const auto& row : rows)
        rs.AddNew(names, row);
    if (rs.RecordCount() > 0)
        rs.MoveFirst();
    return rs;
}

inline Recordset Disciplines(const std::vector<std::vector<Variant>>& rows)
{
    return Table({{"discipline_indx_no", adSmallInt}, {"discipline_name", adVarChar}}, rows);
}

inline Recordset Areas(const std::vector<std::vector<Variant>>& rows)
{
    return Table({{"discipline_indx_no", adSmallInt},
                  {"area_index_no", adSmallInt},
                  {"area_name", adVarChar},
                  {"area_description", adVarChar}},
                 rows);
}

inline Recordset Models(const std::vector<std::vector<Variant>>& rows)
{
    return Table({{"discipline_indx_no", adSmallInt},
                  {"area_index_no", adSmallInt},
                  {"model_no", adVarChar},
                  {"model_description", adVarChar}},
                 rows);
}

// The texts of a report row, columns A to E.
inline std::vector<std::string> Row(const Worksheet& sheet, int row, int columns = 5)
{
    std::vector<std::string> texts;
    for (int c = 1; c <= columns; ++c)
        texts.push_back(sheet.CellValueAt(row, c).Text());
    return texts;
}

} // namespace filechecktest
