// Conversion of variable-layout dump rows to delimited text, in one pass over the bytes.
#include "dbaccess/DumpTextConverter.h"

#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__)
#include <immintrin.h>
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

// The special bytes among the sixteen at p, one bit each.
inline unsigned specialMask(const char* p)
{
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    return static_cast<unsigned>(_mm_movemask_epi8(
        _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8(' ')), _mm_cmpeq_epi8(v, _mm_set1_epi8('\''))),
                     _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8('"')), _mm_cmpeq_epi8(v, _mm_set1_epi8('\n'))))));
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
    while (end - p >= 32) {
        const unsigned mask = specialMask(p);
        if (mask == 0) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(o), _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
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
// The same conversion without a branch per special byte, for processors with AVX2: for each
// block of 32 bytes the quote state of every byte comes from a running parity of
// the quote mask, the blanks to keep from the runs of blanks outside quotes, and the bytes
// left over are packed together eight at a time through a shuffle table. Blocks with a double
// quote (which grows the text), a line end inside an open quote or a doubled quote across
// the block's end go the stretch-copy way.
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

// What a block of width bytes keeps, from the masks of its quotes, blanks, double quotes and
// line ends (bit i for byte i) and whether the byte after it is a quote. Sets keep (bytes to
// write) and kept (blanks that become separators) and moves the scan state past the block;
// false, with the state untouched, for a block that must go the stretch-copy way.
inline bool planBlock(unsigned width, uint64_t q, uint64_t b, uint64_t d, uint64_t l, bool quoteAfter, Scan& s,
                      uint64_t& keep, uint64_t& kept)
{
    const uint64_t all = (uint64_t{1} << width) - 1;
    const uint64_t last = uint64_t{1} << (width - 1);
    // Quote state after (inside) and before (before) each byte.
    uint64_t x = q;
    for (unsigned shift = 1; shift < width; shift <<= 1)
        x ^= x << shift;
    const uint64_t inside = (x ^ (s.inQuotes ? all : 0)) & all;
    const uint64_t before = inside ^ q;
    const uint64_t nextQuote = (q >> 1) | (quoteAfter ? last : 0);
    const uint64_t pairFirst = q & before & nextQuote; // a doubled quote inside a value
    if (d != 0 || (l & before) != 0 || (pairFirst & last) != 0)
        return false;
    // Runs of blanks outside quotes keep their first, third, ... blank; bit 0 of the run mask
    // stands for a kept blank that ended the previous block.
    constexpr uint64_t kEven = 0x5555555555555555ull;
    const uint64_t outBlanks = b & ~before;
    const uint64_t runs = (outBlanks << 1) | (s.oddBlanks ? 1 : 0);
    const uint64_t starts = runs & ~(runs << 1);
    const uint64_t evenRuns = runs & ~(runs + (starts & kEven));
    const uint64_t keptRuns = (evenRuns & kEven) | (runs & ~evenRuns & ~kEven);
    kept = (keptRuns >> 1) & outBlanks;
    keep = ~((q & ~pairFirst) | (outBlanks & ~kept)) & all;
    s.oddBlanks = (kept & last) != 0;
    s.inQuotes = (inside & last) != 0;
    return true;
}

// Writes the bytes of v that keep marks (16 bits), the kept blanks (kept) as separators.
__attribute__((target("ssse3"))) inline void packSixteen(__m128i v, unsigned keep, unsigned kept, char*& o)
{
    const PackTable& pack = packTable();
    const __m128i bitOfByte = _mm_setr_epi8(1, 2, 4, 8, 16, 32, 64, -128, 1, 2, 4, 8, 16, 32, 64, -128);
    const __m128i byteOfBit = _mm_setr_epi8(0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1);
    __m128i keptBytes = _mm_shuffle_epi8(_mm_cvtsi32_si128(static_cast<int>(kept)), byteOfBit);
    keptBytes = _mm_cmpeq_epi8(_mm_and_si128(keptBytes, bitOfByte), bitOfByte);
    const __m128i w = _mm_or_si128(_mm_andnot_si128(keptBytes, v),
                                   _mm_and_si128(keptBytes, _mm_set1_epi8(DumpTextConverter::kSeparator)));
    const unsigned lo = keep & 0xFFu;
    const unsigned hi = (keep >> 8) & 0xFFu;
    const __m128i loShuffle = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(pack.shuffle[lo]));
    // Unused shuffle entries (0x80) stay at or above 0x80 after adding 8: they give zero.
    const __m128i hiShuffle =
        _mm_add_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(pack.shuffle[hi])), _mm_set1_epi8(8));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(o), _mm_shuffle_epi8(w, loShuffle));
    o += pack.count[lo];
    _mm_storel_epi64(reinterpret_cast<__m128i*>(o), _mm_shuffle_epi8(w, hiShuffle));
    o += pack.count[hi];
}

__attribute__((target("avx2"))) inline uint64_t maskOf(__m256i v, __m256i byte)
{
    return static_cast<uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(v, byte)));
}

// The block loop; it keeps 64 bytes from the input's end, as loads and stores reach past the
// current place.
__attribute__((target("avx2"))) void convertAvx2(const char*& pIn, const char* end, char*& oIn, Scan& sIn)
{
    const char* p = pIn;
    char* o = oIn;
    Scan s = sIn;
    const __m256i blank = _mm256_set1_epi8(' ');
    const __m256i quote = _mm256_set1_epi8('\'');
    const __m256i dquote = _mm256_set1_epi8('"');
    const __m256i lf = _mm256_set1_epi8('\n');
    while (end - p >= 64) {
        const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
        const uint64_t q = maskOf(v, quote);
        const uint64_t b = maskOf(v, blank);
        const uint64_t d = maskOf(v, dquote);
        const uint64_t l = maskOf(v, lf);
        uint64_t keep = 0;
        uint64_t kept = 0;
        if ((q | b | d | l) == 0) {
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(o), v);
            o += 32;
            s.oddBlanks = false;
        } else if (planBlock(32, q, b, d, l, p[32] == '\'', s, keep, kept)) {
            packSixteen(_mm256_castsi256_si128(v), static_cast<unsigned>(keep & 0xFFFF),
                        static_cast<unsigned>(kept & 0xFFFF), o);
            packSixteen(_mm256_extracti128_si256(v, 1), static_cast<unsigned>(keep >> 16),
                        static_cast<unsigned>(kept >> 16), o);
        } else {
            // Two halves of sixteen bytes copied in stretches; a doubled quote at the end of
            // the first may have used the second's first byte.
            const char* const half = p + 16;
            stretchBlock(p, specialMask(p), p, end, o, s);
            if (p < half + 16)
                stretchBlock(p, specialMask(p), p, end, o, s);
            continue;
        }
        p += 32;
    }
    pIn = p;
    oIn = o;
    sIn = s;
}

bool hasAvx2()
{
    static const bool has = __builtin_cpu_supports("avx2");
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
    if (hasAvx2())
        convertAvx2(p, end, o, s);
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
