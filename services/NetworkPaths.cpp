// Network paths: LocalPath2UNC, the share list of a server with its cache, connected drives.
#include "services/NetworkPaths.h"

#include "platform/AppError.h"
#include "platform/Clock.h"
#include "platform/Environment.h"
#include "platform/FolderCache.h"
#include "platform/TextUtil.h"
#include "services/FileOpError.h"
#include "services/Registry.h"

#include <map>

namespace {

const char* const kSharesKey = "SYSTEM\\CurrentControlSet\\Services\\lanmanserver\\Shares";
const char* const kNetworkKey = "Network";
constexpr size_t kMaxConnectedDrives = 1024;
constexpr char kNameSeparator = '\x01';
constexpr char kEntrySeparator = '\0';

// Share lists per server: "k_" + server (letter case ignored) to the entries joined as
// name \1 path, separated by NUL. Lives for the whole process.
std::map<std::string, std::string>& ShareCache()
{
    static std::map<std::string, std::string> cache;
    return cache;
}

std::string CacheKey(const std::string& server) { return ToUpper("k_" + server); }

std::string WithBackslash(std::string path)
{
    if (path.empty() || path.back() != '\\')
        path += '\\';
    return path;
}

bool IsDriveForm(const std::string& path) { return path.size() >= 3 && path[1] == ':' && path[2] == '\\'; }

// The share list text of server read from its registry.
std::string ReadSharesText(const std::string& server)
{
    std::string text;
    for (const std::string& name : RegistryEnumValues(HKEY_LOCAL_MACHINE, kSharesKey, server)) {
        std::string data = RegistryValueText(RegistryGetValue(HKEY_LOCAL_MACHINE, kSharesKey, name, server, false));
        // An administrative drive share (c$) may have no data: it shares the whole drive.
        if (Trim(data).empty() && name.size() == 2 && name[1] == '$')
            data = "Path=" + name.substr(0, 1) + ":\\;";
        if (Trim(data).empty())
            continue;
        size_t at = FindNoCase(data, "path=");
        if (at == std::string::npos)
            continue;
        size_t end = data.find(';', at + 5);
        if (end == std::string::npos)
            continue;
        std::string path = Trim(data.substr(at + 5, end - at - 5));
        if (path.empty())
            continue;
        if (!Trim(text).empty())
            text += kEntrySeparator;
        text += name + kNameSeparator + WithBackslash(path);
    }
    return text;
}

std::vector<ShareEntry> ParseSharesText(const std::string& text)
{
    std::vector<ShareEntry> shares;
    if (text.empty())
        return shares;
    for (const std::string& piece : Split(text, std::string_view("\0", 1))) {
        size_t sep = piece.find(kNameSeparator);
        if (sep == std::string::npos)
            shares.push_back({piece, std::string()});
        else
            shares.push_back({piece.substr(0, sep), piece.substr(sep + 1)});
    }
    return shares;
}

// The first of the shortest candidates of the drive form, else the first of the shortest.
std::string ChooseCandidate(const std::vector<std::string>& candidates)
{
    std::string best;
    bool bestIsDrive = false;
    for (const std::string& c : candidates) {
        bool isDrive = IsDriveForm(c);
        if (best.empty() || (isDrive && !bestIsDrive) || (isDrive == bestIsDrive && c.size() < best.size())) {
            best = c;
            bestIsDrive = isDrive;
        }
    }
    return best;
}

std::vector<std::string> Candidates(const std::string& server, const std::string& path, bool useMappedDrive)
{
    if (!IsDriveForm(path)) {
        // Already a network path: it names its own server and share.
        if (path.rfind("\\\\", 0) == 0)
            return {path};
        std::string candidate = server + (path.front() == '\\' ? "" : "\\") + path;
        if (candidate.rfind("\\\\", 0) != 0)
            candidate = "\\\\" + candidate;
        return {candidate};
    }
    if (EqualsNoCase(server, ComputerName()))
        return {path};

    std::vector<std::string> candidates;
    for (const ShareEntry& share : GetLocalShares(server)) {
        if (share.SharePath.empty() || !StartsWithNoCase(path, share.SharePath))
            continue;
        std::string base = "\\\\" + server + "\\" + share.ShareName + "\\";
        if (useMappedDrive) {
            std::string mapped = UNC2MappedPath(base);
            if (!mapped.empty())
                base = mapped;
        }
        candidates.push_back(Trim(base + path.substr(share.SharePath.size())));
    }
    return candidates;
}

} // namespace

std::string LocalPath2UNC(const std::string& server, const std::string& localPath, bool useMappedDrive)
{
    try {
        if (Trim(server).empty())
            RaiseError("", "Server name not defined");
        if (Trim(localPath).empty())
            RaiseError("", "Path name not defined");
        std::string path = WithBackslash(ReplaceAll(localPath, "/", "\\"));
        // A run over a project's files asks for the same few folders for every row.
        const std::string runKey = "LocalPath2UNC\n" + server + "\n" + path + (useMappedDrive ? "\n1" : "\n0");
        if (const std::string* known = CachedAnswer(runKey)) {
            ClearFileOpError();
            return *known;
        }

        std::string choice = ChooseCandidate(Candidates(server, path, useMappedDrive));
        if (Trim(choice).empty())
            RaiseError("", "Directory '" + path + "' on server '" + server + "' not existing or not accessible");
        KeepAnswer(runKey, choice);
        ClearFileOpError();
        return choice;
    } catch (const AppError& e) {
        RecordFileOpError(e, "LocalPath2UNC");
    } catch (const std::exception& e) {
        RecordFileOpError(AppError(1, "", e.what()), "LocalPath2UNC");
    }
    return std::string();
}

std::vector<ShareEntry> GetLocalShares(const std::string& server)
{
    try {
        if (Trim(server).empty())
            return {};
        auto& cache = ShareCache();
        auto it = cache.find(CacheKey(server));
        std::string text = it == cache.end() ? std::string() : it->second;
        if (Trim(text).empty()) {
            text = ReadSharesText(server);
            std::vector<ShareEntry> shares = ParseSharesText(text);
            cache[CacheKey(server)] = text;
            return shares;
        }
        return ParseSharesText(text);
    } catch (...) {
        return {};
    }
}

std::string UNC2MappedPath(const std::string& uncPath)
{
    try {
        std::string unc = WithBackslash(uncPath);
        std::vector<std::string> drives = RegistryEnumKeys(HKEY_CURRENT_USER, kNetworkKey, "");
        if (drives.size() > kMaxConnectedDrives)
            drives.resize(kMaxConnectedDrives);
        for (const std::string& drive : drives) {
            if (drive.empty())
                continue;
            std::string remote = RegistryValueText(
                RegistryGetValue(HKEY_CURRENT_USER, std::string(kNetworkKey) + "\\" + drive, "RemotePath", "", true));
            // A connection without a remote name would otherwise match every UNC path.
            if (remote.empty())
                continue;
            remote = WithBackslash(remote);
            if (StartsWithNoCase(unc, remote)) {
                std::string local = WithBackslash(drive.size() == 1 ? drive + ":" : drive);
                return Trim(local + unc.substr(remote.size()));
            }
            DoEvents();
        }
    } catch (...) {
    }
    return std::string();
}
