// The workbook collection of the Excel stand-in: add, count, item, and the close of each.
#pragma once

#include <memory>
#include <vector>

class ExcelApplication;
class Workbook;

class Workbooks {
public:
    explicit Workbooks(ExcelApplication& app);
    ~Workbooks();
    Workbooks(const Workbooks&) = delete;
    Workbooks& operator=(const Workbooks&) = delete;

    // A new workbook "Book<n>" with the application's number of sheets for a new workbook.
    Workbook& Add();
    int Count() const;
    // 1-based, in the order added; outside 1..Count() raises 9 "Subscript out of range".
    Workbook& Item(int index);
    Workbook& operator()(int index) { return Item(index); }

    // Takes a closing workbook out of the collection; the object is kept, so a stale
    // reference raises instead of dangling.
    void Remove(Workbook& book);
    // Closes every workbook without saving.
    void DiscardAll();

private:
    ExcelApplication& app_;
    std::vector<std::unique_ptr<Workbook>> open_;
    std::vector<std::unique_ptr<Workbook>> closed_;
    int nextNumber_ = 1;
};
