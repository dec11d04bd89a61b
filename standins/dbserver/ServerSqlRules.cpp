// Rewriting of statements into the stand-in server's own functions.
#include "standins/dbserver/ServerSqlRules.h"

#include "dbaccess/RisSqlText.h"
#include "platform/AppError.h"
#include "platform/RisTimestamp.h"
#include "platform/TextUtil.h"
#include "standins/dbserver/RisColumnType.h"
#include "standins/dbserver/ServerSqlFunctions.h"
#include "standins/dbserver/ServerValues.h"
#include "standins/dbserver/StatementColumns.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace {

using Kind = SqlToken::Kind;
constexpr size_t npos = std::string::npos;

// Words that begin, join or end clauses: none of them is an operand, so an operator next to one
// belongs to something else ("select *").
bool isClauseWord(const std::string& upper)
{
    static const char* const words[] = {
        "SELECT", "FROM", "WHERE", "AND", "OR", "NOT", "AS", "ON", "BY", "GROUP", "ORDER", "HAVING", "SET", "VALUES",
        "INTO", "IN", "IS", "LIKE", "GLOB", "BETWEEN", "DISTINCT", "ALL", "ANY", "SOME", "UNION", "INTERSECT",
        "MINUS", "EXCEPT", "WHEN", "THEN", "ELSE", "END", "JOIN", "INNER", "LEFT", "RIGHT", "FULL", "OUTER", "CROSS",
        "NATURAL", "USING", "ESCAPE", "ASC", "DESC", "UPDATE", "DELETE", "INSERT", "CREATE", "DROP", "VIEW", "TABLE",
        "INDEX", "UNIQUE", "EXISTS", "COLLATE", "LIMIT", "OFFSET", "WITH", "DEFAULT"};
    for (const char* w : words)
        if (upper == w)
            return true;
    return false;
}

// Words after which a name followed by "(" is a table or view with its column list, not a call.
bool namesTableBefore(const std::string& upper)
{
    return upper == "INTO" || upper == "TABLE" || upper == "VIEW" || upper == "UPDATE" || upper == "FROM" ||
           upper == "JOIN" || upper == "INDEX" || upper == "ON";
}

// The end of a select list: the clause after it at the same depth.
bool endsSelectList(const std::string& upper)
{
    return upper == "FROM" || upper == "INTO" || upper == "WHERE" || upper == "GROUP" || upper == "ORDER" ||
           upper == "HAVING" || upper == "UNION" || upper == "INTERSECT" || upper == "MINUS" || upper == "EXCEPT" ||
           upper == "LIMIT";
}

class Rewriter {
public:
    Rewriter(std::string_view sql, ServerDialect dialect, sqlite3* db)
        : t_(RisSqlText::Tokenize(sql)), dialect_(dialect), columns_(t_, db)
    {
    }

