// Locked output files of the stand-in programs.
#include "standins/dbserver/LockedOutputFile.h"

#include "platform/HostFiles.h"
#include "platform/ReplacementFile.h"
#include "platform/WinPath.h"
#include "standins/dbserver/RisErrorBlock.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

LockedOutputFile::LockedOutputFile(const std::string& winPath, bool append, const std::string& role)
    : winPath_(winPath)
{
    // A FIFO would hold the opening for ever.
    RefuseOddOutput(winPath, role);
    const std::string host = HostPath(winPath);
    fd_ = ::open(host.c_str(), O_WRONLY | O_CREAT | (append ? O_APPEND : O_TRUNC), 0666);
    if (fd_ < 0)
        RaiseRisError("RIS_E_CANT_OPEN_FILE", "Cannot create file '" + winPath + "': " + std::strerror(errno));
    ::flock(fd_, LOCK_EX);
}

LockedOutputFile::~LockedOutputFile() { Close(); }

void LockedOutputFile::Write(std::string_view text)
{
    if (fd_ < 0)
        return;
    // A test's full disk (the platform's hook) meets these writes as it meets every other.
    if (int err = text.empty() ? 0 : InjectedFault("write", HostPath(winPath_)))
        RaiseRisError("RIS_E_CANT_WRITE_FILE", "Cannot write file '" + winPath_ + "': " + std::strerror(err));
    while (!text.empty()) {
        ssize_t n = ::write(fd_, text.data(), text.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            RaiseRisError("RIS_E_CANT_WRITE_FILE", "Cannot write file '" + winPath_ + "': " + std::strerror(errno));
        }
        text.remove_prefix(static_cast<size_t>(n));
    }
}

void LockedOutputFile::Close()
{
    if (fd_ < 0)
        return;
    ::flock(fd_, LOCK_UN);
    ::close(fd_);
    fd_ = -1;
}

