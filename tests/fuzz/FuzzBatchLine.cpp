// Fuzzing the batch line parser of the command interpreter: every line of the input expanded
// split at its operators and taken apart as the interpreter does.
#include "FuzzTargets.h"

#include "platform/TextUtil.h"
#include "standins/batchcmd/BatchLine.h"
#include "standins/batchcmd/BatchOperators.h"

namespace {

const std::vector<std::string> kBatchArgs = {"script.bat", "first arg", "%2", "\"quoted\""};

} // namespace

int FuzzBatchLine(const uint8_t* data, size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    for (std::string line : Split(input, "\n")) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const std::string expanded = ExpandVariables(line, kBatchArgs, 1);
        const SplitBatchLine split = SplitOperators(expanded);
        for (const LineStep& step : split.steps) {
            for (const std::string& part : step.pipeline) {
                const BatchCommand command = ParseBatchLine(part);
                // cmd's handles are 0 to 9.
                for (const Redirection& r : command.redirections)
                    FuzzCheck(r.fd >= 0 && r.fd <= 9 && r.dupFd >= -1 && r.dupFd <= 9,
                              "a redirection beyond cmd's handles");
                SplitWords(command.argText);
            }
        }
        SplitWords(line);
    }
    return 0;
}
