// CMD5: the MD5 message digest of a text or of a file's bytes, as 32 upper-case hex digits.
#pragma once

#include <array>
#include <cstdint>
#include <string>

class CMD5 {
public:
    CMD5();

    // The state words after construction or after the last digest, as signed 32-bit decimals.
    std::string RegisterA() const;
    std::string RegisterB() const;
    std::string RegisterC() const;
    std::string RegisterD() const;

    // Digest of the file's bytes, read in 64-byte blocks. Throws AppError when the file cannot
    // be opened or read, and an overflow (6) from 268,435,456 bytes on.
    // extraTransform 0 gives plain MD5; any other value adds one compression after each append
    // that compressed a block and left a remainder (the result then is no longer MD5).
    std::string DigestFileToHexStr(const std::string& path, int16_t extraTransform);

    // Digest of the text, one byte per character. Same limits and extraTransform as above.
    std::string DigestStrToHexStr(const std::string& text, int16_t extraTransform);

    // value rotated left by count modulo 32 (the remainder keeps count's sign); a remainder of
    // 0 or below leaves value unchanged.
    static int32_t LongLeftRotate(int32_t value, int32_t count);

private:
    void Initialise();
    void Append(const uint8_t* bytes, size_t n);
    void Transform(const uint8_t* block);
    void CountBytes(size_t n);
    std::string Complete();

    std::array<uint32_t, 4> state_{};
    int32_t byteCount_ = 0;
    std::array<uint8_t, 64> buffer_{};
    int16_t extraTransform_ = 0;
};
