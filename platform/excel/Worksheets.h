// The worksheet collection of a workbook: count, item by position or name, add and delete.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

class Workbook;
class Worksheet;

class Worksheets {
public:
    explicit Worksheets(Workbook& book);
    ~Worksheets();
    Worksheets(const Worksheets&) = delete;
    Worksheets& operator=(const Worksheets&) = delete;

    int Count() const;
    // 1-based; outside 1..Count() raises 9 "Subscript out of range".
    Worksheet& Item(int index);
    const Worksheet& Item(int index) const;
    // By name without regard to case; an unknown name raises 9.
    Worksheet& Item(std::string_view name);
    Worksheet& operator()(int index) { return Item(index); }

    enum class Position { BeforeFirst, AfterLast };
    // A new sheet named "Sheet<n>" (the next number not in use). Without a position it goes in
    // front of the first sheet, where Excel puts it in a new workbook, whose active sheet is
    // the first.
    Worksheet& Add(Position where = Position::BeforeFirst);
    // Removes the sheet; the workbook's last sheet cannot go (1004). The removed object is
    // kept, so a stale reference raises instead of dangling.
    void Remove(Worksheet& sheet);

    // The sheet of that name without regard to case, or nullptr.
    const Worksheet* Find(std::string_view name) const;
    int IndexOf(const Worksheet& sheet) const;

private:
    Workbook& book_;
    std::vector<std::unique_ptr<Worksheet>> sheets_;
    std::vector<std::unique_ptr<Worksheet>> removed_;
    int nextNumber_ = 1;
};
