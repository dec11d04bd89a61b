// The .xlsx writer of the Excel stand-in, the one user of libxlsxwriter.
#include "platform/excel/XlsxExport.h"

#include "platform/TextEncoding.h"
#include "platform/excel/ExcelErrors.h"
#include "platform/excel/Workbook.h"
#include "platform/excel/Worksheet.h"

#include <xlsxwriter.h>

#include <map>
#include <tuple>

namespace {

// Excel's own index of the text format "@"; given as a custom format it would still work, but
// under its index every reader knows it without reading the format code.
constexpr uint8_t kBuiltInTextFormat = 49;

std::string latin1ToUtf8(const std::string& s) { return EncodeText(s, TextEncoding::Utf8); }

// One libxlsxwriter format per distinct resolved cell format; the default format is none.
class FormatCache {
public:
    explicit FormatCache(lxw_workbook* book) : book_(book) {}

    lxw_format* Get(const CellFormat& f)
    {
        const CellFormat r = f.Resolved();
        if (r == CellFormat{}.Resolved())
            return nullptr;
        const auto key = std::make_tuple(*r.numberFormat, *r.bold, *r.size);
        auto it = formats_.find(key);
        if (it != formats_.end())
            return it->second;
        lxw_format* format = workbook_add_format(book_);
        if (*r.numberFormat == "@")
            format_set_num_format_index(format, kBuiltInTextFormat);
        else if (*r.numberFormat != kGeneralNumberFormat)
            format_set_num_format(format, latin1ToUtf8(*r.numberFormat).c_str());
        if (*r.bold)
            format_set_bold(format);
        if (*r.size != kDefaultFontSize)
            format_set_font_size(format, *r.size);
        formats_.emplace(key, format);
        return format;
    }

private:
    lxw_workbook* book_;
    std::map<std::tuple<std::string, bool, double>, lxw_format*> formats_;
};

struct ColumnSetting {
    lxw_format* format = nullptr;
    std::optional<double> width;
    bool operator==(const ColumnSetting&) const = default;
};

// Column widths and whole-column formats, one call per run of equal columns.
lxw_error writeColumns(lxw_worksheet* out, const Worksheet& sheet, FormatCache& formats)
{
    auto settingOf = [&](int column) {
        const CellFormat f = sheet.ColumnFormat(column);
        return ColumnSetting{f.Any() ? formats.Get(f) : nullptr, sheet.ColumnWidth(column)};
    };
    int first = 1;
    ColumnSetting run = settingOf(1);
    for (int c = 2; c <= kSheetColumns + 1; ++c) {
        const ColumnSetting next = c <= kSheetColumns ? settingOf(c) : ColumnSetting{};
        if (c <= kSheetColumns && next == run)
            continue;
        if (run.format || run.width) {
            lxw_error err = worksheet_set_column(out, static_cast<lxw_col_t>(first - 1), static_cast<lxw_col_t>(c - 2),
                                                 run.width.value_or(LXW_DEF_COL_WIDTH), run.format);
            if (err != LXW_NO_ERROR)
                return err;
        }
        first = c;
        run = next;
    }
    return LXW_NO_ERROR;
}

lxw_error writeCells(lxw_worksheet* out, const Worksheet& sheet, FormatCache& formats)
{
    lxw_error err = LXW_NO_ERROR;
    sheet.ForEachCell([&](int row, int column, const CellValue& value) {
        if (err != LXW_NO_ERROR)
            return;
        const auto r = static_cast<lxw_row_t>(row - 1);
        const auto c = static_cast<lxw_col_t>(column - 1);
        lxw_format* format = formats.Get(sheet.EffectiveFormat(row, column));
        if (value.IsText())
            err = worksheet_write_string(out, r, c, latin1ToUtf8(value.Text()).c_str(), format);
        else if (value.IsNumber())
            err = worksheet_write_number(out, r, c, value.Number(), format);
        else if (format)
            err = worksheet_write_blank(out, r, c, format);
    });
    return err;
}

} // namespace

void WriteWorkbookXlsx(const Workbook& book, const std::string& hostPath)
{
    lxw_workbook* out = workbook_new(hostPath.c_str());
    if (!out)
        RaiseExcelError("the workbook could not be started in memory.");
    FormatCache formats(out);
    lxw_error err = LXW_NO_ERROR;
    const Worksheets& sheets = book.Worksheets();
    for (int i = 1; i <= sheets.Count() && err == LXW_NO_ERROR; ++i) {
        const Worksheet& sheet = sheets.Item(i);
        lxw_worksheet* outSheet = workbook_add_worksheet(out, latin1ToUtf8(sheet.Name()).c_str());
        if (!outSheet) {
            err = LXW_ERROR_SHEETNAME_ALREADY_USED;
            break;
        }
        err = writeColumns(outSheet, sheet, formats);
        if (err == LXW_NO_ERROR)
            err = writeCells(outSheet, sheet, formats);
    }
    // Closing frees the library's workbook in any case; a half-written file is removed by the caller.
    const lxw_error closeErr = workbook_close(out);
    if (err == LXW_NO_ERROR)
        err = closeErr;
    if (err != LXW_NO_ERROR)
        RaiseExcelError(lxw_strerror(err));
}
