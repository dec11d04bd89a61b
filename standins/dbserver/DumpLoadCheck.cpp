// Checks of a dump being loaded.
#include "standins/dbserver/DumpLoadCheck.h"

#include "platform/TextUtil.h"
#include "platform/WinPath.h"
#include "standins/dbserver/RisErrorBlock.h"
#include "dbaccess/RisSqlText.h"

#include <algorithm>
#include <fstream>
#include <optional>
#include <unordered_set>

namespace {

// Whether the line goes on at "at" with the text, which is then passed over.
bool takes(std::string_view line, size_t& at, std::string_view text)
{
    if (line.size() - at < text.size() || line.compare(at, text.size(), text) != 0)
        return false;
    at += text.size();
    return true;
}

} // namespace

bool DumpLoadCheck::RowMatchesColumns(std::string_view line, const DumpRow& values, DumpLayout layout,
                                      const std::vector<bool>& quoted, const std::vector<DumpFixedField>& fields)
{
    if (layout == DumpLayout::Variable) {
        // The values as DumpFormat::AppendVariableRow writes them, compared with the line where
        // they stand: a load asks this of every row.
        size_t at = 0;
        for (size_t i = 0; i < values.size(); ++i) {
            if (!values[i]) {
                if (!takes(line, at, "  "))
                    return false;
            } else if (i < quoted.size() && quoted[i]) {
                std::string_view rest = *values[i];
                if (!takes(line, at, "'"))
                    return false;
                for (size_t quote; (quote = rest.find('\'')) != std::string_view::npos; rest.remove_prefix(quote + 1))
                    if (!takes(line, at, rest.substr(0, quote + 1)) || !takes(line, at, "'"))
                        return false;
                if (!takes(line, at, rest) || !takes(line, at, "' "))
                    return false;
            } else if (!takes(line, at, *values[i]) || !takes(line, at, " ")) {
                return false;
            }
        }
        return at == line.size();
    }
    std::vector<bool> inField(line.size(), false);
    for (const DumpFixedField& f : fields)
        for (size_t i = static_cast<size_t>(f.first - 1); i < static_cast<size_t>(f.last) && i < line.size(); ++i)
            inField[i] = true;
    for (size_t i = 0; i < line.size(); ++i)
        if (line[i] != ' ' && !inField[i])
            return false;
    return true;
}

