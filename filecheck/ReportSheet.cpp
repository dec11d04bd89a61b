// Report rows and section starts on a worksheet.
#include "filecheck/ReportSheet.h"

#include "platform/excel/CellAddress.h"
#include "platform/excel/Font.h"
#include "platform/excel/Range.h"
#include "platform/excel/Worksheet.h"

int UsedRows(Worksheet& sheet)
{
    return static_cast<int>(sheet.UsedRange().Rows().Count());
}

void SetCell(Worksheet& sheet, const std::string& column, int row, const std::string& text)
{
    sheet.Range(column + std::to_string(row)).SetValue(CellValue(text));
}

void WriteSectionStart(Worksheet& sheet, TitlePlace place, const std::string& title,
                       const std::vector<std::string>& headers)
{
    const int titleRow = place == TitlePlace::UsedRow ? UsedRows(sheet) : UsedRows(sheet) + 1;
    SetCell(sheet, "A", titleRow, title);
    Font titleFont = sheet.Range("A" + std::to_string(titleRow)).Font();
    titleFont.SetBold(true);
    titleFont.SetSize(12);

    const int headerRow = UsedRows(sheet) + 1;
    for (size_t i = 0; i < headers.size(); ++i)
        SetCell(sheet, ColumnLetters(static_cast<int>(i) + 1), headerRow, headers[i]);
    const std::string row = std::to_string(headerRow);
    sheet.Range("A" + row + ":" + ColumnLetters(static_cast<int>(headers.size())) + row).Font().SetBold(true);
}
