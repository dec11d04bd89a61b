// The look at a table copy's target after its load.
#include "dbaccess/TableCopyCheck.h"

#include "dbaccess/CRIS.h"
#include "dbaccess/CRISWork.h"
#include "dbaccess/DumpReader.h"
#include "dbaccess/DumpRowHash.h"
#include "dbaccess/RowCountAnswer.h"
#include "dbaccess/StoredValue.h"
#include "platform/AppError.h"
#include "platform/TextUtil.h"
#include "services/FileOperation.h"

#include <algorithm>

namespace {

constexpr int32_t kAppendMode = 2;

std::string Rows(uint64_t n)
{
    return std::to_string(n) + (n == 1 ? " row" : " rows");
}

const CopiedTable* Find(const std::vector<CopiedTable>& tables, const std::string& name)
{
    for (const CopiedTable& t : tables)
        if (EqualsNoCase(t.table, name))
            return &t;
    return nullptr;
}

// The rows a table of the copy holds once its copy is there: the dump's, added to those it had
// before for load mode 2.
std::vector<uint64_t> RowsWhenCopied(const CopiedTable& dumped, const CopiedTable* before, int32_t loadMode)
{
    std::vector<uint64_t> goal = dumped.rowHashes;
    if (loadMode == kAppendMode && before && before->exists) {
        goal.insert(goal.end(), before->rowHashes.begin(), before->rowHashes.end());
        std::sort(goal.begin(), goal.end());
    }
    return goal;
}

std::string rowsText(size_t n) { return std::to_string(n) + (n == 1 ? " row" : " rows"); }

} // namespace

std::optional<std::string> ComparedValue(const std::optional<std::string>& value, bool charColumn)
{
    if (!value || !charColumn)
        return value;
    return StoredValue::BlankPadded(*value);
}

ComparedRows ComparedRows::OfDump(const std::string& dumpFile)
{
    ComparedRows rows;
    DumpReader reader(dumpFile);
    DumpItem item;
    while (reader.Next(item))
        rows.Add(item);
    return rows;
}

void ComparedRows::Add(const DumpItem& item)
{
    switch (item.kind) {
    case DumpItemKind::CreateTable:
        table_ = ToLower(item.table);
        char_.clear();
        for (const DumpColumn& c : item.columns)
            char_.push_back(StoredValue::IsCharType(c.type));
        rows_[table_];
        break;
    case DumpItemKind::Row: {
        DumpRow row(item.values.size());
        for (size_t i = 0; i < item.values.size(); ++i)
            row[i] = ComparedValue(item.values[i], i < char_.size() && char_[i]);
        rows_[table_].push_back(DumpRowHash(row));
        break;
    }
    default:
        break;
    }
}

std::vector<uint64_t> ComparedRows::Sorted(const std::string& table) const
{
    const auto it = rows_.find(ToLower(table));
    std::vector<uint64_t> hashes = it == rows_.end() ? std::vector<uint64_t>() : it->second;
    std::sort(hashes.begin(), hashes.end());
    return hashes;
}

bool ComparedRows::Has(const std::string& table) const { return rows_.count(ToLower(table)) > 0; }

std::vector<std::string> ComparedRowDifferences(const std::vector<uint64_t>& want, const std::vector<uint64_t>& have)
{
    std::vector<std::string> faults;
    if (have.size() != want.size())
        faults.push_back("holds " + std::to_string(have.size()) + " of " + rowsText(want.size()));
    // Rows found that no wanted row matches: rows lost show in the count.
    if (const size_t differing = UnmatchedRowHashes(have, want))
        faults.push_back(rowsText(differing) + (differing == 1 ? " differs" : " differ") + " in its values");
    return faults;
}

