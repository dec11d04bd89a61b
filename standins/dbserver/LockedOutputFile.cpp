// Locked output files of the stand-in programs.
#include "standins/dbserver/LockedOutputFile.h"

#include "platform/WinPath.h"
#include "standins/dbserver/RisErrorBlock.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/file.h>
#include <unistd.h>

LockedOutputFile::LockedOutputFile(const std::string& winPath, bool append) : winPath_(winPath)
{
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

std::string ReadClientInputFile(const std::string& winPath)
{
    std::ifstream in(HostPath(winPath), std::ios::binary);
    if (!in)
        RaiseRisError("RIS_E_CANT_OPEN_FILE", "Cannot open file '" + winPath + "'.");
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}
