// Worksheet model: names, cells, formats, used range and column widths.
#include "platform/excel/Worksheet.h"

#include "platform/TextUtil.h"
#include "platform/excel/ExcelErrors.h"
#include "platform/excel/Range.h"
#include "platform/excel/Workbook.h"
#include "platform/excel/Worksheets.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr long long kCellWiseLimit = 65536;
constexpr size_t kMaxCellText = 32767;
constexpr size_t kMaxSheetName = 31;
constexpr double kMaxColumnWidth = 255;

// Excel's width unit is the width of a "0" in the 11 point default font; a cell adds about
// five pixels of margin, some 0.7 of that unit. Bold text runs about a tenth wider.
double estimatedWidth(const std::string& text, const CellFormat& format)
{
    size_t longest = 0;
    for (const std::string& line : Split(text, "\n"))
        longest = std::max(longest, line.size());
    double width = static_cast<double>(longest) * format.size.value_or(kDefaultFontSize) / kDefaultFontSize;
    if (format.bold.value_or(false))
        width *= 1.1;
    width = std::ceil((width + 0.71) * 100) / 100;
    return std::min(width, kMaxColumnWidth);
}

void clearProperties(CellFormat& format, const CellFormat& change)
{
    if (change.numberFormat)
        format.numberFormat.reset();
    if (change.bold)
        format.bold.reset();
    if (change.size)
        format.size.reset();
}

void setProperties(CellFormat& format, const CellFormat& change)
{
    if (change.numberFormat)
        format.numberFormat = change.numberFormat;
    if (change.bold)
        format.bold = change.bold;
    if (change.size)
        format.size = change.size;
}

} // namespace

void CheckSheetNameRules(const std::string& name)
{
    if (name.empty())
        RaiseExcelError("A sheet name cannot be empty.");
    if (name.size() > kMaxSheetName)
        RaiseExcelError("The sheet name '" + name + "' is longer than 31 characters.");
    if (name.find_first_of(":\\/?*[]") != std::string::npos)
        RaiseExcelError("The sheet name '" + name + "' contains one of the characters : \\ / ? * [ ].");
    if (name.front() == '\'' || name.back() == '\'')
        RaiseExcelError("The sheet name '" + name + "' begins or ends with an apostrophe.");
}

Worksheet::Worksheet(Workbook& book, std::string name) : book_(book), name_(std::move(name)) {}

void Worksheet::RequireAlive() const
{
    book_.RequireOpen();
    if (deleted_)
        RaiseExcelError("The worksheet was deleted.", kExcelObjectDisconnected);
}

const std::string& Worksheet::Name() const
{
    RequireAlive();
    return name_;
}

void Worksheet::SetName(const std::string& name)
{
    RequireAlive();
    CheckSheetNameRules(name);
    const Worksheet* other = book_.Worksheets().Find(name);
    if (other && other != this)
        RaiseExcelError("Cannot rename a sheet to the same name as another sheet: '" + name + "'.");
    name_ = name;
}

int Worksheet::Index() const
{
    RequireAlive();
    return book_.Worksheets().IndexOf(*this);
}

Range Worksheet::Cells(int row, int column)
{
    RequireAlive();
    if (row < 1 || row > kSheetRows || column < 1 || column > kSheetColumns)
        RaiseExcelError("The cell (" + std::to_string(row) + ", " + std::to_string(column) +
                        ") lies outside the sheet.");
    return ::Range(*this, CellRect{row, column, row, column});
}

Range Worksheet::Range(std::string_view address)
{
    RequireAlive();
    CellRect rect;
    if (!ParseRangeAddress(address, rect))
        RaiseExcelError("Method 'Range' of object '_Worksheet' failed: '" + std::string(address) +
                        "' is no cell address.");
    return ::Range(*this, rect);
}

Range Worksheet::Columns()
{
    RequireAlive();
    return ::Range(*this, CellRect{1, 1, kSheetRows, kSheetColumns}, ::Range::Shape::Columns);
}

Range Worksheet::UsedRange()
{
    RequireAlive();
    return ::Range(*this, UsedRect());
}

void Worksheet::Delete()
{
    RequireAlive();
    book_.Worksheets().Remove(*this);
}

