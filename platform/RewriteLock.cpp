// The lock of a file's read-change-rename, on a hidden file beside it.
#include "platform/RewriteLock.h"

#include "platform/AppError.h"
#include "platform/Clock.h"
#include "platform/ReplacementFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A rewrite takes a few milliseconds: a waiter looks again soon.
constexpr int kPollMs = 5;

// True when fd is still the file the path names: a holder removes the lock file before it lets
// go, so a waiter may get the lock of a file no longer there.
bool stillNamed(int fd, const std::string& path)
{
    struct stat a, b;
    return ::fstat(fd, &a) == 0 && ::stat(path.c_str(), &b) == 0 && a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

} // namespace

std::string RewriteLock::LockPathOf(const std::string& hostFile)
{
    const size_t slash = hostFile.rfind('/');
    return hostFile.substr(0, slash + 1) + "." + hostFile.substr(slash + 1) + ".lock";
}

RewriteLock::RewriteLock(const std::string& hostFile, int waitMs)
{
    std::string file = hostFile;
    try {
        file = HostFileBehindLinks(hostFile);
    } catch (const AppError&) {
        // A loop of links: the write that follows fails on it.
    }
    lockPath_ = LockPathOf(file);
    Clock& clock = GetClock();
    const uint64_t deadline = clock.TickMs() + static_cast<uint64_t>(waitMs < 0 ? 0 : waitMs);
    for (;;) {
        const int fd = ::open(lockPath_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (fd < 0)
            return;
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            if (stillNamed(fd, lockPath_)) {
                fd_ = fd;
                return;
            }
            ::close(fd);
            continue;
        }
        ::close(fd);
        if (clock.TickMs() >= deadline) {
            busy_ = true;
            return;
        }
        DoEvents();
        clock.SleepMs(kPollMs);
    }
}

RewriteLock::~RewriteLock()
{
    if (fd_ < 0)
        return;
    // Removed while still held, so that no one takes the file we remove.
    ::unlink(lockPath_.c_str());
    ::close(fd_);
}