    std::string Run()
    {
        refuseEngineForms();
        return sequence(0, t_.size());
    }

private:
    bool oracle() const { return dialect_ == ServerDialect::Oracle; }
    bool blank(size_t i) const { return t_[i].kind == Kind::Space || t_[i].kind == Kind::Comment; }
    bool symbol(size_t i, std::string_view s) const
    {
        return i < t_.size() && t_[i].kind == Kind::Symbol && t_[i].text == s;
    }
    std::string upper(size_t i) const { return i < t_.size() && t_[i].kind == Kind::Word ? ToUpper(t_[i].text) : ""; }
    size_t next(size_t i, size_t end) const
    {
        while (i < end && blank(i))
            ++i;
        return i;
    }
    std::string raw(size_t from, size_t to) const
    {
        std::string s;
        for (size_t i = from; i < to; ++i)
            s += t_[i].text;
        return s;
    }
    size_t closing(size_t open, size_t end) const
    {
        int depth = 0;
        for (size_t i = open; i < end; ++i) {
            if (symbol(i, "("))
                ++depth;
            else if (symbol(i, ")") && --depth == 0)
                return i;
        }
        return npos;
    }
    // Where a list that starts at i ends: at the ")" that closes the parentheses it stands in, or
    // at the first word (or symbol) outside parentheses that ends says ends it; end at the latest.
    template <typename Ends>
    size_t endOfList(size_t i, size_t end, Ends ends) const
    {
        for (int depth = 0; i < end; ++i) {
            if (symbol(i, "("))
                ++depth;
            else if (symbol(i, ")") && --depth < 0)
                break;
            else if (depth == 0 && ends(i))
                break;
        }
        return i;
    }
    // Where the item of a list that starts at item ends: at its comma outside parentheses, or at
    // the list's end.
    size_t endOfItem(size_t item, size_t listEnd) const
    {
        for (int depth = 0; item < listEnd && !(depth == 0 && symbol(item, ",")); ++item)
            depth += symbol(item, "(") ? 1 : symbol(item, ")") ? -1 : 0;
        return item;
    }
    size_t caseEnd(size_t at, size_t end) const
    {
        int depth = 0;
        for (size_t i = at; i < end; ++i) {
            const std::string w = upper(i);
            if (w == "CASE")
                ++depth;
            else if (w == "END" && --depth == 0)
                return i;
        }
        return npos;
    }
    std::string previousWord(size_t i) const
    {
        while (i > 0 && blank(i - 1))
            --i;
        return i > 0 ? upper(i - 1) : std::string();
    }

    std::string sequence(size_t i, size_t end);
    std::string selectList(size_t& i, size_t end);
    bool expression(size_t& i, size_t end, std::string& out);
    bool operand(size_t& i, size_t end, std::string& out);
    std::optional<std::string> binaryOperator(size_t& i, size_t end) const;
    std::string functionName(const std::string& name, size_t at) const;
    std::string combine(const std::string& op, const std::string& between, const std::string& l,
                        const std::string& r) const;

    // Refuses the forms of the engine below that the database does not know.
    void refuseEngineForms() const;
    [[noreturn]] void refuse(const std::string& oracleText, const std::string& sqlServerText) const;
    std::string castCall(size_t open, size_t close);
    // The comparison operator at i ("=", "<>", "<=" ...), i moved past it; empty for none.
    std::string comparison(size_t& i, size_t end) const;
    // What the reading has met so far: literals of numbers of more digits than a double holds
    // (a number, or a text of one), and parameters ("?"), which a comparison may not repeat.
    struct Marks {
        size_t wide = 0;
        size_t parameters = 0;
        size_t rowValues = 0; // "(a, b)": a function cannot take it
    };
    // What an operand read last is by itself, without operators around it: a column's name (its
    // parts), a number literal (with its sign) or a string literal; empty otherwise.
    struct Bare {
        std::vector<std::string> name;
        std::string number;
        std::string text;
    };
    // After the expression e that ends at i (marks before it): a comparison with a next
    // expression, or a BETWEEN with its two, is read into e (i moves past it), a number compared
    // with a text literal comparing with the number the text reads as, as the database converts
    // it. An ordering comparison, and one with a literal of many digits, compares every digit of
    // a number the engine holds as a blob (exactComparison).
    void compared(size_t& i, size_t end, std::string& e, const Marks& before);
    bool between(size_t& i, size_t end, std::string& e, const Marks& before);
    // After a column's name e that ends at i: "[NOT] IN (<values>)" read into e (i moves past
    // it), each value a literal as the column reads it. A query in the parentheses is read as
    // any other.
    bool inList(size_t& i, size_t end, std::string& e, const Bare& column);
    std::string exactComparison(const std::string& l, const std::string& op, const std::string& r) const;
    static std::string numberOfLiteral(const std::string& literal);
    // The terms of an ORDER BY from i: each expression ordered first by the numbers it gives
    // (ris_order), then by itself; a result column's position, and the terms of a compound
    // query, stay as they are.
    std::string orderList(size_t& i, size_t end, bool compound);
    // A number literal as the engine must read it: a whole number of 64 bits as it is (the
    // engine reads it exactly), any other as ris_number('<text>'), read by the server.
    std::string numberLiteral(const std::string& text, bool negative);
    // A literal compared with a column, as the column's type reads it: a number compared with a
    // double or real column is the double nearest to it, the date alone compared with a
    // timestamp the day's first moment. The literal's own text where the type changes nothing.
    std::string asColumnReads(const Bare& column, const Bare& literal, const std::string& literalSql) const;