CellValue Worksheet::CellValueAt(int row, int column) const
{
    auto it = cells_.find({row, column});
    return it == cells_.end() ? CellValue() : it->second.value;
}

void Worksheet::SetCellValues(const CellRect& rect, const CellValue& value)
{
    RequireAlive();
    if (rect.CellCount() > kCellWiseLimit)
        RaiseExcelError("Values can be set on at most 65536 cells at once, not on " + RangeAddress(rect) + ".");
    if (value.IsText() && value.Text().size() > kMaxCellText)
        RaiseExcelError("A cell holds at most 32767 characters.");
    for (int r = rect.top; r <= rect.bottom; ++r) {
        for (int c = rect.left; c <= rect.right; ++c) {
            auto it = cells_.find({r, c});
            if (value.IsEmpty()) {
                if (it == cells_.end())
                    continue;
                it->second.value = value;
                if (!it->second.format.Any())
                    eraseCell(it);
            } else {
                cellAt(r, c).value = value;
            }
        }
    }
}

CellFormat Worksheet::EffectiveFormat(int row, int column) const
{
    CellFormat f;
    if (auto it = cells_.find({row, column}); it != cells_.end())
        f = it->second.format;
    for (auto a = areas_.rbegin(); a != areas_.rend(); ++a) {
        if (a->rect.Contains(row, column))
            f.FillFrom(a->format);
    }
    return f.Resolved();
}

void Worksheet::ApplyFormat(const CellRect& rect, const CellFormat& change)
{
    RequireAlive();
    if (!change.Any())
        return;
    if (rect.WholeColumns() || rect.WholeRows() || rect.CellCount() > kCellWiseLimit) {
        // The area lies over what the cells inside it set before, so those properties go.
        for (auto it = cells_.begin(); it != cells_.end();) {
            if (rect.Contains(it->first.first, it->first.second)) {
                clearProperties(it->second.format, change);
                if (!it->second.format.Any() && it->second.value.IsEmpty()) {
                    it = eraseCell(it);
                    continue;
                }
            }
            ++it;
        }
        areas_.push_back({rect, change});
        return;
    }
    for (int r = rect.top; r <= rect.bottom; ++r) {
        for (int c = rect.left; c <= rect.right; ++c)
            setProperties(cellAt(r, c).format, change);
    }
}

CellFormat Worksheet::ColumnFormat(int column) const
{
    CellFormat f;
    for (auto a = areas_.rbegin(); a != areas_.rend(); ++a) {
        if (a->rect.WholeColumns() && column >= a->rect.left && column <= a->rect.right)
            f.FillFrom(a->format);
    }
    return f;
}

std::optional<double> Worksheet::ColumnWidth(int column) const
{
    auto it = columnWidths_.find(column);
    if (it == columnWidths_.end())
        return std::nullopt;
    return it->second;
}

void Worksheet::AutoFitColumns(const CellRect& rect)
{
    RequireAlive();
    std::map<int, double> widths;
    for (const auto& [key, cell] : cells_) {
        if (!rect.Contains(key.first, key.second) || cell.value.IsEmpty())
            continue;
        const double w = estimatedWidth(cell.value.Text(), EffectiveFormat(key.first, key.second));
        widths[key.second] = std::max(widths[key.second], w);
    }
    for (int c = rect.left; c <= rect.right; ++c) {
        auto it = widths.find(c);
        if (it == widths.end())
            columnWidths_.erase(c);
        else
            columnWidths_[c] = it->second;
    }
}

CellRect Worksheet::UsedRect() const
{
    if (cells_.empty())
        return {};
    return {cells_.begin()->first.first, columnCells_.begin()->first, cells_.rbegin()->first.first,
            columnCells_.rbegin()->first};
}

Worksheet::Cell& Worksheet::cellAt(int row, int column)
{
    auto [it, added] = cells_.try_emplace({row, column});
    if (added)
        ++columnCells_[column];
    return it->second;
}

Worksheet::CellMap::iterator Worksheet::eraseCell(CellMap::iterator it)
{
    const int column = it->first.second;
    if (--columnCells_[column] == 0)
        columnCells_.erase(column);
    return cells_.erase(it);
}

void Worksheet::ForEachCell(const std::function<void(int, int, const CellValue&)>& visit) const
{
    for (const auto& [key, cell] : cells_)
        visit(key.first, key.second, cell.value);
}
