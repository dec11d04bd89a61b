// The lock that writers of one file hold across its whole read, change and rename, so that two
// programs rewriting the file at once never lose each other's changes.
#pragma once

#include "platform/FileAttributes.h"

#include <string>

class RewriteLock {
public:
    // Takes the lock of the file (host path; symbolic links followed, so that every name of one
    // file shares its lock): an advisory lock on the hidden file ".<name>.lock" beside it, made
    // for the time it is held. The file itself is replaced by each write, so a lock on it would
    // not outlive one. Waits at most waitMs of the process's clock, the event pump running.
    explicit RewriteLock(const std::string& hostFile, int waitMs = kLockWaitMs);
    // Removes the lock file and lets the lock go.
    ~RewriteLock();
    RewriteLock(const RewriteLock&) = delete;
    RewriteLock& operator=(const RewriteLock&) = delete;

    bool held() const { return fd_ >= 0; }
    // Not held because another program held the lock for the whole wait; a lock file that could
    // not be made (a missing or unwritable folder) is not that: the write fails on its own then.
    bool busy() const { return busy_; }

    // The host path of the lock of a file (links not followed).
    static std::string LockPathOf(const std::string& hostFile);

private:
    std::string lockPath_;
    int fd_ = -1;
    bool busy_ = false;
};
