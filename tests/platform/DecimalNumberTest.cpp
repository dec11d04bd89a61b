// Decimal numbers of the stand-in server: every digit through arithmetic, rounding, comparison
// and text, and the form the numbers are kept in.
#include "platform/DecimalNumber.h"
#include "platform/NumberValue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

DecimalNumber n(const char* text)
{
    const auto parsed = DecimalNumber::Parse(text);
    EXPECT_TRUE(parsed.has_value()) << text;
    return parsed.value_or(DecimalNumber());
}

} // namespace

TEST(DecimalNumber, ComputesWithEveryDigit)
{
    using R = DecimalNumber::Rounding;
    const struct {
        const char* name;
        DecimalNumber result;
        const char* plain;
    } cases[] = {
        {"0.1 + 0.2", n("0.1") + n("0.2"), "0.3"},
        {"a sum of 39 digits", n("99999999999999999999999999999999999999") + n("1"),
         "100000000000000000000000000000000000000"},
        {"far apart", n("1e30") - n("1e-10"), "999999999999999999999999999999.9999999999"},
        {"a product", n("-12345678901234567891") * n("1000.5"), "-12351851740685185174945.5"},
        {"1/3 to 38 digits", DecimalNumber::Divide(n("1"), n("3")), "0.33333333333333333333333333333333333333"},
        {"2/3 rounded up", DecimalNumber::Divide(n("-2"), n("3")), "-0.66666666666666666666666666666666666667"},
        {"an exact quotient", DecimalNumber::Divide(n("1"), n("8")), "0.125"},
        {"a quotient of 3 digits", DecimalNumber::Divide(n("2"), n("3"), 3), "0.667"},
        {"a remainder keeps the dividend's sign", DecimalNumber::Remainder(n("-7.5"), n("2")), "-1.5"},
        {"a remainder of wide numbers", DecimalNumber::Remainder(n("12345678901234567891"), n("0.7")), "0.6"},
        {"half away from zero", n("-2.675").Rounded(2), "-2.68"},
        {"a carry through nines", n("9.995").Rounded(2), "10"},
        {"below the last digit kept", n("0.0004").Rounded(3), "0"},
        {"to tens", n("15").Rounded(-1), "20"},
        {"cut towards zero", n("-7.9").Rounded(0, R::TowardZero), "-7"},
        {"half to an even digit down", n("-2.5").Rounded(0, R::HalfToEven), "-2"},
        {"half to an even digit up", n("0.00035").Rounded(4, R::HalfToEven), "0.0004"},
        {"more than half, to even", n("2.50001").Rounded(0, R::HalfToEven), "3"},
        {"to 38 digits", n("1.23456789012345678901234567890123456789012").RoundedToDigits(38),
         "1.2345678901234567890123456789012345679"},
        {"the shortest digits of a double", DecimalNumber::OfDouble(0.1 + 0.2), "0.30000000000000004"},
        {"a whole double", DecimalNumber::OfDouble(-1e20), "-100000000000000000000"},
        {"the least whole number of 64 bits", DecimalNumber::OfInteger(-9223372036854775807LL - 1),
         "-9223372036854775808"},
        {"an exponent and zeros", n(" +00012.3400e-5 "), "0.0001234"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.result.PlainText(), c.plain) << c.name;
    for (const char* text : {"", " ", "-", ".", "1e", "1e+", "0x1F", "1.2.3", "1 2", "e5", "+-1", "1,5"})
        EXPECT_FALSE(DecimalNumber::Parse(text).has_value()) << text;
}

TEST(DecimalNumber, ComparesConvertsAndOrdersByValue)
{
    EXPECT_EQ(n("12345678901234567891").Compare(n("12345678901234567890")), 1);
    EXPECT_EQ(n("-0.1").Compare(n("-0.12")), 1);
    EXPECT_EQ(n("1e19").Compare(n("10000000000000000000.000")), 0);
    EXPECT_EQ(n("-5").Compare(n("0.001")), -1);
    EXPECT_EQ(n("9223372036854775807").ToInteger(), 9223372036854775807LL);
    EXPECT_FALSE(n("9223372036854775808").ToInteger().has_value());
    EXPECT_FALSE(n("1.5").ToInteger().has_value());
    EXPECT_EQ(n("0.30000000000000004").ToDouble(), 0.1 + 0.2);
    EXPECT_TRUE(std::isinf(n("1e400").ToDouble()));
    EXPECT_EQ(n("1e-402").ToDouble(), 0.0);
    EXPECT_EQ(n("1.5").FixedText(3), "1.500");
    EXPECT_EQ(n("-0.005").FixedText(2), "-0.01");
    EXPECT_EQ(n("0").FixedText(2), "0.00");
    EXPECT_EQ(n("120.5").Digits(), 4);
    EXPECT_EQ(n("0.05").Exponent(), -1);
    // The keys sort the numbers as their values do.
    std::vector<const char*> texts = {"-1e20", "-12345678901234567891", "-0.12", "-0.1", "0", "1e-30",
                                      "0.1",   "0.12",                  "1",     "9",    "10", "12345678901234567891"};
    std::vector<std::string> keys;
    for (const char* t : texts)
        keys.push_back(n(t).OrderKey());
    EXPECT_TRUE(std::is_sorted(keys.begin(), keys.end())) << ::testing::PrintToString(keys);
    EXPECT_EQ(std::adjacent_find(keys.begin(), keys.end()), keys.end());
    // The same numbers in the form they are kept in (whole, double or wide) compare alike.
    for (size_t i = 0; i + 1 < texts.size(); ++i)
        EXPECT_EQ(NumberValue::Compare(*NumberValue::Read(texts[i]), *NumberValue::Read(texts[i + 1])), -1) << texts[i];
    const struct {
        const char* text;
        char form; // 'i' whole, 'd' double, 'w' every digit
        bool beyondDouble;
    } forms[] = {{" 42 ", 'i', false},
                 {"-9223372036854775808", 'i', true},
                 {"1000000000000000", 'i', true},
                 {"999999999999999", 'i', false},
                 {"+0.1", 'd', false},
                 {"1e20", 'd', false},
                 {"123456789012345.6", 'w', true},
                 {"12345678901234567891", 'w', true},
                 {"1.0000000000000000", 'i', false},
                 {"1e400", 'd', false}};
    for (const auto& f : forms) {
        const std::optional<NumberValue> v = NumberValue::Read(f.text);
        ASSERT_TRUE(v.has_value()) << f.text;
        EXPECT_EQ(v->whole ? 'i' : v->IsWide() ? 'w' : 'd', f.form) << f.text;
        EXPECT_EQ(v->BeyondDouble(), f.beyondDouble) << f.text;
    }
    for (const char* text : {"", "0x1F", "1e", "- 1", "1,5", "inf"})
        EXPECT_FALSE(NumberValue::Read(text).has_value()) << text;
    // Numbers of one nearest double stay apart; a whole number beyond 2^53 beside a double.
    EXPECT_EQ(NumberValue::Compare(*NumberValue::Read("12345678901234567891"), *NumberValue::Read("12345678901234567168")), 1);
    EXPECT_EQ(NumberValue::Compare(*NumberValue::Read("9007199254740993"), *NumberValue::Read("9007199254740992.0")), 1);
    EXPECT_EQ(NumberValue::Compare(*NumberValue::Read("1e400"), *NumberValue::Read("12345678901234567891")), 1);
}
