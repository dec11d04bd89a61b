// Host file and folder operations behind the file services.
#include "platform/HostFiles.h"

#include "platform/FileAttributes.h"
#include "platform/ReplacementFile.h"
#include "platform/TextUtil.h"
#include "platform/WinPath.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

HostFileFault gFault;

bool statOf(const std::string& host, struct stat& st) { return !host.empty() && ::stat(host.c_str(), &st) == 0; }

void throwIfFault(const std::string& op, const std::string& host, bool forFolder = false)
{
    if (int err = InjectedFault(op, host))
        throw HostError(err, forFolder);
}

void checkWritableTarget(const std::string& winPath, const std::string& host)
{
    struct stat st;
    if (statOf(host, st) && S_ISREG(st.st_mode) && (IsReadOnlyFile(winPath) || IsFileLocked(winPath)))
        throw HostError(EACCES);
}

// Copies the bytes of a source file through a replacement of the destination, which gets the
// source's mode bits: until the copy is whole and flushed the destination stays as it was.
void copyBytes(const std::string& srcHost, const std::string& dst, ReplacementFile::Existing existing)
{
    struct stat st;
    if (!statOf(srcHost, st))
        throw HostError(errno);
    if (S_ISDIR(st.st_mode))
        throw HostError(EISDIR);
    ReplacementFile out(dst, existing, ReplacementFile::ModeRule::Given, st.st_mode & 07777);
    out.WriteFileContent(srcHost);
    out.Commit();
}

// Copying or moving a file onto itself (also through another letter case) would empty or
// remove it; Windows refuses it as permission denied.
void refuseSameFile(const std::string& src, const std::string& dst)
{
    if (HostSameFile(src, dst))
        throw HostError(EACCES);
}

// A destination in a folder that does not exist is path not found, not file not found.
void requireFolderOf(const std::string& dstHost)
{
    const size_t slash = dstHost.rfind('/');
    if (slash == std::string::npos || slash == 0)
        return;
    struct stat st;
    if (!statOf(dstHost.substr(0, slash), st) || !S_ISDIR(st.st_mode))
        throw HostError(ENOENT, true);
}

// Removes what it can below and including host; a file that another program holds locked
// stays, and so do the folders above it. False when anything stayed.
bool removeTree(const std::string& host)
{
    bool all = true;
    std::error_code ec;
    std::vector<fs::directory_entry> entries;
    for (const fs::directory_entry& e : fs::directory_iterator(host, ec))
        entries.push_back(e);
    for (const fs::directory_entry& e : entries) {
        const std::string p = e.path().string();
        std::error_code ec2;
        if (e.is_directory(ec2) && !e.is_symlink(ec2)) {
            all = removeTree(p) && all;
        } else if (IsFileLocked(p) || ::unlink(p.c_str()) != 0) {
            all = false;
        }
    }
    return all && ::rmdir(host.c_str()) == 0;
}

} // namespace

AppError HostError(int err, bool forFolder)
{
    switch (err) {
    case ENOENT:
    case ENOTDIR:
        return forFolder ? AppError(kErrPathNotFound, "", "Path not found")
                         : AppError(kErrFileNotFound, "", "File not found");
    case EACCES:
    case EPERM:
    case EROFS:
    case EBUSY:
    case ETXTBSY:
    case EWOULDBLOCK:
        return AppError(kErrPermissionDenied, "", "Permission denied");
    case EEXIST:
        return AppError(kErrFileExists, "", "File already exists");
    case ENOSPC:
    case EDQUOT:
        return AppError(kErrDiskFull, "", "Disk full");
    default:
        return AppError(kErrPathFileAccess, "", std::string("Path/File access error (") + std::strerror(err) + ")");
    }
}

void SetHostFileFault(HostFileFault fault) { gFault = std::move(fault); }

