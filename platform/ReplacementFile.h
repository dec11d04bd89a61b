// The new content of a file, written under a temporary name beside it and put in its place only
// when the whole content is written and flushed; until then the file stays as it was.
#pragma once

#include <fcntl.h>
#include <string>
#include <sys/types.h>
#include <vector>

class ReplacementFile {
public:
    // Replace: an existing file is replaced. NoOverwrite: the file is created only when no file of
    // that name, in any letter case, exists at the moment it is put in place (error 58 "File
    // already exists").
    enum class Existing { Replace, NoOverwrite };
    // KeepOld: an existing file keeps its mode (and owner, where the host allows); a new one gets
    // the mode given. Given: the mode given in every case.
    enum class ModeRule { KeepOld, Given };

    // winPath names the file (Windows form, mapped with HostPath). A symbolic link is followed to
    // the file it names, which is the one replaced; the link stays. A read-only or locked (in
    // use) file is permission denied (70), a missing folder 76 "Path not found", a file that is
    // not a regular file (a FIFO, a device) 75 naming it. Throws AppError (HostError numbers).
    explicit ReplacementFile(const std::string& winPath, Existing existing = Existing::Replace,
                             ModeRule rule = ModeRule::KeepOld, mode_t mode = 0644);
    // Removes the temporary file unless Commit succeeded.
    ~ReplacementFile();
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;

    // Appends bytes to the new content. Injected host fault: "write" on the target's host path.
    void Write(const char* data, size_t n);
    void Write(const std::string& bytes) { Write(bytes.data(), bytes.size()); }
    // Appends the whole content of a host file.
    void WriteFileContent(const std::string& hostPath);
    // Takes a file already written (host path) as the whole new content, in place of anything
    // written before: on the target's file system it is moved to the temporary name (no byte is
    // read or written again), on another one its content is copied and it stays where it was.
    void Adopt(const std::string& hostPath);

    // Flushes the new content to disk and puts it in place. A file with several hard links is
    // rewritten in place so that every name keeps seeing one file; its former content is kept
    // in a second temporary file until the rewrite is through, and written back if it fails
    // (or, when the process is killed meanwhile, by the next replacement of the file or
    // MendInterruptedReplacement). A former content a dead run left that could not be written
    // back goes once the new content stands: it is older than what stands.
    // Injected host faults: "flush" before the flush, "overwrite" before an in-place rewrite,
    // each on the target's host path.
    void Commit();

    // The host path of the file that is replaced (after following links).
    const std::string& target() const { return target_; }

private:
    std::string target_;
    std::string temp_;
    int fd_ = -1;
    Existing existing_;
    mode_t mode_ = 0644;
    bool hadFile_ = false;
    uid_t uid_ = 0;
    gid_t gid_ = 0;
    nlink_t links_ = 0;
    bool committed_ = false;
};

// A former content found beside a file whose in-place rewrite was cut or still runs.
struct CutRewrite {
    std::string said;     // what stands, naming the file and the file its former content is in
    bool waiting = false; // the former content still waits beside the file, not written back
};

// Removes the temporary files that ended processes left beside the file (Windows path; links
// followed); an id that a later process got counts as ended (LeftoverOwnerGone). Where one of
// them was cut in the middle of an in-place rewrite, writes the former content back first, so
// that the file is the old one or the new one, never a mix. Failures are passed over: what
// cannot be done now is tried again later. Tells every former content found: written back, or
// waiting (its run still at work, or the write back not possible now, with why).
std::vector<CutRewrite> MendInterruptedReplacement(const std::string& winPath);

// Renames the host file from to target only when no file of that name, in any letter case,
// stands there (58 "File already exists" else; the file is never replaced). False, with nothing
// done, when the two are on different file systems.
bool HostRenameWithoutOverwrite(const std::string& from, const std::string& target);

// The host path of the file a chain of symbolic links ends at (which need not exist yet); the
// path itself when it is no link. Throws AppError for a loop of links.
std::string HostFileBehindLinks(const std::string& hostPath);

// True when both Windows paths name one existing file (the same device and inode after the
// case-insensitive lookup; hard links and symbolic links to one file included).
bool HostSameFile(const std::string& winPathA, const std::string& winPathB);

// How a temporary file beside a file is made, for the replacement's new content and for a mark's
// new text alike: named ".<name>.~<process id>.<6 hex digits>" in the file's folder, so that a
// later run can tell those of a killed program by its id, and created only after the ones that
// ended processes left beside that file are gone.
struct TempBeside {
    // The folder is read anew for those leftovers at every creation; else once per process (a copy
    // of many files into one folder would read it whole for every file), and what a process killed
    // later leaves there is found by the next program.
    bool freshListing = false;
    // A leftover that holds the former content of a cut in-place rewrite is written back before
    // it goes; without, every leftover of an ended process only goes.
    bool mendCutRewrites = true;
    // The open's access and further flags (O_CREAT | O_EXCL | O_CLOEXEC are always added), and
    // the new file's mode.
    int flags = O_WRONLY;
    mode_t mode = 0600;
};

// Creates a temporary file beside hostTarget (host path, taken as it is: no link followed) as
// how says; temp gets its host path. Throws AppError (HostError numbers; a missing folder is 76
// "Path not found"). The caller removes the file when it does not put it in place.
int CreateTempBeside(const std::string& hostTarget, std::string& temp, const TempBeside& how = {});
// Writes all n bytes to fd (a write cut by a signal goes on). Throws AppError.
void WriteWhole(int fd, const char* data, size_t n);
// Flushes the folder that holds hostPath, so that a rename or link in it outlives a crash.
void FlushFolderOf(const std::string& hostPath);
