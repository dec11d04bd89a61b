// Fuzzing the RIS error reader: whatever a client printed, the error text is made only of lines
// the output holds: framed ones, and the "RIS Error:" line after the first, framed or not.
#include "FuzzTargets.h"

#include "dbaccess/RISErrorReader.h"
#include "platform/TextUtil.h"

int FuzzRisError(const uint8_t* data, size_t size)
{
    const std::string output(reinterpret_cast<const char*>(data), size);
    const std::string error = RISErrorText(output);
    if (error.empty())
        return 0;
    // The reader drops every CR first, so a lone CR joins the text around it into one line.
    const std::string withoutCr = ReplaceAll(output, "\r", "");
    const std::vector<std::string> lines = Split(error, "\r\n");
    FuzzCheck(lines.size() >= 2 && lines[1].find("RIS Error:") != std::string::npos,
              "a block without its error line: " + error);
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        FuzzCheck(i == 1 || (!line.empty() && line.front() == '*'), "an error line that is not framed: " + line);
        FuzzCheck(withoutCr.find(line) != std::string::npos, "an error line the output does not hold: " + line);
    }
    return 0;
}
