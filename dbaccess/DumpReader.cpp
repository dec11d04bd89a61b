// Item-by-item reading of RIS dump files.
#include "dbaccess/DumpReader.h"

#include "platform/AppError.h"
#include "platform/TextUtil.h"

namespace {

// Raises for a fault of the line.
void requireRead(const std::string& fault, long line)
{
    if (!fault.empty())
        throw AppError(1, "DumpReader",
                       "Incorrect RIS dump file format (line " + std::to_string(line) + "): " + fault);
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
    item.table = head_.table();
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
        if (DumpBlockHead::IsInsertLine(line)) {
            requireRead(head_.TakeInsertLine(line), lineNumber_);
            item.kind = DumpItemKind::InsertLine;
            state_ = State::AfterInsert;
            return true;
        }
        [[fallthrough]];
    case State::AfterInsert:
        requireRead(head_.TakeLayoutLine(line), lineNumber_);
        item.kind = DumpItemKind::LayoutLine;
        item.layout = head_.layout();
        item.fixedFields = head_.fixedFields();
        item.columns = head_.columns();
        state_ = State::InRows;
        return true;
    case State::InRows:
        item.kind = DumpItemKind::Row;
        if (head_.layout() == DumpLayout::Variable)
            DumpFormat::ParseVariableRowInto(line, head_.columns().size(), item.values);
        else
            DumpFormat::ParseFixedRowInto(line, head_.fixedFields(), head_.columns(), item.values);
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
        requireRead(head_.TakeCreateLine(line), lineNumber_);
        item.kind = DumpItemKind::CreateTable;
        item.table = head_.table();
        item.columns = head_.columns();
        state_ = State::AfterCreate;
        break;
    case DumpLineKind::EndOfSchema:
        item.kind = DumpItemKind::EndOfSchema;
        break;
    default:
        // Key words in any letter case, as the load takes them.
        if (StartsWithNoCase(line, DumpFormat::kCreateUniqueIndex))
            item.kind = DumpItemKind::IndexLine;
        else if (StartsWithNoCase(line, DumpFormat::kGrant))
            item.kind = DumpItemKind::GrantLine;
        else
            item.kind = DumpItemKind::OtherLine;
        break;
    }
    return true;
}
