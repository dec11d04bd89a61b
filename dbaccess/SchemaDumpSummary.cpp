// The content of a schema dump, table by table, and the comparison of two.
#include "dbaccess/SchemaDumpSummary.h"

#include "dbaccess/DumpReader.h"
#include "dbaccess/DumpFormat.h"
#include "dbaccess/DumpGrantLine.h"
#include "dbaccess/DumpRowHash.h"
#include "dbaccess/IndexNames.h"
#include "dbaccess/StoredValue.h"
#include "platform/TextUtil.h"

#include <algorithm>

namespace {

// The words of a line in lower case, one blank between them.
std::string normalisedWords(const std::string& line)
{
    std::string words;
    for (const std::string& w : Split(ToLower(TrimWhite(line)), " "))
        if (!w.empty())
            words += (words.empty() ? "" : " ") + w;
    return words;
}

// The word after " on " up to a blank or "(": the table of an index or grant line.
std::string tableAfterOn(const std::string& words)
{
    const size_t on = words.find(" on ");
    if (on == std::string::npos)
        return {};
    const std::string rest = words.substr(on + 4);
    return rest.substr(0, rest.find_first_of(" ("));
}

bool isIndexLine(const std::string& words)
{
    return words.rfind("create index ", 0) == 0 || words.rfind("create unique index ", 0) == 0;
}

// The index's name from its normalised line.
std::string indexName(const std::string& words)
{
    const std::vector<std::string> w = Split(words, " ");
    return w.size() > 3 ? w[w[1] == "unique" ? 3 : 2] : words;
}

// The index lines of one table (any letter case).
std::set<std::string> linesOf(const std::map<std::string, std::set<std::string>>& of, const std::string& table)
{
    const auto it = of.find(ToLower(table));
    return it == of.end() ? std::set<std::string>() : it->second;
}

// Whether privileges (as the server keeps them, ", " between them) hold every one of wanted.
bool covers(const std::string& privileges, const std::string& wanted)
{
    const std::vector<std::string> held = Split(privileges, ", ");
    for (const std::string& p : Split(wanted, ", "))
        if (std::find(held.begin(), held.end(), p) == held.end())
            return false;
    return true;
}

// The grants of one table or view compared grantee by grantee: against a backup each with the
// privileges it gives, the grants the found one lacks and those only it has; against what a
// dump makes only the grants it lacks or gives fewer privileges in, as a grant adds its
// privileges to those a grantee held.
void compareGrants(const SchemaDumpSummary::Grants& want, const SchemaDumpSummary::Grants& have, bool asBackup,
                   std::vector<std::string>& faults)
{
    for (const auto& [grantee, privileges] : want) {
        const std::string grant = "grant to " + ToLower(grantee);
        const auto found = have.find(grantee);
        if (found == have.end())
            faults.push_back("lacks " + grant);
        else if (asBackup ? found->second != privileges : !covers(found->second, privileges))
            faults.push_back(grant + " gives " + found->second + ", not " + privileges);
    }
    if (asBackup)
        for (const auto& [grantee, privileges] : have)
            if (!want.count(grantee))
                faults.push_back("has grant to " + ToLower(grantee) + " the backup lacks");
}

// The columns a found table lacks, has more, or has otherwise, by position.
void compareColumns(const std::vector<std::string>& want, const std::vector<std::string>& have,
                    std::vector<std::string>& faults)
{
    for (size_t i = 0; i < std::max(want.size(), have.size()); ++i) {
        if (i >= have.size())
            faults.push_back("lacks column " + want[i]);
        else if (i >= want.size())
            faults.push_back("has column " + have[i] + " the backup lacks");
        else if (want[i] != have[i])
            faults.push_back("column " + have[i] + ", not " + want[i]);
    }
}

// The indexes of one table compared by name: one the found table lacks (naming the table whose
// index holds that name now, from elsewhere: index name -> table), one it has with other
// columns or uniqueness, and, when extras count, one only it has.
void compareIndexes(const std::set<std::string>& want, const std::set<std::string>& have,
                    const std::map<std::string, std::string>& elsewhere, bool extrasCount,
                    std::vector<std::string>& faults)
{
    std::map<std::string, ListedIndex> found;
    for (const std::string& line : have) {
        ListedIndex index;
        if (ParseIndexLine(line, index))
            found.emplace(index.name, std::move(index));
    }
    std::set<std::string> wanted;
    for (const std::string& line : want) {
        ListedIndex index;
        if (!ParseIndexLine(line, index))
            continue;
        wanted.insert(index.name);
        const auto it = found.find(index.name);
        if (it == found.end()) {
            const auto other = elsewhere.find(index.name);
            faults.push_back("lacks index " + index.name +
                             (other == elsewhere.end() ? std::string()
                                                       : " (the name is an index's on " + other->second + ")"));
        } else if (it->second.unique != index.unique || it->second.columns != index.columns) {
            faults.push_back("has index " + index.name + " " + IndexShapeText(it->second) +
                             " where the backup has it " + IndexShapeText(index));
        }
    }
    if (extrasCount)
        for (const auto& [name, shape] : found)
            if (!wanted.count(name))
                faults.push_back("has index " + name + " the backup lacks");
}

std::string viewName(const std::string& words)
{
    const std::vector<std::string> w = Split(words, " ");
    return w.size() > 2 ? w[2] : words;
}

std::string rowsText(size_t n) { return std::to_string(n) + (n == 1 ? " row" : " rows"); }

} // namespace

