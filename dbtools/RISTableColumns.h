// The column widths of the table editor's and the table viewer's grid: the grid's width shared out.
#pragma once

class QTableWidget;

// Gives every column of the grid the same width (RISTableFilter::ColumnWidth of the visible
// width), or the width its heading needs when that is more.
void FitRISTableColumns(QTableWidget* grid);
