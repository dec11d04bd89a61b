// risunlod.exe: the RIS unload client. "-o <dump>" with "-f <parameter file>" (the request on
// its first line) or "-s <schema> <request words>"; writes the dump and its progress.
#include "platform/TextUtil.h"
#include "platform/HostFiles.h"
#include "standins/dbserver/DbServer.h"
#include "standins/dbserver/LockedOutputFile.h"
#include "standins/dbserver/RisErrorBlock.h"
#include "standins/dbserver/RisSession.h"
#include "standins/dbserver/RisTransferRequest.h"
#include "standins/dbserver/SchemaUnloader.h"

#include <iostream>

int main(int argc, char** argv)
{
    std::string output, paramFile;
    std::vector<std::string> words;
    bool haveS = false;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (haveS) {
            words.push_back(a);
        } else if (EqualsNoCase(a, "-o") && i + 1 < argc) {
            output = argv[++i];
        } else if (EqualsNoCase(a, "-f") && i + 1 < argc) {
            paramFile = argv[++i];
        } else if (EqualsNoCase(a, "-s")) {
            haveS = true;
        } else if (EqualsNoCase(a, "-m") && i + 1 < argc) {
            ++i; // the mode: "w" (write a file) is the only one
        }
    }
    std::string console = "RIS unload utility\r\n";
    int rc = 0;
    try {
        if (output.empty())
            RaiseRisError("RIS_E_SYNTAX_ERROR", "No output file given (-o).");
        RefuseOutputOnto(output, "dump file", paramFile, "parameter file");
        if (!paramFile.empty()) {
            std::string text = ReadClientInputFile(paramFile);
            words = RisTransferRequest::SplitWords(text.substr(0, text.find_first_of("\r\n")));
        }
        RisTransferRequest request = RisTransferRequest::Parse(words);
        DbServer server(DbServer::EnvironmentRoot());
        RisSession session(server);
        // The unloader checks the request before it writes and replaces the output only with
        // a whole dump, so a failed run leaves the previous file as it was.
        SchemaUnloader(session).Unload(request, output, console);
        console += "Unload complete.\r\n";
    } catch (const AppError& e) {
        console += FormatRisErrorBlock(e);
        rc = 1;
        // Every file named on the command line exists after the run.
        if (!output.empty() && !HostFileExists(output)) {
            try {
                LockedOutputFile empty(output);
            } catch (const AppError&) {
            }
        }
    }
    std::cout << console;
    return rc;
}
