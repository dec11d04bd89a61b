// Field values: numbers, dates and texts and their conversions.
#include "platform/ado/Variant.h"

#include "platform/AppError.h"
#include "platform/Clock.h"
#include "platform/DecimalNumber.h"
#include "platform/ado/AdoTypes.h"

#include <gtest/gtest.h>

namespace {

struct DateCase {
    const char* text;
    const char* formatted;   // nullptr: not a date
};

class DateTextTest : public ::testing::TestWithParam<DateCase> {};

TEST_P(DateTextTest, ReadsAndFormats)
{
    const auto d = ParseDateText(GetParam().text);
    if (!GetParam().formatted) {
        EXPECT_FALSE(d.has_value());
        return;
    }
    ASSERT_TRUE(d.has_value());
    EXPECT_EQ(FormatDateText(*d), GetParam().formatted);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, DateTextTest,
    ::testing::Values(DateCase{"2024-01-31", "2024-01-31"}, DateCase{"01/31/2024", "2024-01-31"},
                      DateCase{"31.01.2024", "2024-01-31"}, DateCase{"2024-02-29 23:59:58", "2024-02-29 23:59:58"},
                      DateCase{" 1899-12-30 ", "1899-12-30"}, DateCase{"2024-01-31 7:05", "2024-01-31 07:05:00"},
                      DateCase{"2023-02-29", nullptr}, DateCase{"2024-13-01", nullptr}, DateCase{"3", nullptr},
                      DateCase{"2024-01-31 25:00", nullptr}, DateCase{"2024-01-31x", nullptr}, DateCase{"", nullptr}));

TEST(VariantTest, DateNumbersCountFromTheZeroDate)
{
    EXPECT_EQ(*ParseDateText("1899-12-30"), 0.0);
    EXPECT_EQ(*ParseDateText("1900-01-01"), 2.0);
    EXPECT_DOUBLE_EQ(*ParseDateText("2024-01-31 12:00"), 45322.5);
    const LocalTime t = Variant::FromDate(45322.5).ToLocalTime();
    EXPECT_EQ(t.year, 2024);
    EXPECT_EQ(t.day, 31);
    EXPECT_EQ(t.hour, 12);
}

TEST(VariantTest, TextsAndNumbers)
{
    EXPECT_EQ(Variant(2.5).ToText(), "2.5");
    EXPECT_EQ(Variant(7.0).ToText(), "7");
    EXPECT_EQ(Variant(0.1).ToText(), "0.1");
    EXPECT_EQ(Variant(true).ToText(), "True");
    EXPECT_EQ(Variant::Null().ToText(), "");
    EXPECT_EQ(Variant("12").AsNumber().value(), 12.0);
    EXPECT_FALSE(Variant("12a").AsNumber().has_value());
    EXPECT_FALSE(Variant::Null().AsNumber().has_value());
    EXPECT_EQ(Variant(2.5).ToLong(), 2);   // half to even
    EXPECT_EQ(Variant(3.5).ToLong(), 4);
    EXPECT_TRUE(Variant::Null() == Variant::Null());
    EXPECT_FALSE(Variant("1") == Variant(1));
    // A currency amount is exact over its whole range, rounded half to even at its fourth decimal.
    EXPECT_EQ(Variant::FromCurrency(INT64_MIN).ToText(), "-922337203685477.5808");
    EXPECT_EQ(Variant::FromCurrency(INT64_MAX).ToText(), "922337203685477.5807");
    EXPECT_EQ(Variant::FromCurrency(125000).ToText(), "12.5");
    EXPECT_EQ(Variant::FromCurrency(-25000).ToLong(), -2);
    EXPECT_EQ(Variant::FromCurrency(35000).ToLong(), 4);
    EXPECT_EQ(ParseCurrencyText(" -922337203685477.5808 "), INT64_MIN);
    EXPECT_EQ(ParseCurrencyText("922337203685477.5808"), std::nullopt);
    EXPECT_EQ(ParseCurrencyText("1.5e-4"), 2);
    EXPECT_EQ(ParseCurrencyText("2.5e-4"), 2);
    EXPECT_EQ(ParseCurrencyText("0e99999"), 0);
    EXPECT_EQ(ParseCurrencyText("12.5x"), std::nullopt);
    // A double as the number it stands for, never its binary digits at the fourth decimal.
    for (const auto& [v, amount] : std::vector<std::pair<double, long long>>{{0.1, 1000},
                                                                             {100000000000000.1, 1000000000000001000},
                                                                             {-123456789012.3457, -1234567890123457},
                                                                             {922337203685477.5, 9223372036854775000}})
        EXPECT_EQ(CurrencyOfDouble(v), amount) << v;
    EXPECT_EQ(CurrencyOfDouble(1e300), std::nullopt);
    // A number of more digits than a double holds is a decimal of every digit; any other stays
    // a double. Whole values round half to even, exactly; beyond 64 bits to the range's end.
    using K = Variant::Kind;
    const struct {
        const char* text;
        K kind;
        const char* shown;
        double nearest;
        long long whole;
    } numbers[] = {
        {"12345678901234567891", K::Decimal, "12345678901234567891", 12345678901234567891.0, INT64_MAX},
        {" -1234567890123456.78 ", K::Decimal, "-1234567890123456.78", -1234567890123456.78, -1234567890123457},
        {"99999999999999999999999999999999999999", K::Decimal, "99999999999999999999999999999999999999", 1e38,
         INT64_MAX},
        {"-1e20", K::Double, "-1e+20", -1e20, INT64_MIN},
        {"1234567890123456", K::Decimal, "1234567890123456", 1234567890123456.0, 1234567890123456},
        {"12345678901234567.5", K::Decimal, "12345678901234567.5", 12345678901234568.0, 12345678901234568},
        {"12345678901234566.5", K::Decimal, "12345678901234566.5", 12345678901234566.0, 12345678901234566},
        {"0.30000000000000004", K::Decimal, "0.30000000000000004", 0.30000000000000004, 0},
        {"123456789012345", K::Double, "123456789012345", 123456789012345.0, 123456789012345},
        {"0.1", K::Double, "0.1", 0.1, 0},
        // A whole number beyond 2^53 that a double holds: the number, never the double's binary
        // digits (9999999999999989760).
        {"9999999999999990000", K::Double, "9999999999999990000", 9999999999999990000.0, INT64_MAX},
        {"-12345678901234500000", K::Double, "-12345678901234500000", -12345678901234500000.0, INT64_MIN},
        {"1e22", K::Double, "1e+22", 1e22, INT64_MAX},
    };
    for (const auto& n : numbers) {
        const std::optional<Variant> v = Variant::FromNumberText(n.text);
        ASSERT_TRUE(v.has_value()) << n.text;
        EXPECT_EQ(v->kind(), n.kind) << n.text;
        EXPECT_EQ(v->ToText(), n.shown) << n.text;
        EXPECT_EQ(v->ToDouble(), n.nearest) << n.text;
        EXPECT_EQ(v->ToLong(), n.whole) << n.text;
        EXPECT_TRUE(v->IsNumber()) << n.text;
        EXPECT_EQ(v->ExactNumber()->Compare(*DecimalNumber::Parse(n.text)), 0) << n.text;
    }
    EXPECT_FALSE(Variant::FromNumberText("12345678901234567891x").has_value());
    EXPECT_TRUE(*Variant::FromNumberText("12345678901234567891") == *Variant::FromNumberText("1234567890123456789.1e1"));
    EXPECT_FALSE(*Variant::FromNumberText("12345678901234567891") == *Variant::FromNumberText("12345678901234567168"));
}

TEST(VariantTest, ConversionToFieldTypes)
{
    EXPECT_EQ(ConvertToAdoType(" 42 ", adInteger), Variant(42LL));
    EXPECT_EQ(ConvertToAdoType("2.75", adSingle), Variant(2.75));
    EXPECT_EQ(ConvertToAdoType(5, adVarWChar), Variant("5"));
    EXPECT_EQ(ConvertToAdoType("2024-01-31", adDBTimeStamp).ToText(), "2024-01-31");
    EXPECT_EQ(ConvertToAdoType("false", adBoolean), Variant(false));
    EXPECT_TRUE(ConvertToAdoType("  ", adDouble).IsNull());
    EXPECT_TRUE(ConvertToAdoType(Variant(), adVarChar).IsNull());
    EXPECT_THROW(ConvertToAdoType("x1", adInteger), AppError);
    EXPECT_THROW(ConvertToAdoType("someday", adDate), AppError);
    EXPECT_EQ(ConvertToAdoType("-922337203685477.5808", adCurrency), Variant::FromCurrency(INT64_MIN));
    EXPECT_EQ(ConvertToAdoType(3, adCurrency), Variant::FromCurrency(30000));
    EXPECT_EQ(ConvertToAdoType(1.23456, adCurrency), Variant::FromCurrency(12346));
    EXPECT_THROW(ConvertToAdoType("1e16", adCurrency), AppError);
    // A number field keeps every digit of what a double does not hold; a whole-number field
    // takes a decimal rounded exactly, and refuses one beyond 64 bits.
    const Variant wide = *Variant::FromNumberText("-922337203685477.58075");
    EXPECT_EQ(ConvertToAdoType(" 12345678901234567891 ", adDouble).ToText(), "12345678901234567891");
    EXPECT_EQ(ConvertToAdoType(wide, adNumeric), wide);
    EXPECT_EQ(ConvertToAdoType(1234567890123456789LL, adDecimal).ToText(), "1234567890123456789");
    EXPECT_EQ(ConvertToAdoType(wide, adBigInt), Variant(-922337203685478LL));
    EXPECT_EQ(ConvertToAdoType(wide, adCurrency), Variant::FromCurrency(INT64_MIN));
    EXPECT_EQ(ConvertToAdoType(wide, adVarWChar), Variant("-922337203685477.58075"));
    EXPECT_THROW(ConvertToAdoType(*Variant::FromNumberText("12345678901234567891"), adInteger), AppError);
}

} // namespace
