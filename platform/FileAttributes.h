// File attributes the Windows way: hidden is a leading ".", read-only is a missing owner write
// bit, and "in use" is an advisory lock that a writer holds.
#pragma once

#include <string>
#include <string_view>

bool IsHiddenName(std::string_view name);

// Mode bits only, never access(): the tests and CI run as root, who may write anything.
bool IsReadOnlyFile(const std::string& winPath);
void SetReadOnlyFile(const std::string& winPath, bool readOnly);

// True when some open of the file holds an advisory lock (the file is being written).
// A missing file is not locked.
bool IsFileLocked(const std::string& winPath);

// True when the name (links followed) stands for something that is neither a regular file nor
// a folder: a FIFO, a device, a socket. Such a thing holds no file content, and an open of it
// may wait for ever.
bool IsSpecialFile(const std::string& winPath);

// Opens the file for reading and takes it for this caller alone, then lets it go: what an
// open "with a read lock" does. Throws AppError (53 missing, 70 held by another open).
void CheckOpenExclusive(const std::string& winPath);

// How long a writer of a settings or registry file waits for another program's lock on it.
inline constexpr int kLockWaitMs = 10000;

// Waits, the event pump running, until no open holds a lock on the file, at most waitMs
// milliseconds of the process's clock. True when it is free (or missing).
bool WaitUntilUnlocked(const std::string& winPath, int waitMs = kLockWaitMs);

// The words for a file whose lock stayed held: "'<file>' is in use by another program (...)".
std::string LockedFileText(const std::string& winPath, int waitMs = kLockWaitMs);

// Holds an exclusive advisory lock on a file for its lifetime, creating the file when asked.
// The stand-in programs hold one on each output while they write it. With waitMs given (0 or
// more) it waits at most that long, the event pump running, and is not held afterwards when the
// lock stayed another's; without, it waits until the lock is free.
class FileLock {
public:
    explicit FileLock(const std::string& winPath, bool create = true, int waitMs = -1);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    bool held() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};
