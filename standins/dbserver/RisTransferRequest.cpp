// Parsing of unload and load requests.
#include "standins/dbserver/RisTransferRequest.h"

#include "platform/TextUtil.h"
#include "standins/dbserver/RisErrorBlock.h"

const size_t* RisTableList::find(const std::string& table) const
{
    const auto it = positions_.find(ToLower(table));
    return it == positions_.end() ? nullptr : &it->second;
}

bool RisTableList::Contains(const std::string& table) const { return all || find(table); }

std::string RisTableList::ConditionFor(const std::string& table) const
{
    const size_t* at = find(table);
    return at && *at < conditions.size() ? conditions[*at] : std::string();
}

size_t RisTableList::Add(const std::string& name)
{
    const auto [it, added] = positions_.emplace(name, names.size());
    if (added)
        names.push_back(name);
    return it->second;
}

std::vector<std::string> RisTransferRequest::SplitWords(std::string_view line)
{
    std::vector<std::string> words;
    size_t i = 0;
    while (i < line.size()) {
        char c = line[i];
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            ++i;
            continue;
        }
        size_t start = i;
        if (c == '"') {
            size_t close = line.find('"', i + 1);
            i = close == std::string_view::npos ? line.size() : close + 1;
        } else {
            while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r' && line[i] != '\n')
                ++i;
        }
        words.emplace_back(line.substr(start, i - start));
    }
    return words;
}

namespace {

bool isSection(const std::string& w)
{
    const std::string l = ToLower(w);
    return l == "view" || l == "index" || l == "grant";
}

// Reads a list from position i up to the next section word; with conditions, a name may be
// followed by where "<condition>". A table named more than once is one entry: its rows are
// those of any of its conditions, all of them when one mention has none.
RisTableList readList(const std::vector<std::string>& w, size_t& i, bool withConditions)
{
    RisTableList list;
    list.given = true;
    std::vector<std::vector<std::string>> mentions; // per entry, the condition of each mention
    size_t last = 0;
    while (i < w.size() && !isSection(w[i])) {
        std::string word = w[i++];
        // A second request after the first ("... all pd_b table ..."): one run moves one schema.
        if (EqualsNoCase(word, "table"))
            RaiseRisError("RIS_E_SYNTAX_ERROR", "\"" + word + "\" stands in a table list: a request names one schema "
                                                "and one \"table\" section.");
        if (EqualsNoCase(word, "all")) {
            list.all = true;
            continue;
        }
        if (withConditions && EqualsNoCase(word, "where") && !list.names.empty() && i < w.size()) {
            std::string cond = w[i++];
            if (cond.size() >= 2 && cond.front() == '"' && cond.back() == '"')
                cond = cond.substr(1, cond.size() - 2);
            mentions[last].back() = Trim(cond);
            continue;
        }
        last = list.Add(ToLower(word));
        if (last == mentions.size())
            mentions.emplace_back();
        mentions[last].emplace_back();
    }
    if (!list.all && list.names.empty())
        RaiseRisError("RIS_E_SYNTAX_ERROR", "A table list (\"all\" or table names) is missing.");
    for (const std::vector<std::string>& conditions : mentions) {
        std::string joined;
        for (const std::string& c : conditions) {
            if (c.empty()) {
                joined.clear();
                break;
            }
            joined += (joined.empty() ? "(" : " or (") + c + ")";
        }
        list.conditions.push_back(conditions.size() == 1 ? conditions[0] : joined);
    }
    return list;
}

} // namespace

RisTransferRequest RisTransferRequest::Parse(const std::vector<std::string>& w)
{
    RisTransferRequest r;
    size_t i = 0;
    if (w.empty())
        RaiseRisError("RIS_E_SYNTAX_ERROR", "No schema name given.");
    r.schema = ToLower(w[i++]);
    if (i < w.size() && (EqualsNoCase(w[i], "clear") || EqualsNoCase(w[i], "new")))
        r.mode = ToLower(w[i++]);
    if (i >= w.size() || !EqualsNoCase(w[i], "table"))
        RaiseRisError("RIS_E_SYNTAX_ERROR", "\"table\" expected after the schema name " + r.schema + ".");
    ++i;
    if (i < w.size() && EqualsNoCase(w[i], "with")) {
        ++i;
        if (i < w.size() && EqualsNoCase(w[i], "var")) {
            r.variable = true;
            ++i;
        }
        if (i >= w.size() || !EqualsNoCase(w[i], "data"))
            RaiseRisError("RIS_E_SYNTAX_ERROR", "\"data\" expected after \"table with\".");
        ++i;
        r.withData = true;
    }
    r.tables = readList(w, i, true);
    while (i < w.size()) {
        const std::string section = ToLower(w[i++]);
        RisTableList list = readList(w, i, false);
        (section == "view" ? r.views : section == "index" ? r.indexes : r.grants) = list;
    }
    return r;
}
