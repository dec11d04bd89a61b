// Readers of risunlod listings and risbatch dictionary answers.
#include "dbaccess/RISListing.h"

#include "dbaccess/AnswerLines.h"
#include "dbaccess/DumpFormat.h"
#include "dbaccess/DumpGrantLine.h"
#include "dbaccess/DumpLineClassifier.h"
#include "platform/AppError.h"
#include "platform/Clock.h"
#include "platform/TextUtil.h"

#include <algorithm>

namespace {

const std::string kCreateTable = "create table ";

// The name that starts at pos: up to the next blank, or to the end of the text less its last
// character when no blank follows; trimmed of blanks.
std::string NameAt(const std::string& text, size_t pos)
{
    const size_t blank = text.find(' ', pos);
    if (blank != std::string::npos)
        return Trim(text.substr(pos, blank - pos));
    if (text.size() <= pos + 1)
        return std::string();
    return Trim(text.substr(pos, text.size() - pos - 1));
}

std::string RemoveQuotes(std::string s)
{
    s.erase(std::remove(s.begin(), s.end(), '\''), s.end());
    return s;
}

} // namespace

std::string ListingProblem(const std::string& listing)
{
    DumpLineClassifier classifier;
    bool started = false, ended = false;
    std::string lastTable;
    long number = 0;
    auto at = [&](std::string_view line) {
        return "line " + std::to_string(number) + " '" + std::string(line) + "'";
    };
    try {
        for (std::string_view rest = listing; !rest.empty();) {
            const size_t lf = rest.find('\n');
            std::string_view line = rest.substr(0, lf);
            rest.remove_prefix(lf == std::string_view::npos ? rest.size() : lf + 1);
            if (!line.empty() && line.back() == '\r')
                line.remove_suffix(1);
            ++number;
            if (IsBlank(line))
                continue;
            const DumpLineKind kind = classifier.Classify(line);
            if (ended)
                return at(line) + " follows the end-of-schema line";
            if (!started) {
                if (kind != DumpLineKind::SchemaLine)
                    return "it does not begin with a schema line (" + at(line) + ")";
                started = true;
                continue;
            }
            switch (kind) {
            case DumpLineKind::SchemaLine:
                return at(line) + " is a second schema line";
            case DumpLineKind::CreateTable:
                lastTable = NameAt(std::string(line), DumpFormat::kCreateTable.size());
                break;
            case DumpLineKind::EndOfSchema:
                ended = true;
                break;
            case DumpLineKind::Other:
                if (StartsWithNoCase(line, "create ") || StartsWithNoCase(line, "grant "))
                    break;
                return at(line) + " is no definition line";
            case DumpLineKind::BlockLine:
            case DumpLineKind::EndOfTable:
                return at(line) + " is no definition line";
            }
        }
    } catch (const AppError& e) {
        return e.description();
    }
    if (!started)
        return "it holds no schema line";
    if (!ended)
        return "the end-of-schema line is missing (the listing ends at line " + std::to_string(number) +
               (lastTable.empty() ? std::string() : ", after table '" + lastTable + "'") + ")";
    return std::string();
}

std::vector<ListedGrant> ListedGrants(const std::string& listing)
{
    std::vector<ListedGrant> grants;
    DumpLineClassifier classifier;
    for (const std::string& raw : AnswerLines(listing)) {
        if (IsBlank(raw) || classifier.Classify(raw) != DumpLineKind::Other || !StartsWithNoCase(raw, "grant "))
            continue;
        DumpGrant grant;
        if (!DumpGrantLine::Split(raw, grant))
            continue;
        // One grant per grantee, as the server makes them; a list it would refuse stays one
        // grantee as written, which no grant the server lists matches.
        std::string fault;
        std::vector<std::string> grantees = DumpGrantLine::Grantees(grant.grantees, fault);
        if (!fault.empty())
            grantees = {grant.grantees};
        for (std::string& grantee : grantees)
            grants.push_back({grant.table, std::move(grantee)});
    }
    return grants;
}

