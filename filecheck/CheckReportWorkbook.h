// The report workbook of the file check window: Excel started hidden with a new workbook saved
// at once under its final name, rows written into its first worksheet, saved and closed at the
// end of a run, and Excel quit by the run's closing step or the window's unload.
#pragma once

#include <memory>
#include <string>

class ExcelApplication;
class Worksheet;

class CheckReportWorkbook {
public:
    CheckReportWorkbook();
    ~CheckReportWorkbook();
    CheckReportWorkbook(const CheckReportWorkbook&) = delete;
    CheckReportWorkbook& operator=(const CheckReportWorkbook&) = delete;

    // Starts a hidden Excel with a new workbook saved under path (Windows form; an existing
    // file is replaced). Raises error 1 "Report file not defined" for an empty path and
    // "Directory to create report: '<path>' not exists" for a missing folder, before Excel
    // starts; Excel's own errors pass with "ReportCreateNew" in front of their source.
    void ReportCreateNew(const std::string& path);
    // Saves and closes the report workbook; raises error 1 "Excel error" without one.
    void ReportSave();
    // Quits Excel and releases the worksheet; never raises, also when nothing was started.
    void ReportClose();

    // The report worksheet while a report is open, else nullptr.
    Worksheet* Sheet() const { return sheet_; }
    // The first worksheet of the last report, readable (cells and formats) also after it was
    // saved and Excel quit, until the next report is created; nullptr before the first.
    const Worksheet* LastSheet() const { return lastSheet_; }

private:
    std::unique_ptr<ExcelApplication> app_;
    Worksheet* sheet_ = nullptr;
    // The quit application of the last report, kept so that its cells stay readable.
    std::unique_ptr<ExcelApplication> lastApp_;
    const Worksheet* lastSheet_ = nullptr;
};
