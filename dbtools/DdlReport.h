// The Excel report of the DDL check's result tree: one worksheet with the sections of the
// roots "NoModels", "HasColNotInDB", "TypeMismatch" and "NoTables", saved in TEMP.
#pragma once

#include <string>

class CheckTree;
class Worksheet;
struct LocalTime;

// Writes the report workbook and returns its full path. Raises AppError with source
// "Tree2Excel" when the report cannot be made; Excel is closed again in every case.
std::string Tree2Excel(const CheckTree& tree, const std::string& project);

// Fills the sheet from row 1 with the report's sections (titles and headings bold, size 12).
void FillDdlReport(Worksheet& sheet, const CheckTree& tree);

// TEMP (with a "\" added unless it ends with one) + project + "-DDL-DB_yy_mm_dd_hh_mm_ss.xls".
std::string DdlReportPath(const std::string& tempDir, const std::string& project, const LocalTime& now);
