// Splitting a client's answer into lines.
#include "dbaccess/AnswerLines.h"

std::vector<std::string> AnswerLines(std::string_view answer)
{
    std::vector<std::string> lines;
    while (!answer.empty()) {
        const size_t lf = answer.find('\n');
        std::string_view line = answer.substr(0, lf);
        answer.remove_prefix(lf == std::string_view::npos ? answer.size() : lf + 1);
        if (lf != std::string_view::npos && !line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.emplace_back(line);
    }
    return lines;
}
