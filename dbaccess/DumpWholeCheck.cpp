// The whole-dump check: one streaming pass over the dump's classified lines.
#include "dbaccess/DumpWholeCheck.h"

#include "dbaccess/DumpBlockHead.h"
#include "dbaccess/DumpLineClassifier.h"
#include "platform/AppError.h"
#include "platform/HostFiles.h"
#include "platform/TextUtil.h"

#include <algorithm>
#include <exception>
#include <unordered_set>
#include <utility>

namespace {

std::string atLine(uint64_t line)
{
    return " (line " + std::to_string(line) + ")";
}

// Follows one dump line by line and says at the first line that cannot stand where it stands.
class WholenessWalk {
public:
    explicit WholenessWalk(DumpWholeness& result) : result_(result) {}

    // False once a problem is found.
    bool Take(std::string_view line, DumpLineKind kind);
    void Finish();

private:
    bool refuse(const std::string& reason)
    {
        result_.problem = reason;
        return false;
    }
    bool takeInBlock(std::string_view line, DumpLineKind kind);
    void takeGrant(std::string_view line);

    enum class Block { None, Head, Rows };
    DumpWholeness& result_;
    DumpBlockHead head_;
    bool insertTaken_ = false;
    std::unordered_set<std::string> tables_; // lower case, for a table's second block
    uint64_t line_ = 0;
    uint64_t blockStart_ = 0;
    bool started_ = false;
    bool complete_ = false;
    Block block_ = Block::None;
};

bool WholenessWalk::takeInBlock(std::string_view line, DumpLineKind kind)
{
    DumpTableCount& table = result_.tables.back();
    if (kind == DumpLineKind::EndOfTable) {
        block_ = Block::None;
        return true;
    }
    if (kind != DumpLineKind::BlockLine)
        return refuse("table '" + table.table + "' has no end-of-table line" + atLine(line_));
    if (block_ == Block::Rows) {
        // A row that reads as the next table's create-table line, or as the end-of-schema
        // line, shows a block cut off and another dump's text run on after it.
        const bool nextTable = StartsWithNoCase(line, DumpFormat::kCreateTable) && !line.empty() && line.back() == ')';
        if (nextTable || line == DumpFormat::kEndOfSchema)
            return refuse("table '" + table.table + "' has no end-of-table line" + atLine(line_));
        ++table.rows;
    } else {
        // The insert line, if any, then the layout line: each as the load reads it.
        const bool insert = !insertTaken_ && DumpBlockHead::IsInsertLine(line);
        if (const std::string fault = insert ? head_.TakeInsertLine(line) : head_.TakeLayoutLine(line); !fault.empty())
            return refuse(fault + atLine(line_));
        insertTaken_ = true;
        if (!insert)
            block_ = Block::Rows;
    }
    return true;
}

bool WholenessWalk::Take(std::string_view line, DumpLineKind kind)
{
    ++line_;
    if (block_ != Block::None)
        return takeInBlock(line, kind);
    if (TrimWhite(line).empty())
        return true;
    if (complete_)
        return refuse("a line follows the end-of-schema line" + atLine(line_));
    if (!started_) {
        if (kind != DumpLineKind::SchemaLine)
            return refuse("it does not begin with a schema line" + atLine(line_));
        started_ = true;
        result_.schema = DumpFormat::NameAfterKeyword(line, DumpLineClassifier::SchemaKeywordLength(line));
        return true;
    }
    switch (kind) {
    case DumpLineKind::SchemaLine:
        return refuse("a second schema line stands in it" + atLine(line_));
    case DumpLineKind::CreateTable:
        if (const std::string fault = head_.TakeCreateLine(line); !fault.empty())
            return refuse(fault + atLine(line_));
        // A second block of one table would replace the rows of the first.
        if (!tables_.insert(ToLower(head_.table())).second)
            return refuse("table '" + head_.table() + "' appears twice" + atLine(line_));
        block_ = Block::Head;
        insertTaken_ = false;
        blockStart_ = line_;
        result_.tables.push_back({head_.table(), 0});
        result_.definitions.emplace_back(line);
        return true;
    case DumpLineKind::EndOfTable:
        return refuse("an end-of-table line stands outside a table block" + atLine(line_));
    case DumpLineKind::EndOfSchema:
        complete_ = true;
        return true;
    case DumpLineKind::Other:
        takeGrant(line);
        result_.definitions.emplace_back(line);
        return true;
    case DumpLineKind::BlockLine:
        return true;
    }
    return true;
}

void WholenessWalk::takeGrant(std::string_view line)
{
    // A grant line reads as a listing's does.
    if (StartsWithNoCase(line, "grant "))
        for (ListedGrant& grant : ListedGrants(std::string(line)))
            result_.grants.push_back(std::move(grant));
}

void WholenessWalk::Finish()
{
    if (!result_.problem.empty())
        return;
    if (!started_)
        refuse(line_ == 0 ? "it is empty" : "it holds no schema line");
    else if (block_ != Block::None)
        refuse("table '" + result_.tables.back().table + "' (from line " + std::to_string(blockStart_) +
               ") ends without its end-of-table line at line " + std::to_string(line_));
    else if (!complete_)
        refuse("the end-of-schema line is missing (the file ends at line " + std::to_string(line_) + ")");
}

} // namespace

DumpWholeness CheckDumpWhole(const std::string& dumpFile, size_t chunkSize)
{
    DumpWholeness result;
    if (HostFolderExists(dumpFile)) {
        result.problem = "'" + dumpFile + "' is a folder, not a dump file";
        return result;
    }
    try {
        DumpLines lines(dumpFile, chunkSize);
        WholenessWalk walk(result);
        std::string_view line;
        DumpLineKind kind;
        while (lines.Next(line, kind))
            if (!walk.Take(line, kind))
                break;
        walk.Finish();
    } catch (const AppError& e) {
        // A line that is neither a marker nor a row: the reason as the other reasons read.
        std::string_view reason = e.description();
        if (reason.substr(0, DumpLineClassifier::kIncorrectDump.size()) == DumpLineClassifier::kIncorrectDump)
            reason.remove_prefix(DumpLineClassifier::kIncorrectDump.size());
        result.problem = std::string(reason);
    } catch (const std::exception& e) {
        result.problem = "the file '" + dumpFile + "' cannot be read: " + e.what();
    }
    return result;
}

std::vector<std::string> TablesNotInDump(const std::vector<std::string>& names, const std::vector<DumpTableCount>& dumped)
{
    std::vector<std::string> missing;
    for (const std::string& name : names) {
        const std::string table = Trim(name);
        if (std::none_of(dumped.begin(), dumped.end(),
                         [&](const DumpTableCount& d) { return EqualsNoCase(d.table, table); }))
            missing.push_back(table);
    }
    return missing;
}
