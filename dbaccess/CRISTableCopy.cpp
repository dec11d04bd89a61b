// RISTableCopy: tables with their data, views, indexes and grants copied from one RIS schema
// into another, optionally under new names, through an unload and a load.
#include "dbaccess/CRIS.h"

#include "dbaccess/CRISWork.h"
#include "dbaccess/DumpReader.h"
#include "dbaccess/DumpTableRename.h"
#include "dbaccess/DumpWholeCheck.h"
#include "dbaccess/IndexNames.h"
#include "dbaccess/RISCommandLine.h"
#include "dbaccess/RISErrorReader.h"
#include "dbaccess/RISListing.h"
#include "dbaccess/TableCopyCheck.h"
#include "platform/TextUtil.h"
#include "services/ChangeOutcome.h"
#include "services/FileOperation.h"

#include <algorithm>
#include <set>

namespace {

constexpr int16_t kCommitCount = 25;

// The tables, index and view definitions of a dump, read in one pass over it.
struct DumpDefinitions {
    std::vector<CopiedTable> tables; // in block order, each with its rows' hashes
    std::vector<ListedIndex> indexes;
    std::vector<ListedGrant> grants;
    std::vector<std::string> views; // lower case
};

DumpDefinitions DefinitionsInDump(const std::string& dump)
{
    DumpDefinitions found;
    // Its values compare as the server compares them.
    ComparedRows rows;
    std::vector<std::string> tables;
    DumpReader reader(dump);
    DumpItem item;
    while (reader.Next(item)) {
        rows.Add(item);
        if (item.kind == DumpItemKind::CreateTable && !ContainsNoCase(tables, item.table))
            tables.push_back(item.table);
        ListedIndex index;
        if (item.kind == DumpItemKind::IndexLine && ParseIndexLine(item.line, index)) {
            found.indexes.push_back(index);
        } else if (item.kind == DumpItemKind::GrantLine) {
            for (ListedGrant& grant : ListedGrants(item.line))
                found.grants.push_back(std::move(grant));
        } else if (item.kind == DumpItemKind::OtherLine) {
            if (std::string name = ViewNameOf(item.line); !name.empty())
                found.views.push_back(std::move(name));
        }
    }
    for (const std::string& table : tables) {
        std::vector<uint64_t> hashes = rows.Sorted(table);
        const uint64_t count = hashes.size();
        found.tables.push_back({table, true, count, std::move(hashes)});
    }
    return found;
}

std::string Quoted(const std::vector<std::string>& names)
{
    std::string text;
    for (const std::string& n : names)
        text += (text.empty() ? "'" : ", '") + n + "'";
    return text;
}

} // namespace