namespace {

std::string names(const std::vector<std::string>& list) { return "(" + Join(list, ", ") + ")"; }

// The column names of "insert into <table> (<names>) values (?, ...)"; nothing when the line is
// not of that form or its marks are not one per name.
std::optional<std::vector<std::string>> insertColumns(const std::string& line, const std::string& table)
{
    const std::string head = std::string(DumpFormat::kInsertInto) + table;
    if (!StartsWithNoCase(line, head))
        return std::nullopt;
    const size_t open = line.find_first_not_of(' ', head.size());
    const size_t close = open == std::string::npos || line[open] != '(' ? std::string::npos
                                                                         : RisSqlText::MatchingParen(line, open);
    if (close == std::string::npos)
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

std::string DumpLoadCheck::ColumnListFault(const DumpItem& item, const std::vector<DumpColumn>& tableColumns)
{
    std::vector<std::string> expected;
    for (const DumpColumn& c : tableColumns)
        expected.push_back(c.name);
    std::vector<std::string> given;
    if (item.kind == DumpItemKind::InsertLine) {
        const auto list = insertColumns(item.line, item.table);
        if (!list)
            return "it is no \"insert into " + item.table + " (<columns>) values (?, ...)\" line";
        given = *list;
    } else if (item.layout == DumpLayout::Variable) {
        for (const std::string& w : Split(item.line.substr(DumpFormat::kVariable.size()), " "))
            if (!w.empty())
                given.push_back(w);
    } else {
        for (const DumpFixedField& f : item.fixedFields)
            given.push_back(f.name);
    }
    const bool same = given.size() == expected.size() &&
                      std::equal(given.begin(), given.end(), expected.begin(),
                                 [](const std::string& a, const std::string& b) { return EqualsNoCase(a, b); });
    if (same)
        return {};
    for (const std::string& g : given)
        if (!ContainsNoCase(expected, g))
            return "it names column '" + g + "', which table '" + item.table + "' lacks " + names(expected);
    return "it names the columns " + names(given) + ", but the rows of table '" + item.table + "' are those of " +
           names(expected);
}

void DumpLoadCheck::RefuseLine(const std::string& dumpFile, long lineNumber, const std::string& fault)
{
    RaiseRisError("RIS_E_BAD_DUMP_FILE", "Line " + std::to_string(lineNumber) + " of the dump file '" + dumpFile +
                                             "' cannot be loaded: " + fault + ".");
}

void DumpLoadCheck::RefuseNul(const std::string& dumpFile, const DumpItem& item)
{
    if (item.line.find('\0') != std::string::npos)
        RaiseRisError("RIS_E_BAD_TEXT_FILE", "Line " + std::to_string(item.lineNumber) + " of the dump file '" +
                                                 dumpFile + "' holds a NUL byte, which no text of a RIS dump holds.");
}

void DumpLoadCheck::Refuse(const std::string& dumpFile, const std::string& reason)
{
    RaiseRisError("RIS_E_BAD_DUMP_FILE", "The file '" + dumpFile + "' is no whole RIS dump: " + reason + ".");
}

bool DumpLoadCheck::HasOnlyCarriageReturnLineEnds(const std::string& dumpFile)
{
    // A dump's first line is short: its first mebibyte shows how its lines end.
    std::ifstream in(HostPath(dumpFile), std::ios::binary);
    std::string head(1 << 20, '\0');
    in.read(head.data(), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<size_t>(in.gcount()));
    return head.find('\n') == std::string::npos && head.find('\r') != std::string::npos;
}

std::vector<DumpTableCount> DumpLoadCheck::CheckBeforeLoad(const std::string& dumpFile,
                                                           const RisTransferRequest& request)
{
    DumpWholeness whole = CheckDumpWhole(dumpFile);
    if (!whole.Whole() && HasOnlyCarriageReturnLineEnds(dumpFile))
        Refuse(dumpFile, "its lines end with a carriage return alone (CR-only line ends), so it reads as one line; "
                         "a RIS dump ends its lines with CR LF");
    if (!whole.Whole())
        Refuse(dumpFile, whole.problem);
    // Names are looked up by hash: a request may name hundreds of thousands of tables.
    std::unordered_set<std::string> inDump;
    // A second block of one table would silently replace the rows of the first.
    for (const DumpTableCount& t : whole.tables)
        if (!inDump.insert(ToLower(t.table)).second)
            Refuse(dumpFile, "table '" + t.table + "' appears twice");
    if (!request.tables.all)
        for (const std::string& name : request.tables.names)
            if (!inDump.count(ToLower(name)))
                RaiseRisError("RIS_E_UNKNOWN_RELATION",
                              "Table '" + name + "' is not in the dump '" + dumpFile + "'; nothing was loaded.");
    return whole.tables;
}

std::string DumpLoadCheck::NotNullFault(const std::vector<DumpColumn>& declared,
                                        const std::vector<RisColumn>& standing,
                                        const std::function<long long(const std::string&)>& nullRows)
{
    std::vector<std::string> faults;
    for (const DumpColumn& c : declared) {
        const auto s = std::find_if(standing.begin(), standing.end(),
                                    [&](const RisColumn& r) { return EqualsNoCase(r.name, c.name); });
        if (!c.notNull || s == standing.end() || s->notNull)
            continue;
        const long long held = nullRows(s->name);
        faults.push_back("column '" + s->name + "' takes NULL (" + std::to_string(held) +
                         (held == 1 ? " row holds" : " rows hold") + " NULL there)");
    }
    return Join(faults, ", ");
}
