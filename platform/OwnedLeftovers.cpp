// Leftover files named after their process.
#include "platform/OwnedLeftovers.h"

#include "platform/Process.h"
#include "platform/TextUtil.h"
#include "platform/WinPath.h"

#include <cstdio>
#include <filesystem>
#include <sys/stat.h>
#include <vector>

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
        if (LeftoverOwnerGone(std::string_view(name).substr(prefix.size(), name.size() - prefix.size() - suffix.size()),
                              it->path().string()))
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
        if (at == std::string::npos || !LeftoverOwnerGone(std::string_view(middle).substr(0, at), it->path().string()) ||
            !LeftoverOwnerGone(std::string_view(middle).substr(at + suffix.size() + 1), it->path().string()))
            continue;
        if (fs::is_regular_file(fs::symlink_status(it->path(), ec)))
            std::remove(it->path().c_str());
    }
}

namespace {

// The process-id part of "<id>rad<five hex digits><ext>", empty for any other name.
std::string_view workNameOwner(std::string_view name, std::string_view ext)
{
    if (name.size() <= ext.size() || !EqualsNoCase(name.substr(name.size() - ext.size()), ext))
        return {};
    name.remove_suffix(ext.size());
    const size_t digits = name.find_first_not_of("0123456789");
    if (digits == 0 || digits == std::string_view::npos || name.size() != digits + 8 ||
        !EqualsNoCase(name.substr(digits, 3), "rad") ||
        name.substr(digits + 3).find_first_not_of("0123456789abcdefABCDEF") != std::string_view::npos)
        return {};
    return name.substr(0, digits);
}

} // namespace

void RemoveOrphanedWorkFiles(const std::string& winFolder)
{
    std::vector<fs::path> folders, files;
    std::error_code ec;
    for (fs::directory_iterator it(HostPath(winFolder), ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        std::error_code statusError;
        const fs::file_status status = fs::symlink_status(it->path(), statusError);
        if (statusError)
            continue;
        if (fs::is_directory(status) && LeftoverOwnerGone(workNameOwner(name, ""), it->path().string()))
            folders.push_back(it->path());
        else if (fs::is_regular_file(status) &&
                 (LeftoverOwnerGone(workNameOwner(name, ".bat"), it->path().string()) ||
                  LeftoverOwnerGone(workNameOwner(name, ".tmp"), it->path().string())))
            files.push_back(it->path());
    }
    for (const fs::path& folder : folders)
        fs::remove_all(folder, ec);
    for (const fs::path& file : files)
        fs::remove(file, ec);
}

bool LeftoverOwnerGone(std::string_view id, const std::string& hostLeftover)
{
    if (id.empty() || id.size() > 9 || id.find_first_not_of("0123456789") != std::string_view::npos)
        return false;
    struct stat st;
    if (::lstat(hostLeftover.c_str(), &st) != 0)
        return false;
    const auto written = std::chrono::system_clock::time_point(
        std::chrono::duration_cast<std::chrono::system_clock::duration>(
            std::chrono::seconds(st.st_mtim.tv_sec) + std::chrono::nanoseconds(st.st_mtim.tv_nsec)));
    return !Process::MayHaveWritten(std::stol(std::string(id)), written);
}
