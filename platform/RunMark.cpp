// Marks of changes under way: files under <root>/marks held by open-file-description locks.
#include "platform/RunMark.h"

#include "platform/AppError.h"
#include "platform/Clock.h"
#include "platform/Environment.h"
#include "platform/HostFiles.h"
#include "platform/Process.h"
#include "platform/ReplacementFile.h"
#include "platform/TextUtil.h"
#include "platform/WinPath.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <filesystem>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char* const kSuffix = ".mark";

// The marks this program holds, and the client it waits for ("<pid> <start in seconds>").
std::vector<RunMark*>& heldMarks()
{
    static std::vector<RunMark*> marks;
    return marks;
}
std::string gClient;

std::string clientText(long pid)
{
    const auto started = Process::StartTime(pid);
    if (!started)
        return {};
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(started->time_since_epoch()).count();
    return std::to_string(pid) + " " + std::to_string(seconds);
}

// Whether the client a mark names still runs: the same id, started at the same time (to a
// second's slack: the start is worked out anew at each reading), so a reused id is no client.
bool clientRuns(const RunMark::Fields& fields)
{
    const std::string client = RunMark::Field(fields, "client");
    long pid = 0;
    long long seconds = 0;
    if (std::sscanf(client.c_str(), "%ld %lld", &pid, &seconds) != 2 || pid <= 0 || Process::Gone(pid))
        return false;
    const auto started = Process::StartTime(pid);
    if (!started)
        return false;
    const auto now = std::chrono::duration_cast<std::chrono::seconds>(started->time_since_epoch()).count();
    return now >= seconds - 1 && now <= seconds + 1;
}

std::string marksFolder() { return StandInRoot() + "/marks"; }

// A file name for the object: its letters and digits kept, anything else "_", and a digest of
// the whole object so that two objects that differ only in those characters do not meet.
std::string markFileName(const std::string& object)
{
    const std::string lower = ToLower(object);
    uint64_t h = 1469598103934665603ULL; // FNV-1a: stable from build to build
    std::string name;
    for (unsigned char c : lower) {
        h = (h ^ c) * 1099511628211ULL;
        if (name.size() < 120)
            name += std::isalnum(c) || c == '_' || c == '-' ? static_cast<char>(c) : '_';
    }
    char digest[17];
    std::snprintf(digest, sizeof digest, "%016llx", static_cast<unsigned long long>(h));
    return name + "." + digest + kSuffix;
}

struct flock wholeFile(short type)
{
    struct flock fl {};
    fl.l_type = type;
    fl.l_whence = SEEK_SET;
    fl.l_start = 0;
    fl.l_len = 0;
    return fl;
}

bool tryLock(int fd)
{
    struct flock fl = wholeFile(F_WRLCK);
    return ::fcntl(fd, F_OFD_SETLK, &fl) == 0;
}

// Whether some open file description holds a lock on the file, without taking one.
bool lockedByOther(int fd)
{
    struct flock fl = wholeFile(F_WRLCK);
    if (::fcntl(fd, F_OFD_GETLK, &fl) != 0)
        return false;
    return fl.l_type != F_UNLCK;
}

std::string readAll(int fd)
{
    std::string text;
    char buf[4096];
    off_t at = 0;
    for (;;) {
        ssize_t n = ::pread(fd, buf, sizeof buf, at);
        if (n <= 0)
            break;
        text.append(buf, static_cast<size_t>(n));
        at += n;
    }
    return text;
}

RunMark::Fields parse(const std::string& text)
{
    RunMark::Fields fields;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            break; // a line not yet ended is one being written
        const std::string line = text.substr(start, end - start);
        start = end + 1;
        size_t eq = line.find('=');
        if (eq != std::string::npos)
            fields.emplace_back(line.substr(0, eq), line.substr(eq + 1));
    }
    return fields;
}

// Values stay on one line: a line end inside a value would start a field of its own.
std::string oneLine(std::string value)
{
    for (char& c : value)
        if (c == '\n' || c == '\r')
            c = ' ';
    return value;
}

