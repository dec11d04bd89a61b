// Parsing of batch lines the way cmd reads them, for the subset the program writes.
#include "standins/batchcmd/BatchLine.h"

#include "platform/Environment.h"
#include "platform/TextUtil.h"
#include "platform/WinPath.h"

#include <cctype>
#include <unistd.h>

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
    std::string p = ReplaceAll(arg, "\"", "");
    if (!p.empty() && p[0] == '/')
        return WinPathFromHost(p);
    p = ReplaceAll(p, "/", "\\");
    const bool absolute = (p.size() >= 2 && p[1] == ':') || p.rfind("\\", 0) == 0;
    if (absolute)
        return p;
    char buf[4096];
    const std::string cwd = ::getcwd(buf, sizeof buf) ? WinPathFromHost(buf) : std::string();
    return cwd + (!cwd.empty() && cwd.back() == '\\' ? "" : "\\") + p;
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

std::string ExpandVariables(const std::string& line, const std::vector<std::string>& batchArgs, int errorLevel)
{
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
            size_t close = line.find('%', i + 1);
            if (close == std::string::npos)
                continue; // an unmatched "%" is dropped
            const std::string name = line.substr(i + 1, close - i - 1);
            std::string value = GetEnvVar(name);
            // ERRORLEVEL is the last exit code unless a variable of that name was set.
            if (value.empty() && EqualsNoCase(name, "ERRORLEVEL"))
                value = std::to_string(errorLevel);
            out += value;
            i = close;
        }
    }
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
