// Leftover files named after their process.
#include "platform/OwnedLeftovers.h"

#include "platform/Process.h"
#include "platform/TextUtil.h"
#include "platform/WinPath.h"

#include <cstdio>
#include <filesystem>

namespace fs = std::filesystem;

std::string OwnedLeftoverName(const std::string& winFile, const std::string& suffix)
{
    return winFile + "." + std::to_string(Process::CurrentId()) + suffix;
}

void RemoveOrphanedLeftovers(const std::string& winFile, const std::string& suffix)
{
    const fs::path host(HostPath(winFile));
    const std::string prefix = host.filename().string() + ".";
    std::error_code ec;
    for (fs::directory_iterator it(host.parent_path(), ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.size() <= prefix.size() + suffix.size() || !EqualsNoCase(name.substr(0, prefix.size()), prefix) ||
            !EndsWithNoCase(name, suffix))
            continue;
        const std::string id = name.substr(prefix.size(), name.size() - prefix.size() - suffix.size());
        if (id.size() > 9 || id.find_first_not_of("0123456789") != std::string::npos)
            continue;
        const long pid = std::stol(id);
        if (pid == Process::CurrentId() || !Process::Gone(pid))
            continue;
        std::remove(it->path().c_str());
    }
}
