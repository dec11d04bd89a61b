// Asking and reading the server's row counts.
#include "dbaccess/RowCountAnswer.h"

#include "dbaccess/DumpWholeCheck.h"
#include "platform/AppError.h"
#include "platform/TextUtil.h"

#include <algorithm>

namespace {

const std::string kQuery = "Query ";
const std::string kCountColumn = "count(*):";
const std::string kEndOfData = "End of Data Found";

// The table of a "Query select count(*) from <table>" heading line, empty for any other query.
std::string countedTable(const std::string& query)
{
    const std::string head = "select count(*) from ";
    std::string rest = Trim(query.substr(kQuery.size()));
    if (!StartsWithNoCase(rest, head))
        return {};
    rest = Trim(rest.substr(head.size()));
    if (!rest.empty() && rest.back() == ';')
        rest.pop_back();
    return Trim(rest);
}

bool isCount(const std::string& text)
{
    return !text.empty() && text.size() <= 19 && text.find_first_not_of("0123456789") == std::string::npos;
}

} // namespace

std::string RowCountStatements(const std::vector<std::string>& tables)
{
    std::string sql;
    for (const std::string& t : tables)
        sql += "select count(*) from " + t + ";\r\n";
    return sql;
}

RowCounts ReadRowCounts(const std::string& answer, const std::vector<std::string>& tables)
{
    RowCounts counts;
    std::string open;     // the table whose answer is being read
    bool openHasCount = false;
    uint64_t openCount = 0;
    auto raise = [](const std::string& why) { RaiseError("ReadRowCounts", "The row counts are incomplete: " + why); };
    for (std::string line : Split(answer, "\n")) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.rfind(kQuery, 0) == 0) {
            if (!open.empty())
                raise("the count of table '" + open + "' has no \"" + kEndOfData + "\" line");
            open = countedTable(line);
            openHasCount = false;
            if (open.empty())
                continue;
            if (counts.count(open))
                raise("table '" + open + "' is counted twice");
        } else if (open.empty()) {
            continue;
        } else if (line.rfind(kCountColumn, 0) == 0) {
            const std::string value = Trim(line.substr(kCountColumn.size()));
            if (openHasCount || !isCount(value))
                raise("the count of table '" + open + "' reads '" + line + "'");
            openHasCount = true;
            openCount = std::stoull(value);
        } else if (line.rfind(kEndOfData, 0) == 0) {
            if (!openHasCount)
                raise("the answer for table '" + open + "' holds no count");
            counts[open] = openCount;
            open.clear();
        }
    }
    if (!open.empty())
        raise("the count of table '" + open + "' has no \"" + kEndOfData + "\" line");
    std::vector<std::string> missing;
    for (const std::string& t : tables)
        if (!counts.count(Trim(t)))
            missing.push_back(Trim(t));
    if (!missing.empty())
        raise("no count of table" + std::string(missing.size() > 1 ? "s " : " ") + Join(missing, ", "));
    return counts;
}

std::string RowCountDifferences(const std::vector<DumpTableCount>& dumped, const RowCounts& server)
{
    std::vector<std::string> differences;
    // Plain names, not a structured binding: clang before 16 does not let a lambda capture one.
    for (const auto& entry : server) {
        const std::string& table = entry.first;
        const uint64_t rows = entry.second;
        const auto in = std::find_if(dumped.begin(), dumped.end(),
                                     [&](const DumpTableCount& t) { return EqualsNoCase(t.table, table); });
        const uint64_t there = in == dumped.end() ? 0 : in->rows;
        if (there != rows)
            differences.push_back("table '" + table + "' holds " + std::to_string(there) + " rows in the dump, " +
                                  std::to_string(rows) + " on the server");
    }
    return Join(differences, "; ");
}
