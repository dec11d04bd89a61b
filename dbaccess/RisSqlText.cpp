// Lexical handling of RIS statement texts.
#include "dbaccess/RisSqlText.h"

#include "platform/TextUtil.h"

#include <cctype>

namespace {

bool isWordChar(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '$' || c == '#' ||
           static_cast<unsigned char>(c) >= 0x80;
}

// Follows quotes and parentheses through a text, one character at a time.
class Nesting {
public:
    // Takes the next character; true when it is an ordinary one outside quotes (no quote and
    // no parenthesis).
    bool Take(char c)
    {
        if (quote_) {
            if (c == quote_)
                quote_ = 0;
            return false;
        }
        if (c == '\'' || c == '"')
            quote_ = c;
        else if (c == '(')
            ++depth_;
        else if (c == ')')
            --depth_;
        else
            return true;
        return false;
    }
    bool Quoted() const { return quote_ != 0; }
    int Depth() const { return depth_; }

private:
    char quote_ = 0;
    int depth_ = 0;
};

} // namespace

std::vector<std::string> RisSqlText::SplitStatements(std::string_view text)
{
    std::vector<std::string> out;
    std::string cur;
    char quote = 0;
    for (char c : text) {
        if (quote) {
            cur += c;
            if (c == quote)
                quote = 0; // a doubled quote closes and reopens, which keeps it inside
            continue;
        }
        if (c == '\'' || c == '"') {
            quote = c;
            cur += c;
        } else if (c == ';') {
            std::string s = TrimWhite(cur);
            if (!s.empty())
                out.push_back(s);
            cur.clear();
        } else {
            cur += c;
        }
    }
    std::string s = TrimWhite(cur);
    if (!s.empty())
        out.push_back(s);
    return out;
}

std::vector<SqlToken> RisSqlText::Tokenize(std::string_view sql)
{
    std::vector<SqlToken> tokens;
    size_t i = 0;
    while (i < sql.size()) {
        char c = sql[i];
        size_t start = i;
        if ((c == '-' || c == '/') && i + 1 < sql.size() && sql[i + 1] == (c == '-' ? '-' : '*')) {
            // A comment is white space to the database: what it holds is no part of the statement.
            const size_t end = c == '-' ? sql.find('\n', i) : sql.find("*/", i + 2);
            i = end == std::string_view::npos ? sql.size() : end + (c == '-' ? 0 : 2);
            tokens.push_back({SqlToken::Kind::Comment, std::string(sql.substr(start, i - start))});
        } else if (std::isspace(static_cast<unsigned char>(c))) {
            while (i < sql.size() && std::isspace(static_cast<unsigned char>(sql[i])))
                ++i;
            tokens.push_back({SqlToken::Kind::Space, std::string(sql.substr(start, i - start))});
        } else if (c == '\'' || c == '"') {
            ++i;
            while (i < sql.size()) {
                if (sql[i] == c) {
                    if (i + 1 < sql.size() && sql[i + 1] == c) {
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                ++i;
            }
            tokens.push_back({c == '\'' ? SqlToken::Kind::String : SqlToken::Kind::Word,
                              std::string(sql.substr(start, i - start))});
        } else if (std::isdigit(static_cast<unsigned char>(c)) ||
                   (c == '.' && i + 1 < sql.size() && std::isdigit(static_cast<unsigned char>(sql[i + 1])))) {
            while (i < sql.size() && (std::isalnum(static_cast<unsigned char>(sql[i])) || sql[i] == '.' ||
                                      ((sql[i] == '+' || sql[i] == '-') && (sql[i - 1] == 'e' || sql[i - 1] == 'E'))))
                ++i;
            tokens.push_back({SqlToken::Kind::Number, std::string(sql.substr(start, i - start))});
        } else if (isWordChar(c)) {
            while (i < sql.size() && isWordChar(sql[i]))
                ++i;
            tokens.push_back({SqlToken::Kind::Word, std::string(sql.substr(start, i - start))});
        } else {
            ++i;
            tokens.push_back({SqlToken::Kind::Symbol, std::string(1, c)});
        }
    }
    return tokens;
}

std::string RisSqlText::Join(const std::vector<SqlToken>& tokens)
{
    std::string s;
    for (const SqlToken& t : tokens)
        s += t.text;
    return s;
}

std::vector<SqlToken> RisSqlText::Significant(std::string_view sql)
{
    std::vector<SqlToken> out;
    for (SqlToken& t : Tokenize(sql))
        if (t.kind != SqlToken::Kind::Space && t.kind != SqlToken::Kind::Comment)
            out.push_back(std::move(t));
    return out;
}

std::string RisSqlText::RewriteQualifiers(std::string_view sql,
                                          const std::function<std::string(const std::string&)>& replace)
{
    std::vector<SqlToken> tokens = Tokenize(sql);
    std::string out;
    for (size_t i = 0; i < tokens.size(); ++i) {
        const SqlToken& t = tokens[i];
        if (t.kind == SqlToken::Kind::Word && t.text[0] != '"' && i + 2 < tokens.size() &&
            tokens[i + 1].kind == SqlToken::Kind::Symbol && tokens[i + 1].text == "." &&
            tokens[i + 2].kind == SqlToken::Kind::Word) {
            out += replace(t.text);
            ++i; // the "." is part of what replace gave
            continue;
        }
        out += t.text;
    }
    return out;
}

size_t RisSqlText::MatchingParen(std::string_view text, size_t open)
{
    Nesting nesting;
    for (size_t i = open; i < text.size(); ++i) {
        const bool closing = text[i] == ')' && !nesting.Quoted();
        nesting.Take(text[i]);
        if (closing && nesting.Depth() == 0)
            return i;
    }
    return std::string_view::npos;
}

std::vector<std::string> RisSqlText::SplitTopLevel(std::string_view text, char separator)
{
    std::vector<std::string> out;
    std::string cur;
    Nesting nesting;
    for (char c : text) {
        if (nesting.Take(c) && c == separator && nesting.Depth() == 0) {
            out.push_back(TrimWhite(cur));
            cur.clear();
            continue;
        }
        cur += c;
    }
    if (!TrimWhite(cur).empty() || !out.empty())
        out.push_back(TrimWhite(cur));
    return out;
}

std::string RisSqlText::QuoteName(std::string_view name)
{
    return "\"" + ReplaceAll(std::string(name), "\"", "\"\"") + "\"";
}

std::string RisSqlText::UnquoteName(std::string_view name)
{
    if (name.size() >= 2 && name.front() == '"' && name.back() == '"')
        return ReplaceAll(std::string(name.substr(1, name.size() - 2)), "\"\"", "\"");
    return std::string(name);
}
