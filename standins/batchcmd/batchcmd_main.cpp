// batchcmd: runs a batch file ("batchcmd file.bat [args]") or one command ("batchcmd /c line").
#include "platform/TextUtil.h"
#include "standins/batchcmd/BatchInterpreter.h"

#include <string>
#include <vector>

int main(int argc, char** argv)
{
    if (argc < 2)
        return 0;
    BatchInterpreter interpreter;
    const std::string first = argv[1];
    if (EqualsNoCase(first, "/c") || EqualsNoCase(first, "/k")) {
        std::vector<std::string> words(argv + 2, argv + argc);
        return interpreter.RunLine(Join(words, " "));
    }
    std::vector<std::string> args(argv + 2, argv + argc);
    return interpreter.RunFile(first, args);
}
