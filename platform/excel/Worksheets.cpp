// The worksheet collection of a workbook.
#include "platform/excel/Worksheets.h"

#include "platform/TextUtil.h"
#include "platform/excel/ExcelErrors.h"
#include "platform/excel/Workbook.h"
#include "platform/excel/Worksheet.h"

#include <algorithm>

namespace {

[[noreturn]] void raiseOutOfRange()
{
    throw AppError(kExcelSubscriptOutOfRange, kAppTitle, "Subscript out of range");
}

} // namespace

Worksheets::Worksheets(Workbook& book) : book_(book) {}

Worksheets::~Worksheets() = default;

int Worksheets::Count() const
{
    book_.RequireOpen();
    return static_cast<int>(sheets_.size());
}

Worksheet& Worksheets::Item(int index)
{
    return const_cast<Worksheet&>(static_cast<const Worksheets&>(*this).Item(index));
}

const Worksheet& Worksheets::Item(int index) const
{
    book_.RequireOpen();
    if (index < 1 || index > static_cast<int>(sheets_.size()))
        raiseOutOfRange();
    return *sheets_[static_cast<size_t>(index - 1)];
}

Worksheet& Worksheets::Item(std::string_view name)
{
    book_.RequireOpen();
    const Worksheet* sheet = Find(name);
    if (!sheet)
        raiseOutOfRange();
    return const_cast<Worksheet&>(*sheet);
}

Worksheet& Worksheets::Add(Position where)
{
    book_.RequireOpen();
    std::string name;
    do
        name = "Sheet" + std::to_string(nextNumber_++);
    while (Find(name));
    auto at = where == Position::BeforeFirst ? sheets_.begin() : sheets_.end();
    return **sheets_.insert(at, std::make_unique<Worksheet>(book_, name));
}

void Worksheets::Remove(Worksheet& sheet)
{
    book_.RequireOpen();
    auto it = std::find_if(sheets_.begin(), sheets_.end(), [&](const auto& s) { return s.get() == &sheet; });
    if (it == sheets_.end())
        raiseOutOfRange();
    if (sheets_.size() == 1)
        RaiseExcelError("A workbook must contain at least one visible worksheet.");
    sheet.MarkDeleted();
    removed_.push_back(std::move(*it));
    sheets_.erase(it);
}

const Worksheet* Worksheets::Find(std::string_view name) const
{
    for (const auto& s : sheets_) {
        if (EqualsNoCase(s->Name(), name))
            return s.get();
    }
    return nullptr;
}

int Worksheets::IndexOf(const Worksheet& sheet) const
{
    for (size_t i = 0; i < sheets_.size(); ++i) {
        if (sheets_[i].get() == &sheet)
            return static_cast<int>(i) + 1;
    }
    return 0;
}
