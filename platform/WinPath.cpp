// Windows path mapping onto the stand-in root.
#include "platform/WinPath.h"

#include "platform/FolderCache.h"
#include "platform/TextUtil.h"

#include <cctype>
#include <cstdlib>
#include <dirent.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

bool hostExists(const std::string& p)
{
    struct stat st;
    return ::lstat(p.c_str(), &st) == 0;
}

// Appends the components to base, finding each one without regard to case when the exact
// name is not there.
std::string resolveComponents(std::string base, const std::vector<std::string>& parts)
{
    bool lookup = true;
    for (const std::string& part : parts) {
        if (part.empty())
            continue;
        std::string next = (base == "/" ? base : base + "/");
        std::string candidate = next + part;
        if (lookup && part != "." && part != ".." && !hostExists(candidate)) {
            std::string found;
            if (DIR* d = ::opendir(base.c_str())) {
                while (dirent* e = ::readdir(d)) {
                    if (EqualsNoCase(e->d_name, part)) {
                        found = e->d_name;
                        break;
                    }
                }
                ::closedir(d);
            }
            if (found.empty())
                lookup = false; // nothing below a missing folder can exist
            else
                candidate = next + found;
        }
        base = candidate;
    }
    return base;
}

// File name wildcards as Windows matches them: "*" any run, "?" one character, case ignored.
const GlobRules kFileNameGlob{"*", "?", true};

std::vector<std::string> components(std::string_view rest)
{
    std::vector<std::string> parts = Split(rest, "\\");
    return parts;
}

// The mapping of a path with "/" already turned into "\\".
std::string mapPath(const std::string& p)
{
    if (p.empty())
        return {};
    if (p.size() >= 2 && p[1] == ':' && std::isalpha(static_cast<unsigned char>(p[0]))) {
        std::string base = StandInRoot() + "/drives/" + ToLower(p.substr(0, 1));
        std::string rest = p.substr(2);
        return resolveComponents(base, components(rest));
    }
    if (p.rfind("\\\\", 0) == 0)
        return resolveComponents(StandInRoot() + "/unc", components(p.substr(2)));
    if (p[0] == '\\')
        return resolveComponents("/", components(p.substr(1)));
    char buf[4096];
    std::string cwd = ::getcwd(buf, sizeof buf) ? buf : ".";
    return resolveComponents(cwd, components(p));
}

bool hasDotComponent(const std::string& p)
{
    for (size_t start = 0; start <= p.size();) {
        size_t end = p.find('\\', start);
        if (end == std::string::npos)
            end = p.size();
        const std::string_view part(p.data() + start, end - start);
        if (part == "." || part == "..")
            return true;
        start = end + 1;
    }
    return false;
}

// While a run keeps a folder cache: the host folder of a path's folder, resolved once for the
// run, and the path's last component. Nothing when the path is not absolute or its folder is
// not there.
std::optional<std::pair<std::string, std::string>> cachedFolderOf(const std::string& p)
{
    const bool absolute =
        p[0] == '\\' || (p.size() >= 3 && p[1] == ':' && p[2] == '\\' && std::isalpha(static_cast<unsigned char>(p[0])));
    const size_t slash = p.rfind('\\');
    if (!absolute || slash == std::string::npos || slash == 0 || slash + 1 == p.size() || hasDotComponent(p))
        return std::nullopt;
    if (p.rfind("\\\\", 0) == 0 && p.find('\\', 2) >= slash)
        return std::nullopt; // the folder must be at least a server's share
    const std::string key = p.substr(0, slash);
    const std::string* folder = CachedHostFolder(key);
    if (!folder) {
        const std::string resolved = mapPath(key);
        struct stat st;
        if (resolved.empty() || ::stat(resolved.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
            return std::nullopt;
        KeepHostFolder(key, resolved);
        folder = CachedHostFolder(key);
    }
    return std::make_pair(*folder, p.substr(slash + 1));
}

// A file in a folder the run has resolved before is found in the folder's listing instead of
// by a walk down its folders. Nothing when its name is not listed (in any letter case): the
// caller then maps it as usual, so a file made meanwhile is seen.
std::optional<std::string> cachedHostPath(const std::string& p)
{
    const auto folder = cachedFolderOf(p);
    if (!folder)
        return std::nullopt;
    const std::string* listed = ListedNameNoCase(folder->first, folder->second);
    if (!listed)
        return std::nullopt;
    return folder->first + "/" + *listed;
}

} // namespace

std::string StandInRoot()
{
    if (const char* r = std::getenv("TARNWICK_ROOT"); r && *r)
        return r;
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : "/tmp") + "/.tarnwick/root";
}

std::string HostPath(std::string_view winPathIn)
{
    std::string p = ReplaceAll(std::string(winPathIn), "/", "\\");
    if (p.empty())
        return {};
    if (FolderCacheActive())
        if (std::optional<std::string> cached = cachedHostPath(p))
            return *cached;
    return mapPath(p);
}

std::string WinPathFromHost(std::string_view hostPath)
{
    std::string h(hostPath);
    const std::string root = StandInRoot();
    const std::string drives = root + "/drives/";
    const std::string unc = root + "/unc/";
    if (h.rfind(drives, 0) == 0 && h.size() > drives.size()) {
        std::string rest = h.substr(drives.size());
        std::string letter = ToUpper(rest.substr(0, 1));
        std::string tail = rest.size() > 1 ? rest.substr(1) : std::string();
        return letter + ":" + (tail.empty() ? std::string("\\") : ReplaceAll(tail, "/", "\\"));
    }
    if (h.rfind(unc, 0) == 0)
        return "\\\\" + ReplaceAll(h.substr(unc.size()), "/", "\\");
    return ReplaceAll(h, "/", "\\");
}

bool WildcardMatch(std::string_view pattern, std::string_view name)
{
    std::string p(pattern);
    if (p == "*.*" || p == "*")
        return true;
    // "x.*" also matches "x" without an extension, as on Windows.
    if (p.size() > 2 && p.compare(p.size() - 2, 2, ".*") == 0 && name.find('.') == std::string_view::npos &&
        GlobMatch(p.substr(0, p.size() - 2), name, kFileNameGlob))
        return true;
    return GlobMatch(p, name, kFileNameGlob);
}