std::string CRIS::RISTableCopy(const std::string& sourceSchema, const std::vector<std::string>& sourceTables,
                               const std::string& targetSchema, const std::vector<std::string>& targetTables,
                               int32_t loadMode, const std::string& logFile)
{
    return WithErrorSource("CRIS::RISTableCopy", [&] {
        std::vector<std::string> report;
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
        // Every view of the source comes along ("view all"); a view that names no copied table
        // fails in the load and is reported there.
        RISUnload(unloaded, sourceSchema, sourceTables, std::nullopt, "", kVariableLayout, false,
                  UnloadExtras::ViewsIndexesGrants);
        // A dump short of rows would make a short copy that no later check tells from a whole one.
        const RowCounts source = RISCountRows(sourceSchema, sourceTables);
        const DumpDefinitions definitions = DefinitionsInDump(unloaded);
        std::vector<DumpTableCount> dumpedCounts;
        for (const CopiedTable& t : definitions.tables)
            dumpedCounts.push_back({t.table, t.rows});
        if (const std::string short_ = RowCountDifferences(dumpedCounts, source); !short_.empty())
            RaiseError("", "The dump of schema '" + sourceSchema + "' does not hold the tables' rows (" + short_ +
                               "); nothing was loaded into schema '" + target + "'");

        // Each index of the copy gets a name no other table's index in the target has: the load
        // client would otherwise drop that index or fail to make the copy's.
        const std::vector<ListedIndex>& copied = definitions.indexes;
        CheckRISName("Schema", target);
        const std::string targetListing = RunRisunlodListing(target, nullptr, true, true);
        const std::map<std::string, std::string> indexNames =
            FreeIndexNames(copied, renames, ListedIndexes(targetListing));
        // A view the target already has stays as it is: the load would replace it (clear) or
        // fail on it (new). The source's view of that name is left out and named.
        const std::vector<std::string> targetViews = ListedViewNames(targetListing);
        std::set<std::string> keptViews;
        std::vector<std::string> copiedViews;
        for (const std::string& view : definitions.views) {
            if (ContainsNoCase(targetViews, view))
                keptViews.insert(view);
            else
                copiedViews.push_back(view);
        }
        if (!keptViews.empty())
            report.push_back("Schema '" + target + "' already has the views " +
                             Quoted({keptViews.begin(), keptViews.end()}) +
                             ": they were left as they were, and the source's views of these names were not copied.");
        DumpTableRename rename(sourceTables, targetTables);
        rename.SetIndexNames(indexNames);
        rename.SetLeftOutViews(keptViews);
        rename.Copy(unloaded, renamed);

        // A load may have committed all, part or none of the rows, whatever its client said:
        // what stands is read after every load and compared row by row with the dump and with
        // what the target held before, never judged by counts alone.
        std::vector<CopiedTable> dumped = definitions.tables;
        std::vector<std::string> copiedTables;
        for (CopiedTable& t : dumped) {
            const auto newName = renames.find(ToLower(t.table));
            if (newName != renames.end())
                t.table = newName->second;
            copiedTables.push_back(t.table);
        }
        const std::vector<CopiedTable> before =
            ReadCopiedTables(*this, target, copiedTables, ListedTableNames(targetListing));
        bool loadFailed = false;
        const ChangeOutcome load = ChangeAndLook(
            [&] {
                loadFailed = true;
                try {
                    RISLoad(renamed, std::nullopt, loadMode, targetSchema, logFile, kCommitCount);
                } catch (const AppError& e) {
                    // A RIS error block is said as one line within the sentence.
                    const std::string line = RISErrorMessage(e.description());
                    return line.empty() ? e.description() : line;
                }
                loadFailed = false;
                return std::string();
            },
            [&](std::string& seen) {
                const std::vector<CopiedTable> after =
                    ReadCopiedTables(*this, target, copiedTables, DBGetTables(target, true));
                return CompareCopiedTables(dumped, before, after, loadMode, loadFailed, seen);
            },
            LookAfter::EveryCall);
        const std::string what = "the copy of " + Quoted(copiedTables) + " into schema '" + target + "'";
        if (!load.Done())
            RaiseError("", load.Describe(what));
        if (load.CallFailed())
            report.push_back(load.Describe(what));

        // What the load made, read back: a copy without one of its indexes, grants or views is no
        // copy.
        if (copied.empty() && copiedViews.empty() && definitions.grants.empty())
            return Join(report, "\r\n");
        const std::string made = RunRisunlodListing(target, nullptr, true, true, true);
        const std::vector<ListedIndex> madeIndexes = ListedIndexes(made);
        std::vector<std::string> missing;
        for (const ListedIndex& i : copied) {
            const std::string& name = indexNames.at(ToLower(i.name));
            const auto table = renames.find(ToLower(i.table));
            const std::string& on = table == renames.end() ? i.table : table->second;
            const auto made = std::find_if(madeIndexes.begin(), madeIndexes.end(), [&](const ListedIndex& m) {
                return EqualsNoCase(m.name, name) && EqualsNoCase(m.table, on);
            });
            if (made == madeIndexes.end())
                missing.push_back("Index '" + name + "' of table '" + on + "' was not made in schema '" + target + "'");
            else if (made->unique != i.unique || made->columns != i.columns)
                missing.push_back("Index '" + name + "' of table '" + on + "' stands " + IndexShapeText(*made) +
                                  " in schema '" + target + "', where the copy has it " + IndexShapeText(i));
        }
        const std::vector<ListedGrant> madeGrants = ListedGrants(made);
        for (const ListedGrant& g : definitions.grants) {
            const auto table = renames.find(ToLower(g.table));
            const std::string& on = table == renames.end() ? g.table : table->second;
            if (std::none_of(madeGrants.begin(), madeGrants.end(), [&](const ListedGrant& m) {
                    return EqualsNoCase(m.table, on) && EqualsNoCase(m.grantee, g.grantee);
                }))
                missing.push_back("The grant of table '" + on + "' to " + g.grantee + " was not made in schema '" +
                                  target + "'");
        }
        const std::vector<std::string> madeViews = ListedViewNames(made);
        for (const std::string& view : copiedViews)
            if (!ContainsNoCase(madeViews, view))
                missing.push_back("View '" + view + "' was not made in schema '" + target + "'");
        if (!missing.empty()) {
            // The tables were loaded and committed: the message says they stand as well.
            missing.back() += copiedTables.size() == 1
                                  ? "; the table " + Quoted(copiedTables) + " was copied into it with all its rows and "
                                                                            "stays there."
                                  : "; the tables " + Quoted(copiedTables) + " were copied into it with all their "
                                                                             "rows and stay there.";
            for (std::string& line : report)
                missing.push_back(line);
            RaiseError("", Join(missing, "\r\n"));
        }
        return Join(report, "\r\n");
    });
}
