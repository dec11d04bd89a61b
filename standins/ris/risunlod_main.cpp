// risunlod.exe: the RIS unload client. "-o <dump>" with "-f <parameter file>" (the request on
// its first line) or "-s <schema> <request words>"; writes the dump and its progress.
#include "dbaccess/DumpFormat.h"
#include "platform/TextUtil.h"
#include "standins/dbserver/DbServer.h"
#include "standins/dbserver/LockedOutputFile.h"
#include "standins/dbserver/RisErrorBlock.h"
#include "standins/dbserver/RisSession.h"
#include "standins/dbserver/RisTransferRequest.h"
#include "standins/dbserver/SchemaUnloader.h"

#include <optional>

int main(int argc, char** argv)
{
    std::string output, paramFile;
    std::vector<std::string> words;
    std::optional<std::string> mode;
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
        } else if (EqualsNoCase(a, "-m")) {
            mode = i + 1 < argc ? argv[++i] : "";
        }
    }
    std::string console = "RIS unload utility\r\n";
    int rc = 0;
    try {
        // The mode "w" writes the output file (anew); no other is known.
        if (mode && !EqualsNoCase(*mode, "w"))
            RaiseRisError("RIS_E_SYNTAX_ERROR", "Unknown mode '" + *mode +
                                                    "' (-m): \"w\" (write the output file) is the only mode. "
                                                    "Nothing was done.");
        if (output.empty())
            RaiseRisError("RIS_E_SYNTAX_ERROR", "No output file given (-o).");
        RefuseOutputOnto(output, "dump file", paramFile, "parameter file");
        if (!paramFile.empty()) {
            std::string text = ReadClientInputFile(paramFile);
            if (text.substr(0, DumpFormat::kUtf8Mark.size()) == DumpFormat::kUtf8Mark)
                text = text.substr(DumpFormat::kUtf8Mark.size());
            // One request, one schema, one dump: a second request line would go unloaded.
            const size_t end = text.find_first_of("\r\n");
            if (end != std::string::npos && !TrimWhite(text.substr(end)).empty())
                RaiseRisError("RIS_E_SYNTAX_ERROR", "The parameter file '" + paramFile +
                                                        "' holds more than one line; one run unloads one request of "
                                                        "one schema. Nothing was done.");
            words = RisTransferRequest::SplitWords(text.substr(0, end));
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
        rc = 1; // and the output is as it was: no file where there was none
    }
    return AnswerOnConsole("risunlod", console, rc);
}
