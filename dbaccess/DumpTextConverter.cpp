// Conversion of variable-layout dump rows to delimited text, in one pass over the bytes.
#include "dbaccess/DumpTextConverter.h"

#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__)
#include <tmmintrin.h>
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

// One special or plain byte at a time; for the ends of the text and the blocks the block
// loops leave to it. p + 1 < end must hold where a doubled quote could start.
inline void scalarStep(const char*& p, const char* end, char*& o, Scan& s)
{
    if (isSpecial(*p)) {
        p += special(p, end, o, s);
    } else {
        *o++ = *p++;
        s.oddBlanks = false;
    }
}

#if defined(__SSE2__)
// The sixteen bytes at block, whose special bytes mask marks: the stretches between the
// special bytes are copied with whole-block stores, each special byte handled on its own. p
// may stand past block's start (a doubled quote used the byte), and ends at or past its end.
inline void stretchBlock(const char* block, unsigned mask, const char*& p, const char* end, char*& o, Scan& s)
{
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

// Blocks of sixteen bytes: the special bytes are found by mask, and the stretches between
// them are copied with whole-block stores. Loads and stores may reach sixteen bytes past
// the current place, so the loop keeps 32 bytes from the input's end; the output has room
// as it is twice the input and never runs ahead of twice the read position.
void convertSse2(const char*& pIn, const char* end, char*& oIn, Scan& sIn)
{
    // Locals, so that the byte stores through o cannot alias them.
    const char* p = pIn;
    char* o = oIn;
    Scan s = sIn;
    const __m128i blank = _mm_set1_epi8(' ');
    const __m128i quote = _mm_set1_epi8('\'');
    const __m128i dquote = _mm_set1_epi8('"');
    const __m128i lf = _mm_set1_epi8('\n');
    while (end - p >= 32) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(
            _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, blank), _mm_cmpeq_epi8(v, quote)),
                         _mm_or_si128(_mm_cmpeq_epi8(v, dquote), _mm_cmpeq_epi8(v, lf)))));
        if (mask == 0) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(o), v);
            o += 16;
            p += 16;
            s.oddBlanks = false;
            continue;
        }
        stretchBlock(p, mask, p, end, o, s);
    }
    pIn = p;
    oIn = o;
    sIn = s;
}
#endif

#if defined(__x86_64__)
// The same conversion without a branch per special byte, for processors with byte shuffles:
// per block of sixteen bytes the quote state of every byte comes from a running parity of
// the quote mask, the blanks to keep from the runs of blanks outside quotes, and the bytes
// left over are packed together eight at a time through a shuffle table. Blocks with a double
// quote (which grows the text), a line end inside an open quote or a doubled quote across
// the block's end go the byte-wise way.
struct PackTable {
    alignas(16) uint8_t shuffle[256][8];
    uint8_t count[256];
    PackTable()
    {
        for (unsigned m = 0; m < 256; ++m) {
            unsigned n = 0;
            for (unsigned b = 0; b < 8; ++b)
                if (m & (1u << b))
                    shuffle[m][n++] = static_cast<uint8_t>(b);
            count[m] = static_cast<uint8_t>(n);
            for (unsigned k = n; k < 8; ++k)
                shuffle[m][k] = 0x80;
        }
    }
};

const PackTable& packTable()
{
    static const PackTable table;
    return table;
}

