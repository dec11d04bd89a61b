// The file check report workbook's life cycle.
#include "filecheck/CheckReportWorkbook.h"

#include "platform/AppError.h"
#include "platform/excel/ExcelApplication.h"
#include "platform/excel/Range.h"
#include "platform/excel/Workbook.h"
#include "platform/excel/Worksheet.h"
#include "services/FileOperation.h"
#include "services/Messages.h"

CheckReportWorkbook::CheckReportWorkbook() = default;

CheckReportWorkbook::~CheckReportWorkbook()
{
    ReportClose();
}

void CheckReportWorkbook::ReportCreateNew(const std::string& path)
{
    try {
        ShowStatus("Creating new report: '" + path + "' ...");
        ReportClose();
        const size_t slash = path.rfind('\\');
        const std::string folder = slash == std::string::npos ? path : path.substr(0, slash + 1);
        if (path.empty())
            RaiseError("", "Report file not defined");
        if (!IsFileExists(folder, 1))
            RaiseError("", "Directory to create report: '" + path + "' not exists");
        lastApp_.reset();
        lastSheet_ = nullptr;
        app_ = ExcelApplication::Start();
        app_->Workbooks().Add();
        app_->SetDisplayAlerts(false);
        app_->Workbooks(1).SaveAs(path);
        app_->SetDisplayAlerts(true);
        app_->SetVisible(false);
        sheet_ = &app_->Workbooks(1).Worksheets(1);
        lastSheet_ = sheet_;
    } catch (const AppError& e) {
        throw PassOn(e, "ReportCreateNew");
    }
}

void CheckReportWorkbook::ReportSave()
{
    try {
        ShowStatus("Saving report ...");
        if (!app_)
            RaiseError("", "Excel error");
        if (!sheet_)
            RaiseError("", "Excel error");
        app_->SetDisplayAlerts(false);
        sheet_->Range("A1").Select();
        Workbook& book = app_->Workbooks(1);
        book.Save();
        book.Close();
        app_->SetDisplayAlerts(true);
        ShowStatus("Report saved successfully");
    } catch (const AppError& e) {
        throw PassOn(e, "ReportSave");
    }
}

void CheckReportWorkbook::ReportClose()
{
    sheet_ = nullptr;
    if (!app_)
        return;
    try {
        if (app_->IsRunning()) {
            app_->SetDisplayAlerts(false);
            app_->Quit();
        }
    } catch (const AppError&) {
        // A vanished Excel is simply released.
    }
    lastApp_ = std::move(app_);
}
