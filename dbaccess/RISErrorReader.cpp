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

} // namespace

std::string RISErrorText(const std::string& output)
{
    if (output.find("**********") == std::string::npos)
        return std::string();
    std::string text = Trim(output);
    text = ReplaceAll(std::move(text), "\r", "");
    const std::vector<std::string> lines = Split(text, "\n");

    for (size_t i = 0; i < lines.size(); ++i) {
        if (!opensBlock(lines, i))
            continue;
        const bool counts = ToUpper(lines[i + 1]).find("RIS_E_CREATE_INDEX") == std::string::npos;
        std::string message = lines[i];
        size_t j = i + 1;
        for (; j < lines.size() && isFrameLine(lines[j]) && !opensBlock(lines, j); ++j) {
            message += "\r\n" + lines[j];
            if (isStarLine(lines[j]))
                break;
        }
        if (counts)
            return message;
        i = j < lines.size() && opensBlock(lines, j) ? j - 1 : j;
    }
    return std::string();
}

bool RisClientEndedSilently(long exitCode, const std::string& output)
{
    return exitCode != 0 && output.find("RIS Error:") == std::string::npos;
}
