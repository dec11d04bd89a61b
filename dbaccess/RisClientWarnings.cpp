// The warnings of a RIS client.
#include "dbaccess/RisClientWarnings.h"

#include "dbaccess/AnswerLines.h"

std::vector<std::string> RisClientWarnings(const std::string& output)
{
    static const std::string kWord = "Warning: ";
    std::vector<std::string> warnings;
    for (const std::string& line : AnswerLines(output))
        if (line.rfind(kWord, 0) == 0 && line.size() > kWord.size())
            warnings.push_back(line.substr(kWord.size()));
    return warnings;
}