__attribute__((target("ssse3"))) void convertSsse3(const char*& pIn, const char* end, char*& oIn, Scan& sIn)
{
    const char* p = pIn;
    char* o = oIn;
    Scan s = sIn;
    const PackTable& pack = packTable();
    const __m128i blank = _mm_set1_epi8(' ');
    const __m128i quote = _mm_set1_epi8('\'');
    const __m128i dquote = _mm_set1_epi8('"');
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i separator = _mm_set1_epi8(DumpTextConverter::kSeparator);
    const __m128i bitOfByte = _mm_setr_epi8(1, 2, 4, 8, 16, 32, 64, -128, 1, 2, 4, 8, 16, 32, 64, -128);
    const __m128i byteOfBit = _mm_setr_epi8(0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1);
    const __m128i high = _mm_set1_epi8(8);
    constexpr unsigned kEven = 0x15555; // even positions of the 17-bit run mask
    while (end - p >= 32) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const unsigned q = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, quote)));
        const unsigned b = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, blank)));
        const unsigned d = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, dquote)));
        const unsigned l = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, lf)));
        if ((q | b | d | l) == 0) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(o), v);
            o += 16;
            p += 16;
            s.oddBlanks = false;
            continue;
        }
        // Quote state after (inside) and before (before) each byte.
        unsigned x = q;
        x ^= x << 1;
        x ^= x << 2;
        x ^= x << 4;
        x ^= x << 8;
        const unsigned inside = (x ^ (s.inQuotes ? 0xFFFFu : 0u)) & 0xFFFFu;
        const unsigned before = inside ^ q;
        const unsigned nextQuote = (q >> 1) | (p[16] == '\'' ? 0x8000u : 0u);
        const unsigned pairFirst = q & before & nextQuote; // a doubled quote inside a value
        if (d != 0 || (l & before) != 0 || (pairFirst & 0x8000u) != 0) {
            stretchBlock(p, q | b | d | l, p, end, o, s);
            continue;
        }
        // Runs of blanks outside quotes keep their first, third, ... blank; bit 0 of the run
        // mask stands for a kept blank that ended the previous block.
        const unsigned outBlanks = b & ~before;
        const unsigned runs = (outBlanks << 1) | (s.oddBlanks ? 1u : 0u);
        const unsigned starts = runs & ~(runs << 1);
        const unsigned evenRuns = runs & ~(runs + (starts & kEven));
        const unsigned keptRuns = (evenRuns & kEven) | (runs & ~evenRuns & ~kEven);
        const unsigned kept = (keptRuns >> 1) & outBlanks;
        const unsigned keep = ~((q & ~pairFirst) | (outBlanks & ~kept)) & 0xFFFFu;
        s.oddBlanks = (kept & 0x8000u) != 0;
        s.inQuotes = (inside & 0x8000u) != 0;

        // Kept blanks become separators, then the kept bytes are packed.
        __m128i keptBytes = _mm_shuffle_epi8(_mm_cvtsi32_si128(static_cast<int>(kept)), byteOfBit);
        keptBytes = _mm_cmpeq_epi8(_mm_and_si128(keptBytes, bitOfByte), bitOfByte);
        const __m128i w = _mm_or_si128(_mm_andnot_si128(keptBytes, v), _mm_and_si128(keptBytes, separator));
        const unsigned lo = keep & 0xFFu;
        const unsigned hi = keep >> 8;
        const __m128i loShuffle = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(pack.shuffle[lo]));
        const __m128i hiShuffle =
            _mm_add_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(pack.shuffle[hi])), high);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(o), _mm_shuffle_epi8(w, loShuffle));
        o += pack.count[lo];
        // Unused shuffle entries (0x80) stay at or above 0x80 after adding 8: they give zero.
        _mm_storel_epi64(reinterpret_cast<__m128i*>(o), _mm_shuffle_epi8(w, hiShuffle));
        o += pack.count[hi];
        p += 16;
    }
    pIn = p;
    oIn = o;
    sIn = s;
}

bool hasByteShuffles()
{
    static const bool has = __builtin_cpu_supports("ssse3");
    return has;
}
#endif

} // namespace

size_t DumpTextConverter::ConvertVariableRows(std::string_view rows, char* const out)
{
    char* o = out;
    const char* p = rows.data();
    const char* const end = p + rows.size();
    Scan s;
#if defined(__x86_64__)
    if (hasByteShuffles())
        convertSsse3(p, end, o, s);
#endif
#if defined(__SSE2__)
    convertSse2(p, end, o, s);
#endif
    while (p < end)
        scalarStep(p, end, o, s);
    return static_cast<size_t>(o - out);
}

std::string DumpTextConverter::ConvertVariableRows(std::string_view rows)
{
    // Doubled double quotes are the only growth.
    std::string out(rows.size() * 2, '\0');
    out.resize(ConvertVariableRows(rows, out.data()));
    return out;
}
