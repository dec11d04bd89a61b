// Translation of the Access engine's SQL spellings into SQLite's.
#include "platform/ado/JetSqlTranslator.h"

#include "platform/AppError.h"
#include "platform/NumberValue.h"
#include "platform/TextUtil.h"
#include "platform/ado/AdoTypes.h"
#include "platform/ado/Variant.h"

#include <algorithm>
#include <cctype>
#include <iterator>
#include <vector>

namespace {

[[noreturn]] void SyntaxError(const std::string& what)
{
    throw AppError(adoerr::kSyntaxError, "Microsoft JET Database Engine", what);
}

bool IsWordChar(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '$' || c == '.'
        || static_cast<unsigned char>(c) >= 0x80;
}

std::string SqlText(const std::string& text)
{
    return "'" + ReplaceAll(text, "'", "''") + "'";
}

// A LIKE pattern of the engine ("*", "?", and the ANSI "%", "_") as SQLite's; "[x]" is the
// character x itself.
std::string LikePattern(const std::string& pattern)
{
    std::string out;
    bool escaped = false;
    for (size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (c == '*') {
            out += '%';
        } else if (c == '?') {
            out += '_';
        } else if (c == '[' && i + 2 < pattern.size() && pattern[i + 2] == ']') {
            const char lit = pattern[i + 1];
            if (lit == '%' || lit == '_' || lit == '\\') {
                out += '\\';
                escaped = true;
            }
            out += lit;
            i += 2;
        } else if (c == '\\') {
            out += "\\\\";
            escaped = true;
        } else {
            out += c;
        }
    }
    return SqlText(out) + (escaped ? " ESCAPE '\\'" : "");
}

class Translator {
public:
    Translator(const std::string& s, const JetSqlTranslator::TableResolver& resolve,
               JetSqlTranslator::NumberLiterals numbers)
        : s_(s), resolve_(resolve), numbers_(numbers)
    {
    }

    JetStatement Run()
    {
        JetStatement st;
        SkipSpace();
        const std::string first = ToUpper(PeekWord());
        if (first == "INSERT") {
            ReadWord();
            SkipSpace();
            if (!EqualsNoCase(ReadWord(), "INTO"))
                SyntaxError("Syntax error in INSERT INTO statement.");
            st.kind = JetStatement::Kind::InsertInto;
            ReadTarget(st);
            st.sql = Body();
            st.everyDigitLiterals = everyDigitLiterals_;
            return st;
        }
        st.kind = first == "SELECT" ? JetStatement::Kind::Select : JetStatement::Kind::Other;
        ddl_ = first == "CREATE" || first == "ALTER";
        st.sql = Body(&st);
        st.everyDigitLiterals = everyDigitLiterals_;
        return st;
    }

private:
    void SkipSpace()
    {
        while (i_ < s_.size() && std::isspace(static_cast<unsigned char>(s_[i_])))
            ++i_;
    }

    std::string PeekWord() const
    {
        size_t j = i_;
        while (j < s_.size() && IsWordChar(s_[j]))
            ++j;
        return s_.substr(i_, j - i_);
    }

    std::string ReadWord()
    {
        std::string w = PeekWord();
        i_ += w.size();
        return w;
    }

    std::string ReadDelimited(char open, char close, const char* what)
    {
        std::string text;
        ++i_;
        while (true) {
            if (i_ >= s_.size())
                SyntaxError(std::string("Unclosed ") + what + " in query expression.");
            if (s_[i_] == close) {
                if (close != '#' && i_ + 1 < s_.size() && s_[i_ + 1] == close) {
                    text += close;
                    i_ += 2;
                    continue;
                }
                ++i_;
                return text;
            }
            text += s_[i_++];
        }
    }

    // A table name as written: [name], or a word or path up to a blank, ",", ";" or a parenthesis.
    std::string ReadTableName()
    {
        if (i_ < s_.size() && s_[i_] == '[')
            return ReadDelimited('[', ']', "name");
        size_t j = i_;
        while (j < s_.size() && !std::isspace(static_cast<unsigned char>(s_[j])) && s_[j] != ',' && s_[j] != ';'
               && s_[j] != '(' && s_[j] != ')')
            ++j;
        std::string name = s_.substr(i_, j - i_);
        i_ = j;
        return name;
    }

    // INTO target [IN 'database'] of SELECT ... INTO and INSERT INTO.
    void ReadTarget(JetStatement& st)
    {
        SkipSpace();
        st.targetTable = ReadTableName();
        if (st.targetTable.empty())
            SyntaxError("Syntax error: no table after INTO.");
        const size_t mark = i_;
        SkipSpace();
        if (EqualsNoCase(PeekWord(), "IN")) {
            ReadWord();
            SkipSpace();
            if (i_ >= s_.size() || (s_[i_] != '\'' && s_[i_] != '"'))
                SyntaxError("Syntax error in the IN clause.");
            st.targetDatabase = ReadDelimited(s_[i_], s_[i_], "string");
        } else {
            i_ = mark;
        }
    }

