// Font properties of a block of cells.
#include "platform/excel/Font.h"

#include "platform/excel/ExcelErrors.h"
#include "platform/excel/Worksheet.h"

Font::Font(Worksheet& sheet, const CellRect& rect) : sheet_(&sheet), rect_(rect) {}

bool Font::Bold() const
{
    sheet_->RequireAlive();
    return *sheet_->EffectiveFormat(rect_.top, rect_.left).bold;
}

void Font::SetBold(bool bold)
{
    CellFormat change;
    change.bold = bold;
    sheet_->ApplyFormat(rect_, change);
}

double Font::Size() const
{
    sheet_->RequireAlive();
    return *sheet_->EffectiveFormat(rect_.top, rect_.left).size;
}

void Font::SetSize(double points)
{
    sheet_->RequireAlive();
    if (!(points >= 1 && points <= 409))
        RaiseExcelError("Unable to set the Size property of the Font class: " + std::to_string(points) +
                        " is not between 1 and 409.");
    CellFormat change;
    change.size = points;
    sheet_->ApplyFormat(rect_, change);
}