    static constexpr int kMaxDepth = 200;

    // What the expression read last is: a number (a numeric literal or arithmetic), a string
    // literal, or anything else.
    enum class Sort { Number, Text, Other };
    Sort sort_ = Sort::Other;

    std::vector<SqlToken> t_;
    ServerDialect dialect_;
    StatementColumns columns_;
    Bare bare_;
    int depth_ = 0;
    Marks marks_;
    bool assigning_ = false; // in the SET list of an UPDATE at the level being read
};

std::string Rewriter::sequence(size_t i, size_t end)
{
    // Each level of parentheses is a level of this reading, which a statement nested without end
    // would take to the end of the stack; no statement of the system comes near the limit.
    if (++depth_ > kMaxDepth)
        throw AppError(1, "ServerSqlRules", "The statement is nested too deeply (more than " +
                                                std::to_string(kMaxDepth) + " levels of parentheses).");
    std::string out;
    bool compound = false; // a UNION and its kin at this level: ORDER BY names result columns only
    const bool outerAssigning = assigning_;
    assigning_ = false;
    while (i < end) {
        if (blank(i)) {
            out += t_[i++].text;
            continue;
        }
        if (upper(i) == "SELECT") {
            out += t_[i++].text;
            out += selectList(i, end);
            continue;
        }
        const std::string word = upper(i);
        if (word == "UNION" || word == "INTERSECT" || word == "EXCEPT" || word == "MINUS")
            compound = true;
        if (word == "SET")
            assigning_ = true;
        else if (word == "WHERE" || word == "FROM" || word == "RETURNING")
            assigning_ = false;
        if (word == "ORDER" && upper(next(i + 1, end)) == "BY") {
            const size_t by = next(i + 1, end);
            out += raw(i, by + 1);
            i = by + 1;
            out += orderList(i, end, compound);
            continue;
        }
        size_t j = i;
        std::string e;
        const Marks before = marks_;
        if (expression(j, end, e)) {
            compared(j, end, e, before);
            out += e;
            i = j;
            continue;
        }
        if (oracle() && symbol(i, "%"))
            throw AppError(1, "ServerSqlRules", "ORA-00911: invalid character");
        out += t_[i++].text;
    }
    assigning_ = outerAssigning;
    --depth_;
    return out;
}

std::string Rewriter::selectList(size_t& i, size_t end)
{
    std::string out;
    size_t j = next(i, end);
    if (upper(j) == "DISTINCT" || upper(j) == "ALL" || upper(j) == "UNIQUE") {
        out += raw(i, j + 1);
        i = j + 1;
    }
    const size_t listEnd = endOfList(i, end, [&](size_t k) { return endsSelectList(upper(k)); });
    for (size_t item = i; item < listEnd;) {
        const size_t itemEnd = endOfItem(item, listEnd);
        const size_t first = next(item, itemEnd);
        size_t last = itemEnd;
        while (last > first && blank(last - 1))
            --last;
        size_t k = first;
        std::string e;
        const std::string written = raw(first, last);
        const Marks before = marks_;
        if (first < last && expression(k, last, e) && (compared(k, last, e, before), true)) {
            // Each part is read once: what follows the expression (an alias) goes on from there.
            out += raw(item, first) + e;
            out += k == last && e != written ? " AS " + RisSqlText::QuoteName(written) + raw(last, itemEnd)
                                             : sequence(k, itemEnd);
        } else {
            out += sequence(item, itemEnd);
        }
        if (itemEnd < listEnd)
            out += t_[itemEnd].text; // the comma
        item = itemEnd + 1;
    }
    i = listEnd;
    return out;
}

