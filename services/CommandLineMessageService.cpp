// Non-blocking messages for command-line runs.
#include "services/CommandLineMessageService.h"

#include "platform/TextUtil.h"
#include "services/ProgramLog.h"

#include <iostream>

int CommandLineMessageService::Show(const std::string& prompt, long style, const std::string& title)
{
    // One whole line per message: whoever reads stderr line by line gets each message whole.
    const std::string text = ReplaceAll(ReplaceAll(ReplaceAll(prompt, "\r\n", " "), "\n", " "), "\r", " ");
    const std::string line = title.empty() ? text : title + ": " + text;
    std::cerr << line << std::endl;
    try {
        WriteProgramLog(line);
    } catch (...) {
        // A message must reach the user even when the log cannot be written: stderr has it.
    }
    return DefaultAnswer(style);
}
