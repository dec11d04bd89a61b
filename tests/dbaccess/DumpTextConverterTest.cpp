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
