// Index names of a table copy.
#include "dbaccess/IndexNames.h"

#include "platform/TextUtil.h"

#include <set>

bool ParseIndexLine(const std::string& line, ListedIndex& index)
{
    const std::string lower = ToLower(line);
    size_t at = 0;
    if (lower.rfind("create unique index ", 0) == 0)
        at = 20;
    else if (lower.rfind("create index ", 0) == 0)
        at = 13;
    else
        return false;
    const size_t on = lower.find(" on ", at);
    if (on == std::string::npos)
        return false;
    const size_t tableEnd = lower.find_first_of(" (", on + 4);
    index.name = Trim(line.substr(at, on - at));
    index.table = Trim(line.substr(on + 4, tableEnd == std::string::npos ? std::string::npos : tableEnd - on - 4));
    index.unique = at == 20;
    const size_t open = lower.find('(', on), close = lower.rfind(')');
    std::vector<std::string> columns;
    if (open != std::string::npos && close != std::string::npos && close > open)
        for (const std::string& c : Split(lower.substr(open + 1, close - open - 1), ","))
            columns.push_back(Trim(c));
    index.columns = Join(columns, ", ");
    return !index.name.empty() && !index.table.empty();
}

std::string IndexShapeText(const ListedIndex& index)
{
    return (index.unique ? "unique on (" : "on (") + index.columns + ")";
}

std::vector<ListedIndex> ListedIndexes(const std::string& text)
{
    std::vector<ListedIndex> found;
    for (const std::string& line : Split(ReplaceAll(text, "\r", ""), "\n")) {
        ListedIndex index;
        if (ParseIndexLine(line, index))
            found.push_back(index);
    }
    return found;
}

std::map<std::string, std::string> FreeIndexNames(const std::vector<ListedIndex>& copied,
                                                  const std::map<std::string, std::string>& renames,
                                                  const std::vector<ListedIndex>& target)
{
    std::set<std::string> replaced;  // target tables the copy loads (lower case)
    for (const auto& [from, to] : renames)
        replaced.insert(ToLower(to));
    std::set<std::string> taken;
    for (const ListedIndex& i : target)
        if (!replaced.count(ToLower(i.table)))
            taken.insert(ToLower(i.name));
    std::map<std::string, std::string> names;
    for (const ListedIndex& i : copied) {
        const auto rename = renames.find(ToLower(i.table));
        const std::string table = rename == renames.end() ? i.table : rename->second;
        // A table that keeps its name lets its index keep its own too, where free.
        std::string base = i.name;
        if (!EqualsNoCase(i.table, table)) {
            const size_t at = FindNoCase(base, i.table);
            base = at == std::string::npos ? base + "_" + table
                                           : base.substr(0, at) + table + base.substr(at + i.table.size());
        }
        std::string name = base;
        for (int n = 2; taken.count(ToLower(name)); ++n)
            name = base + "_" + std::to_string(n);
        taken.insert(ToLower(name));
        names[ToLower(i.name)] = name;
    }
    return names;
}
