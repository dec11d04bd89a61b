// Column widths of the table grids from the shared width rule, never narrower than a heading.
#include "dbtools/RISTableColumns.h"

#include "dbtools/RISTableFilter.h"
#include "ui/qt/QtWindowPlacement.h"

#include <QHeaderView>
#include <QTableWidget>

#include <algorithm>

void FitRISTableColumns(QTableWidget* grid)
{
    constexpr int kTwipsPerPixel = QtWindowPlacement::kTwipsPerPixel;
    const int columns = grid->columnCount();
    if (columns == 0)
        return;
    const long widthTwips = static_cast<long>(grid->viewport()->width()) * kTwipsPerPixel;
    const long each = RISTableFilter::ColumnWidth(widthTwips, columns);
    // A field name is what tells the columns apart: a column keeps the room its heading needs,
    // and the grid scrolls sideways when the shared width is less.
    for (int c = 0; c < columns; ++c)
        grid->setColumnWidth(c, std::max(static_cast<int>(each / kTwipsPerPixel),
                                         grid->horizontalHeader()->sectionSizeHint(c)));
}
