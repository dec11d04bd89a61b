// Hidden, read-only and in-use attributes on the host.
#include "platform/FileAttributes.h"

#include "platform/Clock.h"
#include "platform/HostFiles.h"
#include "platform/WinPath.h"

#include <cerrno>
#include <fcntl.h>
#include <functional>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

bool IsHiddenName(std::string_view name) { return !name.empty() && name[0] == '.' && name != "." && name != ".."; }

bool IsReadOnlyFile(const std::string& winPath)
{
    struct stat st;
    return ::stat(HostPath(winPath).c_str(), &st) == 0 && (st.st_mode & S_IWUSR) == 0;
}

void SetReadOnlyFile(const std::string& winPath, bool readOnly)
{
    const std::string h = HostPath(winPath);
    struct stat st;
    if (::stat(h.c_str(), &st) != 0)
        throw HostError(errno);
    mode_t mode = st.st_mode & 07777;
    mode = readOnly ? (mode & ~static_cast<mode_t>(S_IWUSR | S_IWGRP | S_IWOTH)) : (mode | S_IWUSR);
    if (::chmod(h.c_str(), mode) != 0)
        throw HostError(errno);
}

bool IsFileLocked(const std::string& winPath)
{
    const std::string h = HostPath(winPath);
    if (InjectedFault("lock", h) != 0)
        return true;
    int fd = ::open(h.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK); // a FIFO's open must not wait for a writer
    if (fd < 0)
        return false;
    bool locked = ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd); // closing the descriptor lets our own lock go
    return locked;
}

bool IsSpecialFile(const std::string& winPath)
{
    struct stat st;
    const std::string h = HostPath(winPath);
    return !h.empty() && ::stat(h.c_str(), &st) == 0 && !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode);
}

void CheckOpenExclusive(const std::string& winPath)
{
    const std::string h = HostPath(winPath);
    if (int err = InjectedFault("lock", h))
        throw HostError(err);
    int fd = ::open(h.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK); // a FIFO's open must not wait for a writer
    if (fd < 0)
        throw HostError(errno);
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        int e = errno;
        ::close(fd);
        throw HostError(e);
    }
    ::close(fd);
}

namespace {

// Polls fn until it is true or waitMs of the process's clock have passed, the pump running.
bool pollUntil(const std::function<bool()>& fn, int waitMs)
{
    constexpr int kPollMs = 50;
    Clock& clock = GetClock();
    const uint64_t deadline = clock.TickMs() + static_cast<uint64_t>(waitMs);
    for (;;) {
        if (fn())
            return true;
        if (clock.TickMs() >= deadline)
            return false;
        DoEvents();
        clock.SleepMs(kPollMs);
    }
}

} // namespace

bool WaitUntilUnlocked(const std::string& winPath, int waitMs)
{
    return pollUntil([&] { return !IsFileLocked(winPath); }, waitMs);
}

std::string LockedFileText(const std::string& winPath, int waitMs)
{
    return "'" + winPath + "' is in use by another program (still locked after " + std::to_string(waitMs / 1000) +
           " seconds)";
}

FileLock::FileLock(const std::string& winPath, bool create, int waitMs)
{
    const std::string h = HostPath(winPath);
    fd_ = ::open(h.c_str(), create ? (O_RDWR | O_CREAT | O_CLOEXEC) : (O_RDONLY | O_CLOEXEC), 0644);
    if (fd_ < 0)
        return;
    const bool held = waitMs < 0 ? ::flock(fd_, LOCK_EX) == 0
                                 : pollUntil([this] { return ::flock(fd_, LOCK_EX | LOCK_NB) == 0; }, waitMs);
    if (!held) {
        ::close(fd_);
        fd_ = -1;
    }
}

FileLock::~FileLock()
{
    if (fd_ >= 0)
        ::close(fd_);
}
