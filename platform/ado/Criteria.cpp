// Parsing and testing of recordset criteria texts.
#include "platform/ado/Criteria.h"

#include "platform/AppError.h"
#include "platform/DecimalNumber.h"
#include "platform/TextUtil.h"
#include "platform/ado/AdoTypes.h"

#include <cctype>

namespace {

enum class Tok { End, LParen, RParen, Name, Word, Text, Date, Op };

struct Token {
    Tok kind = Tok::End;
    std::string text;
};

[[noreturn]] void Refuse(const std::string& why)
{
    throw AppError(adoerr::kWrongArguments, "ADODB.Recordset",
                   "Arguments are of the wrong type, are out of acceptable range, or are in conflict with one another. (" + why + ")");
}

std::vector<Token> Tokenize(const std::string& s)
{
    std::vector<Token> out;
    size_t i = 0;
    while (i < s.size()) {
        const char c = s[i];
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            ++i;
        } else if (c == '(' || c == ')') {
            out.push_back({c == '(' ? Tok::LParen : Tok::RParen, std::string(1, c)});
            ++i;
        } else if (c == '[') {
            std::string name;
            ++i;
            while (true) {
                if (i >= s.size())
                    Refuse("unclosed [");
                if (s[i] == ']') {
                    if (i + 1 < s.size() && s[i + 1] == ']') {
                        name += ']';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                name += s[i++];
            }
            out.push_back({Tok::Name, name});
        } else if (c == '\'') {
            std::string text;
            ++i;
            while (true) {
                if (i >= s.size())
                    Refuse("unclosed quote");
                if (s[i] == '\'') {
                    if (i + 1 < s.size() && s[i + 1] == '\'') {
                        text += '\'';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                text += s[i++];
            }
            out.push_back({Tok::Text, text});
        } else if (c == '#') {
            const size_t close = s.find('#', i + 1);
            if (close == std::string::npos)
                Refuse("unclosed #");
            out.push_back({Tok::Date, s.substr(i + 1, close - i - 1)});
            i = close + 1;
        } else if (c == '<' || c == '>' || c == '=') {
            std::string op(1, c);
            if (i + 1 < s.size() && (s[i + 1] == '=' || (c == '<' && s[i + 1] == '>')))
                op += s[i + 1];
            out.push_back({Tok::Op, op});
            i += op.size();
        } else {
            size_t j = i;
            while (j < s.size() && std::string_view(" \t\r\n()[]'#<>=").find(s[j]) == std::string_view::npos)
                ++j;
            out.push_back({Tok::Word, s.substr(i, j - i)});
            i = j;
        }
    }
    out.push_back({Tok::End, {}});
    return out;
}

enum class Mode { Number, Date, Text };

} // namespace

struct Criteria::Node {
    enum class Kind { And, Or, Compare } kind = Kind::Compare;
    std::unique_ptr<Node> left, right;
    int field = 0;
    std::string op;
    bool nullLiteral = false;
    Mode mode = Mode::Text;
    double number = 0;
    // The number literal with every digit, when a double does not hold it exactly.
    std::optional<DecimalNumber> exactNumber;
    std::string text;   // text value, or the LIKE pattern
};

namespace {

class Parser {
public:
    Parser(const std::string& text, const std::vector<FieldInfo>& fields) : toks_(Tokenize(text)), fields_(fields) {}

    std::unique_ptr<Criteria::Node> Parse()
    {
        auto n = Or();
        if (Peek().kind != Tok::End)
            Refuse("unexpected '" + Peek().text + "'");
        return n;
    }

private:
    const Token& Peek() const { return toks_[pos_]; }
    const Token& Next() { return toks_[pos_ < toks_.size() - 1 ? pos_++ : pos_]; }
    bool IsKeyword(const char* kw) const { return Peek().kind == Tok::Word && EqualsNoCase(Peek().text, kw); }

    std::unique_ptr<Criteria::Node> Join(Criteria::Node::Kind kind, std::unique_ptr<Criteria::Node> l,
                                         std::unique_ptr<Criteria::Node> r)
    {
        auto n = std::make_unique<Criteria::Node>();
        n->kind = kind;
        n->left = std::move(l);
        n->right = std::move(r);
        return n;
    }

    std::unique_ptr<Criteria::Node> Or()
    {
        auto n = And();
        while (IsKeyword("OR")) {
            Next();
            n = Join(Criteria::Node::Kind::Or, std::move(n), And());
        }
        return n;
    }

    std::unique_ptr<Criteria::Node> And()
    {
        auto n = Factor();
        while (IsKeyword("AND")) {
            Next();
            n = Join(Criteria::Node::Kind::And, std::move(n), Factor());
        }
        return n;
    }

    std::unique_ptr<Criteria::Node> Factor()
    {
        if (Peek().kind == Tok::LParen) {
            Next();
            auto n = Or();
            if (Next().kind != Tok::RParen)
                Refuse("missing )");
            return n;
        }
        return Comparison();
    }

    int FieldIndex(const std::string& name) const
    {
        for (size_t i = 0; i < fields_.size(); ++i)
            if (EqualsNoCase(fields_[i].name, name))
                return static_cast<int>(i);
        throw AppError(adoerr::kNotInCollection, "ADODB.Recordset",
                       "Item cannot be found in the collection corresponding to the requested name or ordinal.");
    }

    std::unique_ptr<Criteria::Node> Comparison()
    {
        const Token name = Next();
        if (name.kind != Tok::Name && name.kind != Tok::Word)
            Refuse("field name expected");
        auto n = std::make_unique<Criteria::Node>();
        n->field = FieldIndex(name.text);
        const Token op = Next();
        if (op.kind == Tok::Op)
            n->op = op.text;
        else if (op.kind == Tok::Word && EqualsNoCase(op.text, "LIKE"))
            n->op = "LIKE";
        else
            Refuse("comparison expected after " + name.text);
        const Token value = Next();
        if (value.kind == Tok::Word && EqualsNoCase(value.text, "NULL")) {
            if (n->op != "=" && n->op != "<>")
                Refuse("NULL compares only with = or <>");
            n->nullLiteral = true;
            return n;
        }
        if (value.kind != Tok::Text && value.kind != Tok::Date && value.kind != Tok::Word)
            Refuse("value expected after " + n->op);
        if (value.kind == Tok::Word && !ParseNumberText(value.text))
            Refuse("'" + value.text + "' is no value");
        Bind(*n, value);
        return n;
    }

    // The literal made into what the field's values compare with.
    void Bind(Criteria::Node& n, const Token& value) const
    {
        const int type = fields_[n.field].type;
        auto conversionFails = []() {
            throw AppError(adoerr::kDataConversion, "ADODB.Recordset",
                           "Application uses a value of the wrong type for the current operation.");
        };
        const std::optional<double> asNumber = ParseNumberText(value.text);
        if (n.op == "LIKE") {
            n.mode = Mode::Text;
            n.text = value.text;
            return;
        }
        if (IsAdoIntegerType(type) || IsAdoFloatType(type) || type == adBoolean) {
            n.mode = Mode::Number;
            if (asNumber) {
                n.number = *asNumber;
                if (const std::optional<DecimalNumber> exact = DecimalNumber::Parse(value.text);
                    exact && Variant::FromNumber(*exact).kind() == Variant::Kind::Decimal)
                    n.exactNumber = exact;
            }
            else if (value.kind == Tok::Date && ParseDateText(value.text))
                n.number = *ParseDateText(value.text);
            else if (type == adBoolean && (EqualsNoCase(value.text, "True") || EqualsNoCase(value.text, "False")))
                n.number = EqualsNoCase(value.text, "True") ? -1 : 0;
            else
                conversionFails();
        } else if (IsAdoDateType(type)) {
            n.mode = Mode::Date;
            auto d = ParseDateText(value.text);
            if (!d)
                d = asNumber;
            if (!d)
                conversionFails();
            n.number = *d;
        } else {
            n.mode = Mode::Text;
            if (value.kind == Tok::Date && !asNumber) {
                auto d = ParseDateText(value.text);
                if (!d)
                    conversionFails();
                n.text = FormatDateText(*d);
            } else {
                n.text = value.text;
            }
        }
    }

    std::vector<Token> toks_;
    size_t pos_ = 0;
    const std::vector<FieldInfo>& fields_;
};

int CompareNoCase(const std::string& a, const std::string& b)
{
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const int ca = std::tolower(static_cast<unsigned char>(a[i]));
        const int cb = std::tolower(static_cast<unsigned char>(b[i]));
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

bool Holds(const std::string& op, int cmp)
{
    if (op == "=")
        return cmp == 0;
    if (op == "<>")
        return cmp != 0;
    if (op == "<")
        return cmp < 0;
    if (op == ">")
        return cmp > 0;
    if (op == "<=")
        return cmp <= 0;
    return cmp >= 0;
}

bool Test(const Criteria::Node& n, const std::vector<Variant>& row)
{
    switch (n.kind) {
    case Criteria::Node::Kind::And:
        return Test(*n.left, row) && Test(*n.right, row);
    case Criteria::Node::Kind::Or:
        return Test(*n.left, row) || Test(*n.right, row);
    case Criteria::Node::Kind::Compare:
        break;
    }
    const Variant& v = row[n.field];
    const bool isNull = v.IsNull() || v.IsEmpty();
    if (n.nullLiteral)
        return (n.op == "=") == isNull;
    if (isNull)
        return false;
    if (n.op == "LIKE")
        return LikeMatch(n.text, v.ToText());
    if (n.mode == Mode::Text)
        return Holds(n.op, CompareNoCase(v.ToText(), n.text));
    // Every digit counts where the value or the literal has more than a double holds.
    if (n.mode == Mode::Number && (n.exactNumber || v.kind() == Variant::Kind::Decimal)) {
        const std::optional<DecimalNumber> x = v.ExactNumber();
        if (!x)
            return false;
        return Holds(n.op, x->Compare(n.exactNumber ? *n.exactNumber : DecimalNumber::OfDouble(n.number)));
    }
    const std::optional<double> x = n.mode == Mode::Date ? v.AsDate() : v.AsNumber();
    if (!x)
        return false;
    return Holds(n.op, *x < n.number ? -1 : (*x > n.number ? 1 : 0));
}

} // namespace

Criteria::Criteria(const std::string& text, const std::vector<FieldInfo>& fields)
    : root_(Parser(text, fields).Parse())
{
}

Criteria::~Criteria() = default;
Criteria::Criteria(Criteria&&) noexcept = default;
Criteria& Criteria::operator=(Criteria&&) noexcept = default;

bool Criteria::Matches(const std::vector<Variant>& row) const
{
    return Test(*root_, row);
}

bool LikeMatch(const std::string& pattern, const std::string& text)
{
    // Jet's "*" and ANSI's "%" both stand for any run; text compares without regard to case.
    return GlobMatch(pattern, text, GlobRules{"*%", "", true});
}
