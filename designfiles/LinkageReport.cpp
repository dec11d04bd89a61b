// The linkage report workbook through the Excel stand-in.
#include "designfiles/LinkageReport.h"

#include "platform/AppError.h"
#include "platform/excel/ExcelApplication.h"
#include "platform/excel/Font.h"
#include "platform/excel/Range.h"
#include "platform/excel/Workbook.h"
#include "platform/excel/Worksheet.h"
#include "services/FileOperation.h"
#include "services/Messages.h"

namespace {

int usedRows(Worksheet& sheet)
{
    return static_cast<int>(sheet.UsedRange().Rows().Count());
}

} // namespace

LinkageReport::LinkageReport() = default;

LinkageReport::~LinkageReport()
{
    ReportClose();
}

void LinkageReport::ReportCreateNew(const std::string& reportFile)
{
    try {
        ShowStatus("Creating new report: '" + reportFile + "' ...");
        ReportClose();
        const size_t slash = reportFile.rfind('\\');
        const std::string dir = slash == std::string::npos ? reportFile : reportFile.substr(0, slash + 1);
        if (!IsFileExists(dir, 1)) {
            if (reportFile.empty())
                RaiseError(kAppTitle, "Report file not defined");
            RaiseError(kAppTitle, "Directory to create report: '" + reportFile + "' not exists");
        }
        app_ = ExcelApplication::Start();
        app_->Workbooks().Add();
        app_->SetDisplayAlerts(false);
        app_->Workbooks(1).SaveAs(reportFile);
        app_->SetDisplayAlerts(true);
        app_->SetVisible(false);
        sheet_ = &app_->Workbooks(1).Worksheets(1);
    } catch (const AppError& e) {
        throw PassOn(e, "ReportCreateNew");
    }
}

void LinkageReport::ReportSave()
{
    try {
        ShowStatus("Saving report ...");
        if (!app_ || !sheet_)
            RaiseError(kAppTitle, "Excel error");
        app_->SetDisplayAlerts(false);
        sheet_->Range("A1").Select();
        app_->Workbooks(1).Save();
        app_->Workbooks(1).Close();
        app_->SetDisplayAlerts(true);
        ShowStatus("Report saved successfully");
    } catch (const AppError& e) {
        throw PassOn(e, "ReportSave");
    }
}

void LinkageReport::ReportClose()
{
    sheet_ = nullptr;
    if (!app_)
        return;
    try {
        app_->SetDisplayAlerts(false);
        app_->Quit();
    } catch (const AppError&) {
        // Closing ends the report in any state; an Excel that is gone already is ended.
    }
    app_.reset();
}

void LinkageReport::WriteHeader()
{
    if (!sheet_)
        RaiseError("WriteHeader", "Excel error");
    const std::string row = std::to_string(usedRows(*sheet_));
    sheet_->Range("A" + row).SetValue("Design file");
    sheet_->Range("B" + row).SetValue("Discipline");
    sheet_->Range("C" + row).SetValue("Partition No");
    Font font = sheet_->Range("A" + row + ":C" + row).Font();
    font.SetBold(true);
    font.SetSize(12);
}

void LinkageReport::AddRow(const std::string& designFile, const std::string& discipline, const std::string& partition)
{
    if (!sheet_)
        RaiseError("AddRow", "Excel error");
    sheet_->Range("A" + std::to_string(usedRows(*sheet_) + 1)).SetValue(designFile);
    const std::string row = std::to_string(usedRows(*sheet_));
    sheet_->Range("B" + row).SetValue(discipline);
    sheet_->Range("C" + row).SetValue(partition);
}
