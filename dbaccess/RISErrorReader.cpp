// Reading of RIS error blocks out of client output.
#include "dbaccess/RISErrorReader.h"

#include "platform/TextUtil.h"

#include <cctype>
#include <vector>

namespace {

constexpr size_t kFrameWidth = 79;

bool isFrameLine(const std::string& line)
{
    return !line.empty() && line.front() == '*' && line.rfind('*') == kFrameWidth - 1;
}

// A frame line of stars only up to column 79: the line that opens or closes a block.
bool isStarLine(const std::string& line)
{
    return isFrameLine(line) && line.find_first_not_of('*') >= kFrameWidth;
}

bool opensBlock(const std::vector<std::string>& lines, size_t i)
{
    return isFrameLine(lines[i]) && i + 1 < lines.size() && lines[i + 1].find("RIS Error:") != std::string::npos;
}

// The text of a frame line "* text   *" without its frame and blanks.
std::string unframed(const std::string& line)
{
    std::string t = TrimWhite(line);
    if (!t.empty() && t.front() == '*')
        t.erase(0, 1);
    if (!t.empty() && t.back() == '*')
        t.pop_back();
    return Trim(t);
}

// The lines of the output and where its first counting block runs: [first, last] (first the
// opening frame line). False when there is none.
bool firstCountingBlock(const std::string& output, std::vector<std::string>& lines, size_t& first,
                        size_t& last)
{
    if (output.find("**********") == std::string::npos)
        return false;
    lines = Split(ReplaceAll(Trim(output), "\r", ""), "\n");
    for (size_t i = 0; i < lines.size(); ++i) {
        if (!opensBlock(lines, i))
            continue;
        const bool counts = ToUpper(lines[i + 1]).find("RIS_E_CREATE_INDEX") == std::string::npos;
        // The error line belongs to the block whether the client framed it or not (a long code
        // and text push the closing "*" out of column 79); the frame lines after it explain it.
        size_t j = i + 2;
        size_t end = i + 1;
        for (; j < lines.size() && isFrameLine(lines[j]) && !opensBlock(lines, j); ++j) {
            end = j;
            if (isStarLine(lines[j]))
                break;
        }
        if (counts) {
            first = i;
            last = end;
            return true;
        }
        i = j < lines.size() && opensBlock(lines, j) ? j - 1 : j;
    }
    return false;
}

// The line of text that begins at `at`, without its line break; next is where the following
// line begins (the end of the text after the last).
std::string lineAt(const std::string& text, size_t at, size_t& next)
{
    size_t end = text.find('\n', at);
    next = end == std::string::npos ? text.size() : end + 1;
    if (end == std::string::npos)
        end = text.size();
    if (end > at && text[end - 1] == '\r')
        --end;
    return text.substr(at, end - at);
}

// The length of the counting block whose opening frame line begins at `at` of text (maybe after
// other words on that line), up to its closing line of stars (the frame's 79 columns, not what
// follows them on that line) or its last frame line; 0 when no counting block begins there.
size_t countingBlockLength(const std::string& text, size_t at)
{
    size_t next = 0, after = 0;
    const std::string opening = lineAt(text, at, next);
    const std::string error = lineAt(text, next, after);
    if (!isFrameLine(opening) || next >= text.size() || error.find("RIS Error:") == std::string::npos ||
        ToUpper(error).find("RIS_E_CREATE_INDEX") != std::string::npos)
        return 0;
    size_t end = next + error.size();
    for (size_t p = after; p < text.size();) {
        size_t following = 0;
        // The frame's own 79 columns: what the program wrote after a closing line is not its.
        const std::string line = lineAt(text, p, following).substr(0, kFrameWidth);
        if (!isFrameLine(line))
            break;
        if (isStarLine(line))
            return p + kFrameWidth - at;
        // A frame line followed by an error line opens the next block.
        size_t ignored = 0;
        if (following < text.size() && lineAt(text, following, ignored).find("RIS Error:") != std::string::npos)
            break;
        end = p + line.size();
        p = following;
    }
    return end - at;
}

} // namespace

std::string RISErrorText(const std::string& output)
{
    std::vector<std::string> lines;
    size_t first = 0, last = 0;
    if (!firstCountingBlock(output, lines, first, last))
        return {};
    std::string message = lines[first];
    for (size_t k = first + 1; k <= last; ++k)
        message += "\r\n" + lines[k];
    return message;
}

std::string RISErrorMessage(const std::string& output)
{
    std::vector<std::string> lines;
    size_t first = 0, last = 0;
    if (!firstCountingBlock(output, lines, first, last))
        return {};
    // The error line follows the opening frame line, framed or not; the frame lines after it
    // explain it.
    const std::string& error = lines[first + 1];
    std::string message = unframed(error.substr(error.find("RIS Error:")));
    std::string explanation;
    for (size_t k = first + 2; k <= last; ++k) {
        const std::string text = unframed(lines[k]);
        if (text.find_first_not_of('*') == std::string::npos)
            break;
        explanation += (explanation.empty() ? "" : " ") + text;
    }
    return explanation.empty() ? message : message + " - " + explanation;
}

bool RisClientEndedSilently(long exitCode, const std::string& output)
{
    return exitCode != 0 && output.find("RIS Error:") == std::string::npos;
}

std::string RISErrorLine(const std::string& description)
{
    std::string out;
    size_t from = 0;
    for (size_t at = description.find("**********"); at != std::string::npos;
         at = description.find("**********", at + 1)) {
        // A block may begin on the line of what the program said before it ("Loading ... failed: ",
        // "CRIS::DBRead: ", "could not be read again ("), which stays; so does what follows it.
        const size_t length = countingBlockLength(description, at);
        if (length == 0)
            continue;
        std::string before = description.substr(from, at - from);
        while (!before.empty() && std::isspace(static_cast<unsigned char>(before.back())))
            before.pop_back();
        out += before;
        // "failed:" and the block's line stand one blank apart, "(" and the block's line together.
        const bool apart = at > from && std::isspace(static_cast<unsigned char>(description[at - 1]));
        out += (apart && !out.empty() ? " " : "") + RISErrorMessage(description.substr(at, length));
        from = at + length;
        while (from < description.size() && (description[from] == '\r' || description[from] == '\n'))
            ++from;
        // Text that came on a line of its own after the block is set apart by a blank.
        if (from > at + length && from < description.size())
            out += " ";
        at = from - 1;
    }
    return from == 0 ? description : out + description.substr(from);
}
