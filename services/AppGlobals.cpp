// Process-wide values of the program.
#include "services/AppGlobals.h"

#include "platform/Environment.h"
#include "platform/TextUtil.h"
#include "platform/WinPath.h"

#include <climits>
#include <unistd.h>

std::string gTempDir;
std::string gIniFile;
std::string gLogFile;

namespace {
std::string withBackslash(std::string p)
{
    if (IsBlank(p))
        return p;
    p = ReplaceAll(p, "/", "\\");
    if (p.back() != '\\')
        p += '\\';
    return p;
}
} // namespace

void InitAppGlobals(const std::string& programDir, const LocalTime& start)
{
    gTempDir = withBackslash(GetEnvVar("TEMP"));
    std::string dir = programDir;
    while (!dir.empty() && dir.back() == '\\')
        dir.pop_back();
    gIniFile = dir + "\\tarnwick.ini";
    std::string log = ReplaceAll(GetEnvVar("TMP"), "/", "\\") + "\\tarnwick" + FormatLocalTime(start, "_yy_mm_dd_hh_nn_ss") + ".log";
    gLogFile = log.size() < 15 ? "c:\\temp\\tarnwick.log" : log;
}

std::string ProgramDir()
{
    char buf[PATH_MAX] = {};
    ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    std::string exe = n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string("/");
    std::string dir = exe.substr(0, exe.rfind('/'));
    return withBackslash(WinPathFromHost(dir));
}