std::optional<std::string> Rewriter::binaryOperator(size_t& i, size_t end) const
{
    if (i >= end || t_[i].kind != Kind::Symbol)
        return std::nullopt;
    const std::string& s = t_[i].text;
    if (s == "+" || s == "-" || s == "*" || s == "/" || (s == "%" && !oracle())) {
        ++i;
        return s;
    }
    if (oracle() && s == "|" && symbol(i + 1, "|") && i + 1 < end) {
        i += 2;
        return std::string("||");
    }
    return std::nullopt;
}

bool Rewriter::expression(size_t& i, size_t end, std::string& out)
{
    std::vector<std::string> parts, ops, betweens;
    std::string first;
    if (!operand(i, end, first))
        return false;
    const Sort firstSort = sort_;
    const Bare firstBare = bare_;
    parts.push_back(first);
    for (;;) {
        size_t k = next(i, end);
        const auto op = binaryOperator(k, end);
        std::string right;
        size_t m = k;
        if (!op || !operand(m, end, right))
            break;
        ops.push_back(*op);
        betweens.push_back(raw(i, next(k, end)));
        parts.push_back(right);
        i = m;
    }
    // Multiplying operators bind first; the adding ones (and "||", as Oracle has it) then from
    // the left.
    const auto multiplying = [&](const std::string& op) { return op == "*" || op == "/" || op == "%"; };
    std::string done, pendingOp, pendingBetween;
    std::string term = parts[0];
    for (size_t k = 0; k < ops.size(); ++k) {
        if (multiplying(ops[k])) {
            term = combine(ops[k], betweens[k], term, parts[k + 1]);
            continue;
        }
        done = pendingOp.empty() ? term : combine(pendingOp, pendingBetween, done, term);
        pendingOp = ops[k];
        pendingBetween = betweens[k];
        term = parts[k + 1];
    }
    out = pendingOp.empty() ? term : combine(pendingOp, pendingBetween, done, term);
    sort_ = ops.empty() ? firstSort
            : std::find(ops.begin(), ops.end(), "||") == ops.end() ? Sort::Number : Sort::Other;
    bare_ = ops.empty() ? firstBare : Bare{};
    return true;
}

