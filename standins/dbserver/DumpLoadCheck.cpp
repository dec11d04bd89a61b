// Checks of a dump being loaded.
#include "standins/dbserver/DumpLoadCheck.h"

#include "platform/TextUtil.h"
#include "platform/WinPath.h"
#include "standins/dbserver/RisErrorBlock.h"

#include <algorithm>
#include <fstream>
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
    for (const DumpTableCount& t : whole.tables)
        inDump.insert(ToLower(t.table));
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