SchemaDumpSummary SchemaDumpSummary::Read(const std::string& dumpFile)
{
    SchemaDumpSummary summary;
    DumpReader reader(dumpFile);
    DumpItem item;
    while (reader.Next(item))
        summary.Add(item);
    return summary;
}

SchemaDumpSummary::Table& SchemaDumpSummary::tableFor(const std::string& table)
{
    const std::string key = ToLower(table);
    auto [it, added] = content_.try_emplace(key);
    if (added) {
        it->second.name = table;
        tables_.push_back(table);
    }
    return it->second;
}

const SchemaDumpSummary::Table* SchemaDumpSummary::find(const std::string& table) const
{
    const auto it = content_.find(ToLower(table));
    return it == content_.end() ? nullptr : &it->second;
}

bool SchemaDumpSummary::HasTable(const std::string& table) const { return find(table) != nullptr; }

long long SchemaDumpSummary::Rows(const std::string& table) const
{
    const Table* t = find(table);
    return t ? static_cast<long long>(t->rowHashes.size()) : -1;
}

std::vector<uint64_t> SchemaDumpSummary::SortedRowHashes(const std::string& table) const
{
    const Table* t = find(table);
    std::vector<uint64_t> hashes = t ? t->rowHashes : std::vector<uint64_t>();
    std::sort(hashes.begin(), hashes.end());
    return hashes;
}

void SchemaDumpSummary::Add(const DumpItem& item)
{
    switch (item.kind) {
    case DumpItemKind::CreateTable: {
        Table& t = tableFor(item.table);
        t.columns.clear();
        t.comparisons.clear();
        for (const DumpColumn& c : item.columns) {
            t.columns.push_back(ToLower(c.name) + " " + DumpFormat::DeclaredType(c.type) +
                                (c.notNull ? " not null" : ""));
            t.comparisons.push_back(StoredValue::ComparisonOf(c.type));
        }
        break;
    }
    case DumpItemKind::Row: {
        // Each value as its column's type reads it, so that a row the server holds as the dump
        // wrote it matches however the dump spells its numbers, moments and padded texts.
        // The rows of a block come one after the other: its table is looked up once.
        if (!rowTable_.table || rowTable_.name != item.table) {
            rowTable_.table = &tableFor(item.table);
            rowTable_.name = item.table;
        }
        Table& t = *rowTable_.table;
        DumpRowHasher hash;
        for (size_t i = 0; i < item.values.size(); ++i)
            hash.Add(StoredValue::Compared(
                item.values[i], i < t.comparisons.size() ? t.comparisons[i] : StoredValue::Comparison(), room_));
        t.rowHashes.push_back(hash.Value());
        break;
    }
    case DumpItemKind::IndexLine:
    case DumpItemKind::GrantLine:
    case DumpItemKind::OtherLine:
        addDefinition(item.line);
        break;
    default:
        break;
    }
}

