// Byte-string helpers with the Windows rules the system relies on (case-insensitive
// comparison of ASCII letters, trimming of blanks).
#pragma once

#include <string>
#include <string_view>
#include <vector>

std::string ToUpper(std::string_view s);
std::string ToLower(std::string_view s);
bool EqualsNoCase(std::string_view a, std::string_view b);
bool StartsWithNoCase(std::string_view s, std::string_view prefix);
bool EndsWithNoCase(std::string_view s, std::string_view suffix);
// Whether one of the names equals name without regard to case.
bool ContainsNoCase(const std::vector<std::string>& names, std::string_view name);
// Orders names without regard to case: the comparison of maps keyed by RIS or project names.
struct NoCaseLess {
    bool operator()(std::string_view a, std::string_view b) const;
};
// Position of needle in hay without regard to case, or npos.
size_t FindNoCase(std::string_view hay, std::string_view needle, size_t from = 0);
// Blanks (spaces only, like the original's Trim) removed at both ends / one end.
std::string Trim(std::string_view s);
std::string TrimLeft(std::string_view s);
std::string TrimRight(std::string_view s);
// Space, tab, CR and LF removed at both ends.
std::string TrimWhite(std::string_view s);
bool IsBlank(std::string_view s);
std::vector<std::string> Split(std::string_view s, std::string_view sep);
std::string Join(const std::vector<std::string>& parts, std::string_view sep);
// The text with its first letter in upper case, as a sentence begins.
std::string Capitalised(std::string_view s);
// The text without the periods it ends with: a client's message often ends with its own, and a
// sentence built around it adds its own punctuation.
std::string WithoutEndingPeriods(std::string_view s);
// Every occurrence of from replaced by to (exact case).
std::string ReplaceAll(std::string s, std::string_view from, std::string_view to);
// Wildcard rules of a glob match: the characters that stand for any run of characters (none
// included) and for exactly one, and whether letter case counts.
struct GlobRules {
    std::string_view anyRun = "*";
    std::string_view oneChar = "";
    bool ignoreCase = false;
};
// The whole text matches the pattern under the rules (one back-tracking point per star, so it
// runs in time linear in practice and never recurses).
bool GlobMatch(std::string_view pattern, std::string_view text, const GlobRules& rules);
// A RIS/Oracle identifier: letters, digits and underscore, not empty.
bool IsIdentifier(std::string_view s);
