// Header-click sorting of the list grid.
#include "ui/qt/ListSort.h"

std::string ListSort::Click(int column, const std::string& dataField)
{
    if (column != remembered_) {
        remembered_ = column;
        return dataField + " Asc";
    }
    remembered_ = -1;
    return dataField + " Desc";
}
