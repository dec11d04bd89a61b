// Windows path mapping onto the stand-in root.
#include "platform/WinPath.h"

#include "platform/FolderCache.h"
#include "platform/TextUtil.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// Where a path of a server or share no server can have leads: below a device file, where
// every open, listing and creation fails (ENOTDIR), for root too.
constexpr const char* kNowhere = "/dev/null/unreachable";

// What a full path stands on, and the names below it.
enum class Anchor { Drive, Unc, Rooted, Nowhere };

struct PathParts {
    Anchor anchor = Anchor::Rooted;
    std::string drive;              // the letter as written
    std::string server, share;      // share empty for "\\server" alone
    std::vector<std::string> names; // below the anchor: never "", "." or ".."
    bool trailingSlash = false;
};

bool isDriveLetter(char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; }

// Takes the names of rest (separated by sep) into parts, "." and ".." as Windows takes them:
// ".." above the anchor stays at the anchor.
void appendNames(PathParts& parts, std::string_view rest, std::string_view sep)
{
    // Taken name by name from the text, without a list of the pieces first: every file test of
    // a check maps a path here.
    for (size_t start = 0; start <= rest.size();) {
        const size_t end = std::min(rest.find(sep, start), rest.size());
        const std::string_view name = rest.substr(start, end - start);
        start = end + sep.size();
        if (name.empty() || name == ".")
            continue;
        if (name == "..") {
            if (!parts.names.empty())
                parts.names.pop_back();
            continue;
        }
        parts.names.emplace_back(name);
    }
}

// The names of an absolute host path below folder (an absolute host path without a trailing
// "/"), or nothing when the path does not lie below it.
std::optional<std::vector<std::string>> namesBelow(const std::vector<std::string>& host,
                                                   const std::vector<std::string>& folder)
{
    if (host.size() < folder.size() || !std::equal(folder.begin(), folder.end(), host.begin()))
        return std::nullopt;
    return std::vector<std::string>(host.begin() + static_cast<long>(folder.size()), host.end());
}

std::vector<std::string> hostNames(std::string_view absoluteHost)
{
    PathParts parts;
    appendNames(parts, absoluteHost, "/");
    return parts.names;
}

// The root's names as given and, when that differs, as resolved: a current folder read back
// from the host is resolved, so a link in the root's path must not hide it.
std::vector<std::vector<std::string>> rootForms()
{
    const std::string root = StandInRoot();
    std::vector<std::vector<std::string>> forms;
    if (root.empty() || root[0] != '/')
        return forms;
    forms.push_back(hostNames(root));
    static std::string resolvedFor, resolved;
    if (resolvedFor != root) {
        char buf[PATH_MAX];
        if (!::realpath(root.c_str(), buf))
            return forms; // not there yet: nothing below it can be a current folder either
        resolvedFor = root;
        resolved = buf;
    }
    std::vector<std::string> names = hostNames(resolved);
    if (names != forms.front())
        forms.push_back(std::move(names));
    return forms;
}

// The Windows parts of an absolute host path: a drive or share of the root, else rooted.
PathParts partsOfHost(std::string_view host)
{
    PathParts parts;
    parts.names = hostNames(host);
    parts.trailingSlash = host.size() > 1 && host.back() == '/';
    for (std::vector<std::string> root : rootForms()) {
        root.push_back("drives");
        if (auto below = namesBelow(parts.names, root); below && !below->empty() && below->front().size() == 1 &&
                                                        isDriveLetter(below->front()[0])) {
            parts.anchor = Anchor::Drive;
            parts.drive = ToUpper(below->front());
            parts.names.assign(below->begin() + 1, below->end());
            return parts;
        }
        root.back() = "unc";
        if (auto below = namesBelow(parts.names, root); below && !below->empty()) {
            parts.anchor = Anchor::Unc;
            parts.server = below->front();
            parts.share = below->size() > 1 ? (*below)[1] : std::string();
            parts.names.assign(below->begin() + std::min<long>(2, static_cast<long>(below->size())), below->end());
            return parts;
        }
    }
    return parts;
}

// The current folder as it was reached: PWD when it still names the folder we are in (a link
// inside a drive that points elsewhere stays on that drive, as a junction does on Windows),
// else the resolved one. Only a folder of a drive or of a share is a place a relative path can
// go on from: any other (a host folder outside the environment, a server without a share) is
// Nowhere, so that no relative path and no ".." from it reaches the host.
PathParts currentFolder()
{
    char* cwd = ::get_current_dir_name();
    PathParts parts = partsOfHost(cwd ? cwd : "/");
    std::free(cwd);
    if (parts.anchor == Anchor::Rooted || (parts.anchor == Anchor::Unc && parts.share.empty()))
        parts.anchor = Anchor::Nowhere;
    return parts;
}


