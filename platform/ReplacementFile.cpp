// Safe replacement of a file's content: temporary file in the same folder, flush, rename.
#include "platform/ReplacementFile.h"

#include "platform/AppError.h"
#include "platform/FileAttributes.h"
#include "platform/HostFiles.h"
#include "platform/OwnedLeftovers.h"
#include "platform/Process.h"
#include "platform/TextUtil.h"
#include "platform/WinPath.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <random>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr size_t kBufferSize = 1 << 16;
constexpr int kMaxLinkDepth = 40;

std::string folderOf(const std::string& host)
{
    const size_t slash = host.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? std::string("/") : host.substr(0, slash);
}

std::string nameOf(const std::string& host)
{
    const size_t slash = host.rfind('/');
    return slash == std::string::npos ? host : host.substr(slash + 1);
}

// The file a chain of symbolic links ends at (which need not exist yet).
std::string followLinks(std::string host)
{
    for (int depth = 0; depth < kMaxLinkDepth; ++depth) {
        struct stat st;
        if (::lstat(host.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return host;
        char buf[PATH_MAX];
        const ssize_t n = ::readlink(host.c_str(), buf, sizeof buf);
        if (n < 0)
            throw HostError(errno);
        std::string link(buf, static_cast<size_t>(n));
        host = link.empty() || link[0] == '/' ? link : folderOf(host) + "/" + link;
    }
    throw HostError(ELOOP);
}

void failIfFault(const char* op, const std::string& host)
{
    if (int err = InjectedFault(op, host))
        throw HostError(err);
}

// Temporary files beside a target are named ".<name>.~<process id>.<6 hex digits>", so that a
// later run knows those of a process that was killed before it could remove them. The backup of
// a hard-linked target's former content is written under that name with ".partial" added and
// renamed to ".former" once whole and flushed; only then is the target rewritten in place.
std::string tempPrefix(const std::string& target) { return "." + nameOf(target) + ".~"; }

constexpr const char* kPartialTail = ".partial";
constexpr const char* kFormerTail = ".former";

enum class TempKind { None, Content, PartialBackup, Backup };

// A temporary file of a target: its kind and the id of the process that named it.
struct TempName {
    TempKind kind = TempKind::None;
    std::string owner;
};

// What kind of target's temporary file the name is; None for every other name.
TempName parseTempName(const std::string& name, const std::string& prefix)
{
    if (name.compare(0, prefix.size(), prefix) != 0)
        return {};
    std::string rest = name.substr(prefix.size());
    TempKind kind = TempKind::Content;
    for (const auto& [tail, k] : {std::pair{kPartialTail, TempKind::PartialBackup}, {kFormerTail, TempKind::Backup}})
        if (rest.size() > std::strlen(tail) && EndsWithNoCase(rest, tail)) {
            rest.erase(rest.size() - std::strlen(tail));
            kind = k;
        }
    if (rest.size() < 8)
        return {};
    const std::string tail = rest.substr(rest.size() - 7);
    if (tail[0] != '.' || tail.find_first_not_of("0123456789abcdef", 1) != std::string::npos)
        return {};
    return {kind, rest.substr(0, rest.size() - 7)};
}

std::vector<std::string> hiddenTempNames(const std::string& folder)
{
    std::vector<std::string> names;
    if (DIR* d = ::opendir(folder.c_str())) {
        while (dirent* e = ::readdir(d))
            if (e->d_name[0] == '.' && std::strstr(e->d_name, ".~"))
                names.push_back(e->d_name);
        ::closedir(d);
    }
    return names;
}

// The hidden names of a folder that may be temporary files. A folder is read once per process:
// a copy of many files into one folder would otherwise read it whole for every file. What a
// process killed later leaves there is found by the next program that replaces that file.
std::vector<std::string> tempCandidates(const std::string& folder)
{
    static std::mutex mutex;
    static std::map<std::string, std::vector<std::string>> byFolder;
    std::lock_guard<std::mutex> lock(mutex);
    if (auto it = byFolder.find(folder); it != byFolder.end())
        return it->second;
    return byFolder[folder] = hiddenTempNames(folder);
}

void overwriteInPlace(const std::string& source, const std::string& target);

// Why the former content a dead run kept cannot be written back over target now; empty when it can.
std::string writeBackBlocked(const std::string& target)
{
    struct stat t;
    if (::lstat(target.c_str(), &t) != 0)
        return "'" + WinPathFromHost(target) + "' is missing";
    if (!S_ISREG(t.st_mode))
        return "'" + WinPathFromHost(target) + "' is not a regular file";
    if (IsFileLocked(target))
        return "'" + WinPathFromHost(target) + "' is in use by another program";
    return {};
}

// Removes the temporary files of target whose process no longer runs; every other name stays,
// and one that cannot be removed now is tried again by a later program. A whole backup of an
// ended process means its in-place rewrite of the hard-linked target may have been cut: the
// former content is written back first (the target is then old, never a mix), and the backup
// goes only when that succeeded. Each backup found is told in the result.
std::vector<CutRewrite> removeOrphanedTemps(const std::string& target, const std::vector<std::string>& names,
                                           bool mendCutRewrites = true)
{
    std::vector<CutRewrite> cuts;
    const std::string folder = folderOf(target), prefix = tempPrefix(target);
    const std::string file = "'" + WinPathFromHost(target) + "'";
    for (const std::string& name : names) {
        const std::string path = folder + "/" + name;
        const TempName temp = parseTempName(name, prefix);
        struct stat st;
        if (temp.kind == TempKind::None || ::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
            continue;
        const bool ended = LeftoverOwnerGone(temp.owner, path);
        if (!mendCutRewrites) {
            if (ended)
                ::unlink(path.c_str());
            continue;
        }
        const std::string backup = "'" + WinPathFromHost(path) + "'";
        if (temp.kind == TempKind::Backup && !ended) {
            cuts.push_back({file + " is being rewritten in place by process " + temp.owner +
                                ", which runs: its former content stays in " + backup +
                                " until that rewrite is through, and " + file + " may hold part of the new content meanwhile",
                            true});
            continue;
        }
        if (!ended)
            continue;
        if (temp.kind == TempKind::Backup) {
            const std::string cut = file + " was cut in its rewrite by process " + temp.owner + ", which has ended: ";
            std::string blocked = writeBackBlocked(target);
            if (blocked.empty()) {
                try {
                    overwriteInPlace(path, target);
                } catch (const AppError& e) {
                    blocked = e.description();
                }
            }
            if (!blocked.empty()) {
                cuts.push_back({cut + "its former content waits in " + backup + " and was not written back (" + blocked +
                                    "), so " + file + " stands as the cut rewrite left it",
                                true});
                continue;
            }
            cuts.push_back({cut + "its former content was written back from " + backup + ", and " + file +
                                " holds it again",
                            false});
        }
        ::unlink(path.c_str());
    }
    return cuts;
}

// Once a whole new content stands in target, the former content a dead run could not write back
// is superseded: written back later, it would take the place of the newer file.
void removeSupersededBackups(const std::string& target)
{
    const std::string folder = folderOf(target), prefix = tempPrefix(target);
    for (const std::string& name : tempCandidates(folder)) {
        const std::string path = folder + "/" + name;
        const TempName temp = parseTempName(name, prefix);
        if (temp.kind == TempKind::Backup && LeftoverOwnerGone(temp.owner, path))
            ::unlink(path.c_str());
    }
}

// A new, exclusively created temporary file beside target (hidden in listings: its name starts
// with "."), after the orphaned ones of target are gone; backupTail is "" or the backup's tail.
int createTemp(const std::string& target, std::string& temp, const TempBeside& how, const std::string& backupTail = "")
{
    static std::mutex mutex;
    static std::mt19937 rng{std::random_device{}()};
    if (how.freshListing)
        removeOrphanedTemps(target, hiddenTempNames(folderOf(target)), how.mendCutRewrites);
    else
        removeOrphanedTemps(target, tempCandidates(folderOf(target)), how.mendCutRewrites);
    const std::string base = folderOf(target) + "/" + tempPrefix(target) + std::to_string(Process::CurrentId()) + ".";
    for (int attempt = 0; attempt < 16; ++attempt) {
        char tail[16];
        {
            std::lock_guard<std::mutex> lock(mutex);
            std::snprintf(tail, sizeof tail, "%06x", static_cast<unsigned>(rng() & 0xFFFFFF));
        }
        temp = base + tail + backupTail;
        const int fd = ::open(temp.c_str(), how.flags | O_CREAT | O_EXCL | O_CLOEXEC, how.mode);
        if (fd >= 0)
            return fd;
        if (errno != EEXIST) {
            const int err = errno;
            temp.clear();
            throw HostError(err, err == ENOENT || err == ENOTDIR);
        }
    }
    temp.clear();
    throw HostError(EEXIST);
}

// Copies everything readable from in to out; faultOp/faultPath name the injected fault checked
// before every block.
void copyDescriptor(int in, int out, const char* faultOp, const std::string& faultPath)
{
    char buf[kBufferSize];
    for (;;) {
        const ssize_t n = ::read(in, buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            throw HostError(errno);
        if (n == 0)
            return;
        failIfFault(faultOp, faultPath);
        WriteWhole(out, buf, static_cast<size_t>(n));
    }
}

class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    // Closes and reports what the close could not write.
    void close()
    {
        const int fd = fd_;
        fd_ = -1;
        if (::close(fd) != 0)
            throw HostError(errno);
    }

private:
    int fd_;
};

int openOrThrow(const std::string& host, int flags)
{
    const int fd = ::open(host.c_str(), flags | O_CLOEXEC);
    if (fd < 0)
        throw HostError(errno);
    return fd;
}

// Writes the content of source over target in place: space reserved first, then the bytes,
// then the length cut to fit, then flushed. The target keeps its inode and every hard link.
void overwriteInPlace(const std::string& source, const std::string& target)
{
    Descriptor in(openOrThrow(source, O_RDONLY));
    Descriptor out(openOrThrow(target, O_WRONLY));
    struct stat st;
    if (::fstat(in.get(), &st) != 0)
        throw HostError(errno);
    // Reserving the space up front means a full disk stops the rewrite before its first byte.
    if (st.st_size > 0) {
        const int err = ::posix_fallocate(out.get(), 0, st.st_size);
        if (err != 0 && err != EOPNOTSUPP && err != EINVAL)
            throw HostError(err);
    }
    copyDescriptor(in.get(), out.get(), "overwrite", target);
    if (::ftruncate(out.get(), st.st_size) != 0 || ::fsync(out.get()) != 0)
        throw HostError(errno);
    out.close();
}

// A flushed copy of a host file under a fresh temporary name beside target.
std::string backupOf(const std::string& target)
{
    std::string partial;
    Descriptor out(createTemp(target, partial, {}, kPartialTail));
    const std::string backup = partial.substr(0, partial.size() - std::strlen(kPartialTail)) + kFormerTail;
    try {
        Descriptor in(openOrThrow(target, O_RDONLY));
        copyDescriptor(in.get(), out.get(), "write", target);
        if (::fsync(out.get()) != 0)
            throw HostError(errno);
        out.close();
        // Only a whole backup carries the name that a later run writes back from.
        if (::rename(partial.c_str(), backup.c_str()) != 0)
            throw HostError(errno);
    } catch (...) {
        ::unlink(partial.c_str());
        throw;
    }
    FlushFolderOf(target);
    return backup;
}

// A file whose name differs from the target's in letter case only: for Windows it is the same
// name, which the host's exclusive rename does not see.
bool otherCaseExists(const std::string& target)
{
    const std::string name = nameOf(target);
    bool found = false;
    if (DIR* d = ::opendir(folderOf(target).c_str())) {
        while (dirent* e = ::readdir(d))
            if (name != e->d_name && EqualsNoCase(name, e->d_name)) {
                found = true;
                break;
            }
        ::closedir(d);
    }
    return found;
}

} // namespace

bool HostRenameWithoutOverwrite(const std::string& from, const std::string& target)
{
    if (otherCaseExists(target))
        throw HostError(EEXIST);
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) != 0) {
        if (errno == EXDEV)
            return false;
        if (errno != EINVAL && errno != ENOSYS)
            throw HostError(errno);
        // A file system without the no-replace rename: a hard link is just as exclusive.
        if (::link(from.c_str(), target.c_str()) != 0) {
            if (errno == EXDEV)
                return false;
            throw HostError(errno);
        }
        ::unlink(from.c_str());
    }
    // Saved in another letter case between the test and the rename: the file put in place
    // here steps back under its former name, so that never two files of one name stand side by
    // side and nothing moved is lost (a link never replaces a file that came there meanwhile).
    if (otherCaseExists(target)) {
        if (::link(target.c_str(), from.c_str()) == 0)
            ::unlink(target.c_str());
        throw HostError(EEXIST);
    }
    return true;
}

