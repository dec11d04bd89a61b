// Fuzzing the RIS error reader: whatever a client printed, the error text is made only of
// framed lines the output holds.
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
    for (const std::string& line : Split(error, "\r\n")) {
        FuzzCheck(!line.empty() && line.front() == '*', "an error line that is not framed: " + line);
        FuzzCheck(withoutCr.find(line) != std::string::npos, "an error line the output does not hold: " + line);
    }
    return 0;
}