bool noServerName(const std::string& name) { return name.empty() || name == "." || name == ".."; }

// The full parts of a path with "/" already turned into "\".
PathParts parse(const std::string& p)
{
    PathParts parts;
    if (p.size() >= 2 && p[1] == ':' && isDriveLetter(p[0])) {
        const std::string_view rest = std::string_view(p).substr(2);
        // "C:x" goes on from the current folder when that is on drive C, else from its root.
        if (rest.empty() || rest[0] != '\\') {
            PathParts cwd = currentFolder();
            if (cwd.anchor == Anchor::Drive && EqualsNoCase(cwd.drive, p.substr(0, 1)))
                parts.names = std::move(cwd.names);
        }
        parts.anchor = Anchor::Drive;
        parts.drive = p.substr(0, 1);
        appendNames(parts, rest, "\\");
    } else if (p.rfind("\\\\", 0) == 0) {
        std::vector<std::string> words = Split(std::string_view(p).substr(2), "\\");
        parts.anchor = Anchor::Unc;
        parts.server = words[0];
        parts.share = words.size() > 1 ? words[1] : std::string();
        // The server and share are the root of the path, never names ".." could leave.
        const bool moreAfterNoShare = parts.share.empty() && words.size() > 2;
        if (noServerName(parts.server) || parts.share == "." || parts.share == ".." || moreAfterNoShare)
            parts.anchor = Anchor::Nowhere;
        for (size_t k = 2; k < words.size(); ++k)
            appendNames(parts, words[k], "\\");
    } else if (p[0] == '\\') {
        appendNames(parts, std::string_view(p).substr(1), "\\");
    } else {
        parts = currentFolder();
        appendNames(parts, p, "\\");
    }
    parts.trailingSlash = p.back() == '\\';
    return parts;
}

// The Windows text of the parts with only their first `count` names (all by default), as the
// folder of the last one.
std::string winText(const PathParts& parts, size_t count = std::string::npos)
{
    const size_t names = std::min(count, parts.names.size());
    std::string text;
    switch (parts.anchor) {
    case Anchor::Drive:
        text = parts.drive + ":";
        break;
    case Anchor::Unc:
        text = "\\\\" + parts.server + (parts.share.empty() ? std::string() : "\\" + parts.share);
        break;
    case Anchor::Rooted:
    case Anchor::Nowhere:
        break;
    }
    for (size_t k = 0; k < names; ++k) {
        text += '\\';
        text += parts.names[k];
    }
    const bool trailingSlash = names == parts.names.size() && parts.trailingSlash;
    if (names == 0 ? parts.anchor != Anchor::Unc || trailingSlash : trailingSlash)
        text += "\\";
    return text;
}

bool hostExists(const std::string& p)
{
    struct stat st;
    return ::lstat(p.c_str(), &st) == 0;
}

