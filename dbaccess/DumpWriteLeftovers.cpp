// Part files of killed dump writers, found through the marks they left.
#include "dbaccess/DumpWriteLeftovers.h"

#include "platform/HostFiles.h"
#include "platform/OwnedLeftovers.h"
#include "platform/RunMark.h"
#include "platform/TextUtil.h"
#include "platform/WinPath.h"

namespace {

constexpr const char* kMarkPrefix = "dump write ";
constexpr const char* kPartSuffix = ".part";

// The process id in "<dump>.<id>.part" when the name has that form; empty otherwise.
std::string partOwner(const std::string& part)
{
    if (!EndsWithNoCase(part, kPartSuffix))
        return {};
    const std::string stem = part.substr(0, part.size() - std::string(kPartSuffix).size());
    const size_t dot = stem.rfind('.');
    return dot == std::string::npos ? std::string() : stem.substr(dot + 1);
}

} // namespace

std::string DumpWriteMarkObject(const std::string& targetHost)
{
    return kMarkPrefix + targetHost;
}

std::string DumpWritePartName(const std::string& targetHost)
{
    return OwnedLeftoverName(WinPathFromHost(targetHost), kPartSuffix);
}

bool RemoveDumpWritePart(const std::string& targetHost, const std::string& part)
{
    // Only the writer's own kind of part, of a process that no longer runs, beside the dump the
    // mark is about: a mark edited by hand never takes another file with it.
    if (part.empty() || !HostFileExists(part))
        return true;
    const std::string owner = partOwner(part);
    const std::string host = HostPath(part);
    if (!LeftoverOwnerGone(owner, host) || !EqualsNoCase(host, targetHost + "." + owner + kPartSuffix))
        return false;
    HostDeleteFile(part, true);
    return !HostFileExists(part);
}

void RemoveLeftDumpWriteParts()
{
    for (const auto& [object, seen] : RunMark::List(kMarkPrefix)) {
        if (seen.state != RunMark::State::Left)
            continue;
        try {
            const std::string targetHost = object.substr(std::string(kMarkPrefix).size());
            if (RemoveDumpWritePart(targetHost, RunMark::Field(seen.fields, "part")))
                RunMark::RemoveLeft(object);
        } catch (const std::exception&) {
            // Tried again at the next start.
        }
    }
}
