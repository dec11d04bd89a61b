// Classification of dump lines and the line walk over a dump file.
#include "dbaccess/DumpLineClassifier.h"

#include "platform/AppError.h"
#include "platform/TextUtil.h"

#include <algorithm>

namespace {

std::string_view withoutCr(std::string_view line)
{
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    return line;
}

} // namespace

size_t DumpLineClassifier::SchemaKeywordLength(std::string_view line)
{
    if (StartsWithNoCase(line, DumpFormat::kCreateSchema))
        return DumpFormat::kCreateSchema.size();
    if (StartsWithNoCase(line, DumpFormat::kDefaultSchema))
        return DumpFormat::kDefaultSchema.size();
    return 0;
}

bool DumpLineClassifier::IsEndOfTableWithBlanks(std::string_view line)
{
    line = withoutCr(line);
    const std::string_view marker = DumpFormat::kEndOfTable;
    return line.size() > marker.size() && line.substr(0, marker.size()) == marker &&
           line.find_first_not_of(" \t", marker.size()) == std::string_view::npos;
}

bool DumpLineClassifier::IsMarkerLookalike(std::string_view line)
{
    line = withoutCr(line);
    const size_t first = line.find_first_not_of(" \t");
    // Most lines are rows that do not begin with a star: they are passed at once.
    if (first == std::string_view::npos || line[first] != '*')
        return false;
    if (line == DumpFormat::kEndOfTable || line == DumpFormat::kEndOfSchema)
        return false;
    const size_t last = line.find_last_not_of(" \t");
    const std::string_view core = line.substr(first, last + 1 - first);
    return EqualsNoCase(core, DumpFormat::kEndOfTable) || EqualsNoCase(core, DumpFormat::kEndOfSchema);
}

void DumpLineClassifier::RaiseMarkerLookalike(std::string_view line, long lineNumber)
{
    if (IsEndOfTableWithBlanks(line))
        RaiseEndOfTableWithBlanks(line, lineNumber);
    throw AppError(1, "", std::string(kIncorrectDump) + "line " +
                              (lineNumber > 0 ? std::to_string(lineNumber) + " " : std::string()) + "'" +
                              std::string(withoutCr(line)) + "' is neither an end line nor a row");
}

void DumpLineClassifier::RaiseEndOfTableWithBlanks(std::string_view line, long lineNumber)
{
    throw AppError(1, "", std::string(kIncorrectDump) + "line " +
                              (lineNumber > 0 ? std::to_string(lineNumber) + " " : std::string()) + "'" +
                              std::string(withoutCr(line)) + "' is an end-of-table line followed by blanks");
}

DumpLineKind DumpLineClassifier::Classify(std::string_view line)
{
    line = withoutCr(line);
    if (IsMarkerLookalike(line))
        RaiseMarkerLookalike(line);
    if (state_ != State::Outside) {
        if (line == DumpFormat::kEndOfTable) {
            state_ = State::Outside;
            return DumpLineKind::EndOfTable;
        }
        if (state_ == State::Rows)
            return DumpLineKind::BlockLine;
        if (StartsWithNoCase(line, DumpFormat::kInsertInto))
            return DumpLineKind::BlockLine;
        // The lines that follow a table block begin with one of these words; a fixed header
        // may too when its first column has such a name, but then its numbers follow.
        std::vector<DumpFixedField> fields;
        const bool statement = StartsWithNoCase(line, "create ") || StartsWithNoCase(line, "grant ") ||
                               StartsWithNoCase(line, "default ") || line == DumpFormat::kEndOfSchema;
        if (!statement || DumpFormat::ParseFixedHeader(line, fields)) {
            state_ = State::Rows; // the layout line
            return DumpLineKind::BlockLine;
        }
        state_ = State::Outside;
    }
    if (StartsWithNoCase(line, DumpFormat::kCreateTable)) {
        state_ = State::Head;
        return DumpLineKind::CreateTable;
    }
    if (SchemaKeywordLength(line) != 0)
        return DumpLineKind::SchemaLine;
    if (line == DumpFormat::kEndOfSchema)
        return DumpLineKind::EndOfSchema;
    // A stray end-of-table line outside a block closes nothing.
    if (line == DumpFormat::kEndOfTable)
        return DumpLineKind::EndOfTable;
    return DumpLineKind::Other;
}

size_t DumpLineClassifier::FindEndOfTableOrLookalike(std::string_view text, size_t from)
{
    // Every marker and lookalike holds three stars after the blanks it may begin with: only the
    // lines holding them are looked at, and each such line once.
    for (size_t p = text.find("***", from); p != std::string_view::npos;) {
        size_t start = p;
        while (start > from && (text[start - 1] == ' ' || text[start - 1] == '\t'))
            --start;
        const size_t lf = text.find('\n', p);
        if (start == from || text[start - 1] == '\n') {
            const std::string_view line =
                text.substr(start, (lf == std::string_view::npos ? text.size() : lf) - start);
            if (withoutCr(line) == DumpFormat::kEndOfTable || IsMarkerLookalike(line))
                return start;
        }
        if (lf == std::string_view::npos)
            break;
        p = text.find("***", lf + 1);
    }
    return std::string_view::npos;
}

