// Range handles: every call goes to the worksheet's cells.
#include "platform/excel/Range.h"

#include "platform/excel/Font.h"
#include "platform/excel/Worksheet.h"

Range::Range(Worksheet& sheet, const CellRect& rect, Shape shape) : sheet_(&sheet), rect_(rect), shape_(shape) {}

CellValue Range::Value() const
{
    sheet_->RequireAlive();
    return sheet_->CellValueAt(rect_.top, rect_.left);
}

void Range::SetValue(const CellValue& value)
{
    sheet_->SetCellValues(rect_, value);
}

std::string Range::NumberFormat() const
{
    sheet_->RequireAlive();
    return *sheet_->EffectiveFormat(rect_.top, rect_.left).numberFormat;
}

void Range::SetNumberFormat(const std::string& format)
{
    CellFormat change;
    change.numberFormat = format.empty() ? std::string(kGeneralNumberFormat) : format;
    sheet_->ApplyFormat(rect_, change);
}

Font Range::Font() const
{
    sheet_->RequireAlive();
    return ::Font(*sheet_, rect_);
}

long long Range::Count() const
{
    sheet_->RequireAlive();
    switch (shape_) {
    case Shape::Rows:
        return rect_.RowCount();
    case Shape::Columns:
        return rect_.ColumnCount();
    case Shape::Cells:
        break;
    }
    return rect_.CellCount();
}

void Range::AutoFit()
{
    sheet_->AutoFitColumns(rect_);
}

void Range::Select()
{
    sheet_->RequireAlive();
}