namespace {

// For tests only: TARNWICK_TEST_FULL_DISK="<host folder>=<bytes>" makes that folder behave as a
// small disk of its own that holds that many bytes, also in programs a test starts, where the
// in-process hook cannot reach. Without the variable nothing changes. The value is parsed again
// only when it changes (a test sets it around one run).
struct TestDisk {
    std::string raw;
    std::string folder;
    unsigned long long bytes = 0;
};

const TestDisk* testDisk()
{
    static TestDisk disk;
    const char* raw = std::getenv(kTestFullDiskVariable);
    if (!raw || !*raw)
        return nullptr;
    if (disk.raw != raw) {
        disk = TestDisk{raw, "", 0};
        const std::string value = raw;
        const size_t eq = value.rfind('=');
        if (eq != std::string::npos && eq > 0) {
            disk.folder = value.substr(0, eq);
            while (disk.folder.size() > 1 && disk.folder.back() == '/')
                disk.folder.pop_back();
            disk.bytes = std::strtoull(value.c_str() + eq + 1, nullptr, 10);
        }
    }
    return disk.folder.empty() ? nullptr : &disk;
}

bool under(const std::string& hostPath, const std::string& folder)
{
    return hostPath.compare(0, folder.size(), folder) == 0 &&
           (hostPath.size() == folder.size() || hostPath[folder.size()] == '/');
}

// What the folder's files take, in whole pages as a small in-memory file system counts them.
unsigned long long bytesHeld(const std::string& folder)
{
    unsigned long long total = 0;
    std::error_code ec;
    for (fs::recursive_directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        struct stat st;
        if (::lstat(it->path().c_str(), &st) == 0 && S_ISREG(st.st_mode))
            total += (static_cast<unsigned long long>(st.st_size) + 4095) / 4096 * 4096;
    }
    return total;
}

// ENOSPC for an operation that adds bytes under the test disk once it is full; a flush fails
// only when the bytes written went past it, as a full disk refuses the write itself.
int testDiskFault(const std::string& op, const std::string& hostPath)
{
    const TestDisk* disk = testDisk();
    if (!disk || !under(hostPath, disk->folder))
        return 0;
    const bool adds = op == "create" || op == "copy" || op == "write" || op == "overwrite" || op == "mkdir";
    if (!adds && op != "flush")
        return 0;
    const unsigned long long held = bytesHeld(disk->folder);
    return held > disk->bytes || (adds && held == disk->bytes) ? ENOSPC : 0;
}

// A move onto the test disk from elsewhere crosses file systems, as onto a mounted one: it
// copies (and meets the full disk) instead of renaming.
bool crossesTestDisk(const std::string& srcHost, const std::string& dstHost)
{
    const TestDisk* disk = testDisk();
    return disk && under(srcHost, disk->folder) != under(dstHost, disk->folder);
}

} // namespace

int InjectedFault(const std::string& op, const std::string& hostPath)
{
    if (int err = gFault ? gFault(op, hostPath) : 0)
        return err;
    return testDiskFault(op, hostPath);
}

bool HostFileExists(const std::string& winPath)
{
    struct stat st;
    return statOf(HostPath(winPath), st) && !S_ISDIR(st.st_mode);
}

bool HostFolderExists(const std::string& winPath)
{
    struct stat st;
    return statOf(HostPath(winPath), st) && S_ISDIR(st.st_mode);
}

bool HostDriveExists(const std::string& winPath)
{
    std::string p = ReplaceAll(winPath, "/", "\\");
    if (p.size() >= 2 && p[1] == ':' && (p.size() == 2 || p == p.substr(0, 2) + "\\"))
        return HostFolderExists(p.substr(0, 2) + "\\");
    if (p.rfind("\\\\", 0) == 0) {
        std::vector<std::string> parts = Split(p.substr(2), "\\");
        if (parts.size() >= 2 && !parts[0].empty() && !parts[1].empty() &&
            (parts.size() == 2 || (parts.size() == 3 && parts[2].empty())))
            return HostFolderExists("\\\\" + parts[0] + "\\" + parts[1]);
    }
    // A bare letter names a drive too.
    if (p.size() == 1 && std::isalpha(static_cast<unsigned char>(p[0])))
        return HostFolderExists(p + ":\\");
    return false;
}

