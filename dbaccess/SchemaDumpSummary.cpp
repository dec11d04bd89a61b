// The content of a schema dump, table by table, and the comparison of two.
#include "dbaccess/SchemaDumpSummary.h"

#include "dbaccess/DumpReader.h"
#include "dbaccess/DumpRowHash.h"
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

// "grant <privileges> on <table> to <grantee>": what the fault names, "grant to <grantee>".
std::string grantName(const std::string& words)
{
    const size_t to = words.rfind(" to ");
    return to == std::string::npos ? words : "grant" + words.substr(to);
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
        for (const DumpColumn& c : item.columns)
            t.columns.push_back(ToLower(c.name) + " " + ReplaceAll(ToLower(c.type), " ", ""));
        break;
    }
    case DumpItemKind::Row:
        tableFor(item.table).rowHashes.push_back(DumpRowHash(item.values));
        break;
    case DumpItemKind::IndexLine:
    case DumpItemKind::GrantLine:
    case DumpItemKind::OtherLine: {
        const std::string words = normalisedWords(item.line);
        if (words.rfind("create view ", 0) == 0) {
            views_[viewName(words)] = words;
            viewLines_[viewName(words)] = TrimWhite(item.line);
            break;
        }
        const bool index = isIndexLine(words);
        if (!index && words.rfind("grant ", 0) != 0)
            break;
        const std::string table = tableAfterOn(words);
        if (!table.empty())
            (index ? indexes_ : grants_)[table].insert(words);
        break;
    }
    default:
        break;
    }
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
    const size_t columns = std::max(want->columns.size(), have->columns.size());
    for (size_t i = 0; i < columns; ++i) {
        if (i >= have->columns.size())
            faults.push_back("lacks column " + want->columns[i]);
        else if (i >= want->columns.size())
            faults.push_back("has column " + have->columns[i] + " the backup lacks");
        else if (want->columns[i] != have->columns[i])
            faults.push_back("column " + have->columns[i] + ", not " + want->columns[i]);
    }
    if (have->rowHashes.size() != want->rowHashes.size())
        faults.push_back("holds " + std::to_string(have->rowHashes.size()) + " of " +
                         std::to_string(want->rowHashes.size()) + " rows");
    const std::vector<uint64_t> a = SortedRowHashes(table), b = found.SortedRowHashes(table);
    // Rows of the found table that no row of the backup matches: lost rows show in the count.
    if (const size_t differing = UnmatchedRowHashes(b, a))
        faults.push_back(rowsText(differing) + (differing == 1 ? " differs" : " differ") + " in its values");
    const std::string key = ToLower(table);
    auto lines = [key](const std::map<std::string, std::set<std::string>>& of) {
        const auto it = of.find(key);
        return it == of.end() ? std::set<std::string>() : it->second;
    };
    // The lines of one kind the found table lacks, then those only it has.
    auto compare = [&](const std::set<std::string>& want, const std::set<std::string>& have,
                       std::string (*name)(const std::string&)) {
        for (const std::string& l : want)
            if (!have.count(l))
                faults.push_back("lacks " + name(l));
        for (const std::string& l : have)
            if (!want.count(l))
                faults.push_back("has " + name(l) + " the backup lacks");
    };
    compare(lines(indexes_), lines(found.indexes_), [](const std::string& i) { return "index " + indexName(i); });
    compare(lines(grants_), lines(found.grants_), grantName);
    return faults;
}

std::vector<std::string> SchemaDumpSummary::ViewDifferences(const SchemaDumpSummary& found) const
{
    std::vector<std::string> faults;
    for (const auto& [name, definition] : views_) {
        const auto have = found.views_.find(name);
        if (have == found.views_.end())
            faults.push_back("view " + name + " missing");
        else if (have->second != definition)
            faults.push_back("view " + name + " is defined otherwise");
    }
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
