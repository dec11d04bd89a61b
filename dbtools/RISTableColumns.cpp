// Column widths of the table grids from the shared width rule.
#include "dbtools/RISTableColumns.h"

#include "dbtools/RISTableFilter.h"
#include "ui/qt/QtWindowPlacement.h"

#include <QTableWidget>

void FitRISTableColumns(QTableWidget* grid)
{
    constexpr int kTwipsPerPixel = QtWindowPlacement::kTwipsPerPixel;
    const int columns = grid->columnCount();
    if (columns == 0)
        return;
    const long widthTwips = static_cast<long>(grid->viewport()->width()) * kTwipsPerPixel;
    const long each = RISTableFilter::ColumnWidth(widthTwips, columns);
    for (int c = 0; c < columns; ++c)
        grid->setColumnWidth(c, static_cast<int>(each / kTwipsPerPixel));
}
