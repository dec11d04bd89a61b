// The workbook collection.
#include "platform/excel/Workbooks.h"

#include "platform/excel/ExcelApplication.h"
#include "platform/excel/ExcelErrors.h"
#include "platform/excel/Workbook.h"

#include <algorithm>
#include <string>

Workbooks::Workbooks(ExcelApplication& app) : app_(app) {}

Workbooks::~Workbooks() = default;

Workbook& Workbooks::Add()
{
    app_.RequireRunning();
    open_.push_back(std::make_unique<Workbook>(app_, "Book" + std::to_string(nextNumber_++),
                                               app_.SheetsInNewWorkbook()));
    return *open_.back();
}

int Workbooks::Count() const
{
    app_.RequireRunning();
    return static_cast<int>(open_.size());
}

Workbook& Workbooks::Item(int index)
{
    app_.RequireRunning();
    if (index < 1 || index > static_cast<int>(open_.size()))
        throw AppError(kExcelSubscriptOutOfRange, kAppTitle, "Subscript out of range");
    return *open_[static_cast<size_t>(index - 1)];
}

void Workbooks::Remove(Workbook& book)
{
    auto it = std::find_if(open_.begin(), open_.end(), [&](const auto& b) { return b.get() == &book; });
    if (it == open_.end())
        return;
    closed_.push_back(std::move(*it));
    open_.erase(it);
}

void Workbooks::DiscardAll()
{
    while (!open_.empty())
        open_.back()->Discard();
}
