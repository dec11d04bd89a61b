// Chunked reading of dump files.
#include "dbaccess/DumpScanner.h"

#include "platform/AppError.h"
#include "platform/Clock.h"
#include "platform/WinPath.h"

#include <sys/stat.h>

DumpScanner::DumpScanner(const std::string& path, size_t chunkSize) : chunkSize_(chunkSize ? chunkSize : 1)
{
    const std::string host = HostPath(path);
    struct stat st;
    if (::stat(host.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || !(file_ = std::fopen(host.c_str(), "rb")))
        throw AppError(53, "DumpScanner", "File '" + path + "' not found");
    size_ = static_cast<uint64_t>(st.st_size);
    // The chunks are read whole; stdio's own buffer would only add a copy.
    std::setvbuf(file_, nullptr, _IONBF, 0);
}

DumpScanner::~DumpScanner()
{
    if (file_)
        std::fclose(file_);
}

void DumpScanner::SetPosition(uint64_t position)
{
    position_ = position;
}

bool DumpScanner::NextChunk(std::string& chunk)
{
    if (position_ >= size_)
        return false;
    if (!first_)
        DoEvents();
    first_ = false;
    const size_t want = static_cast<size_t>(std::min<uint64_t>(size_ - position_, chunkSize_));
    chunk.resize(want);
    if (::fseeko(file_, static_cast<off_t>(position_), SEEK_SET) != 0)
        throw AppError(57, "DumpScanner", "Device I/O error");
    const size_t got = std::fread(chunk.data(), 1, want, file_);
    if (got != want)
        throw AppError(57, "DumpScanner", "Device I/O error");
    size_t cut = chunk.rfind("\r\n");
    if (cut != std::string::npos)
        cut += 2;
    else if ((cut = chunk.rfind('\n')) != std::string::npos)
        cut += 1;
    if (cut != std::string::npos && cut < chunk.size())
        chunk.resize(cut);
    position_ += chunk.size();
    return true;
}