namespace {

void putInPlaceWithoutOverwrite(const std::string& temp, const std::string& target)
{
    // The temporary file stands beside its target, on its file system.
    if (!HostRenameWithoutOverwrite(temp, target))
        throw HostError(EXDEV);
}

} // namespace

ReplacementFile::ReplacementFile(const std::string& winPath, Existing existing, ModeRule rule, mode_t mode)
    : existing_(existing), mode_(mode)
{
    target_ = followLinks(HostPath(winPath));
    struct stat st;
    if (::stat(target_.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode))
            throw HostError(EACCES);
        // A FIFO, device or socket: its open may wait for ever, and it holds no content to keep.
        if (!S_ISREG(st.st_mode))
            throw AppError(75, "", "'" + winPath + "' is not a regular file");
        if (existing == Existing::NoOverwrite)
            throw HostError(EEXIST);
        // Windows replaces neither a read-only file nor one another program is writing; a
        // rename would (root may rename over anything).
        if ((st.st_mode & S_IWUSR) == 0 || IsFileLocked(target_))
            throw HostError(EACCES);
        hadFile_ = true;
        if (rule == ModeRule::KeepOld)
            mode_ = st.st_mode & 07777;
        uid_ = st.st_uid;
        gid_ = st.st_gid;
        links_ = st.st_nlink;
    }
    fd_ = createTemp(target_, temp_, {});
}

