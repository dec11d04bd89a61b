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

// Long values without a blank, quote or line end are copied sixteen or thirty-two bytes at a
// time: the random values above seldom hold such a stretch. Every length and place of the
// stretch, and a text short enough to leave the whole-block copy to the sixteen-byte loop (32
// to 63 bytes) or long enough for the wide one, must give the same text as the row parser.
TEST(DumpTextConverterTest, LongPlainValuesAtEveryLengthAndOffset)
{
    const std::vector<bool> quoted = {true, false, true};
    for (size_t lead = 0; lead < 18; ++lead) {
        for (size_t length = 14; length < 100; ++length) {
            struct Shape {
                const char* what;
                DumpRow row;
            };
            const std::string plain(length, 'p');
            const std::vector<Shape> shapes = {
                {"quoted", {std::string(lead, 'x'), "7", plain}},
                {"unquoted number", {std::string(lead, 'x'), std::string(length, '9'), std::nullopt}},
                // A double quote sends the block the byte-by-byte way between plain stretches.
                {"with a double quote", {std::string(lead, 'x'), "7", plain + "\"" + plain.substr(length / 2)}},
                {"with a doubled quote", {std::string(lead, 'x') + "'" + plain, "7", std::string()}},
            };
            for (const Shape& shape : shapes) {
                for (size_t rowsInText : {size_t{1}, size_t{3}}) {
                    std::string dump;
                    std::vector<DumpRow> rows(rowsInText, shape.row);
                    for (const DumpRow& row : rows) {
                        DumpFormat::AppendVariableRow(dump, row, quoted);
                        dump += "\r\n";
                    }
                    ASSERT_EQ(DumpTextConverter::ConvertVariableRows(dump), expectedText(rows))
                        << shape.what << ", lead " << lead << ", length " << length << ", rows " << rowsInText;
                }
            }
        }
    }
}