std::string format(const RunMark::Fields& fields)
{
    std::string text;
    for (const auto& [name, value] : fields)
        text += oneLine(name) + "=" + oneLine(value) + "\n";
    return text;
}

// Whether text is a mark as a program of this system writes it: "name=value" lines, each ended,
// that say at least which process wrote it. Anything else (an empty file, a half one, another
// program's text) is no mark, and never read as none.
bool isMarkText(const std::string& text, RunMark::Fields& fields)
{
    fields = parse(text);
    if (text.empty() || text.back() != '\n')
        return false;
    const size_t lines = static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
    return fields.size() == lines && !RunMark::Field(fields, "process").empty();
}

// The host file's name without its folder.
std::string nameOf(const std::string& path) { return path.substr(path.rfind('/') + 1); }

enum class Placing { Replace, OnlyNew };

// Puts text in place as the mark at path, whole, with this program's lock already on it: the
// text is written and flushed under a temporary name, locked there, and then renamed over the
// mark (Replace), or linked to its name only when no mark is there (OnlyNew). So the name holds
// the old text or the new one, each locked while its program lives, at every moment. Returns the
// locked descriptor of the new file; -1 with OnlyNew when a mark stood there already. Injected
// host faults: "mark" on the mark before its temporary file is made; "write" and "flush" on
// the temporary file; then "marked" on the mark once its new text stands (a point a test stops
// at; its result is not used).
int placeLocked(const std::string& path, const std::string& text, Placing placing)
{
    // Read afresh: a mark is written seldom, and a killed rewrite's leftover goes with the next.
    // No leftover of a mark is a former content to write back: each only goes.
    TempBeside how;
    how.freshListing = true;
    how.mendCutRewrites = false;
    how.flags = O_RDWR | O_NOFOLLOW;
    how.mode = 0644;
    if (int err = InjectedFault("mark", path))
        throw HostError(err);
    std::string temp;
    const int fd = CreateTempBeside(path, temp, how);
    bool placed = false;
    try {
        if (int err = InjectedFault("write", temp))
            throw HostError(err);
        WriteWhole(fd, text.data(), text.size());
        if (!tryLock(fd))
            throw HostError(EAGAIN);
        if (int err = InjectedFault("flush", temp))
            throw HostError(err);
        if (::fsync(fd) != 0)
            throw HostError(errno);
        if (placing == Placing::OnlyNew) {
            if (::link(temp.c_str(), path.c_str()) == 0)
                placed = true;
            else if (errno != EEXIST)
                throw HostError(errno);
            ::unlink(temp.c_str());
        } else {
            if (::rename(temp.c_str(), path.c_str()) != 0)
                throw HostError(errno);
            placed = true;
        }
    } catch (...) {
        ::close(fd);
        ::unlink(temp.c_str());
        throw;
    }
    if (!placed) {
        ::close(fd);
        return -1;
    }
    FlushFolderOf(path);
    (void)InjectedFault("marked", path);
    return fd;
}

// True when fd is still the file the path names (a mark removed and made anew meanwhile is not).
bool stillNamed(int fd, const std::string& path)
{
    struct stat a, b;
    return ::fstat(fd, &a) == 0 && ::lstat(path.c_str(), &b) == 0 && a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// The object a mark file stands for, as far as its name tells it (letters and digits kept).
std::string objectOfName(const std::string& name)
{
    const size_t dot = name.rfind('.', name.size() - std::strlen(kSuffix) - 1);
    return dot == std::string::npos ? name : name.substr(0, dot);
}

// What a mark file that is no mark means, and how it goes: "The mark file '...' of schema
// dd_demo is empty; ...". object as its program named it, else as the file's name tells it.
std::string damageText(const std::string& path, const std::string& fault, std::string object)
{
    if (object.empty())
        object = objectOfName(nameOf(path));
    return "The mark file '" + WinPathFromHost(path) + "' of " + object + " " + fault +
           ", so no program can tell whether a change of " + object + " is under way or was cut off: once no "
           "program of this environment works on " + object + ", remove that file, and the next run takes the mark "
           "afresh";
}

// Opens the mark at path without following a link and without waiting on a FIFO; -1 with fault
// set when it is there but is no regular file, -1 with fault empty when there is none.
int openMark(const std::string& path, int flags, std::string& fault)
{
    fault.clear();
    const int fd = ::open(path.c_str(), flags | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ELOOP)
            fault = "is a symbolic link, which no program follows";
        else if (errno == ENOTDIR)
            fault = "cannot be read: the marks folder '" + WinPathFromHost(path.substr(0, path.rfind('/'))) +
                    "' is a file, not a folder";
        else if (errno != ENOENT)
            fault = "cannot be opened (" + HostError(errno).description() + ")";
        return -1;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        fault = "is no regular file";
        return -1;
    }
    return fd;
}

