// The look at a table copy's target after its load failed.
#include "dbaccess/TableCopyCheck.h"

#include "dbaccess/CRIS.h"
#include "platform/AppError.h"
#include "platform/TextUtil.h"

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
// before for load mode 2 (which neither clears nor replaces).
uint64_t RowsWhenCopied(const DumpTableCount& dumped, const CopiedTable* before, int32_t loadMode)
{
    const uint64_t had = before && before->exists ? before->rows : 0;
    return dumped.rows + (loadMode == kAppendMode ? had : 0);
}

} // namespace

std::vector<CopiedTable> ReadCopiedTables(CRIS& cris, const std::string& schema,
                                          const std::vector<std::string>& tables,
                                          const std::vector<std::string>& existing)
{
    std::vector<CopiedTable> found;
    std::vector<std::string> standing;
    for (const std::string& table : tables) {
        CopiedTable t{table, false, 0};
        for (const std::string& e : existing)
            t.exists = t.exists || EqualsNoCase(e, table);
        if (t.exists)
            standing.push_back(table);
        found.push_back(t);
    }
    // One client run counts every table that stands.
    const RowCounts counts = cris.RISCountRows(schema, standing);
    for (CopiedTable& t : found)
        if (t.exists)
            t.rows = counts.at(t.table);
    return found;
}

void RequireCopiedRows(const std::vector<CopiedTable>& after, const std::vector<DumpTableCount>& dumped,
                       const std::vector<CopiedTable>& before, int32_t loadMode, const std::string& schema)
{
    for (const DumpTableCount& d : dumped) {
        const uint64_t goal = RowsWhenCopied(d, Find(before, d.table), loadMode);
        const CopiedTable* now = Find(after, d.table);
        const uint64_t held = now && now->exists ? now->rows : 0;
        if (held != goal)
            RaiseError("", "Table '" + d.table + "' of schema '" + schema + "' holds " + std::to_string(held) +
                               " rows after the copy, " + std::to_string(goal) + " expected");
    }
}

ChangeState CompareCopiedTables(const std::vector<DumpTableCount>& dumped, const std::vector<CopiedTable>& before,
                                const std::vector<CopiedTable>& after, int32_t loadMode, std::string& seen)
{
    bool allCopied = true;
    bool allAsBefore = true;
    seen.clear();
    for (const DumpTableCount& d : dumped) {
        const CopiedTable* was = Find(before, d.table);
        const CopiedTable* now = Find(after, d.table);
        const bool existed = was && was->exists;
        const uint64_t had = existed ? was->rows : 0;
        const uint64_t goal = RowsWhenCopied(d, was, loadMode);
        const bool exists = now && now->exists;
        allCopied = allCopied && exists && now->rows == goal;
        allAsBefore = allAsBefore && exists == existed && (!exists || now->rows == had);

        std::string clause = "table '" + d.table + "' ";
        if (!exists)
            clause += "is not there";
        else
            clause += "holds " + Rows(now->rows) + " of the " + std::to_string(d.rows) + " copied";
        if (existed)
            clause += " (" + Rows(had) + " before the load)";
        seen += (seen.empty() ? "" : ", ") + clause;
    }
    if (allCopied)
        return ChangeState::Done;
    return allAsBefore ? ChangeState::NotDone : ChangeState::NotKnown;
}
