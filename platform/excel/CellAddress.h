// Cell addresses of the worksheet grid ("A1", "$B$7", "A1:IV65536", "A:C", "3:5") and the
// rectangles they name.
#pragma once

#include <string>
#include <string_view>

// The grid of the workbooks the reports are written for (the .xls grid): 65536 rows and 256
// columns, A to IV. "A1:IV65536" is the whole sheet.
inline constexpr int kSheetRows = 65536;
inline constexpr int kSheetColumns = 256;

// A block of cells, 1-based and inclusive.
struct CellRect {
    int top = 1;
    int left = 1;
    int bottom = 1;
    int right = 1;

    int RowCount() const { return bottom - top + 1; }
    int ColumnCount() const { return right - left + 1; }
    long long CellCount() const { return static_cast<long long>(RowCount()) * ColumnCount(); }
    bool Contains(int row, int column) const
    {
        return row >= top && row <= bottom && column >= left && column <= right;
    }
    bool WholeColumns() const { return top == 1 && bottom == kSheetRows; }
    bool WholeRows() const { return left == 1 && right == kSheetColumns; }
    bool operator==(const CellRect&) const = default;
};

// "A" -> 1, "iv" -> 256; 0 for anything that is not a column of the grid.
int ColumnNumber(std::string_view letters);
// 1 -> "A", 256 -> "IV"; empty outside the grid.
std::string ColumnLetters(int column);

// Parses one cell ("A1", "$A$1"), two corners ("A1:C3", in any order), whole columns ("A:C")
// or whole rows ("1:3"), without regard to case. False when the text names no block of the grid.
bool ParseRangeAddress(std::string_view address, CellRect& rect);

// The absolute address as Excel writes it: "$A$1" or "$A$1:$C$3".
std::string RangeAddress(const CellRect& rect);
