// Selection of the message service and the default answers of the box styles.
#include "services/MessageService.h"

#include "services/CommandLineMessageService.h"

#include <vector>

namespace {
CommandLineMessageService gCommandLine;
MessageService* gService = &gCommandLine;
} // namespace

MessageService& MessageService::Get() { return *gService; }

void MessageService::Set(MessageService* service) { gService = service ? service : &gCommandLine; }

int MessageService::DefaultAnswer(long style)
{
    using namespace MsgAnswer;
    static const std::vector<std::vector<int>> buttons = {
        {Ok}, {Ok, Cancel}, {Abort, Retry, Ignore}, {Yes, No, Cancel}, {Yes, No}, {Retry, Cancel}};
    const long set = style & 0xF;
    const std::vector<int>& b = set < static_cast<long>(buttons.size()) ? buttons[static_cast<size_t>(set)] : buttons[0];
    size_t def = static_cast<size_t>((style & 0xF00) >> 8);
    return b[def < b.size() ? def : b.size() - 1];
}