ReplacementFile::~ReplacementFile()
{
    if (fd_ >= 0)
        ::close(fd_);
    if (!committed_ && !temp_.empty())
        ::unlink(temp_.c_str());
}

void ReplacementFile::Write(const char* data, size_t n)
{
    if (fd_ < 0)
        throw AppError(75, "", "Path/File access error");
    failIfFault("write", target_);
    WriteWhole(fd_, data, n);
}

void ReplacementFile::WriteFileContent(const std::string& hostPath)
{
    if (fd_ < 0)
        throw AppError(75, "", "Path/File access error");
    Descriptor in(openOrThrow(hostPath, O_RDONLY));
    copyDescriptor(in.get(), fd_, "write", target_);
}

void ReplacementFile::Adopt(const std::string& hostPath)
{
    if (fd_ < 0)
        throw AppError(75, "", "Path/File access error");
    failIfFault("write", target_);
    if (::rename(hostPath.c_str(), temp_.c_str()) != 0) {
        if (errno != EXDEV)
            throw HostError(errno);
        if (::ftruncate(fd_, 0) != 0 || ::lseek(fd_, 0, SEEK_SET) != 0)
            throw HostError(errno);
        WriteFileContent(hostPath);
        return;
    }
    // Commit gives the mode and owner and flushes through the descriptor: it must be the
    // adopted file's.
    const int fd = openOrThrow(temp_, O_WRONLY);
    ::close(fd_);
    fd_ = fd;
}

