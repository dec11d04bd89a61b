// Reading of RIS error blocks out of client output.
#include "dbaccess/RISErrorReader.h"

#include "platform/TextUtil.h"

#include <vector>

namespace {

bool IsFrameLine(const std::string& line)
{
    return !line.empty() && line.front() == '*' && line.rfind('*') == 78;
}

} // namespace

std::string RISErrorText(const std::string& output)
{
    if (output.find("**********") == std::string::npos)
        return std::string();
    std::string text = Trim(output);
    text = ReplaceAll(std::move(text), "\r", "");
    const std::vector<std::string> lines = Split(text, "\n");

    bool collect = true;
    int errorCount = 0;
    std::string message;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (!IsFrameLine(lines[i]))
            continue;
        if (i + 1 < lines.size() && lines[i + 1].find("RIS Error:") != std::string::npos) {
            collect = ToUpper(lines[i + 1]).find("RIS_E_CREATE_INDEX") == std::string::npos;
            if (collect && ++errorCount > 1)
                break;
        }
        if (collect) {
            if (!message.empty())
                message += "\r\n";
            message += lines[i];
        }
    }
    return message;
}
