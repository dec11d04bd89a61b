// The MD5 digest (RFC 1321) over texts and files.
#include "services/MD5.h"

#include "platform/AppError.h"
#include "platform/WinPath.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <fstream>

namespace {

constexpr uint32_t kInitA = 0x67452301u, kInitB = 0xEFCDAB89u, kInitC = 0x98BADCFEu, kInitD = 0x10325476u;

// The byte count is a signed 32-bit number and the bit length is the count times 8, so a
// message of 2^28 bytes or more no longer has a representable length.
constexpr int64_t kMaxBytes = (int64_t{1} << 28) - 1;

constexpr uint32_t kSine[64] = {
    0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613, 0xfd469501,
    0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193, 0xa679438e, 0x49b40821,
    0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d, 0x02441453, 0xd8a1e681, 0xe7d3fbc8,
    0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed, 0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a,
    0xfffa3942, 0x8771f681, 0x6d9d6122, 0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70,
    0x289b7ec6, 0xeaa127fa, 0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665,
    0xf4292244, 0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
    0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb, 0xeb86d391};

constexpr int kShift[4][4] = {{7, 12, 17, 22}, {5, 9, 14, 20}, {4, 11, 16, 23}, {6, 10, 15, 21}};

uint32_t Rotl(uint32_t v, int n) { return (v << n) | (v >> (32 - n)); }

[[noreturn]] void RaiseOverflow() { throw AppError(6, kAppTitle, "Overflow"); }

std::string SignedDecimal(uint32_t word) { return std::to_string(static_cast<int32_t>(word)); }

} // namespace

CMD5::CMD5() { Initialise(); }

std::string CMD5::RegisterA() const { return SignedDecimal(state_[0]); }
std::string CMD5::RegisterB() const { return SignedDecimal(state_[1]); }
std::string CMD5::RegisterC() const { return SignedDecimal(state_[2]); }
std::string CMD5::RegisterD() const { return SignedDecimal(state_[3]); }

void CMD5::Initialise()
{
    state_ = {kInitA, kInitB, kInitC, kInitD};
    byteCount_ = 0;
}

void CMD5::CountBytes(size_t n)
{
    if (static_cast<int64_t>(byteCount_) + static_cast<int64_t>(n) > INT32_MAX)
        RaiseOverflow();
    byteCount_ += static_cast<int32_t>(n);
}

void CMD5::Transform(const uint8_t* block)
{
    uint32_t m[16];
    for (int i = 0; i < 16; ++i)
        m[i] = uint32_t(block[4 * i]) | uint32_t(block[4 * i + 1]) << 8 | uint32_t(block[4 * i + 2]) << 16 |
               uint32_t(block[4 * i + 3]) << 24;
    uint32_t a = state_[0], b = state_[1], c = state_[2], d = state_[3];
    for (int i = 0; i < 64; ++i) {
        uint32_t f;
        int g;
        switch (i / 16) {
        case 0: f = (b & c) | (~b & d); g = i; break;
        case 1: f = (b & d) | (c & ~d); g = (5 * i + 1) % 16; break;
        case 2: f = b ^ c ^ d; g = (3 * i + 5) % 16; break;
        default: f = c ^ (b | ~d); g = (7 * i) % 16; break;
        }
        uint32_t next = b + Rotl(a + f + kSine[i] + m[g], kShift[i / 16][i % 4]);
        a = d;
        d = c;
        c = b;
        b = next;
    }
    state_[0] += a;
    state_[1] += b;
    state_[2] += c;
    state_[3] += d;
}

void CMD5::Append(const uint8_t* bytes, size_t n)
{
    size_t fill = static_cast<size_t>(byteCount_) % 64;
    CountBytes(n);
    bool compressed = false;
    while (n > 0) {
        size_t take = std::min(n, 64 - fill);
        std::memcpy(buffer_.data() + fill, bytes, take);
        fill += take;
        bytes += take;
        n -= take;
        if (fill == 64) {
            Transform(buffer_.data());
            compressed = true;
            fill = 0;
        }
    }
    if (extraTransform_ != 0 && compressed && fill != 0)
        Transform(buffer_.data());
}

std::string CMD5::Complete()
{
    // The bit length is taken before the completion bytes are counted.
    if (byteCount_ > kMaxBytes)
        RaiseOverflow();
    uint32_t bits = static_cast<uint32_t>(byteCount_) * 8u;
    size_t fill = static_cast<size_t>(byteCount_) % 64;
    size_t padLength = fill < 56 ? 56 - fill : 120 - fill;
    uint8_t pad[64] = {0x80};
    Append(pad, padLength);
    uint8_t length[8] = {uint8_t(bits), uint8_t(bits >> 8), uint8_t(bits >> 16), uint8_t(bits >> 24), 0, 0, 0, 0};
    Append(length, 8);

    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(32);
    for (uint32_t word : state_)
        for (int i = 0; i < 4; ++i) {
            uint8_t byte = uint8_t(word >> (8 * i));
            out += kHex[byte >> 4];
            out += kHex[byte & 15];
        }
    return out;
}

std::string CMD5::DigestStrToHexStr(const std::string& text, int16_t extraTransform)
{
    extraTransform_ = extraTransform;
    Initialise();
    if (static_cast<int64_t>(text.size()) > kMaxBytes)
        RaiseOverflow();
    Append(reinterpret_cast<const uint8_t*>(text.data()), text.size());
    return Complete();
}

std::string CMD5::DigestFileToHexStr(const std::string& path, int16_t extraTransform)
{
    extraTransform_ = extraTransform;
    Initialise();
    std::ifstream in(HostPath(path), std::ios::binary);
    if (!in)
        throw AppError(53, kAppTitle, "File not found");

    // One block is held back until the next one shows that it is not the last: the last block
    // goes through Append so that it is counted and buffered whatever its length.
    uint8_t current[64];
    uint8_t next[64];
    in.read(reinterpret_cast<char*>(current), 64);
    size_t currentLength = static_cast<size_t>(in.gcount());
    while (currentLength == 64) {
        in.read(reinterpret_cast<char*>(next), 64);
        size_t nextLength = static_cast<size_t>(in.gcount());
        if (nextLength == 0)
            break;
        Transform(current);
        CountBytes(64);
        if (byteCount_ > kMaxBytes)
            RaiseOverflow(); // fail early instead of reading the rest of a huge file
        std::memcpy(current, next, nextLength);
        currentLength = nextLength;
    }
    if (in.bad())
        throw AppError(57, kAppTitle, "Device I/O error");
    Append(current, currentLength);
    return Complete();
}

int32_t CMD5::LongLeftRotate(int32_t value, int32_t count)
{
    int32_t places = count % 32; // C++ keeps the dividend's sign, as the rule asks
    if (places <= 0)
        return value;
    return static_cast<int32_t>(Rotl(static_cast<uint32_t>(value), places));
}
