// Process-wide values of the program.
#include "services/AppGlobals.h"

#include "platform/Environment.h"
#include "platform/Process.h"
#include "platform/TextUtil.h"
#include "platform/WinPath.h"
#include "services/FileOperation.h"

std::string gTempDir;
std::string gIniFile;
std::string gLogFile;

void InitAppGlobals(const std::string& programDir, const LocalTime& start)
{
    gTempDir = AddBackslash(GetEnvVar("TEMP"));
    std::string dir = programDir;
    while (!dir.empty() && dir.back() == '\\')
        dir.pop_back();
    gIniFile = dir + "\\tarnwick.ini";
    std::string log = TmpFile("tarnwick" + FormatLocalTime(start, "_yy_mm_dd_hh_nn_ss") + ".log");
    gLogFile = log.size() < 15 ? "c:\\temp\\tarnwick.log" : log;
}

std::string TmpFile(const std::string& name)
{
    std::string folder = ReplaceAll(GetEnvVar("TMP"), "/", "\\");
    while (!folder.empty() && folder.back() == '\\')
        folder.pop_back();
    return folder + "\\" + name;
}

std::string ProgramDir()
{
    std::string exe = Process::ExecutablePath();
    if (exe.empty())
        exe = "/";
    std::string dir = exe.substr(0, exe.rfind('/'));
    return AddBackslash(WinPathFromHost(dir));
}