std::string WriteStandardStream(int fd, std::string_view text)
{
    if (text.empty())
        return {};
    // A stream redirected into a file meets the test's full disk as the file would.
    std::error_code ec;
    const auto target = std::filesystem::read_symlink("/proc/self/fd/" + std::to_string(fd), ec);
    if (int err = ec ? 0 : InjectedFault("write", target.string()))
        return std::strerror(err);
    while (!text.empty()) {
        const ssize_t n = ::write(fd, text.data(), text.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return std::strerror(n < 0 ? errno : EIO);
        text.remove_prefix(static_cast<size_t>(n));
    }
    return {};
}

int AnswerOnConsole(const std::string& program, const std::string& answer, int rc)
{
    const std::string lost = WriteStandardStream(STDOUT_FILENO, answer);
    if (lost.empty())
        return rc;
    WriteStandardStream(STDERR_FILENO, FormatRisErrorBlock("RIS_E_CANT_WRITE_FILE",
                                                           "The answer of " + program +
                                                               " could not be written to its standard output: " +
                                                               lost + ". It follows here whole.") +
                                           answer);
    return 1;
}

std::string NonRegularFileKind(const std::string& winPath)
{
    struct stat st;
    if (::stat(HostPath(winPath).c_str(), &st) != 0 || S_ISREG(st.st_mode))
        return {};
    if (S_ISDIR(st.st_mode))
        return "a folder";
    if (S_ISCHR(st.st_mode))
        return "a character device";
    if (S_ISBLK(st.st_mode))
        return "a block device";
    if (S_ISFIFO(st.st_mode))
        return "a FIFO (named pipe)";
    if (S_ISSOCK(st.st_mode))
        return "a socket";
    return "no regular file";
}

namespace {
// Why the name names no place, said of "it" ("it is relative, and ..."); empty when it names one.
std::string noPlaceWords(const std::string& file)
{
    const std::string words = file.empty() ? std::string() : NoPlaceWords(file);
    return words.empty() ? words : (words.rfind("is ", 0) == 0 ? "it " : "its name ") + words;
}
} // namespace

void RefuseNoPlace(const std::string& file, const std::string& role)
{
    if (const std::string words = noPlaceWords(file); !words.empty())
        RaiseRisError("RIS_E_CANT_OPEN_FILE",
                      "The " + role + " '" + file + "' names no place: " + words + "; nothing was done.");
}

void RefuseOddOutput(const std::string& output, const std::string& role)
{
    if (output.empty())
        return;
    RefuseNoPlace(output, role);
    struct stat st;
    if (::stat(HostPath(output).c_str(), &st) != 0 || S_ISCHR(st.st_mode))
        return;
    // Windows opens no read-only file for writing (mode bits: root may write anything).
    if (S_ISREG(st.st_mode) && (st.st_mode & S_IWUSR) == 0)
        RaiseRisError("RIS_E_CANT_OPEN_FILE", "The " + role + " '" + output + "' is read-only; nothing was done.");
    if (S_ISREG(st.st_mode))
        return;
    for (int fd : {STDOUT_FILENO, STDERR_FILENO}) {
        struct stat own;
        if (::fstat(fd, &own) == 0 && own.st_dev == st.st_dev && own.st_ino == st.st_ino)
            return;
    }
    RaiseRisError("RIS_E_CANT_OPEN_FILE", "The " + role + " '" + output + "' is " + NonRegularFileKind(output) +
                                              ", not a regular file; nothing was done.");
}

std::string ReadClientInputFile(const std::string& winPath)
{
    RefuseNoPlace(winPath, "input file");
    if (const std::string kind = NonRegularFileKind(winPath); !kind.empty())
        RaiseRisError("RIS_E_CANT_OPEN_FILE", "The file '" + winPath + "' is " + kind + ", not a text file. Nothing was done.");
    std::ifstream in(HostPath(winPath), std::ios::binary);
    if (!in)
        RaiseRisError("RIS_E_CANT_OPEN_FILE", "Cannot open file '" + winPath + "'.");
    std::ostringstream ss;
    ss << in.rdbuf();
    std::string text = ss.str();
    CheckClientText(text, winPath);
    return text;
}

void CheckClientText(const std::string& text, const std::string& fileName)
{
    const size_t nul = text.find('\0');
    if (nul == std::string::npos)
        return;
    const bool utf16 = text.rfind("\xff\xfe", 0) == 0 || text.rfind("\xfe\xff", 0) == 0 ||
                       (text.size() >= 2 && (text[0] == '\0') != (text[1] == '\0'));
    if (utf16)
        RaiseRisError("RIS_E_BAD_TEXT_FILE", "The file '" + fileName +
                                                 "' is UTF-16 text; the RIS clients read ANSI text. Nothing was done.");
    const long line = 1 + static_cast<long>(std::count(text.begin(), text.begin() + static_cast<long>(nul), '\n'));
    RaiseRisError("RIS_E_BAD_TEXT_FILE", "The file '" + fileName + "' holds a NUL byte in line " +
                                             std::to_string(line) + ". Nothing was done.");
}

void RefuseOutputOnto(const std::string& output, const std::string& outputRole, const std::string& other,
                      const std::string& otherRole)
{
    if (output.empty() || other.empty())
        return;
    // Names of no place all map to one place where nothing can be opened: they are not one file,
    // and each names no file at all.
    const std::string outputWords = noPlaceWords(output), otherWords = noPlaceWords(other);
    if (!outputWords.empty() && !otherWords.empty())
        RaiseRisError("RIS_E_CANT_OPEN_FILE", "The " + outputRole + " '" + output + "' and the " + otherRole + " '" +
                                                  other + "' name no place: " +
                                                  (outputWords == otherWords
                                                       ? "each" + outputWords.substr(2)
                                                       : "the first: " + outputWords + ", the second: " + otherWords) +
                                                  "; nothing was done.");
    RefuseNoPlace(other, otherRole);
    RefuseNoPlace(output, outputRole);
    std::error_code ecA, ecB;
    const auto a = std::filesystem::weakly_canonical(HostPath(output), ecA);
    const auto b = std::filesystem::weakly_canonical(HostPath(other), ecB);
    if (HostSameFile(output, other) || (!ecA && !ecB && a == b))
        RaiseRisError("RIS_E_SAME_FILE", "The " + outputRole + " '" + output + "' is the " + otherRole + " '" + other +
                                             "'; nothing was done.");
}