// Appends the names to base, finding each one without regard to case when the exact name is
// not there.
std::string resolveComponents(std::string base, const std::vector<std::string>& names)
{
    bool lookup = true;
    for (const std::string& name : names) {
        std::string next = (base == "/" ? base : base + "/");
        std::string candidate = next + name;
        if (lookup && !hostExists(candidate)) {
            std::string found;
            if (DIR* d = ::opendir(base.c_str())) {
                while (dirent* e = ::readdir(d)) {
                    if (EqualsNoCase(e->d_name, name)) {
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

std::string hostOf(const PathParts& parts)
{
    switch (parts.anchor) {
    case Anchor::Drive:
        return resolveComponents(StandInRoot() + "/drives/" + ToLower(parts.drive), parts.names);
    case Anchor::Unc: {
        std::vector<std::string> names{parts.server};
        if (!parts.share.empty())
            names.push_back(parts.share);
        names.insert(names.end(), parts.names.begin(), parts.names.end());
        return resolveComponents(StandInRoot() + "/unc", names);
    }
    case Anchor::Rooted:
        return resolveComponents("/", parts.names);
    case Anchor::Nowhere:
        break;
    }
    return kNowhere;
}

// File name wildcards as Windows matches them: "*" any run, "?" one character, case ignored.
const GlobRules kFileNameGlob{"*", "?", true};

// While a run keeps a folder cache: a file in a folder the run has resolved before is found
// in the folder's listing instead of by a walk down its folders. Nothing when its name is not
// listed (in any letter case): the caller then maps it as usual, so a file made meanwhile is
// seen. The folder must be at least a drive's root or a server's share.
std::optional<std::string> cachedHostPath(const PathParts& parts)
{
    if (parts.anchor == Anchor::Nowhere || parts.names.empty() || (parts.anchor == Anchor::Unc && parts.share.empty()) ||
        (parts.anchor == Anchor::Rooted && parts.names.size() < 2))
        return std::nullopt;
    const std::string key = winText(parts, parts.names.size() - 1);
    const std::string* folder = CachedHostFolder(key);
    if (!folder) {
        PathParts folderParts = parts;
        folderParts.names.pop_back();
        folderParts.trailingSlash = false;
        const std::string resolved = hostOf(folderParts);
        struct stat st;
        if (::stat(resolved.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
            return std::nullopt;
        KeepHostFolder(key, resolved);
        folder = CachedHostFolder(key);
    }
    const std::string* listed = ListedNameNoCase(*folder, parts.names.back());
    if (!listed)
        return std::nullopt;
    return *folder + "/" + *listed;
}

} // namespace

std::string StandInRoot()
{
    if (const char* r = std::getenv("TARNWICK_ROOT"); r && *r)
        return r;
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : "/tmp") + "/.tarnwick/root";
}

std::string FullWinPath(std::string_view winPathIn)
{
    const std::string p = ReplaceAll(std::string(winPathIn), "/", "\\");
    if (p.empty())
        return {};
    const PathParts parts = parse(p);
    return parts.anchor == Anchor::Nowhere ? p : winText(parts);
}

std::string HostPath(std::string_view winPathIn)
{
    const std::string p = ReplaceAll(std::string(winPathIn), "/", "\\");
    if (p.empty())
        return {};
    const PathParts parts = parse(p);
    if (FolderCacheActive())
        if (std::optional<std::string> cached = cachedHostPath(parts))
            return *cached;
    return hostOf(parts);
}

std::string WinPathPlace(std::string_view winPathIn)
{
    const std::string p = ReplaceAll(std::string(winPathIn), "/", "\\");
    if (p.empty())
        return {};
    PathParts parts = parse(p);
    if (parts.anchor == Anchor::Nowhere)
        return ToUpper(p);
    parts.trailingSlash = false;
    // The deepest part that stands, its links followed; the names below it as they are written.
    std::string standing = hostOf(parts), below;
    char resolved[PATH_MAX];
    while (!::realpath(standing.c_str(), resolved)) {
        const size_t slash = standing.rfind('/');
        if (slash == std::string::npos)
            return ToUpper(winText(parts));
        below.insert(0, standing.substr(slash));
        standing = slash == 0 ? "/" : standing.substr(0, slash);
    }
    const std::string host = std::string(resolved) == "/" && !below.empty() ? below : resolved + below;
    return ToUpper(WinPathFromHost(host));
}

bool SameWinPlace(std::string_view winPathA, std::string_view winPathB)
{
    return !winPathA.empty() && !winPathB.empty() && WinPathPlace(winPathA) == WinPathPlace(winPathB);
}

std::string WinPathFromHost(std::string_view hostPath)
{
    if (hostPath.empty() || hostPath[0] != '/')
        return ReplaceAll(std::string(hostPath), "/", "\\");
    return winText(partsOfHost(hostPath));
}

bool HasRefusedNameCharacter(std::string_view winPath)
{
    const size_t start = winPath.size() >= 2 && winPath[1] == ':' && isDriveLetter(winPath[0]) ? 2 : 0;
    for (const char c : winPath.substr(start)) {
        const auto code = static_cast<unsigned char>(c);
        if (code < 0x20 || c == '<' || c == '>' || c == ':' || c == '"' || c == '|' || c == '?' || c == '*')
            return true;
    }
    return false;
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

std::string CurrentWinFolder()
{
    const PathParts parts = currentFolder();
    return parts.anchor == Anchor::Nowhere ? std::string() : winText(parts);
}

bool IsRelativeWinPath(std::string_view winPath)
{
    if (winPath.empty() || winPath[0] == '\\' || winPath[0] == '/')
        return false;
    if (winPath.size() >= 2 && winPath[1] == ':' && isDriveLetter(winPath[0]))
        return winPath.size() == 2 || (winPath[2] != '\\' && winPath[2] != '/');
    return true;
}

std::string NoPlaceWords(std::string_view winPathIn)
{
    const std::string p = ReplaceAll(std::string(winPathIn), "/", "\\");
    if (p.empty() || parse(p).anchor != Anchor::Nowhere)
        return {};
    if (p.rfind("\\\\", 0) == 0)
        return "names no server and share a path can be on";
    char* cwd = ::get_current_dir_name();
    const std::string here = WinPathFromHost(cwd ? cwd : "/");
    std::free(cwd);
    return "is relative, and the current folder '" + here + "' lies on no drive or share of the environment";
}
