// The desktop opener: xdg-open, found on PATH, for the shell's "execute".
#include "platform/DesktopOpener.h"

#include "platform/AppError.h"
#include "platform/Clock.h"
#include "platform/Environment.h"
#include "platform/HostFiles.h"
#include "platform/Process.h"
#include "platform/TextUtil.h"
#include "platform/WinPath.h"

#include <sys/stat.h>
#include <unistd.h>

namespace {

DesktopOpener gOpener;

constexpr long kShellOk = 42;
constexpr long kShellNoAssociation = 31;
// xdg-open hands most files to a handler and ends at once; one that keeps running longer is
// taken as started, as the shell would report.
constexpr uint64_t kOpenerWaitMs = 5000;

std::string findOnPath(const std::string& name)
{
    for (const std::string& dir : Split(GetEnvVar("PATH"), ":")) {
        if (dir.empty())
            continue;
        std::string p = dir + "/" + name;
        if (::access(p.c_str(), X_OK) == 0)
            return p;
    }
    return {};
}

long xdgOpen(const std::string& op, const std::string& file, const std::string& params, const std::string& dir)
{
    struct stat st;
    const std::string hostFile = HostPath(file);
    if (file.empty() || ::stat(hostFile.c_str(), &st) != 0)
        return 2;
    if (!IsBlank(dir) && !HostFolderExists(dir))
        return 3;
    const std::string opener = findOnPath("xdg-open");
    if (opener.empty())
        return kShellNoAssociation;
    long pid = 0;
    try {
        pid = Process::Start(opener, {hostFile}, 1);
    } catch (const AppError&) {
        return kShellNoAssociation;
    }
    Clock& clock = GetClock();
    const uint64_t deadline = clock.TickMs() + kOpenerWaitMs;
    long code = 0;
    while (!Process::Poll(pid, code)) {
        if (clock.TickMs() >= deadline)
            return kShellOk;
        DoEvents();
        clock.SleepMs(50);
    }
    // xdg-open: 2 file missing, 3 no tool found for it, 4 the action failed.
    switch (code) {
    case 0:
        return kShellOk;
    case 2:
        return 2;
    default:
        return kShellNoAssociation;
    }
}

} // namespace

long OpenWithDesktop(const std::string& op, const std::string& file, const std::string& params, const std::string& dir)
{
    return gOpener ? gOpener(op, file, params, dir) : xdgOpen(op, file, params, dir);
}

void SetDesktopOpener(DesktopOpener opener) { gOpener = std::move(opener); }
