// risbatch.exe: the RIS batch client. Runs the statements of the input file (-i, else the
// standard input) and writes the answer of each to the output file (-o, else the console) as
// it ends.
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
    int failed = 0;
    bool outputLost = false;
    // Each answer is written as its statement ends: a client killed half way has written the
    // answers of every statement that ran.
    auto answer = [&](const std::string& text) {
        if (!outFile) {
            std::cout << text << std::flush;
            return;
        }
        try {
            outFile->Write(text);
        } catch (const AppError&) {
            outputLost = true;
            throw;
        }
    };
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
        failed = session.RunBatch(text, answer);
    } catch (const AppError& e) {
        ++failed;
        if (outputLost) {
            // The statements before ran and stand, but their answers are lost: the console says so.
            std::cout << FormatRisErrorBlock(RisErrorName(e), e.description() +
                                                                  " The statements before ran; no later statement "
                                                                  "was run.");
        } else {
            try {
                answer(FormatRisErrorBlock(e));
            } catch (const AppError& lost) {
                std::cout << FormatRisErrorBlock(e) << FormatRisErrorBlock(lost);
            }
        }
    }
    if (outFile)
        outFile->Close();
    std::cout << "risbatch: " << (failed ? std::to_string(failed) + " statement(s) failed" : "done") << "\r\n";
    return failed ? 1 : 0;
}
