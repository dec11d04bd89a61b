// svrmgr30.exe: the Oracle server manager. Runs the script given as "@<file>" (else the
// standard input) and writes its console text.
#include "platform/AppError.h"
#include "standins/dbserver/DbServer.h"
#include "standins/dbserver/LockedOutputFile.h"
#include "standins/dbserver/ServerManagerSession.h"

#include <iostream>
#include <iterator>

int main(int argc, char** argv)
{
    std::string script;
    bool fromFile = false;
    std::string out;
    int failed = 0;
    try {
        for (int i = 1; i < argc; ++i) {
            std::string a = argv[i];
            if (a.rfind("command=", 0) == 0)
                a = a.substr(8);
            if (!a.empty() && a[0] == '@') {
                script = ReadClientInputFile(a.substr(1));
                fromFile = true;
            }
        }
        if (!fromFile)
            script.assign(std::istreambuf_iterator<char>(std::cin), {});
        DbServer server(DbServer::EnvironmentRoot());
        ServerManagerSession session(server);
        failed = session.RunScript(script, out);
    } catch (const AppError& e) {
        out += "MGR-00001: " + e.description() + "\r\n";
        ++failed;
    }
    std::cout << out;
    return failed ? 1 : 0;
}
