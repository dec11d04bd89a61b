// The character checks of paths.
#include "services/PathCharacters.h"

#include "platform/AppError.h"

std::string DescribeCharacter(char c)
{
    const auto code = static_cast<unsigned char>(c);
    if (code < 0x20 || code == 0x7f)
        return "a control character (code " + std::to_string(code) + ")";
    return std::string("the character '") + c + "'";
}

std::string ForbiddenPathCharacter(const std::string& path, bool wildcards)
{
    for (char c : path) {
        const auto code = static_cast<unsigned char>(c);
        if (code < 0x20 || code == 0x7f || c == '"' || c == '<' || c == '>' || c == '|' ||
            (!wildcards && (c == '*' || c == '?')))
            return DescribeCharacter(c);
    }
    return std::string();
}

void CheckPathCharacters(const std::string& kind, const std::string& path, bool wildcards)
{
    const std::string fault = ForbiddenPathCharacter(path, wildcards);
    if (!fault.empty())
        throw AppError(1, "", kind + " '" + path + "' holds " + fault + ", which no path may hold");
}