bool Rewriter::operand(size_t& i, size_t end, std::string& out)
{
    const size_t start = next(i, end);
    size_t at = start;
    while (symbol(at, "+") || symbol(at, "-"))
        at = next(at + 1, end);
    if (at >= end)
        return false;
    std::string primary;
    const SqlToken& t = t_[at];
    size_t after = at + 1;
    Sort sort = Sort::Other;
    size_t minus = 0;
    for (size_t k = start; k < at; ++k)
        minus += symbol(k, "-");
    Bare bare;
    if (t.kind == Kind::Number) {
        // A column's default in a declaration may only be a literal, which the engine keeps as
        // its text.
        primary = previousWord(start) == "DEFAULT" ? t.text : numberLiteral(t.text, minus % 2 == 1);
        sort = Sort::Number;
        if (NumberValue::Read(t.text))
            bare.number = (minus % 2 == 1 ? "-" : "") + t.text;
        if (primary != t.text) {
            out = primary; // the sign is in the literal
            i = after;
            sort_ = sort;
            bare_ = bare;
            return true;
        }
    } else if (symbol(at, "?")) {
        primary = t.text;
        ++marks_.parameters;
    } else if (t.kind == Kind::String) {
        primary = oracle() && t.text == "''" ? "NULL" : t.text; // Oracle keeps no empty string
        sort = primary == t.text && at == start ? Sort::Text : Sort::Other;
        if (sort == Sort::Text)
            bare.text = t.text;
        const auto n = NumberValue::Read(ReplaceAll(t.text.substr(1, t.text.size() - 2), "''", "'"));
        marks_.wide += n && n->IsWide();
    } else if (symbol(at, "(")) {
        const size_t close = closing(at, end);
        if (close == npos)
            return false;
        primary = "(" + sequence(at + 1, close) + ")";
        for (size_t k = at + 1, depth = 0; k < close; ++k) {
            depth += symbol(k, "(") ? 1 : symbol(k, ")") ? -1 : 0;
            if (depth == 0 && symbol(k, ",")) {
                ++marks_.rowValues;
                break;
            }
        }
        after = close + 1;
    } else if (t.kind == Kind::Word && upper(at) == "CASE") {
        const size_t close = caseEnd(at, end);
        if (close == npos)
            return false;
        primary = t.text + sequence(at + 1, close) + t_[close].text;
        after = close + 1;
    } else if (t.kind == Kind::Word && !isClauseWord(upper(at))) {
        // A name, qualified ("s.t.c", "t.*"), or a function called with its arguments.
        std::string name = t.text;
        std::vector<std::string> parts{t.text};
        for (;;) {
            const size_t dot = next(after, end);
            const size_t part = next(dot + 1, end);
            if (!symbol(dot, ".") || part >= end || (t_[part].kind != Kind::Word && !symbol(part, "*")))
                break;
            name += raw(after, part + 1);
            parts.push_back(t_[part].text);
            after = part + 1;
            if (symbol(part, "*"))
                break;
        }
        const size_t open = next(after, end);
        if (symbol(open, "(")) {
            const size_t close = closing(open, end);
            if (close == npos)
                return false;
            primary = oracle() && EqualsNoCase(name, "cast") ? castCall(open, close) : std::string();
            if (primary.empty())
                primary = functionName(name, at) + raw(after, open) + "(" + sequence(open + 1, close) + ")";
            after = close + 1;
        } else {
            primary = name;
            if (at == start && parts.back() != "*")
                bare.name = parts;
        }
    } else {
        return false;
    }
    // A sign before anything but a number literal: the engine would negate a number it holds as
    // a blob by its own reading of it, losing digits.
    if (minus > 0 && t.kind != Kind::Number && !symbol(at, "?"))
        out = minus % 2 == 1 ? "ris_neg(" + primary + ")" : primary;
    else
        out = raw(start, at) + primary;
    i = after;
    sort_ = sort;
    bare_ = bare;
    return true;
}

std::string Rewriter::numberLiteral(const std::string& text, bool negative)
{
    // The engine's own reading of a number with a point or an exponent is not always the nearest
    // double, and reads a whole number written so as a double: the server reads it.
    const auto n = NumberValue::Read(text);
    if (!n || (n->whole && text.find_first_not_of("0123456789") == std::string::npos))
        return text;
    marks_.wide += n->IsWide();
    return "ris_number('" + std::string(negative ? "-" : "") + text + "')";
}

std::string Rewriter::asColumnReads(const Bare& column, const Bare& literal, const std::string& literalSql) const
{
    if (column.name.empty() || (literal.number.empty() && literal.text.empty()))
        return literalSql;
    const std::optional<RisColumnType> type = columns_.TypeOf(column.name);
    if (!type)
        return literalSql;
    if (!literal.number.empty() && type->IsBinary())
        return "ris_number('" + literal.number + "', '" + type->declared() + "')";
    if (!literal.text.empty() && type->IsMoment())
        if (const auto moment = RisTimestamp::Moment(literal.text.substr(1, literal.text.size() - 2)))
            return "'" + *moment + "'";
    return literalSql;
}

std::string Rewriter::functionName(const std::string& name, size_t at) const
{
    if (namesTableBefore(previousWord(at)))
        return name;
    const std::string lower = ToLower(name);
    // Numbers are added up, compared and rounded with every digit, in both databases.
    for (const char* f : {"sum", "min", "max", "abs", "round"})
        if (lower == f)
            return "ris_" + lower;
    if (!oracle())
        return name;
    for (const char* f : {"substr", "trim", "ltrim", "rtrim", "replace", "concat", "mod", "avg"})
        if (lower == f)
            return "ris_" + lower;
    return name;
}

void Rewriter::refuse(const std::string& oracleText, const std::string& sqlServerText) const
{
    throw AppError(1, "ServerSqlRules", oracle() ? oracleText : sqlServerText);
}

