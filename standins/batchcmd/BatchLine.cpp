// Parsing of batch lines the way cmd reads them, for the subset the program writes.
#include "standins/batchcmd/BatchLine.h"

#include "platform/Environment.h"
#include "platform/TextUtil.h"
#include "platform/WinPath.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <stdexcept>

namespace {

bool isBlankChar(char c) { return c == ' ' || c == '\t'; }

// Reads one word from line at i (skipping leading blanks), quotes grouping; returns it with
// the quotes removed.
std::string readWord(const std::string& line, size_t& i)
{
    while (i < line.size() && isBlankChar(line[i]))
        ++i;
    std::string word;
    bool quoted = false;
    for (; i < line.size(); ++i) {
        char c = line[i];
        if (c == '"') {
            quoted = !quoted;
            continue;
        }
        if (!quoted && c == '^' && i + 1 < line.size()) {
            word += line[++i]; // "out^&x.txt" names the file "out&x.txt"
            continue;
        }
        if (!quoted && (isBlankChar(c) || c == '>' || c == '<'))
            break;
        word += c;
    }
    return word;
}

// The full Windows path of a batch argument (a Windows or host path, relative to the current
// folder or not).
std::string fullWinPath(const std::string& arg)
{
    const std::string p = ReplaceAll(arg, "\"", "");
    return !p.empty() && p[0] == '/' ? WinPathFromHost(p) : FullWinPath(p);
}

// A whole decimal number with an optional sign, as the offsets of "%NAME:~start,length%",
// held within +-limit (an offset beyond the value's length says no more than its length).
std::optional<long> wholeNumber(const std::string& text, long limit)
{
    if (text.empty() || std::isspace(static_cast<unsigned char>(text[0])))
        return std::nullopt;
    size_t used = 0;
    try {
        const long n = std::stol(text, &used, 10);
        if (used == text.size())
            return std::clamp(n, -limit, limit);
    } catch (const std::out_of_range&) {
        if (text.find_first_not_of("+-0123456789") == std::string::npos)
            return text[0] == '-' ? -limit : limit;
    } catch (const std::exception&) {
    }
    return std::nullopt;
}

// "~start,length": the part of value cmd gives; a negative start counts from the end, a
// negative length leaves that many characters off the end. Nothing when spec is no such form.
std::optional<std::string> substringOf(const std::string& value, const std::string& spec)
{
    const size_t comma = spec.find(',');
    const std::string startText = spec.substr(1, comma == std::string::npos ? std::string::npos : comma - 1);
    const long size = static_cast<long>(value.size());
    const std::optional<long> start = startText.empty() ? std::optional<long>(0) : wholeNumber(startText, size);
    if (!start)
        return std::nullopt;
    const long from = *start < 0 ? std::max(0L, size + *start) : std::min(*start, size);
    if (comma == std::string::npos)
        return value.substr(static_cast<size_t>(from));
    const std::string lengthText = spec.substr(comma + 1);
    const std::optional<long> length = lengthText.empty() ? std::optional<long>(0) : wholeNumber(lengthText, size);
    if (!length)
        return std::nullopt;
    const long to = *length < 0 ? size + *length : std::min(size, from + *length);
    return to <= from ? std::string() : value.substr(static_cast<size_t>(from), static_cast<size_t>(to - from));
}

// "find=replace": every find (any letter case) replaced; "*find=replace" replaces everything up
// to and with the first find. Nothing when spec holds no "="; a "find" that is empty is cmd's
// syntax error (syntaxError set).
std::optional<std::string> substitutionOf(const std::string& value, const std::string& spec, bool& syntaxError)
{
    const size_t eq = spec.find('=');
    if (eq == std::string::npos)
        return std::nullopt;
    const bool upToFirst = spec[0] == '*';
    const std::string find = spec.substr(upToFirst ? 1 : 0, eq - (upToFirst ? 1 : 0));
    const std::string replace = spec.substr(eq + 1);
    if (find.empty()) {
        syntaxError = true;
        return std::string();
    }
    if (upToFirst) {
        const size_t at = FindNoCase(value, find);
        return at == std::string::npos ? value : replace + value.substr(at + find.size());
    }
    std::string out;
    size_t from = 0;
    for (size_t at; (at = FindNoCase(value, find, from)) != std::string::npos; from = at + find.size())
        out += value.substr(from, at - from) + replace;
    return out + value.substr(from);
}

// The value of a variable as "%NAME%" gives it; nothing when it is not defined. ERRORLEVEL and
// CD are the last exit code and the current folder unless a variable of that name is set.
std::optional<std::string> variableValue(const std::string& name, int errorLevel)
{
    std::string value = GetEnvVar(name);
    if (!value.empty())
        return value;
    if (EqualsNoCase(name, "ERRORLEVEL"))
        return std::to_string(errorLevel);
    if (EqualsNoCase(name, "CD"))
        return FullWinPath(".");
    return std::nullopt;
}

// "%~dp0" and its kin: the letters (f, d, p, n, x) applied to the argument.
std::string argumentParts(const std::string& arg, const std::string& letters)
{
    if (letters.empty())
        return ReplaceAll(arg, "\"", "");
    const std::string full = fullWinPath(arg);
    if (letters.find('f') != std::string::npos)
        return full;
    const size_t slash = full.rfind('\\');
    std::string drive = full.size() >= 2 && full[1] == ':' ? full.substr(0, 2) : std::string();
    const std::string folder = full.substr(drive.size(), slash == std::string::npos ? 0 : slash + 1 - drive.size());
    const std::string file = slash == std::string::npos ? full : full.substr(slash + 1);
    const size_t dot = file.rfind('.');
    std::string out;
    for (char l : std::string("dpnx")) {
        if (letters.find(l) == std::string::npos)
            continue;
        out += l == 'd' ? drive : l == 'p' ? folder : l == 'n' ? file.substr(0, dot) : dot == std::string::npos ? "" : file.substr(dot);
    }
    return out;
}

// The command word may run straight into its argument for a few built-ins: "echo.",
// "cd..", "cd\".
size_t commandWordEnd(const std::string& clean, size_t start)
{
    size_t i = start;
    bool quoted = false;
    for (; i < clean.size(); ++i) {
        char c = clean[i];
        if (c == '"')
            quoted = !quoted;
        else if (!quoted && isBlankChar(c))
            break;
    }
    const std::string word = ToLower(clean.substr(start, i - start));
    for (const char* builtin : {"echo", "cd"}) {
        const size_t n = std::char_traits<char>::length(builtin);
        if (word.size() > n && word.compare(0, n, builtin) == 0 && std::string(".:\\/(").find(word[n]) != std::string::npos)
            return start + n;
    }
    return i;
}

} // namespace

