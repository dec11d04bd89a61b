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
        if (LeftoverOwnerGone(std::string_view(name).substr(prefix.size(), name.size() - prefix.size() - suffix.size())))
            std::remove(it->path().c_str());
    }
}

void RemoveOrphanedLeftoverParts(const std::string& winFile, const std::string& suffix, const std::string& partSuffix)
{
    const fs::path host(HostPath(winFile));
    const std::string prefix = host.filename().string() + ".";
    std::error_code ec;
    for (fs::directory_iterator it(host.parent_path(), ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.size() <= prefix.size() + partSuffix.size() || !EqualsNoCase(name.substr(0, prefix.size()), prefix) ||
            !EndsWithNoCase(name, partSuffix))
            continue;
        // "<id1><suffix>.<id2>" between the prefix and the part suffix.
        const std::string middle = name.substr(prefix.size(), name.size() - prefix.size() - partSuffix.size());
        const size_t at = FindNoCase(middle, suffix + ".");
        if (at == std::string::npos || !LeftoverOwnerGone(std::string_view(middle).substr(0, at)) ||
            !LeftoverOwnerGone(std::string_view(middle).substr(at + suffix.size() + 1)))
            continue;
        if (fs::is_regular_file(fs::symlink_status(it->path(), ec)))
            std::remove(it->path().c_str());
    }
}

bool LeftoverOwnerGone(std::string_view id)
{
    if (id.empty() || id.size() > 9 || id.find_first_not_of("0123456789") != std::string_view::npos)
        return false;
    return Process::Gone(std::stol(std::string(id)));
}
