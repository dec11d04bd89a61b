// RISTableCopy: tables with their data, indexes and grants copied from one RIS schema into
// another, optionally under new names, through an unload and a load.
#include "dbaccess/CRIS.h"

#include "dbaccess/CRISWork.h"
#include "dbaccess/DumpReader.h"
#include "dbaccess/DumpTableRename.h"
#include "dbaccess/DumpWholeCheck.h"
#include "dbaccess/IndexNames.h"
#include "dbaccess/RISCommandLine.h"
#include "dbaccess/RISListing.h"
#include "platform/TextUtil.h"
#include "services/FileOperation.h"

namespace {

// The variable layout carries every value as it is (trailing blanks, empty texts); the fixed
// layout cuts trailing blanks and turns blank texts into NULL.
constexpr int32_t kVariableLayout = 0;
constexpr int16_t kCommitCount = 25;

std::vector<ListedIndex> IndexesInDump(const std::string& dump)
{
    std::vector<ListedIndex> found;
    DumpReader reader(dump);
    DumpItem item;
    while (reader.Next(item)) {
        ListedIndex index;
        if (item.kind == DumpItemKind::IndexLine && ParseIndexLine(item.line, index))
            found.push_back(index);
    }
    return found;
}

// The copy's tables in the target with the rows each must hold after the load: the source's
// count, plus what an appending load finds there already.
std::map<std::string, uint64_t> ExpectedRows(const RowCounts& source, const std::map<std::string, std::string>& renames,
                                             const RowCounts& before)
{
    std::map<std::string, uint64_t> expected;
    for (const auto& [table, rows] : source) {
        const auto renamed = renames.find(ToLower(table));
        const std::string target = renamed == renames.end() ? table : renamed->second;
        const auto held = before.find(target);
        expected[target] = rows + (held == before.end() ? 0 : held->second);
    }
    return expected;
}

} // namespace

void CRIS::RISTableCopy(const std::string& sourceSchema, const std::vector<std::string>& sourceTables,
                        const std::string& targetSchema, const std::vector<std::string>& targetTables,
                        int32_t loadMode, const std::string& logFile)
{
    WithErrorSource("CRIS::RISTableCopy", [&] {
        // The new names go into the dump's statements as they stand.
        for (const std::string& t : targetTables)
            CheckRISName("Table", t);
        // A blank target loads into the schema the dump names: the source.
        const std::string target = Trim(IsBlank(targetSchema) ? sourceSchema : targetSchema);
        std::map<std::string, std::string> renames;
        for (size_t i = 0; i < sourceTables.size(); ++i)
            renames[ToLower(Trim(sourceTables[i]))] = Trim(i < targetTables.size() ? targetTables[i] : sourceTables[i]);

        WorkFiles work;
        const std::string dir = GetTempDir();
        const std::string unloaded = work.add(dir + GetTempName());
        const std::string renamed = work.add(dir + GetTempName());
        // No view: a view belongs to no table, and the load in clear mode would replace the
        // target's view of the same name.
        RISUnload(unloaded, sourceSchema, sourceTables, std::nullopt, "", kVariableLayout, false,
                  UnloadExtras::IndexesGrants);
        // A dump short of rows would make a short copy that no later check tells from a whole one.
        const RowCounts source = RISCountRows(sourceSchema, sourceTables);
        if (const std::string short_ = RowCountDifferences(CheckDumpWhole(unloaded).tables, source); !short_.empty())
            RaiseError("", "The dump of schema '" + sourceSchema + "' does not hold the tables' rows (" + short_ +
                               "); nothing was loaded into schema '" + target + "'");

        // Each index of the copy gets a name no other table's index in the target has: the load
        // client would otherwise drop that index or fail to make the copy's.
        const std::vector<ListedIndex> copied = IndexesInDump(unloaded);
        CheckRISName("Schema", target);
        const std::string targetListing = RunRisunlodListing(target, nullptr, true);
        const std::map<std::string, std::string> indexNames =
            FreeIndexNames(copied, renames, ListedIndexes(targetListing));
        // An appending load adds to the rows a target table holds already.
        std::vector<std::string> appendedTo;
        if (RislodModeWord(loadMode).empty())
            for (const auto& [from, to] : renames)
                for (const std::string& held : ListedTableNames(targetListing))
                    if (EqualsNoCase(held, to))
                        appendedTo.push_back(to);
        const RowCounts before = RISCountRows(target, appendedTo);
        DumpTableRename rename(sourceTables, targetTables);
        rename.SetIndexNames(indexNames);
        rename.Copy(unloaded, renamed);
        RISLoad(renamed, std::nullopt, loadMode, targetSchema, logFile, kCommitCount);

        // What the load made, read back: a copy short of rows is no copy.
        const std::map<std::string, uint64_t> expected = ExpectedRows(source, renames, before);
        std::vector<std::string> copiedTables;
        for (const auto& [table, rows] : expected)
            copiedTables.push_back(table);
        const RowCounts loaded = RISCountRows(target, copiedTables);
        for (const auto& [table, rows] : expected)
            if (loaded.at(table) != rows)
                RaiseError("", "Table '" + table + "' of schema '" + target + "' holds " +
                                   std::to_string(loaded.at(table)) + " rows after the copy, " + std::to_string(rows) +
                                   " expected");

        // What the load made, read back: a copy without one of its indexes is no copy.
        if (copied.empty())
            return;
        const std::vector<ListedIndex> made = ListedIndexes(RunRisunlodListing(target, nullptr, true));
        for (const ListedIndex& i : copied) {
            const std::string& name = indexNames.at(ToLower(i.name));
            const auto table = renames.find(ToLower(i.table));
            const std::string& on = table == renames.end() ? i.table : table->second;
            bool found = false;
            for (const ListedIndex& m : made)
                found = found || (EqualsNoCase(m.name, name) && EqualsNoCase(m.table, on));
            if (!found)
                RaiseError("", "Index '" + name + "' of table '" + on + "' was not made in schema '" + target + "'");
        }
    });
}
