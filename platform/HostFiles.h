// Files and folders on the host: every call takes a Windows path, maps it with HostPath and
// reports failures as AppError with the platform's error numbers and texts.
#pragma once

#include "platform/AppError.h"
#include "platform/Clock.h"

#include <functional>
#include <string>
#include <vector>

// Error numbers the file-system object of the original reports.
inline constexpr long kErrFileNotFound = 53;
inline constexpr long kErrFileExists = 58;
inline constexpr long kErrDiskFull = 61;
inline constexpr long kErrPermissionDenied = 70;
inline constexpr long kErrPathFileAccess = 75;
inline constexpr long kErrPathNotFound = 76;

// The host error errno of an operation on a file, as the platform's numbered error (no source).
AppError HostError(int err, bool forFolder = false);

// Tests put failures in place that root would not see (permission denied, disk full): the
// hook gets the operation ("create", "copy", "delete", "lock", "mkdir", "write", "flush",
// "overwrite", ...; "mark" before a mark's new text is begun; "marked" once it stands, a point
// to stop at whose result is not used) and the host path and
// returns an errno to fail with, or 0. nullptr removes it.
using HostFileFault = std::function<int(const std::string& op, const std::string& hostPath)>;
void SetHostFileFault(HostFileFault fault);
// 0 unless a fault is in place for this operation and path.
int InjectedFault(const std::string& op, const std::string& hostPath);
// For tests where no small file system can be mounted: "<host folder>=<bytes>" in this variable
// makes creates, writes and copies under that folder fail with disk full (ENOSPC) once its files
// hold that many bytes, in every program of the run that inherits it; a move into the folder
// copies as onto another disk. Never set outside tests.
inline constexpr const char* kTestFullDiskVariable = "TARNWICK_TEST_FULL_DISK";

struct HostEntry {
    std::string name;
    bool folder = false;
    bool hidden = false;
};

bool HostFileExists(const std::string& winPath);   // a file (not a folder)
bool HostFolderExists(const std::string& winPath);
// "C:", "C:\" or "\\server\share": the drive's or share's folder exists.
bool HostDriveExists(const std::string& winPath);

// Whether a copy may replace an existing destination.
enum class Overwrite { Yes, No };

// Copies with the source's mode bits. The copy is written under a temporary name in the
// destination's folder and put in place only when it is whole and flushed: a failure on the way
// leaves no partial file and an existing destination as it was. Overwrite::No creates the
// destination only if no file of that name exists at that moment (58 "File already exists").
// Fails with permission denied (70) for a read-only or locked destination and for a destination
// that is the source itself (in any letter case), changing nothing; a missing destination folder
// is 76 "Path not found". Injected faults: "copy" before, then those of ReplacementFile.
void HostCopyFile(const std::string& src, const std::string& dst, Overwrite overwrite = Overwrite::Yes);
// Removes a file; without force a read-only file fails with permission denied.
void HostDeleteFile(const std::string& winPath, bool force);
// Renames within one file system, else copies (as HostCopyFile) and deletes the source; an
// existing destination file is replaced, or with Overwrite::No never (58 "File already exists",
// also for one that appears meanwhile). The source itself as destination is permission denied
// (70) and a missing destination folder 76 "Path not found", both changing nothing.
void HostMoveFile(const std::string& src, const std::string& dst, Overwrite overwrite = Overwrite::Yes);
// Creates (or empties) a file; with Overwrite::No only a file that does not exist at that moment
// (58 "File already exists" otherwise, the file untouched).
void HostCreateFile(const std::string& winPath, Overwrite overwrite = Overwrite::Yes);
// Creates or replaces a file with the given bytes through a ReplacementFile (an existing file
// keeps its mode and stays whole when the write fails); a missing folder is path not found.
void HostWriteFile(const std::string& winPath, const std::string& bytes);

long long HostFileSize(const std::string& winPath);
LocalTime HostFileModified(const std::string& winPath);

// The entries of a folder other than "." and "..", sorted by name without regard to case.
std::vector<HostEntry> HostListFolder(const std::string& winFolder);

// Makes a folder; with parents also the missing folders above it.
void HostMakeFolder(const std::string& winPath, bool parents);
// Removes a folder; with recursive also everything in it.
void HostRemoveFolder(const std::string& winPath, bool recursive);

// The shell's file operation (1 move, 2 copy, 3 delete to the recycle bin under the stand-in
// root). Returns the shell's result code: 0 success, 2 not found, 5 access denied, 32 in use.
int HostShellFileOperation(int op, const std::string& from, const std::string& to, bool& aborted);
