// The RIS dump file format: its keywords and the building and parsing of its lines, shared by
// every writer and reader of dumps (the access object, the listing, the stand-in RIS clients).
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// One column of a create-table line: "name type", or "name type not null" for a column that
// refuses NULL.
struct DumpColumn {
    std::string name;
    std::string type; // as written: "smallint", "int", "double", "char(20)", "char", "date", ...
    bool notNull = false;
    friend bool operator==(const DumpColumn&, const DumpColumn&) = default;
};

// One column entry split as the server reads a column definition.
struct DumpColumnEntry {
    std::string name; // the first word
    // The type as written: its word and, where a "(" follows it (blanks between allowed), the
    // arguments up to the matching ")"; to the end of the entry when that ")" is missing. Empty
    // for an entry of one word.
    std::string type;
    // What follows the type, its words one blank apart: "not null", "null", or words no column takes.
    std::string rest;
};

// How the rows of a table block are written.
enum class DumpLayout {
    Variable, // "***variable***" line; values separated by blanks, characters quoted
    Fixed,    // header line "name first last ..."; each value at its positions
};

// One value of a row; std::nullopt is NULL.
using DumpValue = std::optional<std::string>;
using DumpRow = std::vector<DumpValue>;

// The positions of one column in the fixed layout (1-based, inclusive).
struct DumpFixedField {
    std::string name;
    long first = 0;
    long last = 0;
};

class DumpFormat {
public:
    // Chunks of a dump are at most this many bytes, cut after their last line end.
    static constexpr size_t kChunkSize = 20'000'000;

    static constexpr std::string_view kCreateSchema = "create schema ";
    static constexpr std::string_view kDefaultSchema = "default schema ";
    static constexpr std::string_view kCreateTable = "create table ";
    static constexpr std::string_view kInsertInto = "insert into ";
    static constexpr std::string_view kVariable = "***variable***";
    // A UTF-8 byte-order mark: no part of a dump; every reader passes over it at the start.
    static constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
    static constexpr std::string_view kEndOfTable = "***RIS*** End of Table ***RIS***";
    static constexpr std::string_view kEndOfSchema = "***RIS*** End of Schema ***RIS***";
    static constexpr std::string_view kCreateUniqueIndex = "create unique index ";
    static constexpr std::string_view kGrant = "grant select, insert, delete, update on ";
    static constexpr std::string_view kCreateView = "create view ";
    static constexpr std::string_view kLineEnd = "\r\n";

    // Lines as the system writes them, without their line end.
    static std::string DefaultSchemaLine(std::string_view schema);
    static std::string CreateSchemaLine(std::string_view schema, std::string_view rest);
    static std::string CreateTableLine(std::string_view table, const std::vector<DumpColumn>& columns);
    static std::string InsertLine(std::string_view table, const std::vector<DumpColumn>& columns);
    // "***variable*** " + every column name followed by one blank.
    static std::string VariableLayoutLine(const std::vector<DumpColumn>& columns);
    // "name first last" per column, joined by blanks.
    static std::string FixedHeaderLine(const std::vector<DumpFixedField>& fields);
    static std::string IndexLine(std::string_view table, std::string_view column);
    static std::string GrantLine(std::string_view table);

    // A variable-layout row: every value followed by one blank; character values quoted with
    // inner quotes doubled; NULL a single blank. quoted[i] says whether column i is character
    // data (see IsQuotedType); a short quoted list means unquoted for the rest.
    static void AppendVariableRow(std::string& out, const DumpRow& values, const std::vector<bool>& quoted);
    // A fixed-layout row: each value left-aligned in its field and followed by one blank.
    // Fails (returns false) when a value is longer than its field.
    static bool AppendFixedRow(std::string& out, const DumpRow& values, const std::vector<DumpFixedField>& fields);

