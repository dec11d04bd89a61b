// Item-by-item reading of RIS dump files.
#include "dbaccess/DumpReader.h"

#include "platform/AppError.h"
#include "platform/TextUtil.h"

namespace {

bool startsWith(std::string_view s, std::string_view p)
{
    return s.substr(0, p.size()) == p;
}

[[noreturn]] void badFormat(long line)
{
    throw AppError(1, "DumpReader", "Incorrect RIS dump file format (line " + std::to_string(line) + ")");
}

} // namespace

DumpReader::DumpReader(const std::string& path, size_t chunkSize)
    : scanner_(path, chunkSize), path_(path), chunkSize_(chunkSize)
{
}

bool DumpReader::nextLine(std::string_view& line)
{
    while (pos_ >= chunk_.size()) {
        if (!scanner_.NextChunk(chunk_))
            return false;
        pos_ = 0;
    }
    size_t e = chunk_.find('\n', pos_);
    // A line longer than a chunk continues in the next ones: the reader gives it whole.
    std::string more;
    while (e == std::string::npos && scanner_.NextChunk(more)) {
        chunk_.erase(0, pos_);
        pos_ = 0;
        const size_t searchFrom = chunk_.size();
        chunk_ += more;
        e = chunk_.find('\n', searchFrom);
    }
    size_t next;
    if (e == std::string::npos) {
        e = chunk_.size(); // the last line, without a line end
        next = e;
    } else {
        next = e + 1;
    }
    size_t end = e;
    if (end > pos_ && chunk_[end - 1] == '\r')
        --end;
    line = std::string_view(chunk_).substr(pos_, end - pos_);
    pos_ = next;
    ++lineNumber_;
    return true;
}

bool DumpReader::Next(DumpItem& item)
{
    if (!walked_) {
        // No item of a dump the load client would refuse for its markers is handed out.
        try {
            RequireDumpBlocksClosed(path_, chunkSize_);
        } catch (const AppError& e) {
            throw AppError(e.number(), "DumpReader", e.description());
        }
        walked_ = true;
    }
    std::string_view line;
    if (!nextLine(line))
        return false;
    item.line.assign(line);
    item.lineNumber = lineNumber_;
    item.table = table_;
    if (DumpLineClassifier::IsMarkerLookalike(line))
        DumpLineClassifier::RaiseMarkerLookalike(line, lineNumber_);
    const DumpLineKind kind = classifier_.Classify(line);

    if (kind == DumpLineKind::EndOfTable && state_ != State::Outside) {
        // Also a block that ends before its layout line.
        item.kind = DumpItemKind::EndOfTable;
        item.values.clear();
        state_ = State::Outside;
        return true;
    }
    // A keyword line before the layout line: the table had no rows part (a definition-only
    // dump).
    if (kind != DumpLineKind::BlockLine)
        state_ = State::Outside;
    // A row's values take the place of the row's before, so that their texts keep their room.
    if (state_ != State::InRows)
        item.values.clear();
    switch (state_) {
    case State::AfterCreate:
        if (startsWith(line, DumpFormat::kInsertInto)) {
            item.kind = DumpItemKind::InsertLine;
            state_ = State::AfterInsert;
            return true;
        }
        [[fallthrough]];
    case State::AfterInsert:
        item.kind = DumpItemKind::LayoutLine;
        if (startsWith(line, DumpFormat::kVariable)) {
            layout_ = DumpLayout::Variable;
            fields_.clear();
        } else {
            layout_ = DumpLayout::Fixed;
            if (!DumpFormat::ParseFixedHeader(line, fields_))
                badFormat(lineNumber_);
        }
        item.layout = layout_;
        item.fixedFields = fields_;
        item.columns = columns_;
        state_ = State::InRows;
        return true;
    case State::InRows:
        item.kind = DumpItemKind::Row;
        if (layout_ == DumpLayout::Variable)
            DumpFormat::ParseVariableRowInto(line, columns_.size(), item.values);
        else
            DumpFormat::ParseFixedRowInto(line, fields_, columns_, item.values);
        return true;
    case State::Outside:
        break;
    }

    switch (kind) {
    case DumpLineKind::SchemaLine: {
        const size_t keyword = DumpLineClassifier::SchemaKeywordLength(line);
        item.kind = DumpItemKind::SchemaLine;
        item.createSchema = keyword == DumpFormat::kCreateSchema.size();
        item.schemaName = DumpFormat::NameAfterKeyword(line, keyword);
        break;
    }
    case DumpLineKind::CreateTable:
        if (!DumpFormat::ParseCreateTableLine(line, table_, columns_))
            badFormat(lineNumber_);
        item.kind = DumpItemKind::CreateTable;
        item.table = table_;
        item.columns = columns_;
        state_ = State::AfterCreate;
        break;
    case DumpLineKind::EndOfSchema:
        item.kind = DumpItemKind::EndOfSchema;
        break;
    default:
        if (startsWith(line, DumpFormat::kCreateUniqueIndex))
            item.kind = DumpItemKind::IndexLine;
        else if (startsWith(line, DumpFormat::kGrant))
            item.kind = DumpItemKind::GrantLine;
        else
            item.kind = DumpItemKind::OtherLine;
        break;
    }
    return true;
}