    std::string Body(JetStatement* select = nullptr)
    {
        std::string out;
        std::vector<bool> inFrom{false};   // per parenthesis depth: inside a FROM list
        std::string prevWord;
        bool fromSeen = false;
        while (i_ < s_.size()) {
            const char c = s_[i_];
            if (std::isspace(static_cast<unsigned char>(c))) {
                out += c;
                ++i_;
            } else if (c == '[') {
                out += JetSqlTranslator::QuoteIdent(ReadDelimited('[', ']', "name"));
                prevWord.clear();
                ++wordsInItem_;
            } else if (c == '\'' || c == '"') {
                const std::string text = ReadDelimited(c, c, "string");
                out += prevWord == "LIKE" ? LikePattern(text) : SqlText(text);
                prevWord.clear();
            } else if (c == '#') {
                const std::string text = ReadDelimited('#', '#', "date");
                if (auto n = ParseNumberText(text))
                    out += FormatNumberText(*n);
                else if (auto d = ParseDateText(text))
                    out += SqlText(FormatDateText(*d));
                else
                    SyntaxError("Syntax error in date in query expression '#" + text + "#'.");
                prevWord.clear();
            } else if (IsWordChar(c)) {
                const size_t wordStart = i_;
                std::string word = ReadWord();
                ReadExponentSign(word);
                const std::string up = ToUpper(word);
                if (item_.inList && inFrom.size() == 1 && (up == "FROM" || up == "INTO")) {
                    EndItem(out, wordStart);
                    item_.inList = false;
                }
                if (select && up == "INTO" && !fromSeen && inFrom.size() == 1) {
                    select->kind = JetStatement::Kind::SelectInto;
                    ReadTarget(*select);
                    continue;
                }
                if (up == "UCASE")
                    out += "UPPER";
                else if (up == "LCASE")
                    out += "LOWER";
                else if (up == "LEN")
                    out += "LENGTH";
                else if (up == "MID")
                    out += "SUBSTR";
                else if (ddl_ && wordsInItem_ == 1 && (up == "MEMO" || up == "NOTE"))
                    out += "LONGTEXT";   // a type word without "TEXT" would make SQLite store digits as numbers
                else if (up == "NZ")
                    out += "IFNULL";
                else if (up == "TRUE")
                    out += "1";
                else if (up == "FALSE")
                    out += "0";
                else if (!NumberLiteral(word, out))
                    out += word;
                if (select && up == "SELECT" && !fromSeen && inFrom.size() == 1)
                    StartItem(out); // the statement's own select list
                else if (item_.inList && inFrom.size() == 1 && ItemStartsAfter(up, prevWord))
                    StartItem(out);
                else if (item_.inList && inFrom.size() == 1 && up == "AS")
                    item_.named = true;
                prevWord = up;
                ++wordsInItem_;
                if (up == "FROM" || up == "JOIN") {
                    fromSeen = true;
                    inFrom.back() = up == "FROM";
                    TableReference(out);
                } else if (up == "WHERE" || up == "GROUP" || up == "ORDER" || up == "HAVING" || up == "UNION"
                           || up == "ON" || up == "INNER" || up == "LEFT" || up == "RIGHT") {
                    inFrom.back() = false;
                }
            } else if (c == ',' && item_.inList && inFrom.size() == 1) {
                EndItem(out, i_);
                ++i_;
                out += c;
                StartItem(out);
                prevWord.clear();
                wordsInItem_ = 0;
            } else {
                ++i_;
                if (c == '(' || c == ',')
                    wordsInItem_ = 0;
                if (c == '&') {
                    out += "||";
                } else {
                    out += c;
                    if (c == '(')
                        inFrom.push_back(false);
                    else if (c == ')' && inFrom.size() > 1)
                        inFrom.pop_back();
                    else if (c == ',' && inFrom.back())
                        TableReference(out);
                }
                prevWord.clear();
            }
        }
        if (item_.inList)
            EndItem(out, i_);
        item_.inList = false;
        return out;
    }

    // Words that belong before the first item of a select list: its item starts after them.
    static bool ItemStartsAfter(const std::string& up, const std::string& prevWord)
    {
        return ((up == "DISTINCT" || up == "ALL" || up == "DISTINCTROW" || up == "TOP") && prevWord == "SELECT") ||
               prevWord == "TOP";
    }

    // An item of the statement's own select list starts after what out holds (and after the
    // same place of the statement).
    void StartItem(const std::string& out)
    {
        item_ = SelectItem{true, i_, out.size(), false, false};
    }

    // The item ends before `end` of the statement: where a literal in it was written otherwise
    // and it has no name of its own, its text as the statement wrote it becomes its name, so
    // that the result's field is named as the statement named it.
    void EndItem(std::string& out, size_t end)
    {
        if (!item_.rewritten || item_.named)
            return;
        const std::string written = TrimWhite(s_.substr(item_.in, end - item_.in));
        const size_t last = out.find_last_not_of(" \t\r\n");
        if (written.empty() || last == std::string::npos || last < item_.out)
            return;
        out.insert(last + 1, " AS " + JetSqlTranslator::QuoteIdent(written));
        item_.rewritten = false;
    }

