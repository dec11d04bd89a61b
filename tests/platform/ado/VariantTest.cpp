// Field values: numbers, dates and texts and their conversions.
#include "platform/ado/Variant.h"

#include "platform/AppError.h"
#include "platform/Clock.h"
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
    EXPECT_EQ(CurrencyOfDouble(0.1), 1000);
    EXPECT_EQ(CurrencyOfDouble(1e300), std::nullopt);
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
}

} // namespace
