// svrmgr30.exe: the Oracle server manager. Runs the script given as "@<file>" (else the
// standard input) and writes its console text.
#include "platform/AppError.h"
#include "platform/TextUtil.h"
#include "standins/dbserver/DbServer.h"
#include "standins/dbserver/LockedOutputFile.h"
#include "standins/dbserver/ServerManagerSession.h"

#include <iostream>
#include <iterator>
#include <unistd.h>

int main(int argc, char** argv)
{
    std::string script;
    bool fromFile = false;
    std::string out;
    int failed = 0;
    try {
        // Every argument is checked before the script is read: a run with an argument it cannot
        // follow runs nothing.
        std::string scriptFile;
        for (int i = 1; i < argc; ++i) {
            std::string a = argv[i];
            if (StartsWithNoCase(a, "command="))
                a = a.substr(8);
            if (a.size() < 2 || a[0] != '@')
                throw AppError(1, "svrmgr30",
                               "Unknown option '" + std::string(argv[i]) +
                                   "'; the server manager takes \"@<script>\" (or \"command=@<script>\") alone. "
                                   "Nothing was run.");
            scriptFile = a.substr(1);
            fromFile = true;
        }
        if (fromFile)
            script = ReadClientInputFile(scriptFile);
        else
            script.assign(std::istreambuf_iterator<char>(std::cin), {});
        DbServer server(DbServer::EnvironmentRoot());
        ServerManagerSession session(server);
        failed = session.RunScript(script, out);
    } catch (const AppError& e) {
        out += ServerManagerSession::ScriptFileError(e);
        ++failed;
    }
    // An answer cut short is no answer: the standard error says so, with the answer itself.
    if (const std::string lost = WriteStandardStream(STDOUT_FILENO, out); !lost.empty()) {
        WriteStandardStream(STDERR_FILENO, ServerManagerSession::ScriptFileError(AppError(
                                               1, "svrmgr30",
                                               "The answer of the server manager could not be written to its "
                                               "standard output: " + lost + ". It follows here whole.")) +
                                               out);
        return 1;
    }
    return failed ? 1 : 0;
}
