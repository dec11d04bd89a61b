// Tables, row counts and index lines of a schema dump, and their comparison.
#include "dbtools/SchemaDumpSummary.h"

#include "dbaccess/DumpReader.h"
#include "platform/TextUtil.h"

#include <algorithm>
#include <cctype>

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

// The table of "create [unique] index <name> on <table> (...)", or empty for any other line.
std::string indexedTable(const std::string& words)
{
    if (words.rfind("create index ", 0) != 0 && words.rfind("create unique index ", 0) != 0)
        return {};
    const size_t on = words.find(" on ");
    if (on == std::string::npos)
        return {};
    std::string table = words.substr(on + 4);
    return table.substr(0, table.find_first_of(" ("));
}

// The index's name from its normalised line.
std::string indexName(const std::string& words)
{
    const std::vector<std::string> w = Split(words, " ");
    return w.size() > 3 ? w[w[1] == "unique" ? 3 : 2] : words;
}

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

void SchemaDumpSummary::Add(const DumpItem& item)
{
    switch (item.kind) {
    case DumpItemKind::CreateTable:
        if (rows_.emplace(ToLower(item.table), 0).second)
            tables_.push_back(item.table);
        break;
    case DumpItemKind::Row:
        ++rows_[ToLower(item.table)];
        break;
    case DumpItemKind::IndexLine:
    case DumpItemKind::OtherLine: {
        const std::string words = normalisedWords(item.line);
        const std::string table = indexedTable(words);
        if (!table.empty())
            indexes_[table].insert(words);
        break;
    }
    default:
        break;
    }
}

std::vector<std::string> SchemaDumpSummary::Differences(const SchemaDumpSummary& found,
                                                        const std::vector<std::string>* only) const
{
    std::vector<std::string> faults;
    for (const std::string& table : only ? *only : tables_) {
        const std::string key = ToLower(table);
        const auto have = found.rows_.find(key);
        if (have == found.rows_.end()) {
            faults.push_back(table + " missing");
            continue;
        }
        const auto want = rows_.find(key);
        const long long wanted = want == rows_.end() ? 0 : want->second;
        if (have->second != wanted)
            faults.push_back(table + " holds " + std::to_string(have->second) + " of " + std::to_string(wanted) +
                             " rows");
        const auto wantedIndexes = indexes_.find(key);
        if (wantedIndexes == indexes_.end())
            continue;
        const auto foundIndexes = found.indexes_.find(key);
        for (const std::string& index : wantedIndexes->second)
            if (foundIndexes == found.indexes_.end() || !foundIndexes->second.count(index))
                faults.push_back(table + " lacks index " + indexName(index));
    }
    if (!only)
        for (const std::string& table : found.tables_)
            if (!rows_.count(ToLower(table)))
                faults.push_back(table + " is not in the backup");
    return faults;
}
