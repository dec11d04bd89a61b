// Turns a statement in the spelling of the Access database engine into SQLite's: [names],
// UCASE/LCASE, #date# literals, "text" literals, & concatenation, * and ? in LIKE patterns,
// number literals read as the numbers they write, and the SELECT ... INTO / INSERT INTO
// ... IN '<database>' forms.
#pragma once

#include <functional>
#include <string>

struct JetStatement {
    enum class Kind { Select, SelectInto, InsertInto, Other };
    Kind kind = Kind::Other;
    // SQLite text. SelectInto: the SELECT without its INTO part. InsertInto: what follows the
    // target (and its IN clause): a column list and the SELECT or VALUES part.
    std::string sql;
    std::string targetTable;      // SelectInto, InsertInto
    std::string targetDatabase;   // the IN '<path>' database; empty for the connection's own
    // Whether the statement holds a number literal that a double does not hold with every digit
    // (NumberValue::BeyondDouble); with NumberLiterals::EveryDigit it stands as a text literal
    // of its digits (with its sign), which a number column kept as text compares with every digit.
    bool everyDigitLiterals = false;
};

class JetSqlTranslator {
public:
    // Gets a table named after FROM or JOIN (a name, a [name] or a file path, as written) and
    // returns the SQLite text that stands for it.
    using TableResolver = std::function<std::string(const std::string& name)>;

    // What becomes of a number literal: it stays as written (the engine's own reading), or it is
    // the number it writes (EveryDigit): one of more digits than a double holds becomes the text
    // of its digits, one with a point or an exponent tw_read_number('<literal>'), which reads it
    // as NumberValue does (the connection registers it: TextTableLoader::Register), and a whole
    // number of 64 bits, which the engine reads exactly, stays. An item of the statement's own
    // select list so changed is named by its text as written, unless it has a name (AS).
    enum class NumberLiterals { AsWritten, EveryDigit };

    // Raises AppError kSyntaxError for an unclosed literal or a date literal that is no date.
    static JetStatement Translate(const std::string& jetSql, const TableResolver& resolveTable,
                                  NumberLiterals numbers = NumberLiterals::AsWritten);

    // An SQLite identifier in double quotes.
    static std::string QuoteIdent(const std::string& name);
};
