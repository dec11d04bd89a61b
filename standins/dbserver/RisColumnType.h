// A RIS column type as declared (char(n), smallint, int/integer, double, real, decimal,
// timestamp ...): its normalised text, the SQLite constraint that keeps values within it, and
// the text form of stored values, shared by query output and unloads.
#pragma once

#include <optional>
#include <string>
#include <string_view>

class DecimalNumber;
class SqliteStatement;

class RisColumnType {
public:
    enum class Kind { Char, SmallInt, Int, Double, Real, Decimal, Timestamp, Date };

    // The type of a declaration text such as "char(20)", "INTEGER", "decimal(10, 2)"; nothing
    // when the word is not a RIS type. The declared text is kept in lower case with the blanks
    // inside its parentheses removed, so "decimal(10, 2)" is kept as "decimal(10,2)".
    static std::optional<RisColumnType> Parse(std::string_view text);

    Kind kind() const { return kind_; }
    const std::string& declared() const { return declared_; }
    int length() const { return length_; } // char(n): n; char: 1
    int scale() const { return scale_; }   // decimal(p,s): s; decimal(p): 0; -1 when neither is given
    int precision() const { return precision_; } // decimal(p,s): p; 0 when not given

    bool IsNumeric() const;
    // double and real, which keep the double nearest to a number.
    bool IsBinary() const { return kind_ == Kind::Double || kind_ == Kind::Real; }
    // timestamp and date, which keep a moment.
    bool IsMoment() const { return kind_ == Kind::Timestamp || kind_ == Kind::Date; }
    // The database's refusal of the declaration (a decimal's precision outside 1 to 38, its
    // scale outside -84 to 127), in its words; empty for a type it takes.
    std::string Refusal() const;
    // Character and date/time values are written between single quotes.
    bool IsQuoted() const { return !IsNumeric(); }

    // A CHECK expression on the quoted column that holds values to the type, for example
    // that an int column takes whole numbers in range and a char(n) column at most n bytes.
    std::string CheckExpression(const std::string& quotedColumn) const;
    // A table's declaration with each number column's check as CheckExpression writes it now:
    // a table made when numbers were whole or real only refused a number kept with every digit.
    static std::string WithCurrentNumberChecks(const std::string& createTableSql);

    // Text of a stored value: whole numbers plainly, doubles in their shortest exact form,
    // decimals with their scale (a double as the decimal it stands for, never its binary
    // digits), a number kept with every digit (a blob) with every digit, texts unchanged.
    std::string FormatInteger(long long v) const;
    std::string FormatReal(double v) const;
    std::string FormatWide(const DecimalNumber& v) const;

    // The text of result column col of the current row, formatted by its declared type (or by
    // how it is stored when it has none); nothing for NULL. quoted tells whether the value is
    // character data, written between single quotes.
    static std::optional<std::string> StoredValueText(const SqliteStatement& st, int col, bool& quoted);

    // The shortest text that reads back as the same double.
    static std::string ShortestDouble(double v);
    // Every digit of a number, plainly ("0.1234567890123456789"), with an exponent only when
    // that text would be longer than kWideNumberWidth characters; the text of a number of at most
    // 38 digits (every one a column keeps) is never longer.
    static std::string WideNumberText(const DecimalNumber& v);
    static constexpr size_t kWideNumberWidth = 46;

private:
    // A number's plain text as the column writes it, when that needs no reading of its digits.
    std::optional<std::string> formatPlain(const std::string& text) const;

    Kind kind_ = Kind::Char;
    std::string declared_;
    int length_ = 1;
    int scale_ = -1;
    int precision_ = 0;
};
