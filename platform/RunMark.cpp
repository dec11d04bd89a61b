// Marks of changes under way: files under <root>/marks held by open-file-description locks.
#include "platform/RunMark.h"

#include "platform/AppError.h"
#include "platform/Clock.h"
#include "platform/Environment.h"
#include "platform/HostFiles.h"
#include "platform/Process.h"
#include "platform/TextUtil.h"
#include "platform/WinPath.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdint>
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

void writeAll(int fd, const std::string& text, const std::string& path)
{
    if (::ftruncate(fd, 0) != 0)
        throw HostError(errno);
    size_t done = 0;
    while (done < text.size()) {
        ssize_t n = ::pwrite(fd, text.data() + done, text.size() - done, static_cast<off_t>(done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw HostError(errno);
        }
        done += static_cast<size_t>(n);
    }
    if (int err = InjectedFault("flush", path))
        throw HostError(err);
    if (::fsync(fd) != 0)
        throw HostError(errno);
}

// True when fd is still the file the path names (a mark removed and made anew meanwhile is not).
bool stillNamed(int fd, const std::string& path)
{
    struct stat a, b;
    return ::fstat(fd, &a) == 0 && ::stat(path.c_str(), &b) == 0 && a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

RunMark::Seen lookAt(const std::string& path)
{
    RunMark::Seen seen;
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return seen;
    const bool held = lockedByOther(fd);
    seen.fields = parse(readAll(fd));
    ::close(fd);
    // A file without text and without a lock is one that a taker has just made and not yet
    // locked, or one left empty: nobody's either way.
    if (held || clientRuns(seen.fields))
        seen.state = RunMark::State::Held;
    else if (!seen.fields.empty())
        seen.state = RunMark::State::Left;
    else
        seen.fields.clear();
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
        throw HostError(made.value(), true);
    path_ = folder + "/" + markFileName(object);

    own_ = {{"object", object}};
    for (auto& who : WhoFields())
        own_.push_back(std::move(who));
    own_.insert(own_.end(), fields.begin(), fields.end());

    // A mark removed by its holder between our open and our lock is taken again, anew.
    for (int attempt = 0; attempt < 100; ++attempt) {
        int fd = ::open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (fd < 0)
            throw HostError(errno);
        if (!tryLock(fd)) {
            // The holder writes its text right after it takes the lock: give it that moment.
            for (int i = 0; i < 20 && other_.empty(); ++i) {
                other_ = parse(readAll(fd));
                if (other_.empty())
                    ::usleep(5000);
            }
            ::close(fd);
            return;
        }
        if (!stillNamed(fd, path_)) {
            ::close(fd);
            continue;
        }
        left_ = parse(readAll(fd));
        if (clientRuns(left_)) {
            // Its program died, but the outside program it waited for still works.
            other_ = std::move(left_);
            left_.clear();
            ::close(fd);
            return;
        }
        try {
            writeAll(fd, format(own_), path_);
        } catch (...) {
            ::close(fd);
            throw;
        }
        fd_ = fd;
        heldMarks().push_back(this);
        if (!gClient.empty())
            rewrite();
        return;
    }
    throw AppError(1, "RunMark", "The mark '" + path_ + "' could not be taken");
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

void RunMark::rewrite()
{
    Fields all = own_;
    if (!gClient.empty())
        all.emplace_back("client", gClient);
    writeAll(fd_, format(all), path_);
}

void RunMark::Release()
{
    if (fd_ < 0)
        return;
    ::unlink(path_.c_str()); // still holding the lock, so no one takes the file we remove
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
        if (ToLower(object).rfind(lowerPrefix, 0) == 0)
            marks.emplace_back(std::move(object), std::move(seen));
    }
    return marks;
}

bool RunMark::RemoveLeft(const std::string& object)
{
    const std::string path = marksFolder() + "/" + markFileName(object);
    int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT;
    bool removed = false;
    if (tryLock(fd) && stillNamed(fd, path) && !clientRuns(parse(readAll(fd))))
        removed = ::unlink(path.c_str()) == 0;
    ::close(fd);
    return removed;
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
    std::string what = Field(fields, "what");
    if (what.empty())
        what = "another change";
    return what + " (" + WhoText(fields) + ")";
}
