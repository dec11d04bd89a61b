// The Excel stand-in's application object: the subset of Excel automation the reports use,
// kept in memory. Workbooks are saved as real .xlsx content through libxlsxwriter under the
// names the program gives them; an ".xls" name gets xlsx content as well, which every
// spreadsheet program opens by its content.
#pragma once

#include "platform/excel/Workbooks.h"

#include <memory>

class Workbook;

class ExcelApplication {
public:
    // A new application object, as creating "Excel.Application" gives it: invisible, alerts
    // on, no workbook. Raises 429 "ActiveX component can't create object" when Excel is
    // missing (SetExcelMissing, or the environment variable TARNWICK_EXCEL_MISSING set to
    // anything but "" or "0").
    static std::unique_ptr<ExcelApplication> Start();
    // Tests make the start fail with it.
    static void SetExcelMissing(bool missing);

    ~ExcelApplication();
    ExcelApplication(const ExcelApplication&) = delete;
    ExcelApplication& operator=(const ExcelApplication&) = delete;

    bool Visible() const;
    void SetVisible(bool visible);
    // Remembered only: nothing here ever asks a question, an existing file is always replaced
    // and unsaved workbooks are dropped.
    bool DisplayAlerts() const;
    void SetDisplayAlerts(bool alerts);
    // Sheets of a new workbook: 3 unless set (1 to 255).
    int SheetsInNewWorkbook() const;
    void SetSheetsInNewWorkbook(int count);

    class Workbooks& Workbooks();
    // Workbooks().Item(index).
    Workbook& Workbooks(int index);

    // Closes every workbook without saving and ends the application: every later call on it
    // or its workbooks and sheets raises 462.
    void Quit();
    bool IsRunning() const { return running_; }
    void RequireRunning() const;

private:
    ExcelApplication();

    bool running_ = true;
    bool visible_ = false;
    bool displayAlerts_ = true;
    int sheetsInNewWorkbook_ = 3;
    class Workbooks workbooks_;
};