void Rewriter::refuseEngineForms() const
{
    for (size_t i = 0; i < t_.size(); ++i) {
        const SqlToken& t = t_[i];
        const size_t after = next(i + 1, t_.size());
        const bool call = symbol(after, "(");
        if (t.kind == Kind::Word) {
            const std::string name = ToLower(t.text.front() == '"' ? t.text.substr(1, t.text.size() - 2) : t.text);
            const std::string shown = ToUpper(name);
            // A blob literal (x'41'): the database knows no such form.
            if ((name == "x") && i + 1 < t_.size() && t_[i + 1].kind == Kind::String)
                refuse("ORA-00933: SQL command not properly ended", "Incorrect syntax near '" + t_[i + 1].text + "'.");
            if (name.rfind("ris_no_empty_text_", 0) == 0)
                refuse("ORA-04080: trigger '" + shown + "' does not exist",
                       "Cannot drop the trigger '" + t.text + "', because it does not exist.");
            // The engine's own functions and tables, and the server's own functions, which no
            // statement may call by name.
            const bool engineName = name.rfind("sqlite_", 0) == 0;
            const bool ownFunction = call && (name.rfind("ris_", 0) == 0 || name.rfind("mss_", 0) == 0);
            const bool engineFunction = call && (name == "typeof" || name == "glob" || name == "zeroblob" ||
                                                 name == "randomblob" || name == "printf" || name == "unlikely" ||
                                                 name == "likely" || name == "likelihood");
            if ((engineName && call) || ownFunction || engineFunction)
                refuse("ORA-00904: \"" + shown + "\": invalid identifier",
                       "'" + name + "' is not a recognized built-in function name.");
            if (engineName)
                refuse("ORA-00942: table or view does not exist", "Invalid object name '" + name + "'.");
            if (!call && name == "glob")
                refuse("ORA-00920: invalid relational operator", "Incorrect syntax near '" + t.text + "'.");
            if (oracle() && name == "collate")
                refuse("ORA-00933: SQL command not properly ended", "");
        } else if (t.kind == Kind::Symbol) {
            const std::string& c = t.text;
            const bool twice = i + 1 < t_.size() && t_[i + 1].kind == Kind::Symbol && t_[i + 1].text == c;
            if ((c == "<" || c == ">" || c == "=") && twice)
                refuse("ORA-00936: missing expression", "Incorrect syntax near '" + c + c + "'.");
            // Bit operators: Oracle has none ("||" joins texts).
            if (oracle() && (c == "&" || c == "~" || (c == "|" && !twice && !(i > 0 && t_[i - 1].text == "|"))))
                refuse("ORA-00911: invalid character", "");
        }
    }
}

// CAST(x AS type) as Oracle converts: a number into a whole-number type rounds (7.5 gives 8), a
// decimal keeps its scale, a number into a character type takes Oracle's text. A type the
// server does not store is left to the engine.
std::string Rewriter::castCall(size_t open, size_t close)
{
    size_t as = npos;
    for (size_t k = open + 1, depth = 0; k < close; ++k) {
        if (symbol(k, "("))
            ++depth;
        else if (symbol(k, ")"))
            --depth;
        else if (depth == 0 && upper(k) == "AS")
            as = k;
    }
    if (as == npos)
        return {};
    std::string type = ToLower(ReplaceAll(Trim(raw(as + 1, close)), " ", ""));
    const size_t paren = type.find('(');
    const std::string word = type.substr(0, paren), args = paren == npos ? "" : type.substr(paren);
    if (word == "number" || word == "numeric")
        type = "decimal" + args;
    else if (word == "varchar2" || word == "varchar" || word == "nchar" || word == "nvarchar2")
        type = "char" + args;
    else if (word == "float" || word == "doubleprecision")
        type = "double";
    const auto parsed = RisColumnType::Parse(type);
    if (!parsed)
        return {};
    if (const std::string refusal = parsed->Refusal(); !refusal.empty())
        throw AppError(1, "ServerSqlRules", refusal);
    return "ris_cast(" + sequence(open + 1, as) + ", '" + parsed->declared() + "')";
}

