// Scripted message answers for tests.
#include "services/ScriptedMessageService.h"

ScriptedMessageService::ScriptedMessageService() : previous_(&MessageService::Get()) { MessageService::Set(this); }

ScriptedMessageService::~ScriptedMessageService() { MessageService::Set(previous_); }

int ScriptedMessageService::Show(const std::string& prompt, long style, const std::string& title)
{
    asked_.push_back({prompt, style, title});
    if (answers_.empty())
        return DefaultAnswer(style);
    int a = answers_.front();
    answers_.pop_front();
    return a;
}