void SchemaDumpSummary::addDefinition(const std::string& line)
{
    const std::string words = normalisedWords(line);
    if (words.rfind("create view ", 0) == 0) {
        views_[viewName(words)] = words;
        viewLines_[viewName(words)] = TrimWhite(line);
        return;
    }
    if (isIndexLine(words)) {
        if (const std::string table = tableAfterOn(words); !table.empty())
            indexes_[table].insert(words);
        return;
    }
    DumpGrant grant;
    if (!DumpGrantLine::Split(line, grant))
        return;
    // Each grantee's privileges as the load makes them; a grant it would refuse is kept as
    // written, which no grant the server lists matches.
    std::string fault;
    std::string privileges = DumpGrantLine::Privileges(grant.privileges, fault);
    std::vector<std::string> grantees = DumpGrantLine::Grantees(grant.grantees, fault);
    if (!fault.empty()) {
        privileges = normalisedWords(grant.privileges);
        grantees = {normalisedWords(grant.grantees)};
    }
    Grants& grants = grants_[ToLower(grant.table)];
    for (const std::string& grantee : grantees) {
        // A second grant to a grantee adds its privileges, as the server adds them.
        std::string& held = grants[grantee];
        std::string unread;
        const std::string both =
            held.empty() ? privileges : DumpGrantLine::Privileges(held + ", " + privileges, unread);
        held = unread.empty() ? both : held + ", " + privileges;
    }
}

SchemaDumpSummary SchemaDumpSummary::FromListing(const std::string& listing)
{
    SchemaDumpSummary summary;
    for (const std::string& raw : Split(ReplaceAll(listing, "\r", ""), "\n")) {
        std::string table;
        std::vector<DumpColumn> columns;
        if (!DumpFormat::ParseCreateTableLine(raw, table, columns)) {
            summary.addDefinition(raw);
            continue;
        }
        DumpItem item;
        item.kind = DumpItemKind::CreateTable;
        item.table = table;
        item.columns = std::move(columns);
        summary.Add(item);
    }
    return summary;
}

std::vector<std::string> SchemaDumpSummary::TableDifferences(const SchemaDumpSummary& found,
                                                             const std::string& table) const
{
    const Table* want = find(table);
    const Table* have = found.find(table);
    if (!have)
        return want ? std::vector<std::string>{"missing"} : std::vector<std::string>{};
    if (!want)
        return {"is not in the backup"};
    std::vector<std::string> faults;
    compareColumns(want->columns, have->columns, faults);
    for (std::string& fault : RowDifferences(found, table))
        faults.push_back(std::move(fault));
    // The lines of one kind the found table lacks, then those only it has.
    compareIndexes(linesOf(indexes_, table), linesOf(found.indexes_, table), found.indexTables(), true, faults);
    compareGrants(grantsOf(table), found.grantsOf(table), true, faults);
    return faults;
}

std::vector<std::string> SchemaDumpSummary::RowDifferences(const SchemaDumpSummary& found,
                                                           const std::string& table) const
{
    const Table* want = find(table);
    const Table* have = found.find(table);
    if (!want || !have)
        return {};
    std::vector<std::string> faults;
    if (have->rowHashes.size() != want->rowHashes.size())
        faults.push_back("holds " + std::to_string(have->rowHashes.size()) + " of " +
                         std::to_string(want->rowHashes.size()) + " rows");
    const std::vector<uint64_t> a = SortedRowHashes(table), b = found.SortedRowHashes(table);
    // Rows of the found table that no row of the backup matches: lost rows show in the count.
    if (const size_t differing = UnmatchedRowHashes(b, a))
        faults.push_back(rowsText(differing) + (differing == 1 ? " differs" : " differ") + " in its values");
    return faults;
}

