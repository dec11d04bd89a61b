// The Excel stand-in's application object.
#include "platform/excel/ExcelApplication.h"

#include "platform/Environment.h"
#include "platform/excel/ExcelErrors.h"
#include "platform/excel/Workbook.h"

namespace {

bool gExcelMissing = false;

bool excelMissing()
{
    if (gExcelMissing)
        return true;
    const std::string env = GetEnvVar("TARNWICK_EXCEL_MISSING");
    return !env.empty() && env != "0";
}

} // namespace

std::unique_ptr<ExcelApplication> ExcelApplication::Start()
{
    if (excelMissing())
        throw AppError(kExcelCannotCreate, kAppTitle, "ActiveX component can't create object");
    return std::unique_ptr<ExcelApplication>(new ExcelApplication());
}

void ExcelApplication::SetExcelMissing(bool missing)
{
    gExcelMissing = missing;
}

ExcelApplication::ExcelApplication() : workbooks_(*this) {}

ExcelApplication::~ExcelApplication()
{
    if (running_)
        Quit();
}

void ExcelApplication::RequireRunning() const
{
    if (!running_)
        throw AppError(kExcelServerGone, kAppTitle, "The remote server machine does not exist or is unavailable");
}

bool ExcelApplication::Visible() const
{
    RequireRunning();
    return visible_;
}

void ExcelApplication::SetVisible(bool visible)
{
    RequireRunning();
    visible_ = visible;
}

bool ExcelApplication::DisplayAlerts() const
{
    RequireRunning();
    return displayAlerts_;
}

void ExcelApplication::SetDisplayAlerts(bool alerts)
{
    RequireRunning();
    displayAlerts_ = alerts;
}

int ExcelApplication::SheetsInNewWorkbook() const
{
    RequireRunning();
    return sheetsInNewWorkbook_;
}

void ExcelApplication::SetSheetsInNewWorkbook(int count)
{
    RequireRunning();
    if (count < 1 || count > 255)
        RaiseExcelError("The number of sheets in a new workbook must be between 1 and 255.");
    sheetsInNewWorkbook_ = count;
}

Workbooks& ExcelApplication::Workbooks()
{
    RequireRunning();
    return workbooks_;
}

Workbook& ExcelApplication::Workbooks(int index)
{
    return Workbooks().Item(index);
}

void ExcelApplication::Quit()
{
    RequireRunning();
    workbooks_.DiscardAll();
    running_ = false;
}
