// Type groups of the data-access type numbers and the conversion of values to a field's type.
#include "platform/ado/AdoTypes.h"

#include "platform/AppError.h"
#include "platform/NumberValue.h"
#include "platform/TextUtil.h"

#include <cmath>

bool IsAdoIntegerType(int type)
{
    switch (type) {
    case adSmallInt: case adInteger: case adTinyInt: case adUnsignedTinyInt: case adUnsignedSmallInt:
    case adUnsignedInt: case adBigInt: case adUnsignedBigInt:
        return true;
    default:
        return false;
    }
}

bool IsAdoFloatType(int type)
{
    switch (type) {
    case adSingle: case adDouble: case adCurrency: case adDecimal: case adNumeric: case adVarNumeric:
        return true;
    default:
        return false;
    }
}

bool IsAdoDateType(int type)
{
    return type == adDate || type == adDBDate || type == adDBTime || type == adDBTimeStamp;
}

bool IsAdoTextType(int type)
{
    switch (type) {
    case adBSTR: case adGUID: case adChar: case adWChar: case adVarChar: case adLongVarChar:
    case adVarWChar: case adLongVarWChar:
        return true;
    default:
        return false;
    }
}

Variant ConvertToAdoType(const Variant& value, int type)
{
    if (value.IsNull() || value.IsEmpty())
        return Variant::Null();
    auto fail = [&]() -> Variant {
        throw AppError(adoerr::kDataConversion, "ADODB.Field",
                       "Application uses a value of the wrong type for the current operation.");
    };
    const bool blankText = value.kind() == Variant::Kind::Text && IsBlank(TrimWhite(value.ToText()));
    if (IsAdoIntegerType(type)) {
        if (blankText)
            return Variant::Null();
        if (value.kind() == Variant::Kind::Long)
            return value;
        auto n = value.AsNumber();
        // 2^63: no whole number of 64 bits (a decimal rounds exactly within them).
        if (!n || !std::isfinite(*n) || std::fabs(*n) >= 9223372036854775808.0)
            return fail();
        if (value.kind() == Variant::Kind::Decimal)
            return Variant(value.ToLong());
        return Variant(static_cast<long long>(std::nearbyint(*n)));
    }
    if (type == adCurrency) {
        if (blankText)
            return Variant::Null();
        std::optional<long long> amount = value.CurrencyAmount();
        // A text, a whole number or a decimal by every digit of its text; any other number by its double.
        if (!amount && (value.kind() == Variant::Kind::Text || value.kind() == Variant::Kind::Long ||
                        value.kind() == Variant::Kind::Decimal))
            amount = ParseCurrencyText(value.ToText());
        else if (!amount && value.IsNumber())
            amount = CurrencyOfDouble(value.ToDouble());
        if (!amount)
            return fail();
        return Variant::FromCurrency(*amount);
    }
    if (IsAdoFloatType(type)) {
        if (blankText)
            return Variant::Null();
        // Every digit of a number a double does not hold is kept (a decimal, a text, a whole
        // number of more than 15 digits).
        if (value.kind() == Variant::Kind::Double || value.kind() == Variant::Kind::Decimal)
            return value;
        if (value.kind() == Variant::Kind::Long)
            return Variant::FromNumber(NumberValue{true, value.ToLong(), 0, std::nullopt});
        if (value.kind() == Variant::Kind::Text)
            if (std::optional<Variant> exact = Variant::FromNumberText(TrimWhite(value.ToText())))
                return *exact;
        auto n = value.AsNumber();
        if (!n)
            return fail();
        return Variant(*n);
    }
    if (IsAdoDateType(type)) {
        if (blankText)
            return Variant::Null();
        auto d = value.AsDate();
        if (!d)
            return fail();
        return Variant::FromDate(*d);
    }
    if (type == adBoolean) {
        if (blankText)
            return Variant::Null();
        if (value.kind() == Variant::Kind::Text) {
            const std::string t = Trim(value.ToText());
            if (EqualsNoCase(t, "True"))
                return Variant(true);
            if (EqualsNoCase(t, "False"))
                return Variant(false);
        }
        auto n = value.AsNumber();
        if (!n)
            return fail();
        return Variant(*n != 0);
    }
    if (value.kind() == Variant::Kind::Text)
        return value;
    return Variant(value.ToText());
}
