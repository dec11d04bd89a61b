// The linkage report workbook: Excel started hidden, a new workbook saved at once under the
// report path, a header row and one row per design file on its first sheet, saved and closed
// at the end of the run, Excel ended when the run ends or the window closes.
#pragma once

#include <memory>
#include <string>

class ExcelApplication;
class Worksheet;

class LinkageReport {
public:
    LinkageReport();
    virtual ~LinkageReport(); // ends Excel
    LinkageReport(const LinkageReport&) = delete;
    LinkageReport& operator=(const LinkageReport&) = delete;

    // Ends an Excel left from before, then creates the workbook and saves it empty under
    // reportFile, replacing a file of that name. Raises "Report file not defined", "Directory
    // to create report: '<reportFile>' not exists" or Excel's failure (source "ReportCreateNew").
    void ReportCreateNew(const std::string& reportFile);
    // Saves and closes the workbook; Excel stays. Raises "Excel error" when no report was
    // created (source "ReportSave").
    void ReportSave();
    // Ends Excel without saving; never fails.
    void ReportClose();

    // The header row (bold, 12 point) in the used range's last row, row 1 on the new sheet.
    void WriteHeader();
    // One row below the used range: design file, discipline, partition.
    virtual void AddRow(const std::string& designFile, const std::string& discipline, const std::string& partition);

    // The report worksheet while a report is open, else nullptr.
    Worksheet* ReportSheet() const { return sheet_; }

private:
    std::unique_ptr<ExcelApplication> app_;
    Worksheet* sheet_ = nullptr;
};
