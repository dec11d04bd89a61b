// Tests of cell address parsing and writing.
#include "platform/excel/CellAddress.h"

#include <gtest/gtest.h>

namespace {

struct AddressCase {
    const char* text;
    bool valid;
    CellRect rect;
};

class ParseRangeAddressTest : public ::testing::TestWithParam<AddressCase> {};

TEST_P(ParseRangeAddressTest, GivesTheBlockOrRefuses)
{
    const AddressCase& c = GetParam();
    CellRect rect;
    ASSERT_EQ(ParseRangeAddress(c.text, rect), c.valid) << c.text;
    if (c.valid) {
        EXPECT_EQ(rect, c.rect) << c.text;
    }
}

INSTANTIATE_TEST_SUITE_P(Addresses, ParseRangeAddressTest,
    ::testing::Values(AddressCase{"A1", true, {1, 1, 1, 1}},
                      AddressCase{"e17", true, {17, 5, 17, 5}},
                      AddressCase{"$B$7", true, {7, 2, 7, 2}},
                      AddressCase{"A1:E1", true, {1, 1, 1, 5}},
                      AddressCase{"C3:A1", true, {1, 1, 3, 3}},
                      AddressCase{"A1:IV65536", true, {1, 1, kSheetRows, kSheetColumns}},
                      AddressCase{"A:C", true, {1, 1, kSheetRows, 3}},
                      AddressCase{"$3:$5", true, {3, 1, 5, kSheetColumns}},
                      AddressCase{"IW1", false, {}},
                      AddressCase{"A65537", false, {}},
                      AddressCase{"A0", false, {}},
                      AddressCase{"A", false, {}},
                      AddressCase{"A$", false, {}},
                      AddressCase{"A1:", false, {}},
                      AddressCase{"A1:C", false, {}},
                      AddressCase{"", false, {}},
                      AddressCase{"1A", false, {}},
                      AddressCase{"A 1", false, {}}));

TEST(ColumnLettersTest, RoundTripsEveryColumnOfTheGrid)
{
    EXPECT_EQ(ColumnLetters(1), "A");
    EXPECT_EQ(ColumnLetters(26), "Z");
    EXPECT_EQ(ColumnLetters(27), "AA");
    EXPECT_EQ(ColumnLetters(256), "IV");
    EXPECT_EQ(ColumnLetters(257), "");
    for (int c = 1; c <= kSheetColumns; ++c)
        ASSERT_EQ(ColumnNumber(ColumnLetters(c)), c);
}

TEST(RangeAddressTest, WritesAbsoluteAddresses)
{
    EXPECT_EQ(RangeAddress({7, 2, 7, 2}), "$B$7");
    EXPECT_EQ(RangeAddress({1, 1, 3, 27}), "$A$1:$AA$3");
}

} // namespace
