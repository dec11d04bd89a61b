// Whole-value replacement of "-32768" in dump rows.
#include "dbaccess/DumpMinSmallint.h"

#include <algorithm>

namespace {

bool endsValue(std::string_view rows, size_t at)
{
    return at == rows.size() || rows[at] == ' ' || rows[at] == '\r' || rows[at] == '\n';
}

} // namespace

std::string DumpMinSmallint::VariableRowsToZero(std::string_view rows)
{
    std::string out;
    out.reserve(rows.size());
    bool inQuotes = false;
    bool valueStart = true; // at a line's start or after a blank outside quotes
    for (size_t i = 0; i < rows.size();) {
        const char c = rows[i];
        if (!inQuotes && valueStart && rows.compare(i, kValue.size(), kValue) == 0 &&
            endsValue(rows, i + kValue.size())) {
            out += '0';
            i += kValue.size();
            valueStart = false;
            continue;
        }
        out += c;
        ++i;
        if (c == '\n') {
            inQuotes = false; // a quote left open ends with its row
            valueStart = true;
        } else if (c == '\'') {
            if (inQuotes && i < rows.size() && rows[i] == '\'') {
                out += '\''; // a doubled quote inside a value
                ++i;
            } else {
                inQuotes = !inQuotes;
            }
            valueStart = false;
        } else {
            valueStart = !inQuotes && c == ' ';
        }
    }
    return out;
}

std::string DumpMinSmallint::FixedRowsToZero(std::string_view rows, const std::vector<DumpFixedField>& fields)
{
    std::string out(rows);
    for (size_t lineStart = 0; lineStart < out.size();) {
        size_t lineEnd = out.find('\n', lineStart);
        const size_t next = lineEnd == std::string::npos ? out.size() : lineEnd + 1;
        if (lineEnd == std::string::npos)
            lineEnd = out.size();
        if (lineEnd > lineStart && out[lineEnd - 1] == '\r')
            --lineEnd;
        for (const DumpFixedField& f : fields) {
            // The value stands left-aligned at its field's first position; it is whole when
            // nothing but blanks follows it up to the field's end.
            const size_t from = lineStart + static_cast<size_t>(f.first) - 1;
            const size_t after = from + kValue.size();
            if (after > lineEnd || out.compare(from, kValue.size(), kValue) != 0)
                continue;
            const size_t fieldEnd = std::max(std::min(lineStart + static_cast<size_t>(f.last), lineEnd), after);
            if (out.find_first_not_of(' ', after) < fieldEnd || (after < lineEnd && out[after] != ' '))
                continue;
            out.replace(from, kValue.size(), "0     ");
        }
        lineStart = next;
    }
    return out;
}
