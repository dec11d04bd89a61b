// Conversion of variable-layout dump rows to delimited text, in one pass over the bytes.
#include "dbaccess/DumpTextConverter.h"

#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

struct Scan {
    bool inQuotes = false;
    bool oddBlanks = false; // outside quotes, after an odd number of blanks in a row
};

// Handles the special byte at p (a blank, a quote, a double quote or a line feed) and returns
// how many input bytes it used (2 for a doubled quote inside a value). Needs p + 1 < end when
// a quote inside a value could be followed by another.
inline size_t special(const char* p, const char* end, char*& o, Scan& s)
{
    const char c = *p;
    if (c == '"') {
        o[0] = '"';
        o[1] = '"';
        o += 2;
        s.oddBlanks = false;
        return 1;
    }
    if (c == '\n') {
        *o++ = '\n';
        s.inQuotes = false; // a quote left open ends with its row
        s.oddBlanks = false;
        return 1;
    }
    if (s.inQuotes) {
        if (c == ' ') {
            *o++ = ' ';
            return 1;
        }
        if (p + 1 < end && p[1] == '\'') { // a doubled quote inside a value
            *o++ = '\'';
            return 2;
        }
        s.inQuotes = false;
        return 1;
    }
    if (c == '\'') {
        s.inQuotes = true;
        s.oddBlanks = false;
        return 1;
    }
    // A blank between values: n blanks in a row give (n + 1) / 2 separators.
    if (!s.oddBlanks)
        *o++ = DumpTextConverter::kSeparator;
    s.oddBlanks = !s.oddBlanks;
    return 1;
}

inline bool isSpecial(char c)
{
    return c == ' ' || c == '\'' || c == '"' || c == '\n';
}

} // namespace

size_t DumpTextConverter::ConvertVariableRows(std::string_view rows, char* const out)
{
    char* o = out;
    const char* p = rows.data();
    const char* const end = p + rows.size();
    Scan s;
#if defined(__SSE2__)
    // Blocks of sixteen bytes: the special bytes are found by mask, and the stretches between
    // them are copied with whole-block stores. Loads and stores may reach sixteen bytes past
    // the current place, so the loop keeps 32 bytes from the input's end; the output has room
    // as it is twice the input and never runs ahead of twice the read position.
    const __m128i blank = _mm_set1_epi8(' ');
    const __m128i quote = _mm_set1_epi8('\'');
    const __m128i dquote = _mm_set1_epi8('"');
    const __m128i lf = _mm_set1_epi8('\n');
    while (end - p >= 32) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(
            _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, blank), _mm_cmpeq_epi8(v, quote)),
                         _mm_or_si128(_mm_cmpeq_epi8(v, dquote), _mm_cmpeq_epi8(v, lf)))));
        const char* const block = p;
        if (mask == 0) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(o), v);
            o += 16;
            p += 16;
            s.oddBlanks = false;
            continue;
        }
        while (mask != 0) {
            const char* const at = block + __builtin_ctz(mask);
            if (at >= p) {
                if (at > p) {
                    _mm_storeu_si128(reinterpret_cast<__m128i*>(o), _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
                    o += at - p;
                    s.oddBlanks = false;
                }
                p = at + special(at, end, o, s);
            }
            mask &= mask - 1;
        }
        const char* const blockEnd = block + 16;
        if (p < blockEnd) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(o), _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
            o += blockEnd - p;
            s.oddBlanks = false;
            p = blockEnd;
        }
    }
#endif
    while (p < end) {
        if (isSpecial(*p)) {
            p += special(p, end, o, s);
        } else {
            *o++ = *p++;
            s.oddBlanks = false;
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
