// Source composition of raised errors.
#include "platform/AppError.h"

std::string ComposeErrorSourceWithPart(const std::string& ownName, const std::string& linePart,
                                       const std::string& incoming)
{
    std::string s = ownName + linePart;
    if (!incoming.empty() && incoming != kAppTitle)
        s += ": " + incoming;
    return s;
}

std::string ComposeErrorSource(const std::string& ownName, int line, const std::string& incoming)
{
    return ComposeErrorSourceWithPart(ownName, line != 0 ? ":" + std::to_string(line) : std::string(),
                                      incoming);
}

AppError PassOn(const AppError& e, const std::string& ownName, int line)
{
    return AppError(e.number(), ComposeErrorSource(ownName, line, e.source()), e.description());
}

void RaiseError(const std::string& ownName, const std::string& description, long number)
{
    throw AppError(number, ownName, description);
}
