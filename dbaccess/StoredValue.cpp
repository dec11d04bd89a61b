// Values as the server stores and compares them.
#include "dbaccess/StoredValue.h"

#include "platform/TextUtil.h"

#include <algorithm>
#include <utility>

namespace {

// More whole digits than any number the server holds (its largest is below 10^126).
constexpr long kMostWholeDigits = 130;

// The declared type's word and the text between its parentheses ("" without them), lower case.
std::pair<std::string, std::string> typeParts(std::string_view declared)
{
    const std::string t = ToLower(Trim(declared));
    const size_t open = t.find('(');
    if (open == std::string::npos)
        return {t, {}};
    return {Trim(t.substr(0, open)), t.substr(open + 1, t.find(')', open) - open - 1)};
}

bool isEmpty(const std::optional<std::string>& v) { return !v || v->empty(); }

} // namespace

int StoredValue::ScaleOf(std::string_view declared)
{
    const auto [word, args] = typeParts(declared);
    if (word == "smallint" || word == "int" || word == "integer")
        return 0;
    if (word != "decimal" || args.empty())
        return -1;
    const size_t comma = args.find(',');
    if (comma == std::string::npos)
        return 0; // a precision alone keeps whole numbers
    // The server takes a scale up to 127.
    const std::string scale = Trim(args.substr(comma + 1));
    if (scale.empty() || scale.size() > 3 || !std::all_of(scale.begin(), scale.end(), [](char c) {
            return c >= '0' && c <= '9';
        }))
        return -1;
    return std::stoi(scale);
}

bool StoredValue::IsCharType(std::string_view declared) { return typeParts(declared).first == "char"; }

std::optional<DecimalNumber> StoredValue::Number(std::string_view text, int scale)
{
    const std::optional<DecimalNumber> read = DecimalNumber::Parse(text);
    if (!read)
        return std::nullopt;
    const DecimalNumber stored = scale >= 0 ? read->Rounded(scale) : read->RoundedToDigits(DecimalNumber::kMaxDigits);
    if (stored.Exponent() > kMostWholeDigits)
        return std::nullopt;
    return stored;
}

std::string StoredValue::BlankPadded(std::string_view text) { return TrimRight(text); }

bool StoredValue::Same(const std::optional<std::string>& a, const std::optional<std::string>& b, Kind kind)
{
    if (isEmpty(a) || isEmpty(b))
        return isEmpty(a) == isEmpty(b);
    switch (kind) {
    case Kind::Number: {
        const std::optional<DecimalNumber> x = DecimalNumber::Parse(*a), y = DecimalNumber::Parse(*b);
        if (x && y)
            return *x == *y;
        break;
    }
    case Kind::Char:
        return BlankPadded(*a) == BlankPadded(*b);
    case Kind::Other:
        break;
    }
    return *a == *b;
}

bool StoredValue::SameAsWritten(const std::optional<std::string>& stored, const std::optional<std::string>& written,
                                Kind kind, std::string_view declared)
{
    if (kind == Kind::Number && written)
        if (const std::optional<DecimalNumber> n = Number(*written, ScaleOf(declared)))
            return Same(stored, n->PlainText(), kind);
    return Same(stored, written, kind);
}
