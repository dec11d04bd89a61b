// The sort of the list grid by a click on a column header: ascending on a new column, then
// alternating; the first column starts as if it had been sorted ascending already.
#pragma once

#include <string>

class ListSort {
public:
    // The recordset sort for a click on the column: dataField + " Asc" when the column is not
    // the remembered one (which it then becomes), else dataField + " Desc" (and none is
    // remembered).
    std::string Click(int column, const std::string& dataField);
    int rememberedColumn() const { return remembered_; }

private:
    int remembered_ = 0;
};
