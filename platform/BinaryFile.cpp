// Byte-wise file access on the host through the mapped path.
#include "platform/BinaryFile.h"

#include "platform/AppError.h"
#include "platform/FileAttributes.h"
#include "platform/HostFiles.h"
#include "platform/WinPath.h"

#include <cerrno>
#include <sys/stat.h>

namespace {

void failIfFault(const std::string& op, const std::string& host, bool forFolder)
{
    if (int err = InjectedFault(op, host))
        throw HostError(err, forFolder);
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
    const bool writing = mode != Mode::Read;
    failIfFault(writing ? "create" : "read", path_, writing);
    // Root may write anything: a read-only file is refused by its mode bits, as Windows does.
    if (writing && ::stat(path_.c_str(), &st) == 0 && IsReadOnlyFile(winPath))
        throw HostError(EACCES);
    const char* how = mode == Mode::Read ? "rb" : mode == Mode::Write ? "wb" : mode == Mode::Update ? "r+b" : "ab";
    errno = 0;
    file_ = std::fopen(path_.c_str(), how);
    if (!file_)
        throw HostError(errno, writing);
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
        throw HostError(errno);
    buf.resize(got);
    return buf;
}

size_t BinaryFile::ReadInto(int64_t position, char* buffer, size_t n)
{
    if (!file_ || ::fseeko(file_, static_cast<off_t>(position), SEEK_SET) != 0)
        throw AppError(75, "", "Path/File access error");
    const size_t got = std::fread(buffer, 1, n, file_);
    if (got < n && std::ferror(file_))
        throw HostError(errno);
    return got;
}

void BinaryFile::WriteBytes(const char* data, size_t n)
{
    if (!file_)
        throw AppError(75, "", "Path/File access error");
    failIfFault("write", path_, false);
    errno = 0;
    if (n && std::fwrite(data, 1, n, file_) != n)
        throw HostError(errno);
}

void BinaryFile::WriteAt(int64_t position, const std::string& text)
{
    if (!file_ || ::fseeko(file_, static_cast<off_t>(position), SEEK_SET) != 0)
        throw AppError(75, "", "Path/File access error");
    WriteBytes(text.data(), text.size());
}

void BinaryFile::CloseChecked()
{
    if (!file_)
        return;
    std::FILE* f = file_;
    file_ = nullptr;
    errno = 0;
    if (std::fclose(f) != 0)
        throw HostError(errno);
}

void BinaryFile::Write(const std::string& text)
{
    if (!file_)
        throw AppError(75, "", "Path/File access error");
    failIfFault("write", path_, false);
    errno = 0;
    if (std::fwrite(text.data(), 1, text.size(), file_) != text.size())
        throw HostError(errno);
}

void BinaryFile::Flush()
{
    errno = 0;
    if (file_ && std::fflush(file_) != 0)
        throw HostError(errno);
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
