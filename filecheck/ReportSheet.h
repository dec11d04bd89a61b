// Writing the rows of the file check and restore reports into a worksheet: the row below the
// used rows, cells by column letter, section titles and header rows.
#pragma once

#include <string>
#include <vector>

class Worksheet;

// UsedRange.Rows.Count of the sheet (1 on an empty sheet).
int UsedRows(Worksheet& sheet);
// The text into the cell column + row; an empty text clears it.
void SetCell(Worksheet& sheet, const std::string& column, int row, const std::string& text);

// Where a section's title goes: on the row the used-row count names (the first section of a
// fresh sheet, which then lands on row 1) or on the row below the used rows.
enum class TitlePlace { UsedRow, BelowUsedRows };

// The title in column A (bold, font size 12), then the headers from column A on the next row
// below the used rows, that row bold from A to the last header. Raises the sheet's errors.
void WriteSectionStart(Worksheet& sheet, TitlePlace place, const std::string& title,
                       const std::vector<std::string>& headers);