std::string ExpandVariables(const std::string& line, const std::vector<std::string>& batchArgs, int errorLevel,
                            bool* syntaxError)
{
    bool badEdit = false;
    std::string out;
    for (size_t i = 0; i < line.size(); ++i) {
        char c = line[i];
        if (c != '%') {
            out += c;
            continue;
        }
        if (i + 1 >= line.size())
            break; // a lone "%" at the end disappears
        char n = line[i + 1];
        if (n == '%') {
            out += '%';
            ++i;
        } else if (std::isdigit(static_cast<unsigned char>(n))) {
            size_t k = static_cast<size_t>(n - '0');
            if (k < batchArgs.size())
                out += batchArgs[k];
            ++i;
        } else if (n == '~') {
            // "%~" letters and a digit; anything else is no argument form and stays as written.
            size_t k = i + 2;
            while (k < line.size() && std::string("fdpnx").find(static_cast<char>(std::tolower(static_cast<unsigned char>(line[k])))) != std::string::npos)
                ++k;
            if (k >= line.size() || !std::isdigit(static_cast<unsigned char>(line[k]))) {
                out += c;
                continue;
            }
            const size_t arg = static_cast<size_t>(line[k] - '0');
            if (arg < batchArgs.size())
                out += argumentParts(batchArgs[arg], ToLower(line.substr(i + 2, k - i - 2)));
            i = k;
        } else if (n == '*') {
            for (size_t k = 1; k < batchArgs.size(); ++k)
                out += (k > 1 ? " " : "") + batchArgs[k];
            ++i;
        } else {
            // The name runs to the next "%" or ":" ("%a:%" names "a:").
            size_t stop = line.find_first_of("%:", i + 1);
            if (stop == std::string::npos)
                continue; // an unmatched "%" is dropped
            if (line[stop] == ':' && stop + 1 < line.size() && line[stop + 1] == '%')
                ++stop;
            const std::string name = line.substr(i + 1, stop - i - 1);
            const std::optional<std::string> value = variableValue(name, errorLevel);
            if (line[stop] == '%') {
                out += value.value_or(std::string()); // an undefined one gives nothing, as in a batch file
                i = stop;
                continue;
            }
            // "%NAME:" and an edit up to the next "%". Of an undefined variable "%NAME:" goes and
            // the rest is read on, as cmd reads a batch file.
            if (!value) {
                i = stop;
                continue;
            }
            const size_t close = line.find('%', stop + 1);
            const std::string spec = close == std::string::npos ? std::string() : line.substr(stop + 1, close - stop - 1);
            const std::optional<std::string> edited = spec.empty()   ? std::nullopt
                                                      : spec[0] == '~' ? substringOf(*value, spec)
                                                                       : substitutionOf(*value, spec, badEdit);
            if (!edited)
                continue; // no edit cmd knows: the "%" is dropped and the rest read on
            out += *edited;
            i = close;
        }
    }
    if (syntaxError)
        *syntaxError = badEdit;
    return out;
}

