// Writes a workbook of the Excel stand-in as an .xlsx file through libxlsxwriter.
#pragma once

#include <string>

class Workbook;

// Writes every sheet (name, cell texts and numbers, number formats, bold, font sizes, column
// widths and whole-column formats) to the host path, replacing what is there. Texts are the
// program's one-byte characters (Latin-1) and go into the file as UTF-8. Raises AppError 1004
// with libxlsxwriter's reason when the file cannot be written.
void WriteWorkbookXlsx(const Workbook& book, const std::string& hostPath);
