// risbatch.exe: the RIS batch client. "[-i <input file>] [-o <output file>]": runs the
// statements of the input file (else the standard input) and writes the answer of each to the
// output file (else the console) as it ends.
#include "platform/TextUtil.h"
#include "standins/dbserver/DbServer.h"
#include "standins/dbserver/LockedOutputFile.h"
#include "standins/dbserver/RisErrorBlock.h"
#include "standins/dbserver/RisSession.h"

#include <iostream>
#include <iterator>
#include <memory>
#include <optional>
#include <unistd.h>

namespace {

struct Options {
    std::string input, output;
    std::string refused; // why the command line cannot be followed; empty when it can
};

Options readOptions(int argc, char** argv)
{
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool input = EqualsNoCase(a, "-i"), output = EqualsNoCase(a, "-o");
        std::string why;
        if ((input || output) && i + 1 >= argc)
            why = "Option '" + a + "' is given without its value.";
        else if (input || output)
            (input ? o.input : o.output) = argv[++i];
        else if (a.rfind("-", 0) == 0)
            why = "Unknown option '" + a + "'; the options are -i and -o.";
        else
            why = "Unexpected argument '" + a + "'; the options are -i and -o.";
        if (o.refused.empty())
            o.refused = why;
    }
    return o;
}

// A statement whose answer could not be written to the output file, and what stood after it.
struct LostAnswer {
    std::string statement; // empty for the closing note of rolled-back work
    bool failed = false;   // its answer was its error
    bool committed = false;
};

// What the console says after the answer of a statement that ran was lost on its way to the
// output file: that the statement ran, what of its work stands, and that nothing later ran.
std::string lostAnswerText(const LostAnswer& lost, std::string why, const std::string& where)
{
    if (!why.empty() && why.back() != '.')
        why += '.';
    if (lost.statement.empty())
        return why + " The uncommitted work had been rolled back; that note was lost.";
    std::string flat = TrimWhite(ReplaceAll(ReplaceAll(lost.statement, "\r", " "), "\n", " "));
    if (flat.size() > 80)
        flat = flat.substr(0, 77) + "...";
    std::string stands = lost.failed      ? "ran and failed; its error is lost with the answer"
                         : lost.committed ? "ran, and all work up to it is committed; its answer is lost"
                                          : "ran, but its answer is lost and its work, which was not committed yet, "
                                            "was rolled back with the rest of the uncommitted work";
    return why + " The statement '" + flat + "' " + stands + ". Every statement before it ran as its answer in the "
           "output file says; no later statement was run.";
}

} // namespace

int main(int argc, char** argv)
{
    const Options options = readOptions(argc, argv);
    // What goes to the console: the standard output, and the standard error once that output
    // has failed, so that the run's end is said somewhere and it never ends 0.
    bool consoleLost = false;
    auto say = [&](const std::string& text) {
        if (!consoleLost && WriteStandardStream(STDOUT_FILENO, text).empty())
            return;
        consoleLost = true;
        WriteStandardStream(STDERR_FILENO, text);
    };
    if (!options.refused.empty()) {
        // A run that cannot follow its command line would read or answer elsewhere than asked:
        // it runs, reads and writes nothing.
        say(FormatRisErrorBlock("RIS_E_SYNTAX_ERROR", options.refused + " Nothing was done.") +
            "risbatch: nothing was run\r\n");
        return 1;
    }
    std::unique_ptr<LockedOutputFile> outFile;
    std::unique_ptr<DbServer> server; // outlives the session that works on it
    std::unique_ptr<RisSession> session;
    int failed = 0;
    std::optional<LostAnswer> lost;
    // Each answer is written as its statement ends: a client killed half way has written the
    // answers of every statement that ran.
    auto answer = [&](const std::string& text, const std::string& statement) {
        try {
            if (outFile) {
                outFile->Write(text);
            } else if (const std::string why = WriteStandardStream(STDOUT_FILENO, text); !why.empty()) {
                consoleLost = true;
                RaiseRisError("RIS_E_CANT_WRITE_FILE",
                              "The answer of risbatch could not be written to its standard output: " + why);
            }
        } catch (const AppError&) {
            if (session)
                lost = LostAnswer{statement, text.find("RIS Error:") != std::string::npos, !session->WorkOpen()};
            throw;
        }
    };
    try {
        RefuseOutputOnto(options.output, "output file", options.input, "input file");
        if (!options.output.empty())
            outFile = std::make_unique<LockedOutputFile>(options.output);
        std::string text = options.input.empty() ? std::string(std::istreambuf_iterator<char>(std::cin), {})
                                                 : ReadClientInputFile(options.input);
        if (options.input.empty())
            CheckClientText(text, "standard input");
        server = std::make_unique<DbServer>(DbServer::EnvironmentRoot());
        session = std::make_unique<RisSession>(*server);
        failed = session->RunBatch(text, answer);
    } catch (const AppError& e) {
        ++failed;
        if (lost) {
            // The statement ran and what it did stands as the session left it; only its answer
            // is gone, and the output file cannot take this note either: the console says it.
            say(FormatRisErrorBlock(RisErrorName(e), lostAnswerText(*lost, e.description(),
                                                                    outFile ? "output file" : "standard output")));
        } else {
            try {
                answer(FormatRisErrorBlock(e), std::string());
            } catch (const AppError& alsoLost) {
                say(FormatRisErrorBlock(e) + FormatRisErrorBlock(alsoLost));
            }
        }
    }
    if (outFile)
        outFile->Close();
    say(std::string("risbatch: ") +
        (lost     ? "the answer of a statement that ran was lost"
         : failed ? std::to_string(failed) + " statement(s) failed"
                  : "done") +
        "\r\n");
    return failed || consoleLost ? 1 : 0;
}