void HostCopyFile(const std::string& src, const std::string& dst, Overwrite overwrite)
{
    const std::string s = HostPath(src);
    std::string d = HostPath(dst);
    if (HostFolderExists(dst))
        throw HostError(EACCES);
    throwIfFault("copy", d);
    if (IsFileLocked(src)) // being written by another program
        throw HostError(EACCES);
    refuseSameFile(src, dst);
    requireFolderOf(d);
    checkWritableTarget(dst, d);
    copyBytes(s, dst, overwrite == Overwrite::Yes ? ReplacementFile::Existing::Replace
                                                  : ReplacementFile::Existing::NoOverwrite);
}

void HostDeleteFile(const std::string& winPath, bool force)
{
    const std::string h = HostPath(winPath);
    struct stat st;
    if (!statOf(h, st))
        throw HostError(errno);
    if (S_ISDIR(st.st_mode))
        throw HostError(ENOENT);
    throwIfFault("delete", h);
    if (!force && IsReadOnlyFile(winPath))
        throw HostError(EACCES);
    if (IsFileLocked(winPath))
        throw HostError(EACCES);
    if (::unlink(h.c_str()) != 0)
        throw HostError(errno);
}

void HostMoveFile(const std::string& src, const std::string& dst, Overwrite overwrite)
{
    const std::string s = HostPath(src);
    const std::string d = HostPath(dst);
    struct stat st;
    if (!statOf(s, st))
        throw HostError(errno);
    throwIfFault("move", s);
    if (IsFileLocked(src))
        throw HostError(EACCES);
    refuseSameFile(src, dst);
    requireFolderOf(d);
    if (statOf(d, st)) {
        if (S_ISDIR(st.st_mode) || overwrite == Overwrite::No)
            throw HostError(EEXIST);
        checkWritableTarget(dst, d);
    }
    if (!crossesTestDisk(s, d)) {
        if (overwrite == Overwrite::No) {
            if (HostRenameWithoutOverwrite(s, d))
                return;
        } else if (::rename(s.c_str(), d.c_str()) == 0) {
            return;
        } else if (errno != EXDEV) {
            throw HostError(errno);
        }
    }
    copyBytes(s, dst, overwrite == Overwrite::Yes ? ReplacementFile::Existing::Replace
                                                  : ReplacementFile::Existing::NoOverwrite);
    if (::unlink(s.c_str()) != 0)
        throw HostError(errno);
}

void HostCreateFile(const std::string& winPath, Overwrite overwrite)
{
    if (overwrite == Overwrite::Yes) {
        HostWriteFile(winPath, std::string());
        return;
    }
    const std::string h = HostPath(winPath);
    throwIfFault("create", h);
    requireFolderOf(h);
    ReplacementFile out(winPath, ReplacementFile::Existing::NoOverwrite);
    out.Commit();
}

void HostWriteFile(const std::string& winPath, const std::string& bytes)
{
    const std::string h = HostPath(winPath);
    throwIfFault("create", h);
    checkWritableTarget(winPath, h);
    requireFolderOf(h);
    ReplacementFile out(winPath);
    out.Write(bytes);
    out.Commit();
}

long long HostFileSize(const std::string& winPath)
{
    struct stat st;
    if (!statOf(HostPath(winPath), st))
        throw HostError(errno);
    return static_cast<long long>(st.st_size);
}

LocalTime HostFileModified(const std::string& winPath)
{
    struct stat st;
    if (!statOf(HostPath(winPath), st))
        throw HostError(errno);
    return LocalTimeFromEpoch(static_cast<int64_t>(st.st_mtim.tv_sec));
}