// Why a mark's text is no mark.
std::string textFault(const std::string& text)
{
    return text.empty() ? "is empty" : "holds no mark that a program of this system wrote";
}

RunMark::Seen damaged(const std::string& path, const std::string& fault)
{
    RunMark::Seen seen;
    seen.state = RunMark::State::Held;
    seen.fields = {{"damaged", damageText(path, fault, {})}};
    return seen;
}

// Why the mark of object could not be written, for the host's reason why: the folder that is a
// file or cannot be made, or else the mark file that could not be written there.
std::string writeReason(const std::string& object, const std::string& folder, const std::string& why)
{
    struct stat st;
    if (::stat(folder.c_str(), &st) == 0 && !S_ISDIR(st.st_mode))
        return "the marks folder '" + WinPathFromHost(folder) + "' is a file, not a folder, so no mark can be written "
                                                               "in it";
    if (::stat(folder.c_str(), &st) != 0)
        return "the marks folder '" + WinPathFromHost(folder) + "' cannot be made (" + why + ")";
    return "the mark file '" + WinPathFromHost(folder + "/" + markFileName(object)) + "' could not be written (" +
           why + ")";
}

// The sentence of a mark not taken, around its reason: a caller that words what stands itself
// takes the reason back out (WriteFailureText).
const std::string kNotTakenBefore = "The mark of ";
const std::string kNotTakenMiddle = " was not taken: ";
const std::string kNotTakenAfter = "; nothing that needs it began, and a mark that stood there stays as it was";

// Why a mark could not be taken when its text could not be put in the marks folder: the folder or
// the file, the host's reason, and that no mark stands for the object (a dead run's stays as it
// was).
AppError notWritten(const std::string& object, const std::string& folder, const AppError& e)
{
    const std::string why = e.description().empty() ? "error " + std::to_string(e.number()) : e.description();
    return AppError(e.number(), "RunMark",
                    kNotTakenBefore + object + kNotTakenMiddle + writeReason(object, folder, why) + kNotTakenAfter);
}

RunMark::Seen lookAt(const std::string& path)
{
    RunMark::Seen seen;
    std::string fault;
    int fd = openMark(path, O_RDONLY, fault);
    if (fd < 0)
        return fault.empty() ? seen : damaged(path, fault);
    const bool held = lockedByOther(fd);
    const std::string text = readAll(fd);
    ::close(fd);
    if (!isMarkText(text, seen.fields))
        return damaged(path, textFault(text));
    if (held || clientRuns(seen.fields))
        seen.state = RunMark::State::Held;
    else
        seen.state = RunMark::State::Left;
    return seen;
}

} // namespace

