// Program lookup over mapped paths and PATH.
#include "standins/batchcmd/ProgramLookup.h"

#include "platform/Environment.h"
#include "platform/TextUtil.h"
#include "platform/WinPath.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

const char* const kExtensions[] = {".exe", ".bat", ".cmd"};

bool isFile(const std::string& host)
{
    struct stat st;
    return ::stat(host.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// The entry of dir named name without regard to case, or empty.
std::string findInFolder(const std::string& dir, const std::string& name)
{
    const std::string exact = (dir == "/" ? dir : dir + "/") + name;
    if (isFile(exact))
        return exact;
    std::string found;
    if (DIR* d = ::opendir(dir.c_str())) {
        while (dirent* e = ::readdir(d)) {
            if (EqualsNoCase(e->d_name, name)) {
                std::string p = (dir == "/" ? dir : dir + "/") + e->d_name;
                if (isFile(p)) {
                    found = p;
                    break;
                }
            }
        }
        ::closedir(d);
    }
    return found;
}

bool hasKnownExtension(const std::string& name)
{
    for (const char* ext : kExtensions)
        if (EndsWithNoCase(name, ext))
            return true;
    return false;
}

bool isExecutable(const std::string& host)
{
    struct stat st;
    return ::stat(host.c_str(), &st) == 0 && S_ISREG(st.st_mode) && (st.st_mode & (S_IXUSR | S_IXGRP | S_IXOTH));
}

// The Windows forms first; then a host program, which carries no extension (an editor named in
// the settings, such as mousepad), by its exact name when it is executable.
std::string findWithExtensions(const std::string& dir, const std::string& name)
{
    if (hasKnownExtension(name))
        if (std::string p = findInFolder(dir, name); !p.empty())
            return p;
    for (const char* ext : kExtensions)
        if (std::string p = findInFolder(dir, name + ext); !p.empty())
            return p;
    const std::string exact = (dir == "/" ? dir : dir + "/") + name;
    return isExecutable(exact) ? exact : std::string();
}

// PATH may hold host folders (":" separated) and, after a "set PATH=C:\x;%PATH%", Windows
// folders separated by ";".
std::vector<std::string> searchFolders()
{
    std::vector<std::string> dirs;
    for (const std::string& part : Split(GetEnvVar("PATH"), ";")) {
        const bool windowsForm = part.find('\\') != std::string::npos || (part.size() >= 2 && part[1] == ':');
        if (windowsForm) {
            dirs.push_back(HostPath(part));
            continue;
        }
        for (const std::string& d : Split(part, ":"))
            if (!d.empty())
                dirs.push_back(d);
    }
    return dirs;
}

} // namespace

std::string FindProgram(const std::string& nameIn)
{
    const std::string name = ReplaceAll(nameIn, "/", "\\");
    if (name.empty())
        return {};
    if (name.find('\\') != std::string::npos || name.find(':') != std::string::npos) {
        const std::string host = HostPath(name);
        const size_t slash = host.rfind('/');
        return findWithExtensions(host.substr(0, slash == 0 ? 1 : slash), host.substr(slash + 1));
    }
    char buf[4096];
    if (::getcwd(buf, sizeof buf))
        if (std::string p = findWithExtensions(buf, name); !p.empty())
            return p;
    for (const std::string& dir : searchFolders())
        if (std::string p = findWithExtensions(dir, name); !p.empty())
            return p;
    return {};
}

bool IsBatchFile(const std::string& hostPath) { return EndsWithNoCase(hostPath, ".bat") || EndsWithNoCase(hostPath, ".cmd"); }