SchemaDumpSummary::Grants SchemaDumpSummary::grantsOf(const std::string& table) const
{
    const auto it = grants_.find(ToLower(table));
    return it == grants_.end() ? Grants() : it->second;
}

std::map<std::string, std::string> SchemaDumpSummary::indexTables() const
{
    std::map<std::string, std::string> tables;
    for (const auto& [table, lines] : indexes_)
        for (const std::string& line : lines)
            tables[indexName(line)] = table;
    return tables;
}

std::vector<std::string> SchemaDumpSummary::MadeDifferences(const SchemaDumpSummary& found,
                                                            const std::string& table) const
{
    const Table* want = find(table);
    if (!want)
        return {};
    const Table* have = found.find(table);
    if (!have)
        return {"missing"};
    std::vector<std::string> faults;
    compareColumns(want->columns, have->columns, faults);
    compareIndexes(linesOf(indexes_, table), linesOf(found.indexes_, table), found.indexTables(), false, faults);
    compareGrants(grantsOf(table), found.grantsOf(table), false, faults);
    return faults;
}

std::vector<std::string> SchemaDumpSummary::ViewDifferences(const SchemaDumpSummary& found, Extras extras) const
{
    std::vector<std::string> faults;
    for (const auto& [name, definition] : views_) {
        const auto have = found.views_.find(name);
        if (have == found.views_.end()) {
            faults.push_back("view " + name + " missing");
            continue;
        }
        if (have->second != definition)
            faults.push_back("view " + name + " is defined otherwise");
        std::vector<std::string> grants;
        compareGrants(grantsOf(name), found.grantsOf(name), extras == Extras::Count, grants);
        for (const std::string& fault : grants)
            faults.push_back("view " + name + " " + fault);
    }
    if (extras == Extras::Count)
        for (const auto& [name, definition] : found.views_)
            if (!views_.count(name))
                faults.push_back("view " + name + " is not in the backup");
    return faults;
}

std::vector<std::string> SchemaDumpSummary::ViewsMissingIn(const SchemaDumpSummary& found) const
{
    std::vector<std::string> missing;
    for (const auto& [name, definition] : views_)
        if (!found.views_.count(name))
            missing.push_back(name);
    return missing;
}

bool SchemaDumpSummary::SameView(const SchemaDumpSummary& found, const std::string& view) const
{
    const auto want = views_.find(ToLower(view));
    const auto have = found.views_.find(ToLower(view));
    return want != views_.end() && have != found.views_.end() && want->second == have->second;
}

std::string SchemaDumpSummary::ViewLine(const std::string& view) const
{
    const auto it = viewLines_.find(ToLower(view));
    return it == viewLines_.end() ? std::string() : it->second;
}

std::vector<std::string> SchemaDumpSummary::TablesDifferences(const SchemaDumpSummary& found,
                                                              const std::vector<std::string>& tables) const
{
    std::vector<std::string> faults;
    for (const std::string& table : tables)
        for (const std::string& f : TableDifferences(found, table))
            faults.push_back(table + (f == "missing" || f == "is not in the backup" ? " " : ": ") + f);
    return faults;
}

std::vector<std::string> SchemaDumpSummary::Differences(const SchemaDumpSummary& found,
                                                        const std::vector<std::string>* only) const
{
    std::vector<std::string> faults = TablesDifferences(found, only ? *only : tables_);
    for (const std::string& f : ViewDifferences(found))
        faults.push_back(f);
    if (!only)
        for (const std::string& table : found.tables_)
            if (!find(table))
                faults.push_back(table + " is not in the backup");
    return faults;
}