RunMark::RunMark(const std::string& object, const Fields& fields) : object_(object)
{
    const std::string folder = marksFolder();
    // The root too, with its parents: the first mark of a new environment may come before
    // anything else has made it (the builder takes the root's mark first of all).
    std::error_code made;
    std::filesystem::create_directories(folder, made);
    if (made)
        throw notWritten(object, folder, HostError(made.value(), true));
    path_ = folder + "/" + markFileName(object);

    own_ = {{"object", object}};
    for (auto& who : WhoFields())
        own_.push_back(std::move(who));
    own_.insert(own_.end(), fields.begin(), fields.end());

    // A mark removed by its holder between our open and our lock is taken again, anew.
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string fault;
        int fd = openMark(path_, O_RDWR, fault);
        if (fd < 0) {
            if (!fault.empty())
                throw AppError(1, "RunMark", damageText(path_, fault, object));
            // None there: ours is put in place whole and locked, unless another's came first.
            try {
                fd_ = placeLocked(path_, text(), Placing::OnlyNew);
            } catch (const AppError& e) {
                throw notWritten(object, folder, e);
            }
            if (fd_ < 0)
                continue;
            heldMarks().push_back(this);
            return;
        }
        const bool locked = tryLock(fd);
        // A mark taken over by another taker since our open: its new file now bears the name.
        if (!stillNamed(fd, path_)) {
            ::close(fd);
            continue;
        }
        const std::string was = readAll(fd);
        Fields fields;
        if (!isMarkText(was, fields)) {
            ::close(fd);
            throw AppError(1, "RunMark", damageText(path_, textFault(was), object));
        }
        // Locked, but by no program of the process it names: a taker is putting its own text in
        // place over a dead run's just now. Its text is the one to name.
        const long writer = std::atol(Field(fields, "process").c_str());
        if (!locked && writer > 0 && Process::Gone(writer) && !clientRuns(fields) && attempt < 99) {
            ::close(fd);
            ::usleep(2000);
            continue;
        }
        if (!locked || clientRuns(fields)) {
            // Held by a running program, or its program died but the outside program it waited
            // for still works.
            other_ = std::move(fields);
            ::close(fd);
            return;
        }
        try {
            fd_ = placeLocked(path_, text(), Placing::Replace);
        } catch (const AppError& e) {
            ::close(fd);
            throw notWritten(object, folder, e);
        }
        ::close(fd); // the dead run's file, no longer named
        left_ = std::move(fields);
        heldMarks().push_back(this);
        return;
    }
    throw AppError(1, "RunMark", "The mark '" + WinPathFromHost(path_) + "' could not be taken");
}

RunMark::~RunMark()
{
    try {
        Release();
    } catch (...) {
    }
}

void RunMark::Update(const Fields& fields)
{
    if (fd_ < 0)
        return;
    Fields all(own_.begin(), own_.begin() + 5);
    all.insert(all.end(), fields.begin(), fields.end());
    own_ = std::move(all);
    rewrite();
}

std::string RunMark::text() const
{
    Fields all = own_;
    if (!gClient.empty())
        all.emplace_back("client", gClient);
    return format(all);
}

void RunMark::rewrite()
{
    const int fd = placeLocked(path_, text(), Placing::Replace);
    ::close(fd_); // the former text's file, no longer named
    fd_ = fd;
}

void RunMark::Release()
{
    if (fd_ < 0)
        return;
    // Still holding the lock, so no one takes the file we remove; a file that took its name
    // meanwhile (the mark removed by hand and taken anew) is another's and stays.
    if (stillNamed(fd_, path_))
        ::unlink(path_.c_str());
    Keep();
}

void RunMark::Keep()
{
    if (fd_ < 0)
        return;
    ::close(fd_);
    fd_ = -1;
    auto& held = heldMarks();
    held.erase(std::remove(held.begin(), held.end(), this), held.end());
}

void RunMark::ClientStarted(long pid)
{
    gClient = clientText(pid);
    for (RunMark* mark : heldMarks()) {
        try {
            mark->rewrite();
        } catch (...) {
            // The mark stays as it was: the next run may then look before the client is done,
            // as it would have without this field.
        }
    }
}

void RunMark::ClientEnded()
{
    if (gClient.empty())
        return;
    gClient.clear();
    for (RunMark* mark : heldMarks()) {
        try {
            mark->rewrite();
        } catch (...) {
        }
    }
}

RunMark::Seen RunMark::Look(const std::string& object) { return lookAt(marksFolder() + "/" + markFileName(object)); }

