// Lexical handling of RIS statement texts: splitting a batch into statements, words and tokens,
// and rewriting "schema.table" qualifiers. The stand-in clients read their statements with it,
// and every reader of a dump's definition lines reads them with it as the load does.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

struct SqlToken {
    enum class Kind { Word, String, Number, Symbol, Space, Comment };
    Kind kind;
    std::string text;
};

class RisSqlText {
public:
    // The statements of a batch text, split at ";" outside quotes, each trimmed of blanks and
    // line ends; empty ones are left out. A last statement without ";" counts too.
    static std::vector<std::string> SplitStatements(std::string_view text);

    // Words, quoted strings ('...' with '' inside, "..." as one word), numbers, symbols, runs
    // of white space and comments ("--" to the line end, "/* ... */").
    static std::vector<SqlToken> Tokenize(std::string_view sql);
    static std::string Join(const std::vector<SqlToken>& tokens);

    // The tokens without white space and comments.
    static std::vector<SqlToken> Significant(std::string_view sql);

    // Replaces every qualifier word followed by "." and a word: replace(word) gives the text
    // that stands for "word." (empty drops the qualifier). Words inside strings stay.
    static std::string RewriteQualifiers(std::string_view sql,
                                         const std::function<std::string(const std::string&)>& replace);

    // Splits the text between the outer parentheses at top-level commas; each piece trimmed.
    static std::vector<std::string> SplitTopLevel(std::string_view text, char separator = ',');

    // The position of the matching ")" for the "(" at open, or npos.
    static size_t MatchingParen(std::string_view text, size_t open);

    // An identifier as a SQLite quoted name.
    static std::string QuoteName(std::string_view name);
    // A name as a statement writes it: a quoted one ("x", "" inside) without its quotes, a word
    // as it is.
    static std::string UnquoteName(std::string_view name);
};