    // A number literal whose exponent has a sign ("1.5e+10") is read as one word.
    void ReadExponentSign(std::string& word)
    {
        if (word.size() < 2 || !(std::isdigit(static_cast<unsigned char>(word[0])) || word[0] == '.') ||
            std::toupper(static_cast<unsigned char>(word.back())) != 'E' || i_ + 1 >= s_.size() ||
            (s_[i_] != '+' && s_[i_] != '-') || !std::isdigit(static_cast<unsigned char>(s_[i_ + 1])))
            return;
        size_t j = i_ + 1;
        while (j < s_.size() && std::isdigit(static_cast<unsigned char>(s_[j])))
            ++j;
        word += s_.substr(i_, j - i_);
        i_ = j;
    }

    // With NumberLiterals::EveryDigit a number literal is the number it writes: one that a double
    // would not hold with every digit is written as the text of its digits, a sign before it that
    // negates it taken in (the engine would read "-'1'" as a number again); one with a point or
    // an exponent as tw_read_number('<literal>'), read as NumberValue reads it. False, writing
    // nothing, for any other word.
    bool NumberLiteral(const std::string& word, std::string& out)
    {
        if (word.empty() || !(std::isdigit(static_cast<unsigned char>(word[0])) || word[0] == '.'))
            return false;
        const std::optional<NumberValue> n = NumberValue::Read(word);
        if (!n)
            return false;
        if (!n->BeyondDouble()) {
            // The engine reads a whole number of 64 bits exactly; its own reading of a number with
            // a point or an exponent is not always the double nearest to it.
            if (numbers_ == JetSqlTranslator::NumberLiterals::AsWritten ||
                word.find_first_not_of("0123456789") == std::string::npos)
                return false;
            out += "tw_read_number(" + SqlText(word) + ")";
            item_.rewritten = item_.rewritten || item_.inList;
            return true;
        }
        everyDigitLiterals_ = true;
        if (numbers_ == JetSqlTranslator::NumberLiterals::AsWritten)
            return false;
        item_.rewritten = item_.rewritten || item_.inList;
        size_t sign = out.find_last_not_of(" \t\r\n");
        bool negated = false;
        if (sign != std::string::npos && (out[sign] == '-' || out[sign] == '+')) {
            // A sign of the literal follows an operator, a parenthesis, a comma or a keyword,
            // never an operand (where it subtracts or adds).
            const size_t before = sign == 0 ? std::string::npos : out.find_last_not_of(" \t\r\n", sign - 1);
            const bool operand = before != std::string::npos && (IsWordChar(out[before]) || out[before] == ')' ||
                                                                  out[before] == '\'' || out[before] == '"');
            std::string previous;
            for (size_t k = before; k != std::string::npos && IsWordChar(out[k]); k = k == 0 ? std::string::npos : k - 1)
                previous.insert(previous.begin(), out[k]);
            static const char* const kKeywords[] = {"AND", "OR", "NOT", "WHERE", "BETWEEN", "IN", "ON", "HAVING",
                                                    "SELECT", "WHEN", "THEN", "ELSE", "VALUES", "SET", "BY"};
            const bool keyword = std::any_of(std::begin(kKeywords), std::end(kKeywords),
                                             [&](const char* k) { return EqualsNoCase(previous, k); });
            if (!operand || keyword) {
                negated = out[sign] == '-';
                out.resize(sign);
            }
        }
        out += SqlText((negated ? "-" : "") + n->Exact().PlainText());
        return true;
    }

    // The table after FROM, JOIN or a comma of a FROM list; a parenthesis opens a subquery,
    // which the body reads on.
    void TableReference(std::string& out)
    {
        while (i_ < s_.size() && std::isspace(static_cast<unsigned char>(s_[i_])))
            out += s_[i_++];
        if (i_ >= s_.size() || s_[i_] == '(')
            return;
        const std::string name = ReadTableName();
        if (name.empty())
            SyntaxError("Syntax error in FROM clause.");
        out += resolve_(name);
    }

    const std::string& s_;
    const JetSqlTranslator::TableResolver& resolve_;
    size_t i_ = 0;
    bool ddl_ = false;
    const JetSqlTranslator::NumberLiterals numbers_;
    bool everyDigitLiterals_ = false;
    int wordsInItem_ = 0;   // names and words since the last "(" or ",": a column's type is the second
    // The item of the statement's own select list being read: where it starts in the statement
    // and in the output, whether a literal in it was written otherwise, whether it has an AS.
    struct SelectItem {
        bool inList = false;
        size_t in = 0;
        size_t out = 0;
        bool rewritten = false;
        bool named = false;
    } item_;
};

} // namespace

std::string JetSqlTranslator::QuoteIdent(const std::string& name)
{
    return "\"" + ReplaceAll(name, "\"", "\"\"") + "\"";
}

JetStatement JetSqlTranslator::Translate(const std::string& jetSql, const TableResolver& resolveTable,
                                         NumberLiterals numbers)
{
    return Translator(jetSql, resolveTable, numbers).Run();
}
