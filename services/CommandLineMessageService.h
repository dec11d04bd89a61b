// Messages of a run without windows: written to the program log and to stderr as one line each
// (line ends inside a message become blanks), answered with the box's default button, never
// waiting for anyone.
#pragma once

#include "services/MessageService.h"

class CommandLineMessageService : public MessageService {
public:
    int Show(const std::string& prompt, long style, const std::string& title) override;
};
