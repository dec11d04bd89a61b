// The value of one worksheet cell: empty, a text or a number.
#pragma once

#include <string>

class CellValue {
public:
    enum class Kind { Empty, Text, Number };

    CellValue() = default;
    // An empty text gives an empty cell, as assigning "" to a cell clears it in Excel.
    CellValue(std::string text) : kind_(text.empty() ? Kind::Empty : Kind::Text), text_(std::move(text)) {}
    CellValue(const char* text) : CellValue(std::string(text)) {}
    CellValue(double number) : kind_(Kind::Number), number_(number) {}
    CellValue(int number) : CellValue(static_cast<double>(number)) {}
    CellValue(long number) : CellValue(static_cast<double>(number)) {}

    Kind kind() const { return kind_; }
    bool IsEmpty() const { return kind_ == Kind::Empty; }
    bool IsText() const { return kind_ == Kind::Text; }
    bool IsNumber() const { return kind_ == Kind::Number; }
    double Number() const { return number_; }   // 0 unless a number

    // What the cell shows: the text, the number as Excel's general format writes it (no
    // trailing zeros, up to 15 significant digits), or "" when empty.
    std::string Text() const;

    bool operator==(const CellValue& other) const;

private:
    Kind kind_ = Kind::Empty;
    std::string text_;
    double number_ = 0;
};
