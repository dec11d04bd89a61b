// Reading of RIS error blocks out of client output.
#include "dbaccess/RISErrorReader.h"

#include "platform/TextUtil.h"

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
    // The block may begin on the line of what the program said before it ("Loading ... failed: ",
    // "CRIS::DBRead: "), which stays.
    const size_t frame = description.find("**********");
    if (frame == std::string::npos)
        return description;
    const std::string message = RISErrorMessage(description.substr(frame));
    if (message.empty())
        return description;
    const std::string before = TrimWhite(description.substr(0, frame));
    return before.empty() ? message : before + " " + message;
}
