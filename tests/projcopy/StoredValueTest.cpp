// Values as the server stores and compares them: a number written by the copy against the one read
// back, rounded to its column's scale first; a char value blank-padded.
#include "projcopy/StoredValue.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

struct Case {
    const char* name;
    std::optional<std::string> stored, written;
    bool text;
    const char* type;
    bool same;
};

class StoredValueTest : public ::testing::TestWithParam<Case> {};

TEST_P(StoredValueTest, ComparesAsTheServerStores)
{
    const Case& c = GetParam();
    EXPECT_EQ(SameStoredValue(c.stored, c.written, c.text, c.type), c.same);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StoredValueTest,
    ::testing::Values(
        Case{"ADecimalWithItsScale", "2.50", "2.5", false, "decimal(10,2)", true},
        Case{"ADecimalRoundedHalfAwayFromZero", "1.51", "1.505", false, "decimal(10,2)", true},
        Case{"ANegativeDecimalRoundedAwayFromZero", "-0.01", "-0.005", false, "decimal(10,2)", true},
        Case{"ARoundingThatCarries", "10.00", "9.995", false, "decimal(10,2)", true},
        Case{"ADecimalThatDiffers", "1.50", "1.505", false, "decimal(10,2)", false},
        Case{"AWholeNumberColumnRounds", "12", "11.5", false, "int", true},
        Case{"EveryDigitOfThirtyEightCounts", "0.30000000000000004441", "0.30000000000000004", false,
             "decimal(38,20)", false},
        Case{"ADoubleAsItIs", "0.30000000000000004", "0.30000000000000004", false, "double", true},
        Case{"AnExponentByValue", "1e+25", "10000000000000000000000000", false, "double", true},
        Case{"TrailingBlanksDoNotCount", "ab", "ab  ", true, "char(8)", true},
        Case{"LeadingBlanksCount", "ab", " ab", true, "char(8)", false},
        Case{"NullIsNoText", std::nullopt, "x", true, "char(8)", false},
        Case{"NullIsNoTextOfBlanks", std::nullopt, "   ", true, "char(8)", false},
        Case{"NullEqualsNull", std::nullopt, std::nullopt, false, "int", true}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
