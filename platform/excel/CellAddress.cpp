// Parsing and writing of cell addresses.
#include "platform/excel/CellAddress.h"

#include <algorithm>
#include <cctype>

namespace {

// One end of an address: column letters, row digits or both, each optionally after "$".
struct AddressPart {
    int column = 0;   // 0 when the part names no column
    int row = 0;      // 0 when the part names no row
};

bool parsePart(std::string_view s, AddressPart& part)
{
    size_t i = 0;
    if (i < s.size() && s[i] == '$')
        ++i;
    const size_t lettersStart = i;
    while (i < s.size() && std::isalpha(static_cast<unsigned char>(s[i])))
        ++i;
    const std::string_view letters = s.substr(lettersStart, i - lettersStart);
    bool dollarBeforeRow = false;
    if (!letters.empty() && i < s.size() && s[i] == '$') {
        dollarBeforeRow = true;
        ++i;
    }
    const size_t digitsStart = i;
    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])))
        ++i;
    const std::string_view digits = s.substr(digitsStart, i - digitsStart);
    if (i != s.size() || (letters.empty() && digits.empty()) || (dollarBeforeRow && digits.empty()))
        return false;
    part = {};
    if (!letters.empty()) {
        part.column = ColumnNumber(letters);
        if (part.column == 0)
            return false;
    }
    if (!digits.empty()) {
        if (digits.size() > 5)
            return false;
        part.row = std::stoi(std::string(digits));
        if (part.row < 1 || part.row > kSheetRows)
            return false;
    }
    return true;
}

} // namespace

int ColumnNumber(std::string_view letters)
{
    if (letters.empty() || letters.size() > 2)
        return 0;
    int n = 0;
    for (char c : letters) {
        if (!std::isalpha(static_cast<unsigned char>(c)))
            return 0;
        n = n * 26 + (std::toupper(static_cast<unsigned char>(c)) - 'A' + 1);
    }
    return n <= kSheetColumns ? n : 0;
}

std::string ColumnLetters(int column)
{
    if (column < 1 || column > kSheetColumns)
        return {};
    std::string s;
    for (int n = column; n > 0; n = (n - 1) / 26)
        s.insert(s.begin(), static_cast<char>('A' + (n - 1) % 26));
    return s;
}

bool ParseRangeAddress(std::string_view address, CellRect& rect)
{
    const size_t colon = address.find(':');
    AddressPart a;
    AddressPart b;
    if (!parsePart(address.substr(0, colon), a))
        return false;
    if (colon == std::string_view::npos) {
        if (a.column == 0 || a.row == 0)
            return false;
        b = a;
    } else if (!parsePart(address.substr(colon + 1), b)) {
        return false;
    }
    const bool aCell = a.column != 0 && a.row != 0;
    const bool bCell = b.column != 0 && b.row != 0;
    if (aCell && bCell) {
        rect = {std::min(a.row, b.row), std::min(a.column, b.column), std::max(a.row, b.row),
                std::max(a.column, b.column)};
        return true;
    }
    if (a.row == 0 && b.row == 0 && a.column != 0 && b.column != 0) {   // "A:C"
        rect = {1, std::min(a.column, b.column), kSheetRows, std::max(a.column, b.column)};
        return true;
    }
    if (a.column == 0 && b.column == 0 && a.row != 0 && b.row != 0) {   // "1:3"
        rect = {std::min(a.row, b.row), 1, std::max(a.row, b.row), kSheetColumns};
        return true;
    }
    return false;
}

std::string RangeAddress(const CellRect& rect)
{
    auto cell = [](int row, int column) { return "$" + ColumnLetters(column) + "$" + std::to_string(row); };
    if (rect.CellCount() == 1)
        return cell(rect.top, rect.left);
    return cell(rect.top, rect.left) + ":" + cell(rect.bottom, rect.right);
}
