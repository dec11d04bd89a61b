// One-byte characters to and from UTF-8 and UTF-16, and byte-order marks.
#include "platform/TextEncoding.h"

namespace {

constexpr char kQuestionMark = '?';

void appendUtf8(std::string& out, unsigned char c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// The code point of the UTF-8 sequence at bytes[pos], its length in n; -1 when the sequence
// is broken (n covers the lead and the continuation bytes before the break, so a cut sequence
// gives one "?"), overlong or a surrogate (n = 1).
long decodeUtf8At(std::string_view bytes, size_t pos, size_t& n)
{
    n = 1;
    const unsigned char lead = static_cast<unsigned char>(bytes[pos]);
    if (lead < 0x80)
        return lead;
    size_t length;
    long cp;
    long min;
    if ((lead & 0xE0) == 0xC0) {
        length = 2, cp = lead & 0x1F, min = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, cp = lead & 0x0F, min = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, cp = lead & 0x07, min = 0x10000;
    } else {
        return -1;
    }
    for (size_t i = 1; i < length; ++i) {
        const unsigned char c = pos + i < bytes.size() ? static_cast<unsigned char>(bytes[pos + i]) : 0;
        if ((c & 0xC0) != 0x80) {
            n = i;
            return -1;
        }
        cp = cp << 6 | (c & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return -1;
    n = length;
    return cp;
}

} // namespace

TextEncoding DetectByteOrderMark(std::string_view bytes, size_t& markLength)
{
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
        markLength = 3;
        return TextEncoding::Utf8;
    }
    if (bytes.substr(0, 2) == "\xFF\xFE") {
        markLength = 2;
        return TextEncoding::Utf16LE;
    }
    if (bytes.substr(0, 2) == "\xFE\xFF") {
        markLength = 2;
        return TextEncoding::Utf16BE;
    }
    markLength = 0;
    return TextEncoding::Ansi;
}

std::string ByteOrderMark(TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::Utf8: return "\xEF\xBB\xBF";
    case TextEncoding::Utf16LE: return "\xFF\xFE";
    case TextEncoding::Utf16BE: return "\xFE\xFF";
    case TextEncoding::Ansi: break;
    }
    return {};
}

size_t CodeUnitSize(TextEncoding encoding)
{
    return encoding == TextEncoding::Utf16LE || encoding == TextEncoding::Utf16BE ? 2 : 1;
}

unsigned CodeUnitAt(std::string_view bytes, size_t pos, TextEncoding encoding)
{
    const unsigned first = static_cast<unsigned char>(bytes[pos]);
    if (CodeUnitSize(encoding) == 1)
        return first;
    const unsigned second = static_cast<unsigned char>(bytes[pos + 1]);
    return encoding == TextEncoding::Utf16LE ? first | second << 8 : first << 8 | second;
}

std::string DecodeText(std::string_view bytes, TextEncoding encoding)
{
    std::string out;
    switch (encoding) {
    case TextEncoding::Ansi: return std::string(bytes);
    case TextEncoding::Utf8:
        out.reserve(bytes.size());
        for (size_t pos = 0, n = 1; pos < bytes.size(); pos += n) {
            const long cp = decodeUtf8At(bytes, pos, n);
            out += cp >= 0 && cp < 0x100 ? static_cast<char>(cp) : kQuestionMark;
        }
        return out;
    case TextEncoding::Utf16LE:
    case TextEncoding::Utf16BE:
        out.reserve(bytes.size() / 2);
        for (size_t pos = 0; pos + 1 < bytes.size(); pos += 2) {
            const unsigned unit = CodeUnitAt(bytes, pos, encoding);
            if (unit >= 0xD800 && unit < 0xDC00 && pos + 3 < bytes.size()) {
                const unsigned low = CodeUnitAt(bytes, pos + 2, encoding);
                if (low >= 0xDC00 && low < 0xE000)
                    pos += 2; // a pair stands for one character beyond the code page
            }
            out += unit < 0x100 ? static_cast<char>(unit) : kQuestionMark;
        }
        return out;
    }
    return out;
}

std::string EncodeText(std::string_view text, TextEncoding encoding)
{
    std::string out;
    switch (encoding) {
    case TextEncoding::Ansi: return std::string(text);
    case TextEncoding::Utf8:
        out.reserve(text.size());
        for (char c : text)
            appendUtf8(out, static_cast<unsigned char>(c));
        return out;
    case TextEncoding::Utf16LE:
    case TextEncoding::Utf16BE:
        out.reserve(text.size() * 2);
        for (char c : text) {
            if (encoding == TextEncoding::Utf16LE) {
                out += c;
                out += '\0';
            } else {
                out += '\0';
                out += c;
            }
        }
        return out;
    }
    return out;
}
