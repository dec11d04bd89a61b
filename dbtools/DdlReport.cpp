// The DDL check report workbook.
#include "dbtools/DdlReport.h"

#include "dbtools/DdlCheckContext.h"
#include "platform/AppError.h"
#include "platform/Clock.h"
#include "platform/Environment.h"
#include "platform/TextUtil.h"
#include "platform/excel/ExcelApplication.h"
#include "platform/excel/Font.h"
#include "platform/excel/Range.h"
#include "platform/excel/Workbook.h"
#include "platform/excel/Worksheet.h"
#include "platform/excel/Worksheets.h"
#include "services/CheckTree.h"

#include <memory>
#include <optional>

namespace {

void writeCell(Worksheet& sheet, const char* column, long row, const std::string& value, bool heading)
{
    Range cell = sheet.Range(column + std::to_string(row));
    cell.SetValue(CellValue(value));
    if (heading) {
        cell.Font().SetBold(true);
        cell.Font().SetSize(12);
    }
}

// The table node's text "table - model": the pieces before and after the first " - ".
void splitTableText(const std::string& text, std::string& table, std::string& model)
{
    const std::vector<std::string> pieces = Split(text, " - ");
    table = pieces[0];
    model = pieces.size() > 1 ? pieces[1] : std::string();
}

} // namespace

void FillDdlReport(Worksheet& sheet, const CheckTree& tree)
{
    long row = 0;
    for (const char* key : {DdlRoot::kNoModels, DdlRoot::kHasColNotInDB, DdlRoot::kTypeMismatch, DdlRoot::kNoTables}) {
        const CheckTreeNode* root = tree.Find(key);
        if (!root)
            continue;
        const std::string section = key;
        writeCell(sheet, "A", ++row, root->text, true);
        ++row;
        if (section == DdlRoot::kNoModels) {
            writeCell(sheet, "A", row, "Table", true);
        } else if (section == DdlRoot::kNoTables) {
            writeCell(sheet, "A", row, "Model", true);
            writeCell(sheet, "B", row, "Partition_no", true);
        } else {
            writeCell(sheet, "A", row, "Table", true);
            writeCell(sheet, "B", row, "Column", true);
            writeCell(sheet, "C", row, "Model", true);
        }
        for (const CheckTreeNode* child : root->children) {
            if (section == DdlRoot::kNoModels || section == DdlRoot::kNoTables) {
                writeCell(sheet, "A", ++row, child->text, false);
                if (section == DdlRoot::kNoTables)
                    writeCell(sheet, "B", row, child->tag, false);
            } else if (!child->children.empty()) {
                std::string table, model;
                splitTableText(child->text, table, model);
                for (const CheckTreeNode* column : child->children) {
                    writeCell(sheet, "A", ++row, table, false);
                    writeCell(sheet, "B", row, column->text, false);
                    writeCell(sheet, "C", row, model, false);
                }
            }
            DoEvents();
        }
    }
}

std::string DdlReportPath(const std::string& tempDir, const std::string& project, const LocalTime& now)
{
    std::string dir = tempDir;
    if (dir.empty() || dir.back() != '\\')
        dir += "\\";
    return dir + project + "-DDL-DB" + FormatLocalTime(now, "_yy_mm_dd_hh_nn_ss") + ".xls";
}

std::string Tree2Excel(const CheckTree& tree, const std::string& project)
{
    std::unique_ptr<ExcelApplication> excel;
    Workbook* book = nullptr;
    std::optional<AppError> failure;
    std::string path;
    try {
        excel = ExcelApplication::Start();
        excel->SetVisible(false);
        excel->SetDisplayAlerts(false);
        excel->Workbooks().Add();
        book = &excel->Workbooks(1);
        Worksheets& sheets = book->Worksheets();
        for (int i = sheets.Count(); i >= 2; --i)
            sheets.Item(i).Delete();
        if (sheets.Count() == 0)
            sheets.Add();
        Worksheet& sheet = sheets.Item(1);
        if (!project.empty())
            sheet.SetName(project + "(DDL<=>DB)");
        sheet.Range("A1:IV65536").SetNumberFormat("@");
        FillDdlReport(sheet, tree);
        path = DdlReportPath(GetEnvVar("TEMP"), project, GetClock().Now());
        book->SaveAs(path);
    } catch (const AppError& e) {
        failure = PassOn(e, "Tree2Excel");
    } catch (const std::exception& e) {
        failure = AppError(1, "Tree2Excel", e.what());
    }
    // Excel is closed after a failure as after success; its own errors here change nothing.
    if (excel) {
        try {
            if (book && book->IsOpen())
                book->Close(false);
        } catch (const AppError&) {
        }
        try {
            excel->SetDisplayAlerts(true);
            excel->Quit();
        } catch (const AppError&) {
        }
    }
    if (failure)
        throw *failure;
    return path;
}
