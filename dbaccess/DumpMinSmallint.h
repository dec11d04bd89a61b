// The optional replacement of the smallest small integer "-32768" by 0 in the rows of a dump
// table. Only a whole value is replaced: a longer number or a text that holds the digits
// stays as it is.
#pragma once

#include "dbaccess/DumpFormat.h"

#include <string>
#include <string_view>
#include <vector>

class DumpMinSmallint {
public:
    static constexpr std::string_view kValue = "-32768";

    // Variable-layout rows: every unquoted value "-32768" becomes "0".
    static std::string VariableRowsToZero(std::string_view rows);
    // Fixed-layout rows: a field that holds "-32768" at its first position and blanks after
    // it gets "0" and five blanks in its place, so that every column keeps its positions.
    static std::string FixedRowsToZero(std::string_view rows, const std::vector<DumpFixedField>& fields);
};
