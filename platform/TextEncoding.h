// Conversions between the program's one-byte characters (Latin-1, the ANSI code page of its
// texts) and the Unicode forms files may come in, and the byte-order marks that announce them.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

enum class TextEncoding { Ansi, Utf8, Utf16LE, Utf16BE };

// The encoding that a text file's byte-order mark announces (Ansi without a mark), and the
// mark's length in bytes.
TextEncoding DetectByteOrderMark(std::string_view bytes, size_t& markLength);
// The mark written at the start of a file in the encoding; empty for Ansi.
std::string ByteOrderMark(TextEncoding encoding);

// Bytes of the encoding (no mark) to one-byte characters. A character beyond them, a broken
// UTF-8 sequence or a lone surrogate becomes "?", as the ANSI functions of the platform hand
// such a text over; an odd byte at the end of UTF-16 is passed over.
std::string DecodeText(std::string_view bytes, TextEncoding encoding);
// One-byte characters to bytes of the encoding (no mark). Ansi bytes pass unchanged.
std::string EncodeText(std::string_view text, TextEncoding encoding);

// The size in bytes of one code unit of the encoding (2 for UTF-16, else 1).
size_t CodeUnitSize(TextEncoding encoding);
// The code unit at byte offset pos (pos + CodeUnitSize <= bytes.size()).
unsigned CodeUnitAt(std::string_view bytes, size_t pos, TextEncoding encoding);