BatchCommand ParseBatchLine(const std::string& line)
{
    BatchCommand cmd;
    std::string clean; // the line without its redirections
    bool quoted = false;
    bool afterRedirect = false; // the blanks around a removed redirection collapse to one
    for (size_t i = 0; i < line.size();) {
        char c = line[i];
        if (c == '"') {
            quoted = !quoted;
            clean += c;
            ++i;
            continue;
        }
        if (c == '^' && !quoted) {
            // cmd's escape: the next character is plain text, never an operator.
            if (i + 1 < line.size())
                clean += line[i + 1];
            i += 2;
            afterRedirect = false;
            continue;
        }
        const bool digitRedirect = !quoted && (c == '1' || c == '2') && i + 1 < line.size() && line[i + 1] == '>' &&
                                   (i == 0 || isBlankChar(line[i - 1]));
        if (!quoted && (c == '>' || c == '<' || digitRedirect)) {
            Redirection r;
            if (digitRedirect) {
                r.fd = c - '0';
                ++i;
            } else if (c == '<') {
                r.fd = 0;
            }
            ++i; // the operator
            if (r.fd != 0 && i < line.size() && line[i] == '>') {
                r.append = true;
                ++i;
            }
            if (i + 1 < line.size() && line[i] == '&' && std::isdigit(static_cast<unsigned char>(line[i + 1]))) {
                r.dupFd = line[i + 1] - '0';
                i += 2;
            } else {
                r.target = readWord(line, i);
            }
            cmd.redirections.push_back(r);
            afterRedirect = true;
            continue;
        }
        if (afterRedirect && isBlankChar(c) && !clean.empty() && isBlankChar(clean.back())) {
            ++i;
            continue;
        }
        afterRedirect = afterRedirect && isBlankChar(c);
        clean += c;
        ++i;
    }
    size_t start = 0;
    while (start < clean.size() && isBlankChar(clean[start]))
        ++start;
    const size_t end = commandWordEnd(clean, start);
    std::string nameText = clean.substr(start, end - start);
    cmd.name = ReplaceAll(nameText, "\"", "");
    // cmd skips the one separator after the command word; "echo." and "echo:" use theirs.
    size_t argStart = end;
    cmd.separator = end < clean.size() ? clean[end] : 0;
    if (argStart < clean.size() &&
        (isBlankChar(clean[argStart]) ||
         (EqualsNoCase(cmd.name, "echo") && (clean[argStart] == '.' || clean[argStart] == ':'))))
        ++argStart;
    cmd.argText = clean.substr(argStart);
    cmd.args = SplitWords(cmd.argText);
    return cmd;
}

Device BatchDevice(const std::string& path)
{
    std::string name = ReplaceAll(path, "/", "\\");
    name = name.substr(name.rfind('\\') == std::string::npos ? 0 : name.rfind('\\') + 1);
    if (name.size() == 2 && name[1] == ':')
        return Device::None;
    name = ToLower(name.substr(0, name.find_first_of(".:")));
    if (name == "nul")
        return Device::Nul;
    if (name == "con")
        return Device::Con;
    const bool numbered = name.size() == 4 && (name.compare(0, 3, "com") == 0 || name.compare(0, 3, "lpt") == 0) &&
                          name[3] >= '1' && name[3] <= '9';
    return name == "prn" || name == "aux" || numbered ? Device::Port : Device::None;
}

std::vector<std::string> SplitWords(const std::string& text)
{
    std::vector<std::string> words;
    size_t i = 0;
    for (;;) {
        while (i < text.size() && isBlankChar(text[i]))
            ++i;
        if (i >= text.size())
            break;
        std::string word;
        bool quoted = false;
        for (; i < text.size(); ++i) {
            char c = text[i];
            if (c == '"') {
                quoted = !quoted;
                continue;
            }
            if (!quoted && isBlankChar(c))
                break;
            word += c;
        }
        words.push_back(word);
    }
    return words;
}