std::string Rewriter::comparison(size_t& i, size_t end) const
{
    if (i >= end || t_[i].kind != Kind::Symbol)
        return {};
    const std::string& c = t_[i].text;
    if (c == "=") {
        ++i;
        return c;
    }
    if (c != "<" && c != ">" && c != "!")
        return {};
    if (symbol(i + 1, "=") || (c == "<" && symbol(i + 1, ">"))) {
        i += 2;
        return c + t_[i - 1].text;
    }
    if (c == "!")
        return {};
    ++i;
    return c;
}

void Rewriter::compared(size_t& i, size_t end, std::string& e, const Marks& before)
{
    const Sort left = sort_;
    const Bare leftBare = bare_;
    if (between(i, end, e, before) || inList(i, end, e, leftBare))
        return;
    size_t k = next(i, end);
    const std::string op = comparison(k, end);
    if (op.empty())
        return;
    size_t m = k;
    std::string right;
    if (!expression(m, end, right))
        return;
    // "c = value" of an UPDATE's SET gives the column its value, which the store reads.
    if (!(assigning_ && op == "=")) {
        right = asColumnReads(leftBare, bare_, right);
        e = asColumnReads(bare_, leftBare, e);
    }
    if (oracle() && left == Sort::Number && sort_ == Sort::Text)
        right = numberOfLiteral(right);
    else if (oracle() && left == Sort::Text && sort_ == Sort::Number)
        e = numberOfLiteral(e);
    const bool ordering = op != "=" && op != "<>" && op != "!=";
    // "c = value" of an UPDATE's SET is no comparison but what the column is given.
    if (marks_.parameters == before.parameters && marks_.rowValues == before.rowValues &&
        !(assigning_ && op == "=") && (ordering || marks_.wide != before.wide))
        e = exactComparison(e, op, right);
    else
        e += raw(i, next(k, end)) + right;
    i = m;
    sort_ = Sort::Other;
}

bool Rewriter::between(size_t& i, size_t end, std::string& e, const Marks& before)
{
    const Bare column = bare_;
    size_t k = next(i, end);
    const bool negated = upper(k) == "NOT";
    if (negated)
        k = next(k + 1, end);
    if (upper(k) != "BETWEEN")
        return false;
    size_t m = k + 1;
    std::string low, high;
    if (!expression(m, end, low))
        return false;
    low = asColumnReads(column, bare_, low);
    const size_t andAt = next(m, end);
    if (upper(andAt) != "AND")
        return false;
    m = andAt + 1;
    if (!expression(m, end, high))
        return false;
    high = asColumnReads(column, bare_, high);
    if (marks_.parameters == before.parameters && marks_.rowValues == before.rowValues) {
        // Both bounds compared with every digit where the engine alone would not.
        const std::string exact = "ris_cmp(" + e + ", " + low + ") >= 0 AND ris_cmp(" + e + ", " + high + ") <= 0";
        e = "(CASE WHEN ris_exact(" + e + ", " + low + ") OR ris_exact(" + e + ", " + high + ") THEN " +
            (negated ? "NOT (" + exact + ")" : exact) + " ELSE " + e + (negated ? " NOT" : "") + " BETWEEN " + low +
            " AND " + high + " END)";
    } else {
        // A parameter may not be repeated, nor a list of values given to a function: the engine
        // compares.
        e += std::string(negated ? " NOT" : "") + " BETWEEN " + low + " AND " + high;
    }
    i = m;
    sort_ = Sort::Other;
    return true;
}

bool Rewriter::inList(size_t& i, size_t end, std::string& e, const Bare& column)
{
    if (column.name.empty())
        return false;
    size_t k = next(i, end);
    if (upper(k) == "NOT")
        k = next(k + 1, end);
    const size_t open = next(k + 1, end);
    if (upper(k) != "IN" || !symbol(open, "(") || upper(next(open + 1, end)) == "SELECT")
        return false;
    const size_t close = closing(open, end);
    if (close == npos)
        return false;
    std::string list;
    for (size_t item = open + 1; item < close;) {
        const size_t itemEnd = endOfItem(item, close);
        size_t m = item;
        std::string value;
        if (!expression(m, itemEnd, value))
            return false;
        list += raw(item, next(item, itemEnd)) + asColumnReads(column, bare_, value) + raw(m, itemEnd);
        if (itemEnd < close)
            list += t_[itemEnd].text; // the comma
        item = itemEnd + 1;
    }
    e += raw(i, open) + "(" + list + ")";
    i = close + 1;
    sort_ = Sort::Other;
    return true;
}

