// Message boxes in tests: answers come from a queue, every box is recorded, nothing blocks.
#pragma once

#include "services/MessageService.h"

#include <deque>
#include <vector>

class ScriptedMessageService : public MessageService {
public:
    struct Asked {
        std::string prompt;
        long style = 0;
        std::string title;
    };

    // Puts itself in place for its lifetime and restores the previous service afterwards.
    ScriptedMessageService();
    ~ScriptedMessageService() override;

    // Queues the answer of the next box. With the queue empty a box gets its default answer.
    void Answer(int answer) { answers_.push_back(answer); }
    int Show(const std::string& prompt, long style, const std::string& title) override;

    const std::vector<Asked>& asked() const { return asked_; }
    size_t pendingAnswers() const { return answers_.size(); }

private:
    MessageService* previous_;
    std::deque<int> answers_;
    std::vector<Asked> asked_;
};