std::vector<HostEntry> HostListFolder(const std::string& winFolder)
{
    const std::string h = HostPath(winFolder);
    DIR* d = ::opendir(h.c_str());
    if (!d)
        throw HostError(errno, true);
    // Read straight from the host's listing, a name's kind from it too where it tells (a link
    // is followed): a folder of tens of thousands of files is listed in a fraction of the time.
    // Each name is folded to lower case once, not at every comparison of the sort.
    std::vector<std::pair<std::string, HostEntry>> keyed;
    for (;;) {
        errno = 0;
        const dirent* e = ::readdir(d);
        if (!e) {
            const int err = errno;
            ::closedir(d);
            if (err != 0)
                throw HostError(err, true);
            break;
        }
        HostEntry entry;
        entry.name = e->d_name;
        if (entry.name == "." || entry.name == "..")
            continue;
        struct stat st;
        entry.folder = e->d_type == DT_DIR ||
                       ((e->d_type == DT_LNK || e->d_type == DT_UNKNOWN) && statOf(h + "/" + entry.name, st) &&
                        S_ISDIR(st.st_mode));
        entry.hidden = IsHiddenName(entry.name);
        std::string key = ToLower(entry.name);
        keyed.emplace_back(std::move(key), std::move(entry));
    }
    std::sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) {
        return a.first != b.first ? a.first < b.first : a.second.name < b.second.name;
    });
    std::vector<HostEntry> out;
    out.reserve(keyed.size());
    for (auto& [key, entry] : keyed)
        out.push_back(std::move(entry));
    return out;
}

void HostMakeFolder(const std::string& winPath, bool parents)
{
    const std::string h = HostPath(winPath);
    throwIfFault("mkdir", h, true);
    if (parents) {
        std::error_code ec;
        fs::create_directories(h, ec);
        if (ec)
            throw HostError(ec.value(), true);
        return;
    }
    if (::mkdir(h.c_str(), 0777) != 0)
        throw HostError(errno, true);
}

void HostRemoveFolder(const std::string& winPath, bool recursive)
{
    const std::string h = HostPath(winPath);
    throwIfFault("rmdir", h, true);
    struct stat st;
    if (!statOf(h, st) || !S_ISDIR(st.st_mode))
        throw HostError(ENOENT, true);
    // A link to a folder is removed as the link, as Windows removes a junction: what it points
    // to is another folder's content and stays.
    struct stat lst;
    if (::lstat(h.c_str(), &lst) == 0 && S_ISLNK(lst.st_mode)) {
        if (::unlink(h.c_str()) != 0)
            throw HostError(errno, true);
        return;
    }
    if (recursive) {
        if (!removeTree(h))
            throw HostError(EACCES, true);
        return;
    }
    if (::rmdir(h.c_str()) != 0)
        throw HostError(errno, true);
}

int HostShellFileOperation(int op, const std::string& from, const std::string& to, bool& aborted)
{
    aborted = false;
    if (!HostFileExists(from))
        return 2;
    if (IsFileLocked(from))
        return 32;
    try {
        switch (op) {
        case 1:
            HostCopyFile(from, to);
            HostDeleteFile(from, true);
            return 0;
        case 2:
            HostCopyFile(from, to);
            return 0;
        case 3: {
            // The recycle bin keeps deleted files under the stand-in root.
            const std::string bin = StandInRoot() + "/recycle";
            std::error_code ec;
            fs::create_directories(bin, ec);
            const std::string stem = bin + "/" + fs::path(HostPath(from)).filename().string() + "." +
                                     std::to_string(static_cast<long long>(std::time(nullptr))) + "." +
                                     std::to_string(::getpid());
            // Two files of one name deleted within a second must both stay in the bin: the
            // copy never replaces an earlier one, it takes the next free number instead.
            for (int n = 0;; ++n) {
                try {
                    HostCopyFile(from, n == 0 ? stem : stem + "." + std::to_string(n), Overwrite::No);
                    break;
                } catch (const AppError& e) {
                    if (e.number() != kErrFileExists || n >= 999)
                        throw;
                }
            }
            HostDeleteFile(from, true);
            return 0;
        }
        default:
            return 0x7C; // an invalid operation code
        }
    } catch (const AppError& e) {
        return e.number() == kErrPermissionDenied ? 5 : 0x402;
    }
}
