// What a line of a RIS dump is, read in file order. The end-of-table and end-of-schema lines
// count only as whole lines, and the schema and create-table keywords only where a line
// begins with them outside a table block: a value that holds any of these texts stays a row
// of its table. Every reader of dumps classifies its lines here.
#pragma once

#include "dbaccess/DumpFormat.h"
#include "dbaccess/DumpScanner.h"

#include <cstdint>
#include <string>
#include <string_view>

enum class DumpLineKind {
    SchemaLine,  // begins with "create schema " or "default schema ", outside a table block
    CreateTable, // begins with "create table ", outside a table block; opens a block
    BlockLine,   // inside a table block: its insert line, its layout line or a row
    EndOfTable,  // the end-of-table line; closes the block
    EndOfSchema, // the end-of-schema line, outside a table block
    Other,       // any other line outside a table block (index, grant and view lines, blanks)
};

class DumpLineClassifier {
public:
    // The start of the message of every refusal of a line that is neither a marker nor a row.
    static constexpr std::string_view kIncorrectDump = "Incorrect RIS dump file: ";

    // The kind of the next line of the file (without its line end; a CR before it is
    // ignored). Keywords match without regard to case; the end lines only exactly. An
    // end-of-table line followed by blanks raises (RaiseEndOfTableWithBlanks).
    // A create-table line opens a block: its insert line, then its layout line. A statement
    // line before the layout line (one that begins with "create ", "grant " or "default ",
    // or the end-of-schema line: a definition-only dump writes create-table, index and grant
    // lines one after another) closes the block again and is read as outside it. From the
    // layout line on, only the end-of-table line closes it: the rows may hold any text.
    DumpLineKind Classify(std::string_view line);
    bool InTableBlock() const { return state_ != State::Outside; }
    // Past the block's layout line, among its rows.
    bool InRows() const { return state_ == State::Rows; }

    // The length of the schema keyword a line begins with (any case), 0 when none.
    static size_t SchemaKeywordLength(std::string_view line);
    // Where the first end-of-table line at or after from starts in text, from being the start
    // of a line: the marker alone on its line, ended by LF, CR LF or the text's end. npos when
    // the text holds none. Raises when a line before it is the marker followed by blanks.
    static size_t FindEndOfTableLine(std::string_view text, size_t from = 0);
    // The same search, stopping also at a line that is a marker lookalike (IsMarkerLookalike)
    // instead of raising: the start of that line, for a caller that names it.
    static size_t FindEndOfTableOrLookalike(std::string_view text, size_t from = 0);
    // Whether a line is the end-of-table marker followed by blanks or tabs. Such a line is
    // neither the end of its table nor a row: every reader refuses the dump with
    // RaiseEndOfTableWithBlanks rather than guess.
    static bool IsEndOfTableWithBlanks(std::string_view line);
    // Whether a line reads as an end-of-table or end-of-schema line once blanks and tabs at
    // its ends are dropped and case is ignored, without being that line exactly (a leading
    // blank, lower case, a trailing blank). The load client takes only the exact lines, so
    // such a line is neither a marker nor a row: every reader and the load refuse the dump
    // (RaiseMarkerLookalike) rather than read on with the next table's lines as rows.
    static bool IsMarkerLookalike(std::string_view line);
    // Raises error 1 "Incorrect RIS dump file: line <n> '<line>' is an end-of-table line
    // followed by blanks" (without the number when lineNumber is 0).
    [[noreturn]] static void RaiseEndOfTableWithBlanks(std::string_view line, long lineNumber = 0);
    // Raises as RaiseEndOfTableWithBlanks for that case; for any other lookalike error 1
    // "Incorrect RIS dump file: line <n> '<line>' is neither an end line nor a row".
    [[noreturn]] static void RaiseMarkerLookalike(std::string_view line, long lineNumber = 0);
    // The table an index or grant line outside a table block is about: the word after " on "
    // of "create [unique] index <name> on <table> (...)" and of "grant ... on <table> to ...".
    // Empty for any other line.
    static std::string IndexOrGrantTable(std::string_view line);

private:
    enum class State { Outside, Head, Rows } state_ = State::Outside;
};

// Walks the whole dump as every reader walks it (the rows of a block passed over) and raises
// error 1 "Incorrect RIS dump file: ..." naming the line at a line that is neither a marker nor
// a row, and naming the table when the file ends inside a table block. Every reader runs it
// before it hands anything out, so that no reader takes what the load client would refuse.
void RequireDumpBlocksClosed(const std::string& path, size_t chunkSize = DumpFormat::kChunkSize);

// The lines of a dump file with their kinds, read in chunks of whole lines; the rows of a
// table block can be passed over without looking at each.
class DumpLines {
public:
    explicit DumpLines(const std::string& path, size_t chunkSize = DumpFormat::kChunkSize);

    // The next line (valid until the next call) and its kind; false at the end of the file.
    bool Next(std::string_view& line, DumpLineKind& kind);
    // Inside a table block: passes over the rest of the block up to and including its
    // end-of-table line (rows are not looked at one by one). False when the file ends first.
    // A block without rows part ends before the next keyword line, which Next gives then.
    bool SkipBlock();
    // The text from the line after the last one given on, in pieces of whole lines: the rest
    // of the chunk at hand, then each further chunk (valid until the next call). For a reader
    // that takes over the rows of a table block without looking at each line; the kinds of
    // these lines are not followed. False at the end of the file.
    bool NextText(std::string_view& text);
    // Byte offset (0-based) of the line after the last one given.
    uint64_t Position() const { return chunkStart_ + pos_; }
    // The 1-based number of the last line given by Next (lines passed over by SkipBlock
    // counted; not kept up after NextText).
    uint64_t LineNumber() const { return lineNumber_; }

private:
    bool fill();

    DumpScanner scanner_;
    DumpLineClassifier classifier_;
    std::string chunk_;
    size_t pos_ = 0;
    uint64_t chunkStart_ = 0;
    uint64_t lineNumber_ = 0;
};