    // The values of one variable-layout row (the line without its line end), exactly
    // columnCount of them: a quoted value is character data (an empty one stays empty), an
    // unquoted one is taken as written, a blank in a value position is NULL. Missing values
    // at the end of a short line are NULL.
    static DumpRow ParseVariableRow(std::string_view line, size_t columnCount);
    // The values of one fixed-layout row, field i holding column i of the create-table line:
    // each field's text with trailing blanks removed. The layout writes NULL and a text of
    // blanks alike, as a field of blanks only (or one beyond the line): that is NULL, but in a
    // column declared NOT NULL, which can only hold the text, a text of one blank (the server
    // keeps no empty text, and compares char blank-padded).
    static DumpRow ParseFixedRow(std::string_view line, const std::vector<DumpFixedField>& fields,
                                 const std::vector<DumpColumn>& columns);
    // The same into a row given, whose texts keep their room for the next row: a reader of a
    // million rows allocates for the first rows only.
    static void ParseVariableRowInto(std::string_view line, size_t columnCount, DumpRow& row);
    static void ParseFixedRowInto(std::string_view line, const std::vector<DumpFixedField>& fields,
                                  const std::vector<DumpColumn>& columns, DumpRow& row);
    // The header line's words taken three by three; false when they are not name, number,
    // number triples.
    static bool ParseFixedHeader(std::string_view line, std::vector<DumpFixedField>& fields);

    // Parses "create table t (a int, b char(10))" (blanks at both ends allowed). False when the
    // line is not a create-table line or lacks "(" or ")".
    static bool ParseCreateTableLine(std::string_view line, std::string& table, std::vector<DumpColumn>& columns);
    // The same, giving the column list's text: what stands between the first " (" and the last
    // ")", trimmed.
    static bool SplitCreateTableLine(std::string_view line, std::string& table, std::string& columnList);
    // The column list split at its commas outside parentheses and quotes, as the server splits
    // it ("a decimal(8, 2), b int" is two entries), each piece read by ParseColumnEntry.
    static std::vector<DumpColumn> ParseColumnList(std::string_view list);
    // One column entry split as the server reads it: the name up to the first blank or tab, the
    // type (see DumpColumnEntry), and the rest.
    static DumpColumnEntry SplitColumnEntry(std::string_view entry);
    // One column entry, "name type" or "name type not null" (any case, any blanks between the
    // words), read by SplitColumnEntry: a rest of "not null" sets notNull, any other rest is
    // passed over. An entry of one word is a name without a type.
    static DumpColumn ParseColumnEntry(std::string_view entry);
    // A type as the server keeps it declared: in lower case, its word and its arguments without
    // blanks or tabs around and inside the parentheses ("DECIMAL( 8 , 2 )" and "decimal (8, 2)"
    // are "decimal(8,2)", "char( 12 )" is "char(12)"). A text with more after its ")" is given
    // back in lower case only.
    static std::string DeclaredType(std::string_view type);
    // The entry as a create-table line writes it: "name type", followed by " not null" when the
    // column refuses NULL.
    static std::string ColumnEntryText(const DumpColumn& column);

    // The table a create-table line names: the word after "create table ", up to a blank or "(".
    static std::string TableOfCreateLine(std::string_view line);

    // The name after a schema keyword at pos: up to the next blank or line end, trimmed.
    static std::string NameAfterKeyword(std::string_view text, size_t pos);

    // Whether the text of a number reads as an infinity or not-a-number, or overflows the range
    // of a double ("inf", "-Infinity", "nan", "1e400"; blanks at both ends ignored). No server
    // holds such a value, so a dump that carries one does not load.
    static bool IsNonFiniteNumber(std::string_view text);

    // Whether values of this type are written in quotes: every type the numeric words
    // ("smallint", "int", "decimal", "real", "double") do not describe.
    static bool IsQuotedType(std::string_view type);
    // Field width of a type in the fixed layout: char(n) n, char 240, smallint 6, int 11,
    // decimal(p,s) as wide as its longest text (a sign, max(p - s, 1) whole digits, a point and
    // s decimals) but at least 24, double/real/decimal 24, other types 240.
    static long FixedWidthOfType(std::string_view type);
    // Consecutive fields for the columns, each as wide as its type.
    static std::vector<DumpFixedField> FixedFieldsFor(const std::vector<DumpColumn>& columns);
};
