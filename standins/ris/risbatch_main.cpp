// risbatch.exe: the RIS batch client. Runs the statements of the input file (-i, else the
// standard input) and writes the answers to the output file (-o, else the console).
#include "platform/TextUtil.h"
#include "standins/dbserver/DbServer.h"
#include "standins/dbserver/LockedOutputFile.h"
#include "standins/dbserver/RisErrorBlock.h"
#include "standins/dbserver/RisSession.h"

#include <iostream>
#include <iterator>
#include <memory>

int main(int argc, char** argv)
{
    std::string input, output;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if ((EqualsNoCase(a, "-i") || EqualsNoCase(a, "-o")) && i + 1 < argc)
            (EqualsNoCase(a, "-i") ? input : output) = argv[++i];
    }
    std::unique_ptr<LockedOutputFile> outFile;
    std::string answers;
    int failed = 0;
    try {
        RefuseOutputOnto(output, "output file", input, "input file");
        if (!output.empty())
            outFile = std::make_unique<LockedOutputFile>(output);
        std::string text = input.empty() ? std::string(std::istreambuf_iterator<char>(std::cin), {})
                                         : ReadClientInputFile(input);
        if (input.empty())
            CheckClientText(text, "standard input");
        DbServer server(DbServer::EnvironmentRoot());
        RisSession session(server);
        failed = session.RunBatch(text, answers);
    } catch (const AppError& e) {
        answers += FormatRisErrorBlock(e);
        ++failed;
    }
    if (outFile) {
        try {
            outFile->Write(answers);
        } catch (const AppError& e) {
            // The statements ran, but their answers are lost: the console says so.
            std::cout << FormatRisErrorBlock(e);
            ++failed;
        }
        outFile->Close();
    } else {
        std::cout << answers;
    }
    std::cout << "risbatch: " << (failed ? std::to_string(failed) + " statement(s) failed" : "done") << "\r\n";
    return failed ? 1 : 0;
}
