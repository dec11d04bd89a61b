// rislod.exe: the RIS load client. "[-m w] -i <dump> [-l <log>] [-b <bad file>] [-c <commit count>]
// -s <schema> [clear|new] table with data <tables> ...": loads the dump into the schema.
#include "platform/TextUtil.h"
#include "standins/dbserver/DbServer.h"
#include "standins/dbserver/LockedOutputFile.h"
#include "standins/dbserver/RisErrorBlock.h"
#include "standins/dbserver/RisSession.h"
#include "standins/dbserver/RisTransferRequest.h"
#include "standins/dbserver/SchemaLoader.h"

#include <memory>
#include <optional>

int main(int argc, char** argv)
{
    std::string input, logFile, badFile;
    std::vector<std::string> words;
    std::optional<std::string> mode;
    std::string badOption; // an option the client does not know, or one without its value
    bool haveS = false;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        const bool valued = EqualsNoCase(a, "-i") || EqualsNoCase(a, "-l") || EqualsNoCase(a, "-b") ||
                            EqualsNoCase(a, "-c");
        if (haveS)
            words.push_back(a);
        else if (valued && i + 1 >= argc)
            badOption = badOption.empty() ? "Option '" + a + "' is given without its value." : badOption;
        else if (EqualsNoCase(a, "-i"))
            input = argv[++i];
        else if (EqualsNoCase(a, "-l"))
            logFile = argv[++i];
        else if (EqualsNoCase(a, "-b"))
            badFile = argv[++i];
        else if (EqualsNoCase(a, "-c"))
            ++i; // the load is one transaction, so the commit count has nothing to say
        else if (EqualsNoCase(a, "-m"))
            mode = i + 1 < argc ? argv[++i] : "";
        else if (EqualsNoCase(a, "-s"))
            haveS = true;
        else if (a.rfind("-", 0) != 0)
            words.push_back(a);
        else if (badOption.empty())
            badOption = "Unknown option '" + a + "'; the options are -m, -i, -l, -b, -c and -s.";
    }
    if (!haveS)
        words.insert(words.begin(), std::string()); // the schema comes from the dump
    std::string console = "RIS load utility\r\n";
    int rc = 0;
    std::unique_ptr<LockedOutputFile> log, bad;
    try {
        // A run with an option it cannot follow would load otherwise than asked: it reads and
        // writes nothing.
        if (!badOption.empty())
            RaiseRisError("RIS_E_SYNTAX_ERROR", badOption + " Nothing was done.");
        // The mode "w" writes the log and the bad file (anew); no other is known, so a run asking
        // for another cannot say how its files would be written and writes none.
        if (mode && !EqualsNoCase(*mode, "w"))
            RaiseRisError("RIS_E_SYNTAX_ERROR", "Unknown mode '" + *mode +
                                                    "' (-m): \"w\" (write the log and bad files) is the only mode. "
                                                    "Nothing was done.");
        // A relative name from a folder outside the environment names no file to read or write.
        RefuseNoPlace(input, "dump file");
        // An output that is the dump or the other output would empty the dump before it is
        // read, or wait on its own lock.
        RefuseOutputOnto(logFile, "log file", input, "dump file");
        RefuseOutputOnto(badFile, "bad file", input, "dump file");
        RefuseOutputOnto(badFile, "bad file", logFile, "log file");
        // A FIFO would hold the run at its opening for ever; both are looked at before either
        // is created.
        RefuseOddOutput(logFile, "log file");
        RefuseOddOutput(badFile, "bad file");
        // Both files exist after every run that gets this far, also when the load cannot start.
        if (!logFile.empty())
            log = std::make_unique<LockedOutputFile>(logFile, false, "log file");
        if (!badFile.empty())
            bad = std::make_unique<LockedOutputFile>(badFile, false, "bad file");
        if (input.empty())
            RaiseRisError("RIS_E_SYNTAX_ERROR", "No dump file given (-i).");
        RisTransferRequest request = RisTransferRequest::Parse(words);
        if (!request.withData && !request.tables.given)
            RaiseRisError("RIS_E_SYNTAX_ERROR", "\"table with data <tables>\" expected.");
        DbServer server(DbServer::EnvironmentRoot());
        RisSession session(server);
        LoadCounts counts = SchemaLoader(session, bad.get(), log.get()).Load(request, input, console);
        rc = counts.errors ? 1 : 0;
        console += "Load complete.\r\n";
    } catch (const AppError& e) {
        const std::string block = FormatRisErrorBlock(e);
        console += block;
        rc = 1;
        // The log gets the error too, unless the log itself is what failed.
        try {
            if (log)
                log->Write(block);
        } catch (const AppError&) {
        }
    }
    if (log)
        log->Close();
    if (bad)
        bad->Close();
    return AnswerOnConsole("rislod", console, rc);
}
