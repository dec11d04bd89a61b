// Reading of the head of a table block.
#include "dbaccess/DumpBlockHead.h"

#include "dbaccess/RisSqlText.h"
#include "platform/TextUtil.h"

#include <algorithm>
#include <optional>

namespace {

std::string names(const std::vector<std::string>& list) { return "(" + Join(list, ", ") + ")"; }

// The column names of "insert into <table> (<names>) values (?, ...)"; nothing when the line is
// not of that form or its marks are not one per name.
std::optional<std::vector<std::string>> insertColumns(std::string_view line, const std::string& table)
{
    const std::string head = std::string(DumpFormat::kInsertInto) + table;
    if (!StartsWithNoCase(line, head))
        return std::nullopt;
    const size_t open = line.find_first_not_of(' ', head.size());
    const size_t close = open == std::string_view::npos || line[open] != '(' ? std::string_view::npos
                                                                              : RisSqlText::MatchingParen(line, open);
    if (close == std::string_view::npos)
        return std::nullopt;
    const std::string rest = TrimWhite(line.substr(close + 1));
    if (!StartsWithNoCase(rest, "values") || TrimWhite(rest.substr(6)).empty() || TrimWhite(rest.substr(6))[0] != '(')
        return std::nullopt;
    const std::string marks = TrimWhite(rest.substr(6));
    if (RisSqlText::MatchingParen(marks, 0) != marks.size() - 1)
        return std::nullopt;
    std::vector<std::string> list = RisSqlText::SplitTopLevel(line.substr(open + 1, close - open - 1));
    const std::vector<std::string> values = RisSqlText::SplitTopLevel(marks.substr(1, marks.size() - 2));
    const auto notMark = [](const std::string& v) { return v != "?"; };
    if (values.size() != list.size() || std::any_of(values.begin(), values.end(), notMark))
        return std::nullopt;
    return list;
}

} // namespace

bool DumpBlockHead::IsInsertLine(std::string_view line) { return StartsWithNoCase(line, DumpFormat::kInsertInto); }

std::string DumpBlockHead::TakeCreateLine(std::string_view line)
{
    *this = DumpBlockHead();
    if (DumpFormat::ParseCreateTableLine(line, table_, columns_))
        return {};
    table_ = DumpFormat::TableOfCreateLine(line);
    return "the create-table line of table '" + table_ + "' holds no column list after \"" + table_ + " (\"";
}

std::string DumpBlockHead::TakeInsertLine(std::string_view line)
{
    const auto list = insertColumns(line, table_);
    if (!list)
        return "the insert line of table '" + table_ + "' is no \"insert into " + table_ +
               " (<columns>) values (?, ...)\" line";
    return namesFault("insert", *list);
}

std::string DumpBlockHead::TakeLayoutLine(std::string_view line)
{
    std::vector<std::string> given;
    if (line.substr(0, DumpFormat::kVariable.size()) == DumpFormat::kVariable) {
        layout_ = DumpLayout::Variable;
        fields_.clear();
        for (const std::string& w : Split(line.substr(DumpFormat::kVariable.size()), " "))
            if (!w.empty())
                given.push_back(w);
    } else {
        layout_ = DumpLayout::Fixed;
        if (!DumpFormat::ParseFixedHeader(line, fields_))
            return "the layout line of table '" + table_ + "' is neither \"" + std::string(DumpFormat::kVariable) +
                   "\" with the column names nor the fixed layout's name, first and last position of each column";
        for (const DumpFixedField& f : fields_)
            given.push_back(f.name);
    }
    return namesFault("layout", given);
}

std::string DumpBlockHead::namesFault(const char* line, const std::vector<std::string>& given) const
{
    std::vector<std::string> expected;
    for (const DumpColumn& c : columns_)
        expected.push_back(c.name);
    const bool same = given.size() == expected.size() &&
                      std::equal(given.begin(), given.end(), expected.begin(),
                                 [](const std::string& a, const std::string& b) { return EqualsNoCase(a, b); });
    if (same)
        return {};
    const std::string subject = "the " + std::string(line) + " line of table '" + table_ + "' ";
    for (const std::string& g : given)
        if (!ContainsNoCase(expected, g))
            return subject + "names column '" + g + "', which the table lacks " + names(expected);
    return subject + "names the columns " + names(given) + ", but the rows of the table are those of " +
           names(expected);
}
