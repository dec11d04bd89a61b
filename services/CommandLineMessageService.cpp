// Non-blocking messages for command-line runs.
#include "services/CommandLineMessageService.h"

#include "services/ProgramLog.h"

#include <iostream>

int CommandLineMessageService::Show(const std::string& prompt, long style, const std::string& title)
{
    const std::string line = title.empty() ? prompt : title + ": " + prompt;
    std::cerr << line << std::endl;
    try {
        WriteProgramLog(line);
    } catch (...) {
        // A message must reach the user even when the log cannot be written: stderr has it.
    }
    return DefaultAnswer(style);
}
