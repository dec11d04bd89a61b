// Reading of grant lines and of the privileges and grantees of a grant.
#include "dbaccess/DumpGrantLine.h"

#include "dbaccess/RisSqlText.h"
#include "platform/TextUtil.h"

#include <algorithm>
#include <iterator>

namespace {

// The texts of tokens [from, to) one blank apart, a comma joined to the word before it.
std::string joined(const std::vector<SqlToken>& tokens, size_t from, size_t to)
{
    std::string text;
    for (size_t i = from; i < to; ++i)
        text += (tokens[i].text == "," || text.empty() ? "" : " ") + tokens[i].text;
    return text;
}

} // namespace

bool DumpGrantLine::Split(std::string_view line, DumpGrant& grant)
{
    const std::vector<SqlToken> t = RisSqlText::Significant(line);
    if (t.empty() || !EqualsNoCase(t[0].text, "grant"))
        return false;
    for (size_t i = 1; i + 3 < t.size(); ++i)
        if (EqualsNoCase(t[i].text, "on") && EqualsNoCase(t[i + 2].text, "to")) {
            grant.privileges = joined(t, 1, i);
            grant.table = t[i + 1].text;
            grant.grantees = joined(t, i + 3, t.size());
            return true;
        }
    return false;
}

std::string DumpGrantLine::Privileges(std::string_view written, std::string& fault)
{
    static const char* const known[] = {"select", "insert", "delete", "update", "alter", "index", "references"};
    std::vector<bool> held(std::size(known), false);
    for (const std::string& part : ::Split(written, ",")) {
        std::string flat = ToLower(part), word;
        std::replace_if(flat.begin(), flat.end(), [](char c) { return c == '\t' || c == '\r' || c == '\n'; }, ' ');
        for (const std::string& w : ::Split(flat, " "))
            if (!w.empty())
                word += (word.empty() ? "" : " ") + w;
        if (word == "all" || word == "all privileges") {
            std::fill(held.begin(), held.begin() + 4, true);
            continue;
        }
        const auto at = std::find_if(std::begin(known), std::end(known), [&](const char* k) { return word == k; });
        if (at == std::end(known)) {
            fault = "ORA-00990: missing or invalid privilege ('" + Trim(part) + "')";
            return {};
        }
        held[static_cast<size_t>(at - std::begin(known))] = true;
    }
    std::vector<std::string> list;
    for (size_t k = 0; k < held.size(); ++k)
        if (held[k])
            list.push_back(known[k]);
    if (list.empty())
        fault = "ORA-00990: missing or invalid privilege";
    return Join(list, ", ");
}

std::vector<std::string> DumpGrantLine::Grantees(std::string_view list, std::string& fault)
{
    std::vector<std::string> names;
    for (const std::string& item : RisSqlText::SplitTopLevel(list)) {
        const std::vector<SqlToken> words = RisSqlText::Significant(item);
        if (words.size() == 4 && EqualsNoCase(words[1].text, "with") && EqualsNoCase(words[2].text, "grant") &&
            EqualsNoCase(words[3].text, "option")) {
            fault = "\"with grant option\" is not taken: a grant here gives the privileges alone, which no grantee "
                    "passes on";
            return {};
        }
        if (words.size() != 1 || words[0].kind != SqlToken::Kind::Word) {
            fault = "ORA-00987: missing or invalid username(s) ('" + TrimWhite(item) + "')";
            return {};
        }
        const std::string& word = words[0].text;
        // A quoted name is the stored name exactly: "dd_demo" is not the user DD_DEMO.
        const bool quoted = word.size() >= 2 && word.front() == '"' && word.back() == '"';
        names.push_back(quoted ? RisSqlText::UnquoteName(word) : ToUpper(word));
    }
    if (names.empty())
        fault = "ORA-00987: missing or invalid username(s)";
    return names;
}
