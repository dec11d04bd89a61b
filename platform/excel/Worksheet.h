// One worksheet of the Excel stand-in: its name and its cells (values, number formats, bold,
// font size) and column widths, kept in memory until the workbook is saved.
#pragma once

#include "platform/excel/CellAddress.h"
#include "platform/excel/CellFormat.h"
#include "platform/excel/CellValue.h"

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class Range;
class Workbook;

class Worksheet {
public:
    // Owned by its workbook's sheet collection; the name is taken as given (the collection
    // makes it unique).
    Worksheet(Workbook& book, std::string name);
    Worksheet(const Worksheet&) = delete;
    Worksheet& operator=(const Worksheet&) = delete;

    const std::string& Name() const;
    // Excel's rules: 1 to 31 characters, none of : \ / ? * [ ], not beginning or ending with
    // an apostrophe, and no other sheet of the workbook with that name in any letter case.
    // A rejected name raises error 1004 and leaves the old name.
    void SetName(const std::string& name);

    // The 1-based position in the workbook.
    int Index() const;
    Workbook& Parent() const { return book_; }

    // The cell at row, column (1-based); outside the grid raises 1004.
    class Range Cells(int row, int column);
    // "A1", "A1:E1", "A1:IV65536", "A:C", "3:5"; anything else raises 1004.
    class Range Range(std::string_view address);
    // Every column of the sheet; AutoFit on it fits every column that holds cells.
    class Range Columns();
    // The block from the first to the last row and column holding a value or a cell's own
    // format, as Excel reports it; on an empty sheet that is A1, so UsedRange().Rows().Count()
    // is 1 there as well as after row 1 was written. Formats given to whole columns or rows
    // (or to areas of more than 65536 cells) do not widen it, as Excel keeps them per column.
    class Range UsedRange();

    // Removes the sheet from its workbook; the last sheet cannot go (1004). The object stays
    // valid as a stale reference: every later call on it raises.
    void Delete();

    // --- The model, read and changed by the range objects and read by the file writer.
    CellValue CellValueAt(int row, int column) const;
    // Every cell of the block; at most 65536 cells per call, longer texts than 32767
    // characters raise 1004.
    void SetCellValues(const CellRect& rect, const CellValue& value);
    // The format a cell shows, every property resolved.
    CellFormat EffectiveFormat(int row, int column) const;
    // Sets the properties that change holds on every cell of the block. Whole columns, whole
    // rows and blocks of more than 65536 cells are kept as one area instead of cell by cell.
    void ApplyFormat(const CellRect& rect, const CellFormat& change);
    // The format that areas covering every row of the column give it (unset properties stay
    // unset).
    CellFormat ColumnFormat(int column) const;
    // The width set by AutoFit, in Excel's character units; none keeps the default width.
    std::optional<double> ColumnWidth(int column) const;
    // Fits the width of each column of the block to the longest text of the block's cells in
    // it, estimated from text length, font size and bold; a column without such cells goes
    // back to the default width.
    void AutoFitColumns(const CellRect& rect);
    CellRect UsedRect() const;
    // Each cell holding a value or its own format, row by row, left to right.
    void ForEachCell(const std::function<void(int row, int column, const CellValue& value)>& visit) const;

    // Raises when the sheet was deleted or its workbook closed or its application quit.
    void RequireAlive() const;
    bool IsDeleted() const { return deleted_; }
    void MarkDeleted() { deleted_ = true; }

private:
    struct Cell {
        CellValue value;
        CellFormat format;
    };
    struct Area {
        CellRect rect;
        CellFormat format;
    };
    using CellKey = std::pair<int, int>;   // row, column
    using CellMap = std::map<CellKey, Cell>;

    // The cell, made when missing; and its removal, giving the next cell. Both keep the count
    // of cells per column.
    Cell& cellAt(int row, int column);
    CellMap::iterator eraseCell(CellMap::iterator it);

    Workbook& book_;
    std::string name_;
    bool deleted_ = false;
    CellMap cells_;
    // Cells per column: the used range is asked for every report row, so it must not walk
    // every cell of a long report.
    std::map<int, int> columnCells_;
    std::vector<Area> areas_;   // in the order set; a later area wins
    std::map<int, double> columnWidths_;
};

// Raises 1004 unless Excel accepts the text as a sheet name (the uniqueness test is the
// workbook's).
void CheckSheetNameRules(const std::string& name);