void ReplacementFile::Commit()
{
    if (fd_ < 0)
        throw AppError(75, "", "Path/File access error");
    failIfFault("flush", target_);
    ::fchmod(fd_, mode_);
    // Only root may give a file away; anyone else keeps the new file as their own.
    if (hadFile_)
        (void)::fchown(fd_, uid_, gid_);
    if (::fsync(fd_) != 0)
        throw HostError(errno);
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0)
        throw HostError(errno);

    if (existing_ == Existing::NoOverwrite) {
        putInPlaceWithoutOverwrite(temp_, target_);
    } else if (hadFile_ && links_ > 1) {
        failIfFault("overwrite", target_);
        const std::string backup = backupOf(target_);
        try {
            overwriteInPlace(temp_, target_);
        } catch (const AppError& e) {
            try {
                overwriteInPlace(backup, target_);
            } catch (const AppError&) {
                throw AppError(e.number(), e.source(),
                               e.description() + " - the former content is kept in '" +
                                   WinPathFromHost(backup) + "'");
            }
            ::unlink(backup.c_str());
            throw;
        }
        ::unlink(backup.c_str());
        ::unlink(temp_.c_str());
    } else if (::rename(temp_.c_str(), target_.c_str()) != 0) {
        throw HostError(errno);
    }
    committed_ = true;
    removeSupersededBackups(target_);
    FlushFolderOf(target_);
}

std::vector<CutRewrite> MendInterruptedReplacement(const std::string& winPath)
{
    std::string target;
    try {
        target = followLinks(HostPath(winPath));
    } catch (const AppError&) {
        return {};
    }
    return removeOrphanedTemps(target, hiddenTempNames(folderOf(target)));
}

std::string HostFileBehindLinks(const std::string& hostPath) { return followLinks(hostPath); }

bool HostSameFile(const std::string& winPathA, const std::string& winPathB)
{
    struct stat a, b;
    const std::string ha = HostPath(winPathA), hb = HostPath(winPathB);
    return !ha.empty() && !hb.empty() && ::stat(ha.c_str(), &a) == 0 && ::stat(hb.c_str(), &b) == 0 &&
           a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

int CreateTempBeside(const std::string& hostTarget, std::string& temp, const TempBeside& how)
{
    return createTemp(hostTarget, temp, how);
}

void WriteWhole(int fd, const char* data, size_t n)
{
    for (size_t done = 0; done < n;) {
        const ssize_t w = ::write(fd, data + done, n - done);
        if (w < 0 && errno == EINTR)
            continue;
        if (w < 0)
            throw HostError(errno);
        done += static_cast<size_t>(w);
    }
}

void FlushFolderOf(const std::string& hostPath)
{
    const int fd = ::open(folderOf(hostPath).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}
