// Byte-wise file access on the host through the mapped path.
#include "platform/BinaryFile.h"

#include "platform/AppError.h"
#include "platform/WinPath.h"

#include <cerrno>
#include <sys/stat.h>

namespace {

AppError errorFor(int err, const std::string& op)
{
    switch (err) {
    case ENOENT:
    case ENOTDIR:
        return AppError(op == "read" ? 53 : 76, "", op == "read" ? "File not found" : "Path not found");
    case EACCES:
    case EPERM:
    case EROFS:
    case ETXTBSY:
        return AppError(70, "", "Permission denied");
    case ENOSPC:
    case EDQUOT:
        return AppError(61, "", "Disk full");
    default:
        return AppError(75, "", "Path/File access error");
    }
}

} // namespace

BinaryFile::~BinaryFile() { Close(); }

void BinaryFile::Open(const std::string& winPath, Mode mode)
{
    Close();
    if (winPath.empty())
        throw AppError(75, "", "Path/File access error");
    path_ = HostPath(winPath);
    struct stat st {};
    if (::stat(path_.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
        throw AppError(75, "", "Path/File access error");
    const char* how = mode == Mode::Read ? "rb" : mode == Mode::Write ? "wb" : "ab";
    errno = 0;
    file_ = std::fopen(path_.c_str(), how);
    if (!file_)
        throw errorFor(errno, mode == Mode::Read ? "read" : "write");
}

void BinaryFile::Close()
{
    if (file_)
        std::fclose(file_);
    file_ = nullptr;
}

int64_t BinaryFile::Size() const
{
    struct stat st {};
    if (!file_ || ::fstat(::fileno(file_), &st) != 0)
        return 0;
    return static_cast<int64_t>(st.st_size);
}

std::string BinaryFile::ReadAt(int64_t position, size_t n)
{
    std::string buf(n, '\0');
    if (!file_ || ::fseeko(file_, static_cast<off_t>(position), SEEK_SET) != 0)
        throw AppError(75, "", "Path/File access error");
    size_t got = std::fread(buf.data(), 1, n, file_);
    if (got < n && std::ferror(file_))
        throw errorFor(errno, "read");
    buf.resize(got);
    return buf;
}

void BinaryFile::Write(const std::string& text)
{
    if (!file_)
        throw AppError(75, "", "Path/File access error");
    errno = 0;
    if (std::fwrite(text.data(), 1, text.size(), file_) != text.size())
        throw errorFor(errno, "write");
}

void BinaryFile::Flush()
{
    errno = 0;
    if (file_ && std::fflush(file_) != 0)
        throw errorFor(errno, "write");
}

std::string BinaryFile::ReadAll(const std::string& winPath)
{
    BinaryFile f;
    f.Open(winPath, Mode::Read);
    return f.ReadAt(0, static_cast<size_t>(f.Size()));
}

void BinaryFile::AppendText(const std::string& winPath, const std::string& text)
{
    BinaryFile f;
    f.Open(winPath, Mode::Append);
    f.Write(text);
    f.Flush();
    f.Close();
}
