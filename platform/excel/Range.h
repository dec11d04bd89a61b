// A block of cells of one worksheet, as automation hands it out: value, number format, font,
// counts and column fitting. A light handle: the cells live in the worksheet.
#pragma once

#include "platform/excel/CellAddress.h"
#include "platform/excel/CellValue.h"

#include <string>

class Font;
class Worksheet;

class Range {
public:
    // What Count() counts: the cells, the rows (Rows()) or the columns (Columns()).
    enum class Shape { Cells, Rows, Columns };

    Range(Worksheet& sheet, const CellRect& rect, Shape shape = Shape::Cells);

    // The value of the top-left cell.
    CellValue Value() const;
    // The value of every cell of the block (text, number, or "" to clear).
    void SetValue(const CellValue& value);

    // The number format of the top-left cell ("General" unless set).
    std::string NumberFormat() const;
    // "@" makes the cells text cells; over "A1:IV65536" it formats the whole sheet.
    void SetNumberFormat(const std::string& format);

    // Bold and size of the block's font.
    class Font Font() const;

    Range Rows() const { return {*sheet_, rect_, Shape::Rows}; }
    Range Columns() const { return {*sheet_, rect_, Shape::Columns}; }
    // The number of cells, rows or columns, as the shape says.
    long long Count() const;
    int Row() const { return rect_.top; }
    int Column() const { return rect_.left; }

    // Fits the widths of the block's columns to the texts of its cells.
    void AutoFit();
    // Checks the sheet can still be used; selection itself has no effect on the saved file.
    void Select();

    // "$A$1" or "$A$1:$C$3".
    std::string Address() const { return RangeAddress(rect_); }
    const CellRect& Rect() const { return rect_; }
    Worksheet& Parent() const { return *sheet_; }

private:
    Worksheet* sheet_;
    CellRect rect_;
    Shape shape_;
};
