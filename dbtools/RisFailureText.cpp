// Framed RIS errors put on one line.
#include "dbtools/RisFailureText.h"

#include "dbaccess/RISErrorReader.h"
#include "platform/TextUtil.h"

std::string RisFailureLine(const std::string& description)
{
    const std::string message = RISErrorMessage(description);
    if (message.empty())
        return description;
    // What the program said before the client's block ("Loading ... failed: ") stays.
    const size_t frame = description.find("**********");
    const std::string before = frame == std::string::npos ? std::string() : TrimWhite(description.substr(0, frame));
    return before.empty() ? message : before + " " + message;
}
