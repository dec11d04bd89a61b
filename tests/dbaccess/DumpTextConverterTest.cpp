// The one-pass row conversion against the row parser, over rows that cross the converter's
// sixteen-byte blocks at every offset.
#include "dbaccess/DumpTextConverter.h"

#include "dbaccess/DumpFormat.h"

#include <gtest/gtest.h>
#include <random>

namespace {

// Values made of the bytes that matter to the conversion, of lengths up to 40.
DumpValue randomValue(std::mt19937& rng)
{
    static const std::string alphabet = "ab '\"x  ''1";
    const unsigned kind = rng() % 6;
    if (kind == 0)
        return std::nullopt;
    std::string v(rng() % (kind == 1 ? 3 : 41), ' ');
    for (char& c : v)
        c = alphabet[rng() % alphabet.size()];
    return v;
}

// What the text driver should read: every value followed by the separator, NULL and empty
// alike as nothing, double quotes doubled.
std::string expectedText(const std::vector<DumpRow>& rows)
{
    std::string s;
    for (const DumpRow& row : rows) {
        for (const DumpValue& v : row) {
            if (v)
                for (char c : *v)
                    s += c == '"' ? std::string("\"\"") : std::string(1, c);
            s += DumpTextConverter::kSeparator;
        }
        s += "\r\n";
    }
    return s;
}

} // namespace

TEST(DumpTextConverterTest, AgreesWithTheRowParserAcrossBlocks)
{
    std::mt19937 rng(20261206);
    for (int round = 0; round < 200; ++round) {
        std::vector<DumpRow> rows;
        std::string dump;
        const std::vector<bool> quoted = {true, false, true, true, true};
        for (int r = 0; r < 8; ++r) {
            DumpRow row;
            for (bool q : quoted) {
                DumpValue v = randomValue(rng);
                // Unquoted values are numbers: no blanks or quotes, never empty.
                if (!q && v)
                    v = std::to_string(rng() % 100000);
                row.push_back(v);
            }
            DumpFormat::AppendVariableRow(dump, row, quoted);
            dump += "\r\n";
            rows.push_back(row);
        }
        ASSERT_EQ(DumpTextConverter::ConvertVariableRows(dump), expectedText(rows)) << dump;
    }
}

namespace {

// The conversion byte by byte, as the text driver needs it: the yardstick of the block-wise
// conversion on any bytes, malformed rows included (two blanks give one separator, three two; a
// quote left open closes at the line end).
std::string byteWise(std::string_view in)
{
    std::string out;
    bool inQuotes = false;
    bool oddBlanks = false;
    for (size_t i = 0; i < in.size(); ++i) {
        const char c = in[i];
        if (c == '"') {
            out += "\"\"";
        } else if (c == '\n') {
            out += c;
            inQuotes = false;
        } else if (inQuotes && c == '\'') {
            if (i + 1 < in.size() && in[i + 1] == '\'')
                out += in[i++];
            else
                inQuotes = false;
            continue;
        } else if (inQuotes) {
            out += c;
            if (c == ' ')
                continue;
        } else if (c == '\'') {
            inQuotes = true;
        } else if (c == ' ') {
            if (!oddBlanks)
                out += DumpTextConverter::kSeparator;
            oddBlanks = !oddBlanks;
            continue;
        } else {
            out += c;
        }
        oddBlanks = false;
    }
    return out;
}

} // namespace

TEST(DumpTextConverterTest, AgreesWithTheByteWiseConversionOnAnyBytes)
{
    std::mt19937 rng(7);
    // Mostly the bytes that matter, in runs, so that blocks hold every mix of them.
    const std::string alphabets[] = {" '", " 'a", " '\"a\r\n", "  ''ab\n", "abcdefgh '"};
    for (int round = 0; round < 3000; ++round) {
        const std::string& alphabet = alphabets[round % 5];
        std::string in(rng() % 400, ' ');
        for (char& c : in)
            c = alphabet[rng() % alphabet.size()];
        ASSERT_EQ(DumpTextConverter::ConvertVariableRows(in), byteWise(in)) << '[' << in << ']';
    }
}
