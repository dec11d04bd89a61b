// Values as the server stores and compares them: a number written against the one read back,
// taken as its column stores it first (its scale, or 38 digits); a char value blank-padded; an
// empty text as Null.
#include "dbaccess/StoredValue.h"

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
    const StoredValue::Kind kind = c.text ? StoredValue::Kind::Char : StoredValue::Kind::Number;
    EXPECT_EQ(StoredValue::SameAsWritten(c.stored, c.written, kind, c.type), c.same);
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
        Case{"NullEqualsNull", std::nullopt, std::nullopt, false, "int", true},
        // The server keeps no empty text: it stores Null.
        Case{"AnEmptyTextIsNull", std::nullopt, "", true, "char(8)", true},
        Case{"ANegativeZeroIsZero", "0", "-0.004", false, "decimal(10,2)", true},
        Case{"AnExponentRoundedToTheScale", "1.51", "1.505e0", false, "DECIMAL(10, 2)", true},
        Case{"AnExponentKeepsEveryDigit", "12345678901234567890", "1.2345678901234567891E19", false, "decimal(38,0)",
             false},
        Case{"BeyondThirtyEightDigitsRounded", "1.2345678901234567890123456789012345679",
             "1.23456789012345678901234567890123456789012", false, "decimal", true},
        // A double or real column keeps the double nearest to the number written.
        Case{"ADoubleKeepsTheNearestDouble", "1.2345678901234567", "1.23456789012345678901234567890123456789012",
             false, "double", true},
        Case{"ARealKeepsTheNearestDouble", "0.7279387317379999", "0.727938731738", false, "real", false},
        Case{"AWholeNumberADoubleCannotHold", "12345678901234568", "12345678901234567.00", false, "double", true},
        Case{"ASmallintRoundsAwayFromZero", "-3", "-2.5", false, "smallint", true},
        Case{"AScaleThatIsNoNumberRoundsNothing", "2.56", "2.555", false, "decimal(10,x)", false},
        Case{"APrecisionAloneKeepsWholeNumbers", "3", "2.5", false, "decimal(10)", true},
        Case{"ADecimalWithoutPrecisionKeepsDecimals", "2.5", "2.5", false, "decimal", true},
        Case{"BeyondEveryNumberByValue", "1e200", "1E+200", false, "int", true},
        Case{"NoNumberExactly", "abc", "abc ", false, "int", false}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