std::string Rewriter::exactComparison(const std::string& l, const std::string& op, const std::string& r) const
{
    // The engine compares as it stands (its affinities and collations) unless a number it holds
    // as a blob takes part; then the comparison takes every digit.
    return "(CASE WHEN ris_exact(" + l + ", " + r + ") THEN ris_cmp(" + l + ", " + r + ") " + op + " 0 ELSE " + l +
           " " + op + " " + r + " END)";
}

std::string Rewriter::orderList(size_t& i, size_t end, bool compound)
{
    const size_t listEnd = endOfList(i, end, [&](size_t k) {
        const std::string w = upper(k);
        return symbol(k, ";") || w == "LIMIT" || w == "OFFSET" || w == "FETCH" || w == "FOR";
    });
    std::string out;
    for (size_t item = i; item < listEnd;) {
        const size_t itemEnd = endOfItem(item, listEnd);
        // The expression ends before its modifiers: COLLATE <name>, ASC or DESC, NULLS FIRST or LAST.
        size_t expressionEnd = itemEnd;
        for (size_t k = item; k < itemEnd; ++k) {
            const std::string w = upper(k);
            if (w == "COLLATE" || w == "ASC" || w == "DESC" || w == "NULLS") {
                expressionEnd = k;
                break;
            }
        }
        size_t direction = expressionEnd;
        while (direction < itemEnd && upper(direction) != "ASC" && upper(direction) != "DESC")
            ++direction;
        const size_t first = next(item, expressionEnd);
        size_t last = expressionEnd;
        while (last > first && blank(last - 1))
            --last;
        const std::string e = sequence(first, last);
        const bool position = last == first + 1 && t_[first].kind == Kind::Number;
        out += raw(item, first);
        if (compound || position || first == last)
            out += e + raw(last, itemEnd);
        else
            out += "ris_order(" + e + ")" + (direction < itemEnd ? " " + t_[direction].text : std::string()) + ", " +
                   e + raw(last, itemEnd);
        if (itemEnd < listEnd)
            out += t_[itemEnd].text; // the comma
        item = itemEnd + 1;
    }
    i = listEnd;
    return out;
}

std::string Rewriter::numberOfLiteral(const std::string& literal)
{
    const std::string text = ReplaceAll(literal.substr(1, literal.size() - 2), "''", "'");
    const auto n = NumberValue::Read(text);
    if (!n)
        throw AppError(1, "ServerSqlRules", ServerSqlFunctions::kOracleInvalidNumber);
    // The server reads the number, never the engine.
    return "ris_number(" + literal + ")";
}

std::string Rewriter::combine(const std::string& op, const std::string& between, const std::string& l,
                              const std::string& r) const
{
    const char* function = nullptr;
    if (oracle())
        function = op == "+" ? "ris_add" : op == "-" ? "ris_sub" : op == "*" ? "ris_mul" : op == "/" ? "ris_div"
                                                                                               : "ris_concat";
    else
        function = op == "+"   ? "mss_add"
                   : op == "-" ? "mss_sub"
                   : op == "*" ? "mss_mul"
                   : op == "/" ? "mss_div"
                   : op == "%" ? "mss_mod"
                               : nullptr;
    if (!function)
        return l + between + r; // computed as the database does already
    return std::string(function) + "(" + l + ", " + r + ")";
}

} // namespace

std::string ServerSqlRules::Rewrite(std::string_view sql, ServerDialect dialect, sqlite3* db)
{
    return Rewriter(sql, dialect, db).Run();
}