std::vector<CopiedTable> ReadCopiedTables(CRIS& cris, const std::string& schema,
                                          const std::vector<std::string>& tables,
                                          const std::vector<std::string>& existing)
{
    std::vector<CopiedTable> found;
    std::vector<std::string> standing;
    for (const std::string& table : tables) {
        CopiedTable t{table, false, 0, {}};
        for (const std::string& e : existing)
            t.exists = t.exists || EqualsNoCase(e, table);
        if (t.exists)
            standing.push_back(table);
        found.push_back(t);
    }
    // One client run counts every table that stands.
    const RowCounts counts = cris.RISCountRows(schema, standing);
    std::vector<std::string> holding;
    for (CopiedTable& t : found)
        if (t.exists && (t.rows = counts.at(t.table)) > 0)
            holding.push_back(t.table);
    if (holding.empty())
        return found;

    // Equal counts cannot tell old rows from new ones: the values are read as well.
    WorkFiles work;
    const std::string dump = work.add(cris.GetTempDir() + GetTempName());
    cris.RISUnload(dump, schema, holding, std::nullopt, "", CRIS::kVariableLayout, false, UnloadExtras::None);
    // The unload raises on a dump that is not whole; its rows are read once, and counted from there.
    const ComparedRows unloaded = ComparedRows::OfDump(dump);
    std::vector<DumpTableCount> dumped;
    for (const std::string& table : holding)
        if (unloaded.Has(table))
            dumped.push_back({table, static_cast<uint64_t>(unloaded.Sorted(table).size())});
    if (const std::string short_ = RowCountDifferences(dumped, counts); !short_.empty())
        RaiseError("", "The unload of the tables of schema '" + schema + "' does not hold their rows (" + short_ + ")");
    for (CopiedTable& t : found)
        if (t.rows > 0)
            t.rowHashes = unloaded.Sorted(t.table);
    return found;
}

ChangeState CompareCopiedTables(const std::vector<CopiedTable>& dumped, const std::vector<CopiedTable>& before,
                                const std::vector<CopiedTable>& after, int32_t loadMode, bool loadFailed,
                                std::string& seen)
{
    bool allCopied = true;
    bool allAsBefore = true;
    seen.clear();
    for (const CopiedTable& d : dumped) {
        const CopiedTable* was = Find(before, d.table);
        const CopiedTable* now = Find(after, d.table);
        const bool existed = was && was->exists;
        const bool exists = now && now->exists;
        const uint64_t had = existed ? was->rows : 0;
        const bool appended = loadMode == kAppendMode && had > 0;
        const bool copied = exists && now->rowHashes == RowsWhenCopied(d, was, loadMode);
        const bool asBefore = exists == existed && (!exists || now->rowHashes == was->rowHashes);
        std::string clause = "table '" + d.table + "' ";
        if (!exists) {
            clause += "is not there" + (existed ? " (it held " + Rows(had) + " before the load)" : std::string());
        } else {
            clause += "holds " + Rows(now->rows) + " (";
            if (copied && asBefore) {
                clause += "the same as before the load, which are also the " + std::to_string(d.rows) + " copied";
            } else if (copied) {
                clause += appended ? "its " + std::to_string(had) + " from before the load and the " +
                                         std::to_string(d.rows) + " copied"
                                   : "the " + std::to_string(d.rows) + " copied";
            } else if (asBefore) {
                clause += "the same as before the load";
            } else if (appended) {
                clause += "not its " + std::to_string(had) + " from before the load and the " +
                          std::to_string(d.rows) + " copied";
            } else {
                clause += "not the " + std::to_string(d.rows) + " copied" +
                          (existed ? ", nor the " + std::to_string(had) + " it held before the load" : std::string());
            }
            clause += ")";
        }
        allCopied = allCopied && copied;
        allAsBefore = allAsBefore && asBefore;
        seen += (seen.empty() ? "" : ", ") + clause;
    }
    // A table whose old rows are the copy's fits either; when every table does, nothing tells
    // the copy from the old rows, and the load's own end decides: its failure stands.
    if (allCopied && allAsBefore)
        return loadFailed ? ChangeState::NotDone : ChangeState::Done;
    if (allCopied)
        return ChangeState::Done;
    return allAsBefore ? ChangeState::NotDone : ChangeState::NotKnown;
}