size_t DumpLineClassifier::FindEndOfTableLine(std::string_view text, size_t from)
{
    const size_t at = FindEndOfTableOrLookalike(text, from);
    if (at != std::string_view::npos) {
        const size_t lf = text.find('\n', at);
        const std::string_view line = text.substr(at, lf == std::string_view::npos ? std::string_view::npos : lf - at);
        if (IsMarkerLookalike(line))
            RaiseMarkerLookalike(line);
    }
    return at;
}

std::string DumpLineClassifier::IndexOrGrantTable(std::string_view line)
{
    if (!StartsWithNoCase(line, "create unique index ") && !StartsWithNoCase(line, "create index ") &&
        !StartsWithNoCase(line, "grant "))
        return {};
    const size_t on = FindNoCase(line, " on ");
    if (on == std::string_view::npos)
        return {};
    std::string_view rest = line.substr(on + 4);
    rest.remove_prefix(std::min(rest.size(), rest.find_first_not_of(' ')));
    return std::string(rest.substr(0, rest.find_first_of(" (")));
}

DumpLines::DumpLines(const std::string& path, size_t chunkSize) : scanner_(path, chunkSize) {}

bool DumpLines::fill()
{
    while (pos_ >= chunk_.size()) {
        chunkStart_ = scanner_.Position();
        pos_ = 0;
        if (!scanner_.NextLines(chunk_)) {
            chunk_.clear();
            return false;
        }
    }
    return true;
}

bool DumpLines::Next(std::string_view& line, DumpLineKind& kind)
{
    if (!fill())
        return false;
    const size_t lf = chunk_.find('\n', pos_);
    const size_t end = lf == std::string::npos ? chunk_.size() : lf;
    line = withoutCr(std::string_view(chunk_).substr(pos_, end - pos_));
    pos_ = lf == std::string::npos ? chunk_.size() : lf + 1;
    ++lineNumber_;
    if (DumpLineClassifier::IsMarkerLookalike(line))
        DumpLineClassifier::RaiseMarkerLookalike(line, static_cast<long>(lineNumber_));
    kind = classifier_.Classify(line);
    return true;
}

bool DumpLines::SkipBlock()
{
    std::string_view line;
    DumpLineKind kind;
    // The head of the block line by line: its insert and layout lines, or a keyword line
    // that shows the block has no rows part and is left for the next call of Next.
    while (classifier_.InTableBlock() && !classifier_.InRows()) {
        if (!fill())
            return false;
        const size_t lineStart = pos_;
        const DumpLineClassifier before = classifier_;
        Next(line, kind);
        if (kind != DumpLineKind::BlockLine && kind != DumpLineKind::EndOfTable) {
            pos_ = lineStart;
            classifier_ = before;
            --lineNumber_;
            return true;
        }
    }
    if (!classifier_.InRows())
        return true;
    while (fill()) {
        // A lookalike line is given to Next too, which refuses it naming its number.
        const size_t at = DumpLineClassifier::FindEndOfTableOrLookalike(chunk_, pos_);
        if (at != std::string::npos) {
            lineNumber_ += static_cast<uint64_t>(std::count(chunk_.begin() + static_cast<long>(pos_),
                                                            chunk_.begin() + static_cast<long>(at), '\n'));
            pos_ = at;
            Next(line, kind);
            return true;
        }
        lineNumber_ += static_cast<uint64_t>(std::count(chunk_.begin() + static_cast<long>(pos_), chunk_.end(), '\n'));
        pos_ = chunk_.size();
    }
    return false;
}

bool DumpLines::NextText(std::string_view& text)
{
    if (!fill())
        return false;
    text = std::string_view(chunk_).substr(pos_);
    pos_ = chunk_.size();
    return true;
}

void RequireDumpBlocksClosed(const std::string& path, size_t chunkSize)
{
    DumpLines lines(path, chunkSize);
    std::string_view line;
    DumpLineKind kind;
    while (lines.Next(line, kind)) {
        if (kind != DumpLineKind::CreateTable)
            continue;
        const std::string table = DumpFormat::TableOfCreateLine(line);
        const uint64_t from = lines.LineNumber();
        // A create-table line that is the file's last line is a table of a definition-only
        // dump; once its insert line has come, the block must be closed.
        if (!lines.SkipBlock() && lines.LineNumber() != from)
            throw AppError(1, "", std::string(DumpLineClassifier::kIncorrectDump) + "table '" + table +
                                      "' (from line " + std::to_string(from) +
                                      ") ends without its end-of-table line at line " +
                                      std::to_string(lines.LineNumber()));
    }
}
