// Token splitting and placeholder substitution.
#include "services/Tokens.h"

#include "platform/AppError.h"
#include "platform/Clock.h"
#include "platform/TextUtil.h"
#include "services/IniFile.h"

namespace {

constexpr size_t kTokenListSize = 100;
// More substitutions than this in one element can only come from values that lead back to
// their own placeholders.
constexpr int kMaxSubstitutions = 1000;

const std::string kSectionSignLatin1 = "\xA7";
const std::string kSectionSignUtf8 = "\xC2\xA7";

// The spellings of a delimiter: "§" has two, since script files come from ANSI and UTF-8
// editors alike; any other delimiter only its own.
std::vector<std::string> spellings(const std::string& delimiter)
{
    if (delimiter == kSectionSignLatin1 || delimiter == kSectionSignUtf8)
        return {kSectionSignUtf8, kSectionSignLatin1};
    return {delimiter};
}

struct Hit {
    size_t pos = std::string::npos;
    size_t len = 0;
    bool found() const { return pos != std::string::npos; }
};

// The first delimiter at or after from; the longer spelling wins where both start.
Hit findDelimiter(const std::string& text, const std::vector<std::string>& delims, size_t from)
{
    Hit best;
    for (const std::string& d : delims) {
        size_t p = FindNoCase(text, d, from);
        if (p != std::string::npos && (p < best.pos || (p == best.pos && d.size() > best.len))) {
            best.pos = p;
            best.len = d.size();
        }
    }
    return best;
}

// The delimiter spelling that starts exactly at pos, if any.
size_t delimiterAt(const std::string& text, const std::vector<std::string>& delims, size_t pos)
{
    for (const std::string& d : delims)
        if (text.compare(pos, d.size(), d) == 0)
            return d.size();
    return 0;
}

// Every delimiter + key + delimiter (either spelling on either side) replaced by value.
std::string replacePlaceholders(const std::string& text, const std::vector<std::string>& delims,
                                const std::string& key, const std::string& value)
{
    std::string out;
    size_t i = 0;
    while (i < text.size()) {
        size_t open = delimiterAt(text, delims, i);
        if (open && EqualsNoCase(std::string_view(text).substr(i + open, key.size()), key)) {
            size_t close = i + open + key.size() <= text.size() ? delimiterAt(text, delims, i + open + key.size()) : 0;
            if (close) {
                out += value;
                i += open + key.size() + close;
                continue;
            }
        }
        out += text[i++];
    }
    return out;
}

} // namespace

std::vector<std::string> Tokenize(const std::string& text, const std::string& separators)
{
    if (text.size() < 2)
        return {text};
    std::vector<std::string> tokens;
    size_t i = 0;
    while (i < text.size()) {
        size_t start = text.find_first_not_of(separators, i);
        if (start == std::string::npos)
            break;
        size_t end = text.find_first_of(separators, start);
        if (end == std::string::npos)
            end = text.size();
        tokens.push_back(text.substr(start, end - start));
        i = end;
    }
    return tokens;
}

std::vector<std::string> GetTokens(const std::string& text, const std::string& delimiter, int count)
{
    std::vector<std::string> tokens(kTokenListSize);
    if (count >= static_cast<int>(kTokenListSize))
        throw AppError(9, "GetTokens", "Subscript out of range");
    const std::vector<std::string> delims = spellings(delimiter);
    size_t p = 0;
    for (int k = 1; k <= count; ++k) {
        Hit s = findDelimiter(text, delims, p);
        Hit e = s.found() ? findDelimiter(text, delims, s.pos + s.len) : Hit{};
        // A missing pair ends the scan: this token and the ones after it stay empty, never
        // text from the start of the line.
        if (!e.found())
            break;
        tokens[static_cast<size_t>(k)] = text.substr(s.pos + s.len, e.pos - s.pos - s.len);
        p = e.pos + e.len;
    }
    return tokens;
}

std::vector<std::string>& ReplaceTokensFromIni(std::vector<std::string>& tokens, const std::string& file,
                                               const std::string& section, const std::string& delimiter)
{
    const std::vector<std::string> delims = spellings(delimiter);
    for (size_t i = 1; i < tokens.size() && !tokens[i].empty(); ++i) {
        std::string& element = tokens[i];
        const std::string original = element;
        size_t scan = 0;
        int substitutions = 0;
        for (;;) {
            Hit open = findDelimiter(element, delims, scan);
            if (!open.found())
                break;
            Hit close = findDelimiter(element, delims, open.pos + open.len);
            if (!close.found())
                throw AppError(5, "ReplaceTokensFromIni", "Invalid procedure call or argument");
            const std::string key = Trim(element.substr(open.pos + open.len, close.pos - open.pos - open.len));
            const std::string value = ReadIniValue(file, section, key, "NULL");
            std::string replaced = value == "NULL" ? element : replacePlaceholders(element, delims, key, value);
            if (replaced != element) {
                if (++substitutions > kMaxSubstitutions)
                    RaiseError("ReplaceTokensFromIni", "The values of the placeholders in '" + original +
                                                           "' lead back to their own placeholders");
                element = std::move(replaced);
                scan = 0;
            } else {
                scan = close.pos + close.len;
            }
            DoEvents();
        }
    }
    return tokens;
}
