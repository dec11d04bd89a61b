// Values as the server stores and compares them.
#include "dbaccess/StoredValue.h"

#include "platform/RisTimestamp.h"
#include "platform/TextUtil.h"

#include <algorithm>
#include <cmath>
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

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The plain text of a number already written as a column of the scale stores it, but for zeros
// after its last decimal: an optional "-", whole digits without a leading zero (or "0" alone), and
// decimals within the scale, or for a scale of -1 at most the 38 digits the server keeps. Those
// zeros dropped it is DecimalNumber::PlainText of the number (a part of the text); nothing for
// any other text, which is read through its digits.
std::optional<std::string_view> plainAsStored(std::string_view t, int scale)
{
    size_t i = t.empty() || t[0] != '-' ? 0 : 1;
    const size_t whole = i;
    while (i < t.size() && isDigit(t[i]))
        ++i;
    if (i == whole || (t[whole] == '0' && i - whole > 1))
        return std::nullopt;
    size_t end = i;
    if (i < t.size()) {
        if (t[i] != '.' || i + 1 == t.size())
            return std::nullopt;
        for (size_t j = i + 1; j < t.size(); ++j)
            if (!isDigit(t[j]))
                return std::nullopt;
        end = t.size();
        while (t[end - 1] == '0')
            --end;
        if (t[end - 1] == '.')
            --end;
        const size_t decimals = end > i ? end - i - 1 : 0;
        if (scale >= 0 && decimals > static_cast<size_t>(scale))
            return std::nullopt;
    }
    if (scale < 0 && end - whole > static_cast<size_t>(DecimalNumber::kMaxDigits))
        return std::nullopt;
    if (end - whole == 1 && t[whole] == '0')
        return std::string_view("0"); // "-0" and "-0.00" are 0: the database has no -0
    return t.substr(0, end);
}

// A plain number text of at most this many characters has at most 15 significant digits: it is
// the shortest text of the double nearest to it, as two such numbers are never the same double.
constexpr size_t kDigitsEveryDoubleKeeps = 15;

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

StoredValue::Comparison StoredValue::ComparisonOf(std::string_view declared)
{
    const std::string word = typeParts(declared).first;
    if (word == "char")
        return {Kind::Char, -1};
    if (word == "timestamp" || word == "date")
        return {Kind::Moment, -1};
    if (word == "double" || word == "real")
        return {Kind::Number, -1, true};
    if (word == "smallint" || word == "int" || word == "integer" || word == "decimal")
        return {Kind::Number, ScaleOf(declared)};
    return {};
}

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

bool StoredValue::IsBinaryType(std::string_view declared)
{
    const std::string word = typeParts(declared).first;
    return word == "double" || word == "real";
}

std::optional<DecimalNumber> StoredValue::NearestDouble(std::string_view text)
{
    const std::optional<DecimalNumber> read = DecimalNumber::Parse(text);
    if (!read)
        return std::nullopt;
    const double nearest = read->ToDouble();
    if (!std::isfinite(nearest))
        return std::nullopt;
    return DecimalNumber::OfDouble(nearest);
}

std::string StoredValue::BlankPadded(std::string_view text) { return TrimRight(text); }

std::string StoredValue::Moment(std::string_view text) { return RisTimestamp::Compared(text); }

std::optional<std::string_view> StoredValue::Compared(const std::optional<std::string>& value,
                                                      const Comparison& column, std::string& room)
{
    if (isEmpty(value))
        return std::nullopt;
    const std::string_view text = *value;
    switch (column.kind) {
    case Kind::Number:
        if (const std::optional<std::string_view> plain = plainAsStored(text, column.scale);
            plain && (!column.binary || plain->size() <= kDigitsEveryDoubleKeeps))
            return plain;
        if (const std::optional<DecimalNumber> n = column.binary ? NearestDouble(text) : Number(text, column.scale)) {
            room = n->PlainText();
            return std::string_view(room);
        }
        break;
    case Kind::Char:
        return text.substr(0, text.find_last_not_of(' ') + 1); // BlankPadded
    case Kind::Moment:
        return RisTimestamp::Compared(text, room);
    case Kind::Other:
        break;
    }
    return text;
}

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
    case Kind::Moment:
        return Moment(*a) == Moment(*b);
    case Kind::Other:
        break;
    }
    return *a == *b;
}

bool StoredValue::SameAsWritten(const std::optional<std::string>& stored, const std::optional<std::string>& written,
                                Kind kind, std::string_view declared)
{
    if (kind == Kind::Number && written)
        if (const std::optional<DecimalNumber> n =
                IsBinaryType(declared) ? NearestDouble(*written) : Number(*written, ScaleOf(declared)))
            return Same(stored, n->PlainText(), kind);
    return Same(stored, written, kind);
}