std::vector<std::string> ListedTableNames(const std::string& listing)
{
    std::vector<std::string> names;
    for (size_t pos = listing.find(kCreateTable); pos != std::string::npos;
         pos = listing.find(kCreateTable, pos)) {
        pos += kCreateTable.size();
        std::string name = NameAt(listing, pos);
        if (!IsBlank(name))
            names.push_back(std::move(name));
    }
    return names;
}

std::string ViewNameOf(const std::string& line)
{
    const std::string text = TrimWhite(line);
    constexpr std::string_view kCreateView = "create view ";
    if (text.size() <= kCreateView.size() || !EqualsNoCase(text.substr(0, kCreateView.size()), kCreateView))
        return {};
    const size_t at = text.find_first_not_of(' ', kCreateView.size());
    if (at == std::string::npos)
        return {};
    // "create view v as ..." or "create view v(a, b) as ...".
    return ToLower(text.substr(at, text.find_first_of(" (\t", at) - at));
}

std::vector<std::string> ListedViewNames(const std::string& text)
{
    std::vector<std::string> names;
    for (const std::string& line : AnswerLines(text))
        if (std::string name = ViewNameOf(line); !name.empty())
            names.push_back(std::move(name));
    return names;
}

std::vector<ListedTable> ListedTableColumns(const std::string& listing)
{
    std::vector<ListedTable> tables;
    for (size_t pos = listing.find(kCreateTable); pos != std::string::npos;
         pos = listing.find(kCreateTable, pos)) {
        pos += kCreateTable.size();
        std::string name = NameAt(listing, pos);
        if (IsBlank(name))
            continue;
        // The definition is one line; its column list stands between the first " (" and the
        // last ")" of that line, whatever its line end.
        size_t lineEnd = listing.find('\n', pos);
        if (lineEnd == std::string::npos)
            lineEnd = listing.size();
        std::string line = listing.substr(pos, lineEnd - pos);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const size_t open = line.find(" (");
        const size_t close = line.rfind(')');
        if (open == std::string::npos || close == std::string::npos || close < open + 2)
            continue;
        std::string columns = Trim(line.substr(open + 2, close - open - 2));
        if (IsBlank(columns))
            continue;
        tables.push_back({std::move(name), std::move(columns)});
    }
    return tables;
}

std::vector<std::string> ColumnEntries(const std::string& columnText, bool withTypes)
{
    std::vector<std::string> entries;
    for (const DumpColumn& c : DumpFormat::ParseColumnList(columnText)) {
        if (!withTypes || c.type.empty())
            entries.push_back(c.name);
        else
            entries.push_back(DumpFormat::ColumnEntryText(c));
    }
    if (!entries.empty() && IsBlank(entries.front()))
        entries.clear();
    return entries;
}

std::vector<std::string> SchemaNamesFromOutput(const std::vector<std::string>& lines, bool onlyProjects)
{
    std::vector<std::string> names;
    for (const std::string& line : lines) {
        if (line.find("Schema name:") == std::string::npos)
            continue;
        std::string name = RemoveQuotes(Trim(line.substr(line.find(':') + 1)));
        if (onlyProjects) {
            // Only a name that is a project schema counts, and the project is what follows the
            // prefix: a name holding "pd_" further in (xpd_1) is no project schema.
            if (name.rfind("pd_", 0) != 0)
                continue;
            name = name.substr(3);
        }
        if (name.empty() || std::find(names.begin(), names.end(), name) != names.end())
            continue;
        names.push_back(std::move(name));
    }
    return names;
}

std::string SchemaFileFromOutput(const std::vector<std::string>& lines)
{
    std::string path;
    for (const std::string& line : lines) {
        const size_t colon = line.find(':');
        if (colon != std::string::npos && FindNoCase(line, "SCHEMA FILE NAME") != std::string::npos)
            path = RemoveQuotes(Trim(line.substr(colon + 1)));
        DoEvents();
    }
    return path;
}
