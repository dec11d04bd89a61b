// Conversion of variable-layout dump rows to delimited text, in one pass over the bytes.
#include "dbaccess/DumpTextConverter.h"

#include <array>
#include <cstring>

namespace {

// Bytes that need more than a copy.
constexpr std::array<bool, 256> makeSpecial()
{
    std::array<bool, 256> t{};
    t[static_cast<unsigned char>(' ')] = true;
    t[static_cast<unsigned char>('\'')] = true;
    t[static_cast<unsigned char>('"')] = true;
    t[static_cast<unsigned char>('\n')] = true;
    return t;
}
constexpr std::array<bool, 256> kSpecial = makeSpecial();

} // namespace

size_t DumpTextConverter::ConvertVariableRows(std::string_view rows, char* const out)
{
    char* o = out;
    const char* p = rows.data();
    const char* const end = p + rows.size();
    bool inQuotes = false;
    while (p < end) {
        const char* q = p;
        while (q < end && !kSpecial[static_cast<unsigned char>(*q)])
            ++q;
        if (q != p) {
            std::memcpy(o, p, static_cast<size_t>(q - p));
            o += q - p;
            p = q;
            if (p == end)
                break;
        }
        const char c = *p;
        if (c == '"') {
            *o++ = '"';
            *o++ = '"';
            ++p;
        } else if (c == '\n') {
            *o++ = '\n';
            inQuotes = false;
            ++p;
        } else if (inQuotes) {
            if (c == ' ') {
                *o++ = ' ';
                ++p;
            } else if (p + 1 < end && p[1] == '\'') { // a doubled quote inside a value
                *o++ = '\'';
                p += 2;
            } else {
                inQuotes = false;
                ++p;
            }
        } else if (c == '\'') {
            inQuotes = true;
            ++p;
        } else { // a run of blanks between values
            const char* r = p;
            while (r < end && *r == ' ')
                ++r;
            const size_t separators = (static_cast<size_t>(r - p) + 1) / 2;
            std::memset(o, kSeparator, separators);
            o += separators;
            p = r;
        }
    }
    return static_cast<size_t>(o - out);
}

std::string DumpTextConverter::ConvertVariableRows(std::string_view rows)
{
    // Doubled double quotes are the only growth.
    std::string out(rows.size() * 2, '\0');
    out.resize(ConvertVariableRows(rows, out.data()));
    return out;
}