std::vector<std::pair<std::string, RunMark::Seen>> RunMark::List(const std::string& prefix)
{
    std::vector<std::pair<std::string, Seen>> marks;
    DIR* dir = ::opendir(marksFolder().c_str());
    if (!dir)
        return marks;
    std::vector<std::string> names;
    while (dirent* e = ::readdir(dir)) {
        std::string name = e->d_name;
        if (name.size() > 5 && name.compare(name.size() - 5, 5, kSuffix) == 0)
            names.push_back(name);
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    const std::string lowerPrefix = ToLower(prefix);
    for (const std::string& name : names) {
        Seen seen = lookAt(marksFolder() + "/" + name);
        if (seen.state == State::Free)
            continue;
        std::string object = Field(seen.fields, "object");
        std::string compared = ToLower(object), wanted = lowerPrefix;
        if (!Field(seen.fields, "damaged").empty()) {
            // Its object is known only as far as the file's name tells it.
            object = compared = objectOfName(name);
            wanted = markFileName(prefix).substr(0, std::min(lowerPrefix.size(), size_t{120}));
        }
        if (compared.rfind(wanted, 0) == 0)
            marks.emplace_back(std::move(object), std::move(seen));
    }
    return marks;
}

bool RunMark::RemoveLeft(const std::string& object)
{
    const std::string path = marksFolder() + "/" + markFileName(object);
    std::string fault;
    int fd = openMark(path, O_RDWR, fault);
    if (fd < 0)
        return fault.empty(); // a file that is no mark stays for the user, who is told how it goes
    bool removed = false;
    Fields fields;
    if (tryLock(fd) && stillNamed(fd, path) && isMarkText(readAll(fd), fields) && !clientRuns(fields))
        removed = ::unlink(path.c_str()) == 0;
    ::close(fd);
    return removed;
}

const RunMark* RunMark::HeldHere(const std::string& object)
{
    const std::string path = marksFolder() + "/" + markFileName(object);
    for (const RunMark* mark : heldMarks())
        if (mark->path_ == path && mark->fd_ >= 0)
            return mark;
    return nullptr;
}

std::string RunMark::WriteFailureText(const std::string& object, const AppError& e)
{
    const std::string& said = e.description();
    const std::string head = kNotTakenBefore + object + kNotTakenMiddle;
    if (said.rfind(head, 0) == 0 && said.size() >= head.size() + kNotTakenAfter.size() &&
        said.compare(said.size() - kNotTakenAfter.size(), kNotTakenAfter.size(), kNotTakenAfter) == 0)
        return said.substr(head.size(), said.size() - head.size() - kNotTakenAfter.size());
    if (!e.source().empty())
        return said;
    return writeReason(object, marksFolder(), said);
}

RunMark::Fields RunMark::WhoFields()
{
    return {{"program", Process::ExecutablePath()},
            {"process", std::to_string(Process::CurrentId())},
            {"computer", ComputerName()},
            {"started", FormatLocalTime(GetClock().Now(), "yyyy-mm-dd hh:nn:ss")}};
}

std::string RunMark::Folder() { return marksFolder(); }

std::string RunMark::Field(const Fields& fields, const std::string& name)
{
    for (const auto& [n, v] : fields)
        if (n == name)
            return v;
    return {};
}

std::string RunMark::WhoText(const Fields& fields)
{
    const std::string damage = Field(fields, "damaged");
    if (!damage.empty())
        return "a program not known: " + damage;
    std::string program = Field(fields, "program");
    const size_t slash = program.find_last_of("/\\");
    if (slash != std::string::npos)
        program = program.substr(slash + 1);
    std::string text = "process " + Field(fields, "process");
    if (!program.empty())
        text += " (" + program + ")";
    const std::string computer = Field(fields, "computer");
    if (!computer.empty())
        text += " on " + computer;
    const std::string started = Field(fields, "started");
    if (!started.empty())
        text += ", started " + started;
    if (clientRuns(fields))
        text += "; its outside program, process " + Field(fields, "client").substr(0, Field(fields, "client").find(' ')) +
                ", still runs";
    return text;
}

std::string RunMark::RunningText(const Fields& fields)
{
    const std::string damage = Field(fields, "damaged");
    if (!damage.empty())
        return "perhaps a change (" + damage + ")";
    std::string what = Field(fields, "what");
    if (what.empty())
        what = "another change";
    return what + " (" + WhoText(fields) + ")";
}
