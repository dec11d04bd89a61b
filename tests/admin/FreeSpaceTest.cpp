// Free-space rows: splitting the output lines and the gigabyte format.
#include "admin/FreeSpace.h"

#include <gtest/gtest.h>

namespace {

constexpr double kMiB = 1024.0 * 1024.0;
constexpr double kGiB = kMiB * 1024.0;

// Three decimals and grouped thousands, in the separators of the user's settings.
TEST(FreeSpaceTest, GigabytesHaveThreeDecimalsAndGroupedThousands)
{
    EXPECT_EQ(FreeSpace::FormatGigabytes(2 * kGiB * 1024, '.', ','), "2,048.000");
    EXPECT_EQ(FreeSpace::FormatGigabytes(2 * kGiB * 1024, ',', '.'), "2.048,000");
    EXPECT_EQ(FreeSpace::FormatGigabytes(0, '.', ','), "0.000");
    EXPECT_EQ(FreeSpace::FormatGigabytes(1000000.0 * kGiB, '.', ','), "1,000,000.000");
}

TEST(FreeSpaceTest, RowsSplitAtBlanksOrTabsInOutputOrder)
{
    const std::vector<FreeSpaceRow> rows = FreeSpace::Rows(
        {"USER_DATA                      104857600", "TEMP\t5368709120", "SYSTEM  x\t 1073741824 "}, '.', ',');
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].tablespace, "USER_DATA");
    EXPECT_EQ(rows[0].freeGbytes, "0.098");
    EXPECT_EQ(rows[1].tablespace, "TEMP");
    EXPECT_EQ(rows[1].freeGbytes, "5.000");
    EXPECT_EQ(rows[2].tablespace, "SYSTEM  x");
    EXPECT_EQ(rows[2].freeGbytes, "1.000");
}

TEST(FreeSpaceTest, TheFirstLineWithoutNameOrNumberEndsTheRows)
{
    EXPECT_TRUE(FreeSpace::Rows({"", "USERS 100"}, '.', ',').empty());
    EXPECT_EQ(FreeSpace::Rows({"USERS 100", "NOBLANKORTAB", "TOOLS 100"}, '.', ',').size(), 1u);
    EXPECT_EQ(FreeSpace::Rows({"USERS 100", "2 rows selected.", "TOOLS 100"}, '.', ',').size(), 1u);
}

} // namespace
